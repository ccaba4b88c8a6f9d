#include <algorithm>
#include <cstring>

#include "engine/byte_scan.h"
#include "engine/engine.h"
#include "engine/random_batch.h"
#include "picture/parallel_rows.h"
#include "texts/user_texts.h"

namespace {

// Separation by depth value, and for each depth the range of depths that
// share its separation.
struct Separations {
    int32_t of[256];
    uint8_t sameFrom[256];
    uint8_t sameTo[256];
};

// Brighter pixels lie nearer in wall-eyed viewing and get smaller
// separations; cross-eyed viewing mirrors that.
void fillSeparations(const Preferences& prefs, int32_t stripWidth, Separations& s) {
    const int32_t levels = levelCount(prefs);
    for (int32_t d = 0; d < 256; ++d) {
        int32_t b = prefs.wallEyed ? d + 1 : 256 - d;
        s.of[d] = stripWidth + levels - b / prefs.depthStep;
    }
    for (int32_t d = 0; d < 256; ++d) {
        int32_t from = d;
        int32_t to = d;
        while (from > 0 && s.of[from - 1] == s.of[d]) --from;
        while (to < 255 && s.of[to + 1] == s.of[d]) ++to;
        s.sameFrom[d] = static_cast<uint8_t>(from);
        s.sameTo[d] = static_cast<uint8_t>(to);
    }
}

// out[i] = unit[i % unitLength] for i below count, by block copies. Each
// copy is at most unitLength long, so out may follow unit directly.
void tile(uint8_t* out, int64_t count, const uint8_t* unit, int64_t unitLength) {
    for (int64_t i = 0; i < count; i += unitLength)
        std::memcpy(out + i, unit, static_cast<size_t>(std::min(unitLength, count - i)));
}

// What the rows of one generation share.
struct Generation {
    const Picture& depth;
    const Picture& pattern;
    int32_t width;
    int32_t stripWidth;
    // The stereogram's channels: a pattern of others is converted to them.
    int32_t channels;
    bool randomFill;
};

// The pattern row that image row y starts from: the rows of a pattern of
// another height repeat down the picture. With as many channels as the
// stereogram, it is read as it is; otherwise it is made into `converted`:
// a grey row widened for a colour stereogram, a colour row (loaded while
// colour was on) taken as its greys for a grey one.
const uint8_t* patternRow(const Generation& g, int32_t y, uint8_t* converted) {
    const uint8_t* row = rowOf(g.pattern, y % g.pattern.height);
    if (g.pattern.channels == g.channels) return row;
    if (g.channels == GreyChannels) {
        greyRowOf(row, g.pattern.width, converted);
        return converted;
    }
    for (int32_t x = 0; x < g.pattern.width; ++x)
        std::memset(converted + ColourChannels * static_cast<size_t>(x), row[x], ColourChannels);
    return converted;
}

// Pattern pixel (row, c) read with the pattern's own row length, so a
// strip narrower or wider than stripWidth is never read past its row.
void fillRowStart(const Generation& g, int32_t y, uint8_t* scratch, uint8_t* converted, uint32_t& randomState) {
    const int64_t pixel = g.channels;
    const int64_t fromPattern = std::min(g.stripWidth, g.width) * pixel;
    const int64_t rowLength = g.width * pixel;
    tile(scratch, fromPattern, patternRow(g, y, converted), g.pattern.width * pixel);
    if (g.randomFill) {
        // nextRandom() % 256 is its low byte; colour takes one a channel.
        drawRandomInto(randomState, scratch + fromPattern, rowLength - fromPattern,
                       [](int32_t value, int64_t) { return static_cast<uint8_t>(value & 0xFF); });
    } else {
        tile(scratch + fromPattern, rowLength - fromPattern, scratch, g.stripWidth * pixel);
    }
}

// Pixels from `from` up to `to` - 1, each copied `separation` pixels to its
// right, in that order. A piece of at most `separation` pixels writes
// nothing that it reads itself, so it is one block copy; the next piece
// reads what the one before it wrote, just as the pixel-by-pixel order
// would.
template <int32_t Channels>
void copyRunForward(uint8_t* scratch, int32_t from, int32_t to, int32_t separation) {
    for (int32_t i = from; i < to; i += separation)
        std::memcpy(scratch + Channels * (i + separation), scratch + Channels * i,
                    static_cast<size_t>(Channels) * static_cast<size_t>(std::min(separation, to - i)));
}

template <int32_t Channels>
void copyPixel(uint8_t* scratch, int32_t x, int32_t separation) {
    std::memcpy(scratch + Channels * (x + separation), scratch + Channels * x, Channels);
}

// Runs shorter than this are linked pixel by pixel, and so are the next
// ShortRun pixels after one: a noisy depth map costs one scan per
// ShortRun pixels more than the plain loop.
constexpr int32_t ShortRun = 16;

// Copies each pixel to the right by its separation, in place and left to
// right, so copies are carried on from where they land. Pixels in a row of
// one separation are copied as a run, which gives the same bytes. The
// separation falls (or, cross-eyed, rises) with the depth, so the depths
// that share one separation are the one range of depths.
template <int32_t Channels>
void linkRow(const uint8_t* depthRow, const Separations& s, int32_t width, uint8_t* scratch) {
    for (int32_t x = 0; x < width;) {
        const uint8_t d = depthRow[x];
        const int64_t run = inRangePrefixLength(depthRow + x, width - x, s.sameFrom[d], s.sameTo[d]);
        if (run >= ShortRun) {
            copyRunForward<Channels>(scratch, x, x + static_cast<int32_t>(run), s.of[d]);
            x += static_cast<int32_t>(run);
            continue;
        }
        for (const int32_t end = std::min(width, x + ShortRun); x < end; ++x)
            copyPixel<Channels>(scratch, x, s.of[depthRow[x]]);
    }
}

void linkRowOfChannels(int32_t channels, const uint8_t* depthRow, const Separations& s, int32_t width,
                       uint8_t* scratch) {
    if (channels == ColourChannels)
        linkRow<ColourChannels>(depthRow, s, width, scratch);
    else
        linkRow<GreyChannels>(depthRow, s, width, scratch);
}

// The stereogram is in colour when its pattern is, or when random fill
// draws colour dots; with colour off it is grey.
int32_t stereogramChannels(const Picture& pattern, const Preferences& prefs) {
    if (!prefs.colour) return GreyChannels;
    return isColour(pattern) || prefs.randomFill ? ColourChannels : GreyChannels;
}

}  // namespace

