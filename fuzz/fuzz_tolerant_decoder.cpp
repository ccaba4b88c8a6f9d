// Feeds the tolerant decoder small pictures (raw rasters, or stereograms
// generated from a depth raster, grey or colour) with hostile settings:
// depth bits and depth steps of any value, minMatch and searchRange of any
// value (the tolerant decoder reads neither), strip widths of 0, negative,
// the picture's width and beyond, and stop requests. Width detection must
// give its fallback with the notice or a width inside the picture; the
// decoding must give pictures of the stereogram's size holding only the
// greys of levels, the same bytes on one thread as on several, and cleared
// pictures when stopped. The first broken promise stops the process.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <vector>

#include "engine/engine.h"
#include "fuzz_input.h"
#include "engine/random_batch.h"
#include "test_runtime.h"

namespace {

// A raster of `count` bytes with repeats.
std::vector<uint8_t> rasterFrom(FuzzInput& in, size_t count) {
    return fuzzRaster(in, count, [](size_t i, size_t unit, uint8_t) { return i * 7 + i / unit; });
}

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "the tolerant decoder broke a promise: %s\n", what);
    std::abort();
}

struct Case {
    Picture stereogram;
    Preferences prefs;
    int32_t stripWidth = 0;
    int32_t fallbackWidth = 0;
    int32_t threads = 1;
    int32_t stopAfter = -1;
};

// A stereogram the program makes from a depth raster: the settings it is
// made with are sane ones; the decoding gets the hostile ones.
Picture generatedStereogram(FuzzInput& in, int32_t width, int32_t height, const Preferences& hostile) {
    Preferences sane;
    storeDepthBits(sane, 1 + static_cast<int32_t>(static_cast<uint32_t>(hostile.depthBits) % 8));
    sane.wallEyed = hostile.wallEyed;
    sane.colour = hostile.colour;
    sane.repeatCount = 1 + in.byte() % 12;
    const int32_t strip = width / sane.repeatCount;
    uint32_t state = in.number32();
    Picture pattern;
    Picture stereogram;
    if (strip < 1 || makePattern(testRuntime(), strip, height, sane, state, pattern).kind != OutcomeKind::Done)
        return pictureOf(width, height, rasterFrom(in, static_cast<size_t>(width) * height));
    const Picture depth = pictureOf(width, height, rasterFrom(in, static_cast<size_t>(width) * height));
    if (makeStereogram(testRuntime(), depth, pattern, sane, state, Progress{}, stereogram).kind != OutcomeKind::Done)
        return pictureOf(width, height, bytesOf(depth));
    return stereogram;
}

int32_t stripWidthFrom(FuzzInput& in, int32_t width) {
    switch (in.byte() % 6) {
        case 0: return width / 5;
        case 1: return 0;
        case 2: return width;
        case 3: return width + in.byte();
        case 4: return static_cast<int32_t>(in.number32());
        default: return in.byte();
    }
}

Case caseFrom(FuzzInput& in) {
    Case c;
    const int32_t width = 1 + static_cast<int32_t>((in.byte() | (in.byte() & 1) << 8) % 256);
    const int32_t height = 1 + in.byte() % 16;
    const uint8_t flags = in.byte();
    c.prefs.depthBits = in.anyNumber();
    c.prefs.depthStep = in.anyNumber();
    c.prefs.minMatch = in.anyNumber();
    c.prefs.searchRange = in.anyNumber();
    c.prefs.wallEyed = (flags & 1) != 0;
    c.prefs.colour = (flags & 2) != 0;
    if ((flags & 4) != 0) {
        c.stereogram = generatedStereogram(in, width, height, c.prefs);
    } else {
        const int32_t channels = (flags & 8) != 0 ? ColourChannels : GreyChannels;
        c.stereogram = pictureOf(width, height, rasterFrom(in, static_cast<size_t>(width) * height * channels), channels);
    }
    static constexpr int32_t ThreadCounts[] = {1, 2, 8};
    c.threads = ThreadCounts[(flags >> 4) % 3];
    if ((flags & 64) != 0) c.stopAfter = in.byte() % 4;
    c.stripWidth = stripWidthFrom(in, width);
    c.fallbackWidth = in.anyNumber();
    return c;
}

