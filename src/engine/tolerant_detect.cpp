// Finding the strip width for the tolerant decoder. Blocks of 16 x 3
// pixels from rows spread over the picture are compared with the pixels a
// period to their right, for every period a strip and its levels can span;
// each block that matches somewhere clearly better than on average votes
// for its smallest such period (a repeat at p also repeats at 2p). The
// periods that the votes settle on are the separations of the stereogram,
// and the strip width puts them among the levels. Since only clear
// matches vote, noise does not hide the repeats, and noise that never
// repeats finds none.
#include <algorithm>

#include "engine/cost_lanes.h"
#include "engine/engine.h"
#include "engine/tolerant_levels.h"
#include "picture/parallel_rows.h"
#include "texts/user_texts.h"

namespace {

constexpr int32_t SampledRows = 16;
constexpr int32_t BlockPixels = 16;
constexpr int32_t BlockRows = 3;
// A block matches at a period where its cost is at most this share of its
// average cost over all periods (in 64ths).
constexpr uint64_t MatchShare = 26;
// Blocks flatter than this (the average difference per pixel and channel
// over all periods) say nothing: a flat area matches everywhere.
constexpr uint64_t LeastTexture = 4;
// The votes are convincing when this share of the textured blocks (in
// 100ths) settle on periods that one strip's levels can span.
constexpr int64_t ConvincingShare = 25;
constexpr int64_t FewestVotes = 8;
// A divisor of the width is taken for the strip width when its levels take
// in this share (in 100ths) of the votes that the best span of periods
// does.
constexpr int64_t DivisorShare = 95;
// Otherwise this share (in 1000ths) of the votes at either end of the
// span is left out.
constexpr int64_t TrimmedShare = 20;
// A sampled row compares at most this many blocks with their periods
// (blocks times periods): a wider picture has its blocks spaced further
// apart, so that the look at a very wide picture stays short. Pictures up
// to 3840 pixels wide stay well within it and look at every block.
constexpr int64_t MostBlockPeriods = int64_t{1} << 22;

// The periods looked at: from the narrowest strip the exact detection
// considers (a thirtieth of the width) to its widest (a third) with the
// levels added, and no further than half the width, so that every period
// has half a row to match over.
struct Periods {
    int32_t first;
    int32_t last;
};

Periods periodsOf(int32_t width, int32_t levels) {
    return Periods{std::max(1, width / 30),
                   std::min({width / 3 + levels, width / 2, width - BlockPixels})};
}

int32_t periodCount(Periods periods) {
    return periods.last - periods.first + 1;
}

// What the sampled rows share: each writes its own votes.
struct Survey {
    const Picture* stereogram;
    Periods periods;
    int32_t sampled;
    uint32_t* costs;    // a row of costs by period for each sampled row
    int32_t* votes;     // a row of votes by period for each sampled row
    int32_t* textured;  // textured blocks of each sampled row
    int64_t* below;     // running sums of the votes, one more than the periods
};

int32_t sampledRow(const Survey& s, int32_t k) {
    return static_cast<int32_t>((2 * static_cast<int64_t>(k) + 1) * s.stereogram->height / (2 * s.sampled));
}

// The cost of the block at column x of the rows around y against the
// block p columns to its right.
uint32_t blockCost(const Picture& picture, int32_t y, int32_t x, int32_t p) {
    const size_t channels = static_cast<size_t>(picture.channels);
    uint32_t cost = 0;
    for (int32_t r = y - BlockRows / 2; r <= y + BlockRows / 2; ++r) {
        const uint8_t* row = rowOf(picture, std::min(std::max(r, 0), picture.height - 1));
        cost += blockDifference(row + x * channels, row + (static_cast<size_t>(x) + p) * channels,
                                picture.channels);
    }
    return cost;
}

// The period a block votes for, or -1: the first that matches clearly,
// then on to the least cost of the valley it begins.
int32_t votedPeriod(const uint32_t* costs, int32_t count, uint64_t sum, uint64_t pixels) {
    if (count <= 0 || sum < LeastTexture * pixels * static_cast<uint64_t>(count)) return -1;
    for (int32_t i = 0; i < count; ++i) {
        if (static_cast<uint64_t>(costs[i]) * 64 * static_cast<uint64_t>(count) > MatchShare * sum) continue;
        while (i + 1 < count && costs[i + 1] < costs[i]) ++i;
        return i;
    }
    return -1;
}

void surveyRow(const Survey& s, int32_t k) {
    const Picture& picture = *s.stereogram;
    const int32_t y = sampledRow(s, k);
    const int32_t count = periodCount(s.periods);
    uint32_t* costs = s.costs + static_cast<size_t>(k) * count;
    int32_t* votes = s.votes + static_cast<size_t>(k) * count;
    std::fill(votes, votes + count, 0);
    s.textured[k] = 0;
    const uint64_t pixels = static_cast<uint64_t>(BlockPixels) * BlockRows * static_cast<uint64_t>(picture.channels);
    const int64_t blocks = (picture.width - s.periods.first) / BlockPixels;
    const int64_t wanted = std::max<int64_t>(1, MostBlockPeriods / count);
    const int32_t step = BlockPixels * static_cast<int32_t>(std::max<int64_t>(1, (blocks + wanted - 1) / wanted));
    for (int32_t x = 0; x + BlockPixels + s.periods.first <= picture.width; x += step) {
        // The periods whose block still lies in the row.
        const int32_t valid = std::min(count, picture.width - BlockPixels - x - s.periods.first + 1);
        uint64_t sum = 0;
        for (int32_t i = 0; i < valid; ++i) {
            costs[i] = blockCost(picture, y, x, s.periods.first + i);
            sum += costs[i];
        }
        if (sum >= LeastTexture * pixels * static_cast<uint64_t>(valid)) ++s.textured[k];
        const int32_t voted = votedPeriod(costs, valid, sum, pixels);
        if (voted >= 0) ++votes[voted];
    }
}

// The votes for periods a .. a + levels, from the running sums `below`
// (below[i]: the votes for the periods before index i).
int64_t votesInSpan(const Survey& s, const int64_t* below, int32_t a, int32_t levels) {
    const int32_t count = periodCount(s.periods);
    const int32_t first = std::min(std::max(a - s.periods.first, 0), count);
    const int32_t end = std::min(std::max(a + levels + 1 - s.periods.first, 0), count);
    return below[end] - below[first];
}

// A divisor of the width whose levels take in nearly all that the best
// span of periods holds: the program's own stereograms have one. Of
// several, the one with the most votes; of equals, the smallest viewing
// wall-eyed, the largest cross-eyed (the side where the background lies,
// when the picture shows nothing else). 0 when there is none.
int32_t divisorStripWidth(const Survey& s, const int64_t* below, int32_t width, int32_t levels, int64_t bestVotes,
                          bool wallEyed) {
    int32_t chosen = 0;
    int64_t chosenVotes = 0;
    for (int32_t w = std::max(1, width / 30); w < width / 3; ++w) {
        if (width % w != 0) continue;
        const int64_t inSpan = votesInSpan(s, below, w, levels);
        if (inSpan * 100 < DivisorShare * bestVotes) continue;
        if (chosen == 0 || inSpan > chosenVotes || (inSpan == chosenVotes && !wallEyed)) {
            chosen = w;
            chosenVotes = inSpan;
        }
    }
    return chosen;
}

// The first index from `first` (going by `step`) at which the votes passed
// over would exceed `trimmed`.
int32_t trimmedEnd(const int32_t* votes, int32_t first, int32_t step, int64_t trimmed) {
    int64_t passed = 0;
    int32_t i = first;
    while (passed + votes[i] <= trimmed) passed += votes[i], i += step;
    return i;
}

// The strip width the votes settle on, or 0 when they do not convince:
// a divisor of the width (above), or else the one that makes the farthest
// period of the best span level 0 viewing wall-eyed (the background lies
// farthest), the nearest the top level cross-eyed, leaving out the few
// votes at either end (blocks across the edge of a surface).
int32_t widthFromVotes(const Survey& s, int32_t width, const Preferences& prefs) {
    const int32_t levels = tolerantLevelCount(prefs);
    const int32_t count = periodCount(s.periods);
    int64_t textured = 0;
    for (int32_t k = 0; k < s.sampled; ++k) textured += s.textured[k];
    // The votes by period, row after row summed into the first row, and
    // their running sums.
    int32_t* votes = s.votes;
    for (int32_t k = 1; k < s.sampled; ++k)
        for (int32_t i = 0; i < count; ++i) votes[i] += s.votes[static_cast<size_t>(k) * count + i];
    int64_t* below = s.below;
    below[0] = 0;
    for (int32_t i = 0; i < count; ++i) below[i + 1] = below[i] + votes[i];
    int64_t bestVotes = -1;
    int32_t bestStart = 0;
    for (int32_t i = 0; i + std::min(levels, count - 1) < count; ++i) {
        const int64_t inSpan = votesInSpan(s, below, s.periods.first + i, levels);
        if (inSpan > bestVotes) {
            bestVotes = inSpan;
            bestStart = i;
        }
    }
    if (bestVotes < FewestVotes || bestVotes * 100 < ConvincingShare * textured) return 0;
    const int32_t divisor = divisorStripWidth(s, below, width, levels, bestVotes, prefs.wallEyed);
    if (divisor > 0) return divisor;
    const int32_t last = std::min(count - 1, bestStart + levels);
    const int64_t trimmed = bestVotes * TrimmedShare / 1000;
    const int32_t nearest = s.periods.first + trimmedEnd(votes, bestStart, 1, trimmed);
    const int32_t farthest = s.periods.first + trimmedEnd(votes, last, -1, trimmed);
    return prefs.wallEyed ? std::max(1, farthest - levels) : nearest;
}

// The strip width found, or 0. Without the memory to look, none is found:
// the decoding that follows needs more and reports the shortage.
int32_t detectTolerantly(Runtime& runtime, const Picture& stereogram, const Preferences& prefs) {
    const Periods periods = periodsOf(stereogram.width, tolerantLevelCount(prefs));
    if (stereogram.width / 30 < 1 || periods.last < periods.first) return 0;
    Survey s;
    s.stereogram = &stereogram;
    s.periods = periods;
    s.sampled = std::min(SampledRows, stereogram.height);
    const size_t cells = static_cast<size_t>(s.sampled) * static_cast<size_t>(periodCount(periods));
    const size_t sums = static_cast<size_t>(periodCount(periods)) + 1;
    OwnedBytes block = allocateBytes(runtime, sums * sizeof(int64_t) + cells * (sizeof(uint32_t) + sizeof(int32_t)) +
                                                  static_cast<size_t>(s.sampled) * sizeof(int32_t));
    if (block == nullptr) return 0;
    s.below = reinterpret_cast<int64_t*>(block.get());
    s.costs = reinterpret_cast<uint32_t*>(block.get() + sums * sizeof(int64_t));
    s.votes = reinterpret_cast<int32_t*>(s.costs + cells);
    s.textured = s.votes + cells;
    forEachRowRunOnEveryCore(runtime, s.sampled, [&s](int32_t begin, int32_t end) {
        for (int32_t k = begin; k < end; ++k) surveyRow(s, k);
    });
    return widthFromVotes(s, stereogram.width, prefs);
}

}  // namespace

StripWidth findStripWidthTolerant(Runtime& runtime, const Picture& stereogram, const Preferences& prefs,
                                  int32_t fallbackWidth) {
    StripWidth found;
    if (isPresent(stereogram)) found.width = detectTolerantly(runtime, stereogram, prefs);
    if (found.width == 0) {
        found.notice = Message{PatternWidthNotFoundText, NoCaption};
        found.width = fallbackWidth;
    }
    return found;
}
