// Matching costs eight at a time, for the tolerant decoder: 16-bit signed
// costs in the lanes of a 16-byte vector, and differences of byte rows.
// Each helper gives exactly what its plain loop gives; the plain versions
// serve where the processor has no 16-byte vectors or the build asks for
// them (TAVRELIC_NO_SIMD), under the same guard as byte_scan.h.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "engine/byte_scan.h"

constexpr int32_t CostLanes = 8;

// Costs stay within 0 .. MostCost; sums that would pass it stop there.
constexpr int16_t MostCost = 32767;

inline int16_t addCostsPlain(int16_t a, int16_t b) {
    return static_cast<int16_t>(std::min<int32_t>(MostCost, std::max<int32_t>(-32768, a + b)));
}

inline int16_t subtractCostsPlain(int16_t a, int16_t b) {
    return static_cast<int16_t>(std::min<int32_t>(MostCost, std::max<int32_t>(-32768, a - b)));
}

#ifdef TAVRELIC_ENGINE_SSE2

using CostVector = __m128i;

inline CostVector loadCosts(const int16_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

inline void storeCosts(int16_t* at, CostVector costs) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(at), costs);
}

inline CostVector splatCost(int16_t value) {
    return _mm_set1_epi16(value);
}

inline CostVector addCosts(CostVector a, CostVector b) {
    return _mm_adds_epi16(a, b);
}

inline CostVector subtractCosts(CostVector a, CostVector b) {
    return _mm_subs_epi16(a, b);
}

inline CostVector leastCosts(CostVector a, CostVector b) {
    return _mm_min_epi16(a, b);
}

// A third of each cost, rounded down, for costs from 0 to MostCost: the
// multiply by 21846 / 65536 is exact there.
inline CostVector thirdOfCosts(CostVector costs) {
    return _mm_mulhi_epu16(costs, _mm_set1_epi16(21846));
}

// The lanes from `first` to `last` (both counted; lanes outside the vector
// are left out) replaced by `value`.
inline CostVector replaceLanesBetween(CostVector costs, int32_t first, int32_t last, int16_t value) {
    const int16_t from = static_cast<int16_t>(std::min(std::max(first, 0), CostLanes));
    const int16_t to = static_cast<int16_t>(std::min(std::max(last, -1), CostLanes - 1));
    const __m128i index = _mm_setr_epi16(0, 1, 2, 3, 4, 5, 6, 7);
    const __m128i replaced = _mm_and_si128(_mm_cmpgt_epi16(index, _mm_set1_epi16(static_cast<int16_t>(from - 1))),
                                           _mm_cmplt_epi16(index, _mm_set1_epi16(static_cast<int16_t>(to + 1))));
    return _mm_or_si128(_mm_and_si128(replaced, _mm_set1_epi16(value)), _mm_andnot_si128(replaced, costs));
}

// The first lane holding `value`; CostLanes when none does. The mask has
// two bits a lane; the lowest set one is found in three halvings, without
// a branch.
inline int32_t firstLaneHolding(CostVector costs, int16_t value) {
    uint32_t equal = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi16(costs, _mm_set1_epi16(value))));
    if (equal == 0) return CostLanes;
    const uint32_t highHalf = (equal & 0xFFu) == 0;
    equal >>= 8 * highHalf;
    const uint32_t highQuarter = (equal & 0xFu) == 0;
    equal >>= 4 * highQuarter;
    return static_cast<int32_t>(4 * highHalf + 2 * highQuarter + ((equal & 0x3u) == 0));
}

inline int16_t leastLane(CostVector costs) {
    CostVector least = _mm_min_epi16(costs, _mm_shuffle_epi32(costs, 0x4E));
    least = _mm_min_epi16(least, _mm_shuffle_epi32(least, 0xB1));
    least = _mm_min_epi16(least, _mm_srli_epi32(least, 16));
    return static_cast<int16_t>(_mm_cvtsi128_si32(least));
}

#else

struct CostVector {
    int16_t lane[CostLanes];
};

inline CostVector loadCosts(const int16_t* at) {
    CostVector costs;
    std::memcpy(costs.lane, at, sizeof costs.lane);
    return costs;
}

