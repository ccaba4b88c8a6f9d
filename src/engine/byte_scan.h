// Comparing rows of grey bytes many at a time, for generation, detection and
// decoding, and rows of colour pixels as 32-bit keys. Each helper gives exactly what the plain byte-by-byte loop
// would; the plain versions (...Plain) serve where the processor has no
// 16-byte vectors, or where the build asks for them (TAVRELIC_NO_SIMD, as
// for a processor without SSE2), and the tests hold the vector versions to
// them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)) && !defined(TAVRELIC_NO_SIMD)
#include <emmintrin.h>
#define TAVRELIC_ENGINE_SSE2 1
#endif

// How many bytes at the start of a and b are equal, at most n. Whole words
// are compared first; in the first unequal word the bytes are looked at one
// by one, so the answer is the index of the first unequal byte.
inline int64_t equalPrefixLength(const uint8_t* a, const uint8_t* b, int64_t n) {
    int64_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t wordA;
        uint64_t wordB;
        std::memcpy(&wordA, a + i, 8);
        std::memcpy(&wordB, b + i, 8);
        if (wordA != wordB) break;
    }
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

// How many keys at the start of a and b are equal, at most n: the same
// comparison for rows of colour pixels, one 32-bit key each.
inline int64_t equalPrefixLength(const uint32_t* a, const uint32_t* b, int64_t n) {
    int64_t i = 0;
    while (i < n && a[i] == b[i]) ++i;
    return i;
}

// The lanes of a 16-byte block are the bits of a mask: bit i stands for
// the byte at[i].
constexpr int32_t BlockLanes = 16;

// Bit i set where at[i] equals value, one byte at a time.
inline uint32_t equalLanesPlain(const uint8_t* at, uint8_t value) {
    uint32_t mask = 0;
    for (int32_t i = 0; i < BlockLanes; ++i) mask |= static_cast<uint32_t>(at[i] == value) << i;
    return mask;
}

// The same mask as equalLanesPlain, in one compare where the processor has
// 16-byte vectors.
inline uint32_t equalLanes(const uint8_t* at, uint8_t value) {
#ifdef TAVRELIC_ENGINE_SSE2
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i equal = _mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(value)));
    return static_cast<uint32_t>(_mm_movemask_epi8(equal));
#else
    return equalLanesPlain(at, value);
#endif
}

// Bit i set where the key at[i] equals value: sixteen keys of colour pixels
// make a block as sixteen bytes of grey do.
inline uint32_t equalLanes(const uint32_t* at, uint32_t value) {
    uint32_t mask = 0;
    for (int32_t i = 0; i < BlockLanes; ++i) mask |= static_cast<uint32_t>(at[i] == value) << i;
    return mask;
}

// Bit i set where at[i] equals first and at[i + 1] equals second, one byte
// at a time.
inline uint32_t equalPairLanesPlain(const uint8_t* at, uint8_t first, uint8_t second) {
    return equalLanesPlain(at, first) & equalLanesPlain(at + 1, second);
}

// The same mask as equalPairLanesPlain, in two compares where the processor
// has 16-byte vectors.
inline uint32_t equalPairLanes(const uint8_t* at, uint8_t first, uint8_t second) {
#ifdef TAVRELIC_ENGINE_SSE2
    const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 1));
    const __m128i equal = _mm_and_si128(_mm_cmpeq_epi8(low, _mm_set1_epi8(static_cast<char>(first))),
                                        _mm_cmpeq_epi8(high, _mm_set1_epi8(static_cast<char>(second))));
    return static_cast<uint32_t>(_mm_movemask_epi8(equal));
#else
    return equalPairLanesPlain(at, first, second);
#endif
}

inline uint32_t equalPairLanes(const uint32_t* at, uint32_t first, uint32_t second) {
    return equalLanes(at, first) & equalLanes(at + 1, second);
}

// Whether at[i] equals first and at[i + 1] equals second for some i below
// count; reads at[0] to at[count] and nothing else. Whole blocks are
// compared and their results gathered, with one test at the end: a block
// that overlaps the one before it changes nothing in an "any".
// (The keys are taken as the row's own type, whatever the caller writes.)
template <class Key>
bool anyEqualPair(const Key* at, int64_t count, typename std::common_type<Key>::type first,
                  typename std::common_type<Key>::type second) {
    if (count < BlockLanes) {
        for (int64_t i = 0; i < count; ++i)
            if (at[i] == first && at[i + 1] == second) return true;
        return false;
    }
    uint32_t found = 0;
    int64_t i = 0;
    for (; i + BlockLanes <= count; i += BlockLanes) found |= equalPairLanes(at + i, first, second);
    if (i < count) found |= equalPairLanes(at + count - BlockLanes, first, second);
    return found != 0;
}

// The lanes from `first` to `last`, both included and clipped to the block.
inline uint32_t laneRange(int64_t first, int64_t last) {
    if (first < 0) first = 0;
    if (last > BlockLanes - 1) last = BlockLanes - 1;
    if (first > last) return 0;
    return ((2u << last) - 1) & ~((1u << first) - 1);
}

// Index of the lowest and of the highest set bit of a non-zero mask.
inline int32_t lowestLane(uint32_t mask) {
    int32_t i = 0;
    while ((mask & 1u) == 0) {
        mask >>= 1;
        ++i;
    }
    return i;
}

inline int32_t highestLane(uint32_t mask) {
    int32_t i = 0;
    while (mask > 1u) {
        mask >>= 1;
        ++i;
    }
    return i;
}

// How many bytes from `at`, at most n, lie in low .. high, one at a time.
// (v - low) taken modulo 256 is at most high - low exactly for those.
inline int64_t inRangePrefixLengthPlain(const uint8_t* at, int64_t n, uint8_t low, uint8_t high) {
    const uint8_t span = static_cast<uint8_t>(high - low);
    int64_t i = 0;
    while (i < n && static_cast<uint8_t>(at[i] - low) <= span) ++i;
    return i;
}

// The same length as inRangePrefixLengthPlain, sixteen bytes per compare
// where the processor has 16-byte vectors: a byte is in range where its
// offset from low, less the span with the floor at 0, is 0.
inline int64_t inRangePrefixLength(const uint8_t* at, int64_t n, uint8_t low, uint8_t high) {
    int64_t i = 0;
#ifdef TAVRELIC_ENGINE_SSE2
    const __m128i lows = _mm_set1_epi8(static_cast<char>(low));
    const __m128i span = _mm_set1_epi8(static_cast<char>(high - low));
    for (; i + BlockLanes <= n; i += BlockLanes) {
        const __m128i offsets = _mm_sub_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(at + i)), lows);
        const __m128i beyond = _mm_subs_epu8(offsets, span);
        const uint32_t inside = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(beyond, _mm_setzero_si128())));
        if (inside != 0xFFFFu) return i + lowestLane(~inside & 0xFFFFu);
    }
#endif
    return i + inRangePrefixLengthPlain(at + i, n - i, low, high);
}
