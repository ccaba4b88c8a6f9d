// Stereogram decoding: follows the separations along each row of the
// Stereogram and turns them into the depth levels of a new DepthMap.
#include <algorithm>
#include <cstring>

#include "engine/byte_scan.h"
#include "engine/engine.h"
#include "engine/random_batch.h"
#include "engine/stereogram_rows.h"
#include "texts/user_texts.h"

namespace {

// The search reads whole 16-byte blocks that may begin or end up to 15
// bytes outside the row; the working copy of the row has this much room on
// each side.
constexpr int64_t RowMargin = BlockLanes;

// What one decoding reads again and again, fixed before its first row.
struct Decoding {
    int64_t width;
    int64_t stripWidth;
    int32_t levelCount;
    int32_t depthStep;
    int32_t minMatch;
    // The shortest run that counts: a run from 1 pixel on, and minMatch.
    int64_t shortestRun;
    int32_t searchRange;
    UnresolvedPolicy policy;
    uint8_t* scratchRow;
    // The row being decoded, copied between margins (see RowMargin).
    uint8_t* row;
};

// A run found by the search, at the separation that gave it; a length of 0
// means that no separation was found.
struct FoundRun {
    int64_t length;
    int64_t separation;
};

// How many pixels from column x equal the pixel `separation` to their
// right, at most `separation`, and 0 below minMatch. Pixels outside the row
// count as unequal. Sums are 64-bit: separations from a hostile search
// range would overflow 32 bits.
int64_t runRight(const uint8_t* pixels, int64_t width, int32_t minMatch, int64_t x, int64_t separation) {
    if (pixels == nullptr || separation < 1 || x < 0) return 0;
    // The run ends at the separation or where the pixel to the right would
    // lie past the row, whichever comes first.
    const int64_t limit = std::min(separation, width - x - separation);
    const int64_t i = limit > 0 ? equalPrefixLength(pixels + x, pixels + x + separation, limit) : 0;
    return i < minMatch ? 0 : i;
}

int64_t runAt(const Decoding& d, int64_t x, int64_t separation) {
    return runRight(d.row, d.width, d.minMatch, x, separation);
}

// The offsets k (separation - k on the left, separation + k on the right)
// that the search tries on one side and at which a run can count at all.
struct OffsetRange {
    int64_t first;
    int64_t last;
};

// A run at separation t from column x counts (is not 0) exactly when t is
// at least shortestRun, pixel x + t + shortestRun - 1 lies inside the row,
// and the shortestRun pixels from x equal those from x + t: only then does
// the run reach shortestRun before its cap at t and the row's end. The
// search stops before k reaches searchRange.
OffsetRange leftOffsets(const Decoding& d, int64_t x, int64_t separation) {
    const int64_t lastK = static_cast<int64_t>(d.searchRange) - 1;
    return OffsetRange{std::max<int64_t>(1, x + separation + d.shortestRun - d.width),
                       std::min(lastK, separation - d.shortestRun)};
}

OffsetRange rightOffsets(const Decoding& d, int64_t x, int64_t separation) {
    const int64_t lastK = static_cast<int64_t>(d.searchRange) - 1;
    return OffsetRange{std::max<int64_t>(1, d.shortestRun - separation),
                       std::min(lastK, d.width - d.shortestRun - x - separation)};
}

// The lanes of the block of offsets k0 .. k0 + 15 that lie in the range:
// lane i is offset k0 + i on the right, and k0 + 15 - i on the left, so
// that on both sides the separation rises with the lane.
uint32_t rightLanes(OffsetRange range, int64_t k0) {
    if (range.first <= k0 && k0 + BlockLanes - 1 <= range.last) return 0xFFFFu;
    return laneRange(range.first - k0, range.last - k0);
}

uint32_t leftLanes(OffsetRange range, int64_t k0) {
    if (range.first <= k0 && k0 + BlockLanes - 1 <= range.last) return 0xFFFFu;
    return laneRange(k0 + BlockLanes - 1 - range.last, k0 + BlockLanes - 1 - range.first);
}

// Of the `lanes` of the block of 16 separations that starts at column
// `start` of the row (lane i: separation start - x + i), those at which the
// shortestRun pixels from x repeat. The caller passes only lanes inside the
// offset ranges above; for those every byte read lies within RowMargin of
// the row, and with no lane nothing is read.
uint32_t repeatingLanes(const Decoding& d, int64_t x, int64_t start, uint32_t lanes) {
    for (int64_t j = 0; lanes != 0 && j < d.shortestRun; ++j) lanes &= equalLanes(d.row + start + j, d.row[x + j]);
    return lanes;
}

// Whether some separation in the range on one side repeats pixels x and
// x + 1; without that no run of two or more pixels can be found there.
// Reads only pixels that a run there would compare, all inside the row.
bool pairRepeatsRight(const Decoding& d, int64_t x, int64_t separation, OffsetRange range) {
    return range.first <= range.last && anyEqualPair(d.row + x + separation + range.first, range.last - range.first + 1,
                                                     d.row[x], d.row[x + 1]);
}

bool pairRepeatsLeft(const Decoding& d, int64_t x, int64_t separation, OffsetRange range) {
    return range.first <= range.last && anyEqualPair(d.row + x + separation - range.last, range.last - range.first + 1,
                                                     d.row[x], d.row[x + 1]);
}

// Of the two runs at offset k, the longer one; the smaller separation wins
// a tie. At least one of them counts.
FoundRun longerSide(const Decoding& d, int64_t x, int64_t separation, int64_t k) {
    const int64_t left = runAt(d, x, separation - k);
    const int64_t right = runAt(d, x, separation + k);
    return left >= right ? FoundRun{left, separation - k} : FoundRun{right, separation + k};
}

// Outward from the current separation, the nearest one at which the pixels
// from x repeat; the smaller separation wins a tie. Sixteen offsets are
// tested on each side at once. Each lane's bit is exactly "the run there
// counts", so the nearest set lane is the first k at which the one-by-one
// search would stop.
FoundRun searchSeparation(const Decoding& d, int64_t x, int64_t separation) {
    const OffsetRange left = leftOffsets(d, x, separation);
    const OffsetRange right = rightOffsets(d, x, separation);
    // Most points of a noisy row are settled by this one sweep over both
    // ranges, which gathers its compares without a test per block.
    if (d.shortestRun >= 2 && !pairRepeatsRight(d, x, separation, right) && !pairRepeatsLeft(d, x, separation, left))
        return FoundRun{0, separation};
    const int64_t lastK = std::max(left.last, right.last);
    const int64_t top = BlockLanes - 1;
    for (int64_t k0 = 1; k0 <= lastK; k0 += BlockLanes) {
        const uint32_t rightHits = repeatingLanes(d, x, x + separation + k0, rightLanes(right, k0));
        const uint32_t leftHits = repeatingLanes(d, x, x + separation - k0 - top, leftLanes(left, k0));
        if ((rightHits | leftHits) == 0) continue;
        const int64_t nearestRight = rightHits != 0 ? lowestLane(rightHits) : BlockLanes;
        const int64_t nearestLeft = leftHits != 0 ? top - highestLane(leftHits) : BlockLanes;
        return longerSide(d, x, separation, k0 + std::min(nearestRight, nearestLeft));
    }
    return FoundRun{0, separation};
}

int32_t levelOfSeparation(const Decoding& d, int64_t separation) {
    return static_cast<int32_t>(d.stripWidth + d.levelCount - separation);
}

int32_t unresolvedLevel(Workspace& ws, const Decoding& d, int64_t separation) {
    switch (d.policy) {
        case UnresolvedPolicy::Random:
            return nextRandom(ws) % (d.levelCount + 1);
        case UnresolvedPolicy::Background:
            return d.depthStep > 0 ? (d.scratchRow[0] + 1) / d.depthStep : 0;
        case UnresolvedPolicy::KeepPrevious:
            break;
    }
    return levelOfSeparation(d, separation);
}

// The last stripWidth columns of a row, which the walk does not enter.
void fillTail(Workspace& ws, const Decoding& d, uint8_t* tail, uint8_t lastValue) {
    const size_t count = static_cast<size_t>(d.stripWidth);
    switch (d.policy) {
        case UnresolvedPolicy::Random:
            // nextRandom() % 256 is its low byte.
            drawRandomInto(ws.randomState, tail, d.stripWidth,
                           [](int32_t value, int64_t) { return static_cast<uint8_t>(value & 0xFF); });
            return;
        case UnresolvedPolicy::Background:
            std::memset(tail, d.scratchRow[0], count);
            return;
        case UnresolvedPolicy::KeepPrevious:
            break;
    }
    std::memset(tail, lastValue, count);
}

// Decodes one row into depthRow. Needs 0 <= stripWidth < width, so that at
// least one column is walked and every run stays inside the row.
void decodeRow(Workspace& ws, const Decoding& d, const uint8_t* pixels, uint8_t* depthRow) {
    std::memcpy(d.row, pixels, static_cast<size_t>(d.width));
    const int64_t walkedWidth = d.width - d.stripWidth;
    int64_t separation = d.stripWidth;
    int32_t currentLevel = d.levelCount;
    uint8_t lastValue = 0;
    for (int64_t x = 0; x < walkedWidth;) {
        int64_t length = runAt(d, x, separation);
        if (length <= 0) {
            FoundRun found = searchSeparation(d, x, separation);
            if (found.length > 0) {
                length = found.length;
                separation = found.separation;
                currentLevel = levelOfSeparation(d, separation);
            } else {
                length = 1;
                currentLevel = unresolvedLevel(ws, d, separation);
            }
        }
        lastValue = greyOfLevel(currentLevel, d.depthStep);
        std::memset(d.scratchRow + x, lastValue, static_cast<size_t>(length));
        x += length;
    }
    fillTail(ws, d, depthRow + walkedWidth, lastValue);
    std::memcpy(depthRow, d.scratchRow, static_cast<size_t>(walkedWidth));
}

// Runs never reach past column width - 1, so a strip wider than the image
// adds nothing that could be written; it is counted as the image width.
size_t scratchRowSize(int32_t width, int32_t stripWidth, int32_t levels) {
    int64_t strip = std::min<int64_t>(std::max(stripWidth, 0), width);
    return static_cast<size_t>(width + strip + std::max(levels, 0));
}

// The working copy of the row with its margins lives in the same block as
// scratchRow, so decoding allocates exactly as often as before.
size_t rowCopySize(int32_t width) {
    return static_cast<size_t>(width) + 2 * static_cast<size_t>(RowMargin);
}

}  // namespace

