// Stereogram decoding: follows the separations along each row of the
// stereogram and turns them into the depth levels of a depth map. Grey rows
// are compared byte by byte, colour rows as one key a pixel; the code is
// the same for both.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/byte_scan.h"
#include "engine/engine.h"
#include "engine/random_batch.h"
#include "engine/stereogram_rows.h"
#include "picture/parallel_rows.h"
#include "texts/user_texts.h"

namespace {

// The search reads whole 16-byte blocks that may begin or end up to 15
// bytes outside the row; the working copy of the row has this much room on
// each side.
constexpr int64_t RowMargin = BlockLanes;

// What one decoding reads again and again, fixed before its first row.
template <class Key>
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
    // A thread's own: the row's decoded values, and the row being decoded,
    // copied between margins (see RowMargin).
    uint8_t* scratchRow;
    Key* row;
};

// The random values a row draws, from the state it starts at: under the
// Random policy one per unresolved point, then one per tail column.
struct RowRandom {
    uint32_t state;
    int64_t draws;
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
template <class Key>
int64_t runRight(const Key* pixels, int64_t width, int32_t minMatch, int64_t x, int64_t separation) {
    if (pixels == nullptr || separation < 1 || x < 0) return 0;
    // The run ends at the separation or where the pixel to the right would
    // lie past the row, whichever comes first.
    const int64_t limit = std::min(separation, width - x - separation);
    const int64_t i = limit > 0 ? equalPrefixLength(pixels + x, pixels + x + separation, limit) : 0;
    return i < minMatch ? 0 : i;
}

template <class Key>
int64_t runAt(const Decoding<Key>& d, int64_t x, int64_t separation) {
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
template <class Key>
OffsetRange leftOffsets(const Decoding<Key>& d, int64_t x, int64_t separation) {
    const int64_t lastK = static_cast<int64_t>(d.searchRange) - 1;
    return OffsetRange{std::max<int64_t>(1, x + separation + d.shortestRun - d.width),
                       std::min(lastK, separation - d.shortestRun)};
}

template <class Key>
OffsetRange rightOffsets(const Decoding<Key>& d, int64_t x, int64_t separation) {
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
template <class Key>
uint32_t repeatingLanes(const Decoding<Key>& d, int64_t x, int64_t start, uint32_t lanes) {
    for (int64_t j = 0; lanes != 0 && j < d.shortestRun; ++j) lanes &= equalLanes(d.row + start + j, d.row[x + j]);
    return lanes;
}

// Whether some separation in the range on one side repeats pixels x and
// x + 1; without that no run of two or more pixels can be found there.
// Reads only pixels that a run there would compare, all inside the row.
template <class Key>
bool pairRepeatsRight(const Decoding<Key>& d, int64_t x, int64_t separation, OffsetRange range) {
    return range.first <= range.last && anyEqualPair(d.row + x + separation + range.first, range.last - range.first + 1,
                                                     d.row[x], d.row[x + 1]);
}

template <class Key>
bool pairRepeatsLeft(const Decoding<Key>& d, int64_t x, int64_t separation, OffsetRange range) {
    return range.first <= range.last && anyEqualPair(d.row + x + separation - range.last, range.last - range.first + 1,
                                                     d.row[x], d.row[x + 1]);
}

// Of the two runs at offset k, the longer one; the smaller separation wins
// a tie. At least one of them counts.
template <class Key>
FoundRun longerSide(const Decoding<Key>& d, int64_t x, int64_t separation, int64_t k) {
    const int64_t left = runAt(d, x, separation - k);
    const int64_t right = runAt(d, x, separation + k);
    return left >= right ? FoundRun{left, separation - k} : FoundRun{right, separation + k};
}

// Outward from the current separation, the nearest one at which the pixels
// from x repeat; the smaller separation wins a tie. Sixteen offsets are
// tested on each side at once. Each lane's bit is exactly "the run there
// counts", so the nearest set lane is the first k at which the one-by-one
// search would stop.
template <class Key>
FoundRun searchSeparation(const Decoding<Key>& d, int64_t x, int64_t separation) {
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

template <class Key>
int32_t levelOfSeparation(const Decoding<Key>& d, int64_t separation) {
    return static_cast<int32_t>(d.stripWidth + d.levelCount - separation);
}

// Under Background, the level of the value at column 0: this row's once it
// is written, the previous row's before.
int32_t backgroundLevel(uint8_t columnZero, int32_t depthStep) {
    return depthStep > 0 ? (columnZero + 1) / depthStep : 0;
}

template <class Key>
int32_t unresolvedLevel(const Decoding<Key>& d, RowRandom& random, int64_t separation) {
    switch (d.policy) {
        case UnresolvedPolicy::Random:
            random.state = random.state * RandomMultiplier + RandomIncrement;
            ++random.draws;
            return randomValueOf(random.state) % (d.levelCount + 1);
        case UnresolvedPolicy::Background:
            return backgroundLevel(d.scratchRow[0], d.depthStep);
        case UnresolvedPolicy::KeepPrevious:
            break;
    }
    return levelOfSeparation(d, separation);
}

// The last stripWidth columns of a row, which the walk does not enter.
template <class Key>
void fillTail(const Decoding<Key>& d, RowRandom& random, uint8_t* tail, uint8_t lastValue) {
    const size_t count = static_cast<size_t>(d.stripWidth);
    switch (d.policy) {
        case UnresolvedPolicy::Random:
            // nextRandom() % 256 is its low byte.
            drawRandomInto(random.state, tail, d.stripWidth,
                           [](int32_t value, int64_t) { return static_cast<uint8_t>(value & 0xFF); });
            random.draws += d.stripWidth;
            return;
        case UnresolvedPolicy::Background:
            std::memset(tail, d.scratchRow[0], count);
            return;
        case UnresolvedPolicy::KeepPrevious:
            break;
    }
    std::memset(tail, lastValue, count);
}

// Decodes row y of the stereogram into depthRow. Needs 0 <= stripWidth <
// width, so that at least one column is walked and every run stays inside
// the row. True when the row's values came from column 0 of the row before
// it: under Background, when its first point is unresolved.
template <class Key>
bool decodeRow(const Decoding<Key>& d, RowRandom& random, const Picture& stereogram, int32_t y, uint8_t* depthRow) {
    loadRow(stereogram, y, d.row);
    const int64_t walkedWidth = d.width - d.stripWidth;
    int64_t separation = d.stripWidth;
    int32_t currentLevel = d.levelCount;
    uint8_t lastValue = 0;
    bool readPreviousRow = false;
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
                currentLevel = unresolvedLevel(d, random, separation);
                readPreviousRow |= x == 0 && d.policy == UnresolvedPolicy::Background;
            }
        }
        lastValue = greyOfLevel(currentLevel, d.depthStep);
        std::memset(d.scratchRow + x, lastValue, static_cast<size_t>(length));
        x += length;
    }
    fillTail(d, random, depthRow + walkedWidth, lastValue);
    std::memcpy(depthRow, d.scratchRow, static_cast<size_t>(walkedWidth));
    return readPreviousRow;
}

// Runs never reach past column width - 1, so a strip wider than the image
// adds nothing that could be written; it is counted as the image width.
size_t scratchRowSize(int32_t width, int32_t stripWidth, int32_t levels) {
    int64_t strip = std::min<int64_t>(std::max(stripWidth, 0), width);
    return static_cast<size_t>(width + strip + std::max(levels, 0));
}

// The working copy of the row with its margins lives in the same block as
// scratchRow, so decoding allocates exactly as often as before.
template <class Key>
size_t rowCopySize(int32_t width) {
    return (static_cast<size_t>(width) + 2 * static_cast<size_t>(RowMargin)) * sizeof(Key);
}

// What the threads of one decoding share: its fixed values, each thread's
// working rows, and where the rows come from and go.
template <class Key>
struct DecodingRows {
    Decoding<Key> base;
    uint8_t* workingRows;
    size_t scratchSize;
    const Picture& stereogram;
    Picture& depth;
};

// A thread's Decoding: the shared values, its own working rows.
template <class Key>
Decoding<Key> threadDecoding(const DecodingRows<Key>& rows, int32_t thread) {
    Decoding<Key> d = rows.base;
    d.scratchRow = rows.workingRows + (rows.scratchSize + rowCopySize<Key>(static_cast<int32_t>(d.width))) *
                                          static_cast<size_t>(thread);
    // The copy of the row starts on a whole key, whatever the scratch row's size.
    uint8_t* copy = d.scratchRow + rows.scratchSize;
    d.row = reinterpret_cast<Key*>(copy) + RowMargin;
    return d;
}

template <class Key>
uint8_t* depthRowOf(const DecodingRows<Key>& rows, int32_t y) {
    return rowOf(rows.depth, y);
}

// Decodes row y on a thread, its scratch row's column 0 standing for the
// previous row's; returns whether the row read it.
template <class Key>
bool decodeRowOn(const DecodingRows<Key>& rows, int32_t thread, int32_t y, RowRandom& random,
                 uint8_t previousColumnZero) {
    const Decoding<Key> d = threadDecoding(rows, thread);
    d.scratchRow[0] = previousColumnZero;
    return decodeRow(d, random, rows.stereogram, y, depthRowOf(rows, y));
}

// One thread, the rows in order: the random state and column 0 go on from
// row to row, as in the plain walk.
template <class Key>
bool decodeInOrder(Runtime& runtime, const DecodingRows<Key>& rows, int32_t height, const Progress& progress,
                   uint32_t& randomState) {
    RowRandom random{randomState, 0};
    const Decoding<Key> d = threadDecoding(rows, 0);
    d.scratchRow[0] = 0;
    const bool done = forEachRowRun(runtime, height, 1, progress, [&](int32_t begin, int32_t end, int32_t) {
        for (int32_t y = begin; y < end; ++y) decodeRow(d, random, rows.stereogram, y, depthRowOf(rows, y));
    });
    randomState = random.state;
    return done;
}

// Under Random a row's draws follow those of every row above it, and how
// many it takes depends only on where its points stay unresolved, not on
// the values drawn: a first pass counts them, the second starts each row
// at its own state.
template <class Key>
bool decodeRandomOnThreads(Runtime& runtime, const DecodingRows<Key>& rows, int32_t height, int32_t threads,
                           const Progress& progress, uint32_t& randomState) {
    std::vector<int64_t> firstDraw(static_cast<size_t>(height) + 1, 0);
    const Progress quiet{progress.context, nullptr, progress.stopRequested, threads};
    const bool counted =
        forEachRowRun(runtime, height, threads, quiet, [&](int32_t begin, int32_t end, int32_t thread) {
            for (int32_t y = begin; y < end; ++y) {
                RowRandom random{0, 0};
                decodeRowOn(rows, thread, y, random, 0);
                firstDraw[static_cast<size_t>(y) + 1] = random.draws;
            }
        });
    if (!counted) return false;
    for (size_t y = 1; y < firstDraw.size(); ++y) firstDraw[y] += firstDraw[y - 1];
    const uint32_t start = randomState;
    const bool done = forEachRowRun(runtime, height, threads, progress, [&](int32_t begin, int32_t end, int32_t thread) {
        for (int32_t y = begin; y < end; ++y) {
            RowRandom random{stateAfterDraws(start, static_cast<uint64_t>(firstDraw[static_cast<size_t>(y)])), 0};
            decodeRowOn(rows, thread, y, random, 0);
        }
    });
    randomState = stateAfterDraws(start, static_cast<uint64_t>(firstDraw.back()));
    return done;
}

// Under Background a row whose first point is unresolved takes its values
// from column 0 of the row above. Every row is decoded first as if that
// were 0; then column 0 is followed down the rows, and the rows that read
// it are decoded again with the value they were to find.
template <class Key>
bool decodeBackgroundOnThreads(Runtime& runtime, const DecodingRows<Key>& rows, int32_t height, int32_t threads,
                               const Progress& progress) {
    std::vector<uint8_t> readsAbove(static_cast<size_t>(height), 0);
    const bool done = forEachRowRun(runtime, height, threads, progress, [&](int32_t begin, int32_t end, int32_t thread) {
        RowRandom unused{0, 0};
        for (int32_t y = begin; y < end; ++y) readsAbove[static_cast<size_t>(y)] = decodeRowOn(rows, thread, y, unused, 0);
    });
    if (!done) return false;
    std::vector<int32_t> again;
    std::vector<uint8_t> columnZeroAbove(static_cast<size_t>(height), 0);
    uint8_t columnZero = 0;
    for (int32_t y = 0; y < height; ++y) {
        columnZeroAbove[static_cast<size_t>(y)] = columnZero;
        if (!readsAbove[static_cast<size_t>(y)]) {
            columnZero = depthRowOf(rows, y)[0];
            continue;
        }
        if (columnZero != 0) again.push_back(y);
        columnZero = greyOfLevel(backgroundLevel(columnZero, rows.base.depthStep), rows.base.depthStep);
    }
    const Progress quiet{progress.context, nullptr, progress.stopRequested, threads};
    return forEachRowRun(runtime, static_cast<int32_t>(again.size()), threads, quiet,
                         [&](int32_t begin, int32_t end, int32_t thread) {
                             RowRandom unused{0, 0};
                             for (int32_t i = begin; i < end; ++i) {
                                 const int32_t y = again[static_cast<size_t>(i)];
                                 decodeRowOn(rows, thread, y, unused, columnZeroAbove[static_cast<size_t>(y)]);
                             }
                         });
}

// Every row on the threads the decoding has, by the way its policy needs.
template <class Key>
bool decodeAllRows(Runtime& runtime, const DecodingRows<Key>& rows, int32_t threads, const Progress& progress,
                   uint32_t& randomState) {
    const int32_t height = rows.stereogram.height;
    if (threads == 1) return decodeInOrder(runtime, rows, height, progress, randomState);
    switch (rows.base.policy) {
        case UnresolvedPolicy::Random:
            return decodeRandomOnThreads(runtime, rows, height, threads, progress, randomState);
        case UnresolvedPolicy::Background:
            return decodeBackgroundOnThreads(runtime, rows, height, threads, progress);
        case UnresolvedPolicy::KeepPrevious:
            break;
    }
    return forEachRowRun(runtime, height, threads, progress, [&](int32_t begin, int32_t end, int32_t thread) {
        RowRandom unused{0, 0};
        for (int32_t y = begin; y < end; ++y) decodeRowOn(rows, thread, y, unused, 0);
    });
}

// The decoding of a stereogram whose pixels are compared as Keys.
template <class Key>
Outcome decodeWithKeys(Runtime& runtime, const Picture& stereogram, int32_t stripWidth, const Preferences& prefs,
                       uint32_t& randomState, const Progress& progress, Picture& depth) {
    const int32_t width = stereogram.width;
    const int32_t height = stereogram.height;
    const int32_t levels = levelCount(prefs);
    // With a strip at least as wide as the image no column can be decoded
    // and the rows stay cleared.
    const bool decodable = stripWidth >= 0 && stripWidth < width;
    // Rounded up to a whole key, so that the copy of the row after it starts on one.
    const size_t scratchSize = (scratchRowSize(width, stripWidth, levels) + sizeof(Key) - 1) / sizeof(Key) * sizeof(Key);
    int32_t threads = decodable ? threadsFor(runtime, progress, height) : 1;
    OwnedBytes working = allocateWorkingRows(runtime, scratchSize + rowCopySize<Key>(width), threads);
    if (working == nullptr) return outOfMemoryOutcome();
    // The margins are read by the search only in lanes that it then
    // ignores; they are cleared so that no read sees undefined bytes.
    for (int32_t thread = 0; thread < threads; ++thread)
        std::memset(working.get() + (scratchSize + rowCopySize<Key>(width)) * static_cast<size_t>(thread) + scratchSize,
                    0, rowCopySize<Key>(width));
    const size_t mapSize = static_cast<size_t>(width) * static_cast<size_t>(height);
    if (!decodable) {
        std::memset(depth.pixels.get(), 0, mapSize);
        const bool stepped = forEachRowRun(runtime, height, 1, progress, [](int32_t, int32_t, int32_t) {});
        return stepped ? doneOutcome() : stoppedOutcome();
    }

    const DecodingRows<Key> rows{Decoding<Key>{width, stripWidth, levels, prefs.depthStep, prefs.minMatch,
                                               std::max<int64_t>(prefs.minMatch, 1), prefs.searchRange,
                                               prefs.unresolvedPolicy, nullptr, nullptr},
                                 working.get(), scratchSize, stereogram, depth};
    if (decodeAllRows(runtime, rows, threads, progress, randomState)) return doneOutcome();
    // Every decoded row writes all of its columns, so the map is not cleared
    // beforehand (the threads first touch its pages, in parallel); a stopped
    // decoding leaves it cleared rather than with rows never written.
    std::memset(depth.pixels.get(), 0, mapSize);
    return stoppedOutcome();
}

}  // namespace