inline void storeCosts(int16_t* at, CostVector costs) {
    std::memcpy(at, costs.lane, sizeof costs.lane);
}

inline CostVector splatCost(int16_t value) {
    CostVector costs;
    for (int16_t& lane : costs.lane) lane = value;
    return costs;
}

inline CostVector addCosts(CostVector a, CostVector b) {
    for (int32_t i = 0; i < CostLanes; ++i) a.lane[i] = addCostsPlain(a.lane[i], b.lane[i]);
    return a;
}

inline CostVector subtractCosts(CostVector a, CostVector b) {
    for (int32_t i = 0; i < CostLanes; ++i) a.lane[i] = subtractCostsPlain(a.lane[i], b.lane[i]);
    return a;
}

inline CostVector leastCosts(CostVector a, CostVector b) {
    for (int32_t i = 0; i < CostLanes; ++i) a.lane[i] = std::min(a.lane[i], b.lane[i]);
    return a;
}

inline CostVector thirdOfCosts(CostVector costs) {
    for (int16_t& lane : costs.lane) lane = static_cast<int16_t>(lane / 3);
    return costs;
}

inline CostVector replaceLanesBetween(CostVector costs, int32_t first, int32_t last, int16_t value) {
    for (int32_t i = std::max(first, 0); i <= std::min(last, CostLanes - 1); ++i) costs.lane[i] = value;
    return costs;
}

inline int32_t firstLaneHolding(CostVector costs, int16_t value) {
    int32_t i = 0;
    while (i < CostLanes && costs.lane[i] != value) ++i;
    return i;
}

inline int16_t leastLane(CostVector costs) {
    return *std::min_element(costs.lane, costs.lane + CostLanes);
}

#endif

// out[i] = |at[i] - value| (or, adding, out[i] += ...) for sixteen bytes:
// one channel of a pixel against the same channel of sixteen others.
inline void byteDifferencesPlain(const uint8_t* at, uint8_t value, int16_t* out, bool adding) {
    for (int32_t i = 0; i < BlockLanes; ++i)
        out[i] = static_cast<int16_t>((adding ? out[i] : 0) + std::abs(at[i] - value));
}

inline void byteDifferences(const uint8_t* at, uint8_t value, int16_t* out, bool adding) {
#ifdef TAVRELIC_ENGINE_SSE2
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i values = _mm_set1_epi8(static_cast<char>(value));
    const __m128i differences = _mm_or_si128(_mm_subs_epu8(bytes, values), _mm_subs_epu8(values, bytes));
    const __m128i zero = _mm_setzero_si128();
    __m128i low = _mm_unpacklo_epi8(differences, zero);
    __m128i high = _mm_unpackhi_epi8(differences, zero);
    __m128i* lowAt = reinterpret_cast<__m128i*>(out);
    __m128i* highAt = reinterpret_cast<__m128i*>(out + CostLanes);
    if (adding) {
        low = _mm_add_epi16(low, _mm_loadu_si128(lowAt));
        high = _mm_add_epi16(high, _mm_loadu_si128(highAt));
    }
    _mm_storeu_si128(lowAt, low);
    _mm_storeu_si128(highAt, high);
#else
    byteDifferencesPlain(at, value, out, adding);
#endif
}

// The sum of |a[i] - b[i]| over 16 * blocks bytes.
inline uint32_t blockDifferencePlain(const uint8_t* a, const uint8_t* b, int32_t blocks) {
    uint32_t sum = 0;
    for (int32_t i = 0; i < BlockLanes * blocks; ++i) sum += static_cast<uint32_t>(std::abs(a[i] - b[i]));
    return sum;
}

inline uint32_t blockDifference(const uint8_t* a, const uint8_t* b, int32_t blocks) {
#ifdef TAVRELIC_ENGINE_SSE2
    __m128i sums = _mm_setzero_si128();
    for (int32_t i = 0; i < blocks; ++i)
        sums = _mm_add_epi64(sums, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(a + BlockLanes * i)),
                                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + BlockLanes * i))));
    return static_cast<uint32_t>(_mm_cvtsi128_si32(sums)) + static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
#else
    return blockDifferencePlain(a, b, blocks);
#endif
}