int32_t matchRunRight(const Workspace& ws, int32_t x, int32_t row, int32_t separation) {
    return static_cast<int32_t>(
        runRight(stereogramRow(ws, row), ws.imageWidth, ws.preferences.minMatch, x, separation));
}

DecodingStart startDecoding(Workspace& ws) {
    DecodingStart start;
    if (!rasterFitsImage(ws, SourceKind::Stereogram)) {
        start.outcome = refusedOutcome(NoStereogramText, NoCaption);
        return start;
    }
    if (!replaceGreyImage(ws.depthMap, ws.imageWidth, ws.imageHeight)) {
        start.outcome = outOfMemoryOutcome();
        return start;
    }
    start.stripWidth = detectPatternWidth(ws);
    if (start.stripWidth == 0) {
        start.outcome.notice = Message{PatternWidthNotFoundText, NoCaption};
        start.stripWidth = ws.patternWidth;
    }
    return start;
}

Outcome decodeRows(Workspace& ws, int32_t stripWidth, const Progress& progress) {
    // Only after startDecoding: a stereogram, and a depth map made for it.
    if (!rasterFitsImage(ws, SourceKind::Stereogram) || !rasterFitsImage(ws, SourceKind::DepthMap))
        return refusedOutcome(NoStereogramText, NoCaption);
    const int32_t width = ws.imageWidth;
    const int32_t height = ws.imageHeight;
    const int32_t levels = levelCount(ws.preferences);
    const size_t scratchSize = scratchRowSize(width, stripWidth, levels);
    OwnedBytes scratch = allocateBytes(scratchSize + rowCopySize(width));
    if (scratch == nullptr) return outOfMemoryOutcome();
    uint8_t* scratchRow = scratch.get();
    // The margins are read by the search only in lanes that it then
    // ignores; they are cleared so that no read sees undefined bytes.
    std::memset(scratchRow + scratchSize, 0, rowCopySize(width));
    // Background reads column 0 of the previous row; before the first row
    // that is 0.
    scratchRow[0] = 0;
    const size_t rowLength = static_cast<size_t>(width);
    std::memset(ws.depthMap.pixels.get(), 0, rowLength * static_cast<size_t>(height));

    const Preferences& prefs = ws.preferences;
    const Decoding d{width,
                     stripWidth,
                     levels,
                     prefs.depthStep,
                     prefs.minMatch,
                     std::max<int64_t>(prefs.minMatch, 1),
                     prefs.searchRange,
                     prefs.unresolvedPolicy,
                     scratchRow,
                     scratchRow + scratchSize + RowMargin};
    // With a strip at least as wide as the image no column can be decoded
    // and the cleared rows stay as they are.
    const bool decodable = stripWidth >= 0 && stripWidth < width;
    for (int32_t y = 0; y < height; ++y) {
        if (stopRequested(progress)) return Outcome{OutcomeKind::Stopped, {}, {}};
        uint8_t* depthRow = ws.depthMap.pixels.get() + static_cast<size_t>(y) * rowLength;
        if (decodable) decodeRow(ws, d, stereogramRow(ws, y), depthRow);
        if (y % RowsPerProgressStep == 0) reportStep(progress);
    }
    return doneOutcome();
}