int32_t matchRunRight(const Picture& stereogram, int32_t minMatch, int32_t x, int32_t row, int32_t separation) {
    if (!isPresent(stereogram) || row < 0 || row >= stereogram.height) return 0;
    if (isColour(stereogram)) {
        std::vector<uint32_t> keys(static_cast<size_t>(stereogram.width));
        loadRow(stereogram, row, keys.data());
        return static_cast<int32_t>(runRight(keys.data(), stereogram.width, minMatch, x, separation));
    }
    return static_cast<int32_t>(runRight(rowOf(stereogram, row), stereogram.width, minMatch, x, separation));
}

StripWidth findStripWidth(const Picture& stereogram, const Preferences& prefs, int32_t fallbackWidth) {
    StripWidth found;
    found.width = detectPatternWidth(stereogram, prefs.minMatch);
    if (found.width == 0) {
        found.notice = Message{PatternWidthNotFoundText, NoCaption};
        found.width = fallbackWidth;
    }
    return found;
}

Outcome decodeRows(Runtime& runtime, const Picture& stereogram, int32_t stripWidth, const Preferences& prefs,
                   uint32_t& randomState, const Progress& progress, Picture& depth) {
    if (!isPresent(stereogram)) return refusedOutcome(NoStereogramText, NoCaption);
    if (!isPresent(depth) || depth.width != stereogram.width || depth.height != stereogram.height ||
        depth.channels != GreyChannels) {
        if (!replacePicture(runtime, depth, stereogram.width, stereogram.height, GreyChannels))
            return outOfMemoryOutcome();
    }
    return isColour(stereogram)
               ? decodeWithKeys<uint32_t>(runtime, stereogram, stripWidth, prefs, randomState, progress, depth)
               : decodeWithKeys<uint8_t>(runtime, stereogram, stripWidth, prefs, randomState, progress, depth);
}
