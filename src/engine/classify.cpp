// Telling a stereogram from a depth map by its grey pixels alone (a colour
// picture by the grey of its pixels).
//
// A repeat by itself proves nothing: a flat or mostly black depth map
// repeats at every distance. What a stereogram has and a depth map lacks
// is texture that recurs. So the picture is sampled where a row changes
// from one pixel to the next, and each such place asks whether the run of
// pixels that starts there recurs a strip width or so to its left or
// right. Where the depth slopes a stereogram's copies are not rigid: the
// distance to the copy drifts by a pixel every pixel or two, and the
// comparison lets it drift by one from pixel to pixel.
//
// How much neighbours differ decides how much recurrence is proof. In noise
// (a random pattern) a run of RunLength pixels never recurs by chance, so a
// small share is enough; smooth pictures (a ramp pattern, a sloping depth
// map) meet similar runs elsewhere by chance, and need a larger share.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/engine.h"

namespace {

constexpr int32_t SampledRows = 64;
constexpr int32_t SamplesPerRow = 256;
constexpr int32_t RunLength = 12;
// Neighbours further apart than this in grey are a sign of noise.
constexpr int32_t NoiseStep = 16;

// Runs of smooth depth maps recur for at most some 15 % of their changes
// (the sample slope with its step, a blurred fractal, the spheres); those
// of our stereograms made with a ramp pattern for at least some 32 %, made
// with noise for at least some 5 % (256 depth levels over rolling hills),
// where pure noise never recurs. Random patterns make some 87 % of
// neighbours noisy, ramp patterns at most some 50 %, depth maps a few in a
// hundred, at their edges. With 256 levels over a steep and bumpy map
// every pixel of a stereogram has a separation of its own: runs of a ramp
// pattern recur for some 23 %, of noise not at all, and such a picture
// reads as a depth map (the decoder reads it badly too).
constexpr int64_t SmoothRecurringPercent = 25;
constexpr int64_t NoisyRecurringPercent = 2;
// Fewer changes than this share of the samples: flat or mostly black.
constexpr int64_t LeastChangingPercent = 10;
// Pictures whose neighbours mostly differ by more than NoiseStep are noisy.
constexpr int64_t NoisyPercent = 50;

// The distances to a copy that a strip may give: a strip is at least a
// thirtieth and less than a third of the width, and the depth adds up to
// 256 levels to it.
struct ShiftRange {
    int32_t first;
    int32_t last;
};

ShiftRange shiftRangeOf(int32_t width) {
    return ShiftRange{std::max(1, width / 30), std::min(width - 1, width / 3 + 256)};
}

struct Tally {
    int64_t samples = 0;
    int64_t changes = 0;
    int64_t noisy = 0;
    int64_t recurring = 0;
};

// The shifts at which the pixel `at` of the row equals the pixel `side`
// times the shift away from it, among `candidates` and their neighbours
// (or, at the run's first pixel, the whole range). `stamp` keeps each
// shift once per step.
void shiftsStillMatching(const uint8_t* row, int32_t width, int32_t at, int32_t side, const ShiftRange& range,
                         const std::vector<int32_t>& candidates, bool first, std::vector<int32_t>& matching,
                         std::vector<int64_t>& stamp, int64_t step) {
    matching.clear();
    auto consider = [&](int32_t shift) {
        if (shift < range.first || shift > range.last || stamp[static_cast<size_t>(shift - range.first)] == step)
            return;
        stamp[static_cast<size_t>(shift - range.first)] = step;
        const int64_t other = static_cast<int64_t>(at) - static_cast<int64_t>(side) * shift;
        if (other >= 0 && other < width && row[other] == row[at]) matching.push_back(shift);
    };
    if (first) {
        for (int32_t shift = range.first; shift <= range.last; ++shift) consider(shift);
        return;
    }
    for (const int32_t shift : candidates)
        for (int32_t drift = -1; drift <= 1; ++drift) consider(shift + drift);
}

// Scratch space for runRecurs, reused from sample to sample.
struct RunSearch {
    std::vector<int32_t> shifts;
    std::vector<int32_t> next;
    std::vector<int64_t> stamp;
    int64_t step = 0;
};

// True when the RunLength pixels from `start` each equal a pixel on one
// side of them, at a shift within the range that drifts by at most one
// from pixel to pixel.
bool runRecursOnSide(const uint8_t* row, int32_t width, int32_t start, int32_t side, const ShiftRange& range,
                     RunSearch& search) {
    for (int32_t i = 0; i < RunLength; ++i) {
        shiftsStillMatching(row, width, start + i, side, range, search.shifts, i == 0, search.next, search.stamp,
                            ++search.step);
        search.shifts.swap(search.next);
        if (search.shifts.empty()) return false;
    }
    return true;
}

bool runRecurs(const uint8_t* row, int32_t width, int32_t start, const ShiftRange& range, RunSearch& search) {
    return runRecursOnSide(row, width, start, 1, range, search) ||
           runRecursOnSide(row, width, start, -1, range, search);
}

// Looks at the sample whose change lies between columns x - 1 and x.
void tallySample(const uint8_t* row, int32_t width, int32_t x, const ShiftRange& range, RunSearch& search,
                 Tally& tally) {
    ++tally.samples;
    const int32_t step = std::abs(static_cast<int32_t>(row[x]) - static_cast<int32_t>(row[x - 1]));
    if (step > NoiseStep) ++tally.noisy;
    if (step == 0) return;
    ++tally.changes;
    if (runRecurs(row, width, x - 1, range, search)) ++tally.recurring;
}

// Row y of the picture in grey: where it lies, or its grey made in `grey`.
const uint8_t* greyRow(const Picture& picture, int64_t y, std::vector<uint8_t>& grey) {
    const uint8_t* row = rowOf(picture, static_cast<int32_t>(y));
    if (!isColour(picture)) return row;
    grey.resize(static_cast<size_t>(picture.width));
    greyRowOf(row, picture.width, grey.data());
    return grey.data();
}

// Rows and columns spread evenly over the picture; each sample's run lies
// within its row.
Tally tallyPicture(const Picture& picture) {
    const int32_t width = picture.width;
    const int32_t height = picture.height;
    const ShiftRange range = shiftRangeOf(width);
    const int64_t columns = width - RunLength;
    const int64_t rows = std::min<int64_t>(height, SampledRows);
    const int64_t perRow = std::min<int64_t>(columns, SamplesPerRow);
    RunSearch search;
    std::vector<uint8_t> grey;
    search.stamp.assign(static_cast<size_t>(range.last - range.first + 1), 0);
    Tally tally;
    for (int64_t r = 0; r < rows; ++r) {
        const int64_t y = (2 * r + 1) * height / (2 * rows);
        const uint8_t* row = greyRow(picture, y, grey);
        for (int64_t c = 0; c < perRow; ++c) {
            const int64_t x = 1 + (2 * c + 1) * (columns - 1) / (2 * perRow);
            tallySample(row, width, static_cast<int32_t>(x), range, search, tally);
        }
    }
    return tally;
}

bool atLeastPercent(int64_t part, int64_t whole, int64_t percent) {
    return whole > 0 && part * 100 >= whole * percent;
}

}  // namespace

bool looksLikeStereogram(const Picture& picture) {
    // Narrower than 30 columns a picture has no strip width (see
    // detectPatternWidth).
    if (!isPresent(picture) || picture.width < 30 || picture.height < 1) return false;
    const Tally tally = tallyPicture(picture);
    if (!atLeastPercent(tally.changes, tally.samples, LeastChangingPercent)) return false;
    const bool noisy = atLeastPercent(tally.noisy, tally.samples, NoisyPercent);
    const int64_t needed = noisy ? NoisyRecurringPercent : SmoothRecurringPercent;
    return atLeastPercent(tally.recurring, tally.changes, needed);
}