void countStep(void* steps) {
    ++*static_cast<int32_t*>(steps);
}

struct Stop {
    int32_t steps = 0;
    int32_t after = -1;
};

void countStopStep(void* context) {
    ++static_cast<Stop*>(context)->steps;
}

bool stopNow(void* context) {
    const Stop& stop = *static_cast<Stop*>(context);
    return stop.after >= 0 && stop.steps >= stop.after;
}

void checkDetection(const Case& c) {
    const StripWidth found = findStripWidthTolerant(testRuntime(), c.stereogram, c.prefs, c.fallbackWidth);
    if (isMessage(found.notice)) {
        if (found.width != c.fallbackWidth) broken("a notice without the fallback width");
    } else if (found.width < 1 || found.width >= c.stereogram.width) {
        broken("a width outside the picture");
    }
}

bool sameSize(const Picture& picture, const Picture& stereogram) {
    return isPresent(picture) && picture.width == stereogram.width && picture.height == stereogram.height &&
           picture.channels == GreyChannels;
}

// The greys a decoding may write: those of levels 0 .. 2^depthBits, with
// depthBits held to 0 .. 8.
std::set<uint8_t> levelGreys(const Preferences& prefs) {
    const int32_t bits = prefs.depthBits < 0 ? 0 : prefs.depthBits > 8 ? 8 : prefs.depthBits;
    std::set<uint8_t> greys;
    for (int32_t level = 0; level <= (1 << bits); ++level) greys.insert(greyOfLevel(level, prefs.depthStep));
    return greys;
}

void checkDecoding(const Case& c) {
    Picture depth;
    Picture certainty;
    int32_t steps = 0;
    const Outcome one = decodeRowsTolerant(testRuntime(), c.stereogram, c.stripWidth, c.prefs,
                                           Progress{&steps, countStep, nullptr, 1}, depth, &certainty);
    if (one.kind != OutcomeKind::Done) broken("a decoding that was not done");
    if (!sameSize(depth, c.stereogram) || !sameSize(certainty, c.stereogram)) broken("pictures of another size");
    if (steps != (c.stereogram.height + RowsPerProgressStep - 1) / RowsPerProgressStep) broken("steps missing");
    const std::set<uint8_t> greys = levelGreys(c.prefs);
    const std::vector<uint8_t> bytes = bytesOf(depth);
    for (uint8_t grey : bytes)
        if (greys.count(grey) == 0) broken("a grey of no level");

    Picture threadedDepth;
    Picture threadedCertainty;
    const Outcome threaded = decodeRowsTolerant(testRuntime(), c.stereogram, c.stripWidth, c.prefs,
                                                Progress{nullptr, nullptr, nullptr, c.threads}, threadedDepth,
                                                &threadedCertainty);
    if (threaded.kind != OutcomeKind::Done) broken("a decoding on threads that was not done");
    if (bytesOf(threadedDepth) != bytes || bytesOf(threadedCertainty) != bytesOf(certainty))
        broken("other bytes on other threads");

    if (c.stopAfter < 0) return;
    Stop stop;
    stop.after = c.stopAfter;
    const Outcome stopped = decodeRowsTolerant(testRuntime(), c.stereogram, c.stripWidth, c.prefs,
                                               Progress{&stop, countStopStep, stopNow, c.threads}, depth, &certainty);
    if (stopped.kind == OutcomeKind::Stopped &&
        (bytesOf(depth) != std::vector<uint8_t>(bytes.size(), 0) || bytesOf(certainty) != bytesOf(depth)))
        broken("a stopped decoding left pictures not cleared");
    if (stopped.kind != OutcomeKind::Stopped && stopped.kind != OutcomeKind::Done) broken("a stop that was neither");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const Case c = caseFrom(in);
    checkDetection(c);
    checkDecoding(c);
    return 0;
}