Outcome generationRefusal(int32_t imageWidth, const Picture& depth, const Picture& pattern, const Preferences& prefs) {
    if (!isPresent(pattern)) return refusedOutcome(NoPatternText, NoCaption);
    if (!repeatCountMakesStrips(imageWidth, prefs.repeatCount)) return refusedOutcome(BadRepeatCountText, WarningCaption);
    if (!isPresent(depth)) return refusedOutcome(NoDepthMapText, NoCaption);
    if (pattern.width < 1 || pattern.height < 1 || (pattern.height != depth.height && !prefs.colour))
        return refusedOutcome(PatternHeightText, NoCaption);
    return doneOutcome();
}

Outcome makeStereogram(Runtime& runtime, const Picture& depth, const Picture& pattern, const Preferences& prefs,
                       uint32_t& randomState, const Progress& progress, Picture& stereogram) {
    // Without a depth map there is no width to hold the repeat count to.
    const Outcome refusal = isPresent(pattern) && !isPresent(depth)
                                ? refusedOutcome(NoDepthMapText, NoCaption)
                                : generationRefusal(depth.width, depth, pattern, prefs);
    if (refusal.kind != OutcomeKind::Done) return refusal;
    const int32_t width = depth.width;
    const int32_t height = depth.height;
    const int32_t stripWidth = width / prefs.repeatCount;
    const int32_t levels = levelCount(prefs);
    const int32_t channels = stereogramChannels(pattern, prefs);

    if (!replacePicture(runtime, stereogram, width, height, channels)) return outOfMemoryOutcome();
    // A thread's working row, and room for a pattern row of the
    // stereogram's channels.
    const size_t scratchSize = (static_cast<size_t>(width) + static_cast<size_t>(levels) + stripWidth) * channels;
    const size_t convertedSize = channels != pattern.channels ? static_cast<size_t>(pattern.width) * channels : 0;
    int32_t threads = threadsFor(runtime, progress, height);
    OwnedBytes scratch = allocateWorkingRows(runtime, scratchSize + convertedSize, threads);
    if (scratch == nullptr) return outOfMemoryOutcome();
    Separations separations;
    fillSeparations(prefs, stripWidth, separations);
    const Generation g{depth, pattern, width, stripWidth, channels, prefs.randomFill};
    // A row draws its random values after those of every row above it, so
    // each row's first state is known without drawing the rows before.
    const uint64_t drawsPerRow =
        prefs.randomFill ? static_cast<uint64_t>(width - std::min(stripWidth, width)) * channels : 0;
    const uint32_t firstState = randomState;
    const auto makeRows = [&](int32_t begin, int32_t end, int32_t thread) {
        uint8_t* row = scratch.get() + (scratchSize + convertedSize) * static_cast<size_t>(thread);
        uint32_t state = stateAfterDraws(firstState, drawsPerRow * static_cast<uint64_t>(begin));
        for (int32_t y = begin; y < end; ++y) {
            fillRowStart(g, y, row, row + scratchSize, state);
            linkRowOfChannels(channels, rowOf(depth, y), separations, width, row);
            std::memcpy(rowOf(stereogram, y), row, rowBytes(stereogram));
        }
    };
    if (!forEachRowRun(runtime, height, threads, progress, makeRows)) return stoppedOutcome();
    randomState = stateAfterDraws(firstState, drawsPerRow * static_cast<uint64_t>(height));
    return doneOutcome();
}
