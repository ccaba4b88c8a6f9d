#include <algorithm>
#include <cstring>

#include "engine/byte_scan.h"
#include "engine/engine.h"
#include "engine/random_batch.h"
#include "texts/user_texts.h"
#include "workspace/parallel_rows.h"

namespace {

// Why generation must refuse before it touches the workspace, if it must.
Outcome generationRefusal(const Workspace& ws) {
    if (ws.pattern.pixels == nullptr) return refusedOutcome(NoPatternText, NoCaption);
    if (!repeatCountMakesStrips(ws)) return refusedOutcome(BadRepeatCountText, WarningCaption);
    if (ws.depthMap.pixels == nullptr) return refusedOutcome(NoDepthMapText, NoCaption);
    if (!rasterFitsImage(ws, SourceKind::Pattern)) return refusedOutcome(PatternHeightText, NoCaption);
    return doneOutcome();
}

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

// Pattern pixel (row, c) read with the pattern's own row length, so a
// strip narrower or wider than stripWidth is never read past its row.
void fillRowStart(const Workspace& ws, int32_t row, int32_t stripWidth, uint8_t* scratch, uint32_t& randomState) {
    const int32_t width = ws.imageWidth;
    const int32_t patternWidth = ws.patternWidth;
    const uint8_t* strip = ws.pattern.pixels.get() + static_cast<size_t>(row) * static_cast<size_t>(patternWidth);
    const int32_t fromPattern = std::min(stripWidth, width);
    tile(scratch, fromPattern, strip, patternWidth);
    if (ws.preferences.randomFill) {
        // nextRandom() % 256 is its low byte.
        drawRandomInto(randomState, scratch + fromPattern, width - fromPattern,
                       [](int32_t value, int64_t) { return static_cast<uint8_t>(value & 0xFF); });
    } else {
        tile(scratch + fromPattern, width - fromPattern, scratch, stripWidth);
    }
}

// scratch[i + separation] = scratch[i] for i from `from` up to `to` - 1,
// in that order. A piece of at most `separation` bytes writes nothing that
// it reads itself, so it is one block copy; the next piece reads what the
// one before it wrote, just as the byte-by-byte order would.
void copyRunForward(uint8_t* scratch, int32_t from, int32_t to, int32_t separation) {
    for (int32_t i = from; i < to; i += separation)
        std::memcpy(scratch + i + separation, scratch + i, static_cast<size_t>(std::min(separation, to - i)));
}

// Runs shorter than this are linked byte by byte, and so are the next
// ShortRun pixels after one: a noisy depth map costs one scan per
// ShortRun pixels more than the plain loop.
constexpr int32_t ShortRun = 16;

// Copies each pixel to the right by its separation, in place and left to
// right, so copies are carried on from where they land. Pixels in a row of
// one separation are copied as a run, which gives the same bytes. The
// separation falls (or, cross-eyed, rises) with the depth, so the depths
// that share one separation are the one range of depths.
void linkRow(const uint8_t* depthRow, const Separations& s, int32_t width, uint8_t* scratch) {
    for (int32_t x = 0; x < width;) {
        const uint8_t d = depthRow[x];
        const int64_t run = inRangePrefixLength(depthRow + x, width - x, s.sameFrom[d], s.sameTo[d]);
        if (run >= ShortRun) {
            copyRunForward(scratch, x, x + static_cast<int32_t>(run), s.of[d]);
            x += static_cast<int32_t>(run);
            continue;
        }
        for (const int32_t end = std::min(width, x + ShortRun); x < end; ++x) scratch[x + s.of[depthRow[x]]] = scratch[x];
    }
}

}  // namespace

Outcome makeStereogram(Workspace& ws, const Progress& progress) {
    const Outcome refusal = generationRefusal(ws);
    if (refusal.kind != OutcomeKind::Done) return refusal;
    const int32_t width = ws.imageWidth;
    const int32_t height = ws.imageHeight;
    const int32_t stripWidth = width / ws.preferences.repeatCount;
    const int32_t levels = levelCount(ws.preferences);

    if (!replaceGreyImage(ws.stereogram, width, height)) return outOfMemoryOutcome();
    const size_t scratchSize = static_cast<size_t>(width) + static_cast<size_t>(levels) + stripWidth;
    int32_t threads = threadsFor(progress, height);
    OwnedBytes scratch = allocateWorkingRows(scratchSize, threads);
    if (scratch == nullptr) return outOfMemoryOutcome();
    Separations separations;
    fillSeparations(ws.preferences, stripWidth, separations);
    // A row draws its random values after those of every row above it, so
    // each row's first state is known without drawing the rows before.
    const uint64_t drawsPerRow =
        ws.preferences.randomFill ? static_cast<uint64_t>(width - std::min(stripWidth, width)) : 0;
    const uint32_t firstState = ws.randomState;
    const auto makeRows = [&](int32_t begin, int32_t end, int32_t thread) {
        uint8_t* row = scratch.get() + scratchSize * static_cast<size_t>(thread);
        uint32_t randomState = stateAfterDraws(firstState, drawsPerRow * static_cast<uint64_t>(begin));
        for (int32_t y = begin; y < end; ++y) {
            const size_t rowStart = static_cast<size_t>(y) * static_cast<size_t>(width);
            fillRowStart(ws, y, stripWidth, row, randomState);
            linkRow(ws.depthMap.pixels.get() + rowStart, separations, width, row);
            std::memcpy(ws.stereogram.pixels.get() + rowStart, row, static_cast<size_t>(width));
        }
    };
    if (!forEachRowRun(height, threads, progress, makeRows)) return stoppedOutcome();
    ws.randomState = stateAfterDraws(firstState, drawsPerRow * static_cast<uint64_t>(height));
    return doneOutcome();
}
