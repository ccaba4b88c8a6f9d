// Pattern-width detection: which divisor of the image width the rows of
// the stereogram repeat from, judged by its pixels alone: grey bytes, or
// colour pixels as keys.
#include <algorithm>
#include <cstring>
#include <vector>

#include "engine/byte_scan.h"
#include "engine/engine.h"
#include "engine/stereogram_rows.h"

namespace {

// Periods tried for a candidate strip width w are w + 0 .. w + LargestExcess.
constexpr int32_t LargestExcess = 254;
constexpr int32_t NoExcessYet = 256;

// The length of the run before minMatch is applied. Pixels outside the row
// count as unequal, so hostile columns and distances never read outside it.
template <class Key>
int64_t rawRunLeft(const Key* pixels, int64_t width, int64_t x, int64_t distance) {
    if (pixels == nullptr || distance < 1 || x - distance < 0 || x >= width) return 0;
    return equalPrefixLength(pixels + x, pixels + x - distance, std::min(distance, width - x));
}

// Period k is confirmed for candidate w when columns 0 .. k - 1 equal
// columns k .. 2k - 1 (the run to the left from column k is all k long,
// which also needs k >= minMatch) and columns w .. w + k - 1 equal columns
// w + k .. w + 2k - 1, all within the row. Since w >= 1 the second test's
// bound w + 2k <= width holds the first one's, 2k <= width.
template <class Key>
bool periodConfirmed(const Key* row, int64_t w, int64_t k) {
    const size_t length = static_cast<size_t>(k) * sizeof(Key);
    return std::memcmp(row, row + k, length) == 0 && std::memcmp(row + w, row + w + k, length) == 0;
}

// The first excess j from `from` to `last` at which both tests of period
// w + j at least begin: column w + j repeats column 0 and column 2w + j
// repeats column w. Sixteen excesses are looked at per compare while their
// columns lie in the row; the rest one by one. last + 1 when there is none.
template <class Key>
int64_t nextPlausibleExcess(const Key* row, int64_t width, int64_t w, int64_t from, int64_t last) {
    int64_t j = from;
    // Column 2w + j is the further one; a whole block of it must lie in the row.
    for (; j <= last && 2 * w + j + BlockLanes <= width; j += BlockLanes) {
        const uint32_t lanes = equalLanes(row + w + j, row[0]) & equalLanes(row + 2 * w + j, row[w]) &
                               laneRange(0, last - j);
        if (lanes != 0) return j + lowestLane(lanes);
    }
    for (; j <= last; ++j)
        if (row[w + j] == row[0] && row[2 * w + j] == row[w]) return j;
    return last + 1;
}

// The smallest excess below `bound` confirmed for candidate w in this row,
// or `bound` when there is none.
template <class Key>
int32_t smallestExcess(const Key* row, int64_t width, int64_t minMatch, int64_t w, int32_t bound) {
    const int64_t first = std::max<int64_t>(0, minMatch - w);
    const int64_t last = std::min<int64_t>({LargestExcess, bound - 1, (width - w) / 2 - w});
    for (int64_t j = nextPlausibleExcess(row, width, w, first, last); j <= last;
         j = nextPlausibleExcess(row, width, w, j + 1, last))
        if (periodConfirmed(row, w, w + j)) return static_cast<int32_t>(j);
    return bound;
}

// No width of 32 bits has more than 1600 divisors (2095133040 has that many).
constexpr int32_t MostDivisors = 1600;

// The candidate strip widths, the divisors w of width with width / 30 <= w
// < width / 3, in increasing order; they are the same for every row, so
// they are found once (the division per width and row cost more than the
// comparisons). The count check only keeps the array safe: it never stops
// the loop early.
int32_t candidateWidths(int32_t width, int32_t (&candidates)[MostDivisors]) {
    int32_t count = 0;
    for (int32_t w = width / 30; w < width / 3 && count < MostDivisors; ++w)
        if (width % w == 0) candidates[count++] = w;
    return count;
}

// Row y as keys: a grey row is read where it lies, a colour row is loaded
// into `loaded`.
template <class Key>
const Key* rowKeys(const Picture& picture, int32_t y, std::vector<Key>& loaded);

template <>
const uint8_t* rowKeys<uint8_t>(const Picture& picture, int32_t y, std::vector<uint8_t>&) {
    return rowOf(picture, y);
}

template <>
const uint32_t* rowKeys<uint32_t>(const Picture& picture, int32_t y, std::vector<uint32_t>& loaded) {
    loadRow(picture, y, loaded.data());
    return loaded.data();
}

// A later hit replaces the answer only with a strictly smaller excess, so
// each candidate in each row needs only its smallest excess below the best
// so far; once the best excess is 0 nothing can replace the answer.
template <class Key>
int32_t detectWidthOfRows(const Picture& stereogram, int32_t minMatch) {
    const int32_t width = stereogram.width;
    int32_t candidates[MostDivisors];
    const int32_t candidateCount = candidateWidths(width, candidates);
    std::vector<Key> loaded(sizeof(Key) == 1 ? 0 : static_cast<size_t>(width));
    int32_t bestExcess = NoExcessYet;
    int32_t answer = 0;
    for (int32_t row = 0; row < stereogram.height && bestExcess > 0; ++row) {
        const Key* pixels = rowKeys<Key>(stereogram, row, loaded);
        for (int32_t c = 0; c < candidateCount; ++c) {
            const int32_t w = candidates[c];
            const int32_t excess = smallestExcess(pixels, width, minMatch, w, bestExcess);
            if (excess < bestExcess) {
                bestExcess = excess;
                answer = w;
            }
        }
    }
    return answer;
}

}  // namespace

int32_t matchRunLeft(const Picture& stereogram, int32_t minMatch, int32_t x, int32_t row, int32_t distance) {
    if (!isPresent(stereogram) || row < 0 || row >= stereogram.height) return 0;
    int64_t run = 0;
    if (isColour(stereogram)) {
        std::vector<uint32_t> keys(static_cast<size_t>(stereogram.width));
        run = rawRunLeft(rowKeys<uint32_t>(stereogram, row, keys), stereogram.width, x, distance);
    } else {
        run = rawRunLeft(rowOf(stereogram, row), stereogram.width, x, distance);
    }
    return run < minMatch ? 0 : static_cast<int32_t>(run);
}

int32_t detectPatternWidth(const Picture& stereogram, int32_t minMatch) {
    // Below 30 columns a thirtieth of the width is 0, which is no strip width.
    if (!isPresent(stereogram) || stereogram.width / 30 < 1) return 0;
    return isColour(stereogram) ? detectWidthOfRows<uint32_t>(stereogram, minMatch)
                                : detectWidthOfRows<uint8_t>(stereogram, minMatch);
}
