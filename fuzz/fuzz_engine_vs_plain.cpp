// Runs the engine and the plain versions that the unit tests compare it
// with (tests/support) on the same state made from the input: depth map,
// pattern, stereogram, preferences and random state. Pattern generation,
// stereogram generation, width detection and decoding must agree byte for
// byte and leave the random source in the same state; the first difference
// stops the process.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "fuzz_input.h"
#include "operations/operations.h"
#include "recording_platform.h"
#include "reference_decoding.h"
#include "reference_generation.h"
#include "workspace_samples.h"

namespace {

// A raster of `count` bytes with plateaus and repeats.
std::vector<uint8_t> rasterFrom(FuzzInput& in, size_t count) {
    return fuzzRaster(in, count, [](size_t i, size_t, uint8_t first) { return i / (1 + first % 8); });
}

[[noreturn]] void differ(const std::string& what, const std::vector<uint8_t>& got,
                         const std::vector<uint8_t>& expected) {
    size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at]) ++at;
    std::fprintf(stderr, "the engine and the plain version differ: %s, first at byte %zu of %zu/%zu\n", what.c_str(),
                 at, got.size(), expected.size());
    std::abort();
}

void compare(const std::string& what, const std::vector<uint8_t>& got, const std::vector<uint8_t>& expected,
             uint32_t gotState, uint32_t expectedState) {
    if (got != expected) differ(what, got, expected);
    if (gotState != expectedState) differ(what + " (random state)", {}, {});
}

struct Case {
    GenerationInputs generation;
    ReferenceSettings decoding;
    std::vector<uint8_t> loadedStereogram;  // empty: decode the generated one
    int32_t threads = 1;
};

Case caseFrom(FuzzInput& in) {
    Case c;
    GenerationInputs& g = c.generation;
    // Up to 320 columns: rows of many 16-byte blocks, with several
    // candidate strip widths; few rows, since the plain detection takes
    // time in the square of the width on rows that repeat (two rows are
    // enough for two threads to share them).
    g.width = 1 + static_cast<int32_t>((in.byte() | (in.byte() & 1) << 8) % 320);
    g.height = 1 + in.byte() % 8;
    g.repeatCount = 1 + in.byte() % (g.width < 12 ? g.width : 12);
    g.depthBits = 1 + in.byte() % 8;
    const uint8_t flags = in.byte();
    g.wallEyed = (flags & 1) != 0;
    g.randomFill = (flags & 2) != 0;
    const int32_t stripWidth = g.width / g.repeatCount;
    g.patternWidth = (flags & 4) != 0 ? 1 + in.byte() % (2 * stripWidth + 5) : stripWidth;
    g.randomState = in.number32();
    g.depth = rasterFrom(in, static_cast<size_t>(g.width) * g.height);
    // Colour: a grey or colour pattern, tiled down the rows when it is of
    // another height.
    g.colour = (flags & 64) != 0;
    g.patternChannels = g.colour && (flags & 128) != 0 ? 3 : 1;
    g.patternHeight = g.colour ? 1 + in.byte() % (g.height + 3) : g.height;
    g.pattern = rasterFrom(in, static_cast<size_t>(g.patternWidth) * g.patternHeight * g.patternChannels);
    c.decoding.depthBits = g.depthBits;
    c.decoding.minMatch = in.anyNumber();
    c.decoding.searchRange = in.anyNumber();
    c.decoding.policy = in.byte() % 3;
    c.decoding.patternWidth = static_cast<int32_t>(in.byte()) - 2;
    if ((flags & 8) != 0) c.loadedStereogram = rasterFrom(in, static_cast<size_t>(g.width) * g.height);
    // The rows on 1, 2 or 8 threads: the same bytes whatever the number.
    static constexpr int32_t ThreadCounts[] = {1, 2, 8};
    c.threads = ThreadCounts[(flags >> 4) % 3];
    return c;
}

// The case's preferences and random state, a picture on show and the
// depth map.
void prepareWorkspace(Workspace& ws, const Case& c) {
    const GenerationInputs& g = c.generation;
    putPictureOnShow(ws, g.width, g.height, 0);
    putRaster(ws.depthMap, g.width, g.height, g.depth);
    ws.preferences.repeatCount = g.repeatCount;
    setDepthBits(ws.preferences, g.depthBits);
    ws.preferences.wallEyed = g.wallEyed;
    ws.preferences.randomFill = g.randomFill;
    ws.preferences.minMatch = c.decoding.minMatch;
    ws.preferences.searchRange = c.decoding.searchRange;
    const UnresolvedPolicy policies[] = {UnresolvedPolicy::KeepPrevious, UnresolvedPolicy::Random,
                                         UnresolvedPolicy::Background};
    ws.preferences.unresolvedPolicy = policies[c.decoding.policy];
    ws.randomState = g.randomState;
    ws.preferences.colour = g.colour;
}

void comparePatternGeneration(const Case& c) {
    const GenerationInputs& g = c.generation;
    Workspace ws = freshWorkspace();
    prepareWorkspace(ws, c);
    generatePattern(ws, nullptr);
    // A width that is no multiple of the repeat count is widened first.
    const int32_t stripWidth = (g.width + g.repeatCount - 1) / g.repeatCount;
    uint32_t state = g.randomState;
    const std::vector<uint8_t> expected = referencePattern(stripWidth, g.height, g.randomFill, state, g.colour);
    compare("pattern generation", rasterBytes(ws.pattern), expected, ws.randomState, state);
    releaseAll(ws);
}

// Generation, then detection and decoding of what it made (or of a
// stereogram from the input).
void compareGenerationAndDecoding(const Case& c) {
    const GenerationInputs& g = c.generation;
    Workspace ws = freshWorkspace();
    prepareWorkspace(ws, c);
    ws.pattern = pictureOf(g.patternWidth, g.patternHeight, g.pattern, g.patternChannels);
    ws.patternWidth = g.patternWidth;
    generateStereogram(ws, nullptr);
    const GeneratedStereogram generated = referenceGenerate(g);
    compare("generation", rasterBytes(ws.stereogram), generated.pixels, ws.randomState, generated.randomState);
    if (generated.channels == 3) {
        // The plain decoding reads grey: a colour stereogram is decoded for
        // what the sanitizers see, on all three channels.
        decodeStereogram(ws, nullptr);
        releaseAll(ws);
        return;
    }

    const std::vector<uint8_t>& stereogram = c.loadedStereogram.empty() ? generated.pixels : c.loadedStereogram;
    putRaster(ws.stereogram, g.width, g.height, stereogram);
    const int32_t detected = detectPatternWidth(ws);
    const int32_t expectedWidth = referenceDetectWidth(stereogram, g.width, g.height, c.decoding.minMatch);
    if (detected != expectedWidth)
        differ("detection: " + std::to_string(detected) + " against " + std::to_string(expectedWidth), {}, {});

    ws.patternWidth = c.decoding.patternWidth;
    const uint32_t stateBefore = ws.randomState;
    decodeStereogram(ws, nullptr);
    const ReferenceDecoding decoded = referenceDecode(stereogram, g.width, g.height, c.decoding, stateBefore);
    compare("decoding", rasterBytes(ws.depthMap), decoded.depthMap, ws.randomState, decoded.randomState);
    releaseAll(ws);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const Case c = caseFrom(in);
    testRuntime().threads = c.threads;
    comparePatternGeneration(c);
    compareGenerationAndDecoding(c);
    resetRecordedUi();
    return 0;
}
