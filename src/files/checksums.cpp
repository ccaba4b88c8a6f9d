#include "files/checksums.h"

#include <array>

#include "picture/little_endian.h"

#if (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)) && !defined(TAVRELIC_NO_SIMD)
#include <emmintrin.h>
#define TAVRELIC_FILES_SSE2 1
#endif

namespace {

// Eight tables, so that eight bytes are taken per step: table k gives the
// CRC of a byte followed by k zero bytes.
struct CrcTables {
    std::array<std::array<uint32_t, 256>, 8> t{};

    constexpr CrcTables() {
        constexpr uint32_t Polynomial = 0xEDB88320u;
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1u) ? Polynomial ^ (c >> 1) : c >> 1;
            t[0][n] = c;
        }
        for (size_t k = 1; k < 8; ++k)
            for (uint32_t n = 0; n < 256; ++n) t[k][n] = (t[k - 1][n] >> 8) ^ t[0][t[k - 1][n] & 0xFFu];
    }
};

constexpr CrcTables Crc{};

// Adler-32 works modulo this prime; BlockBytes more bytes at most may be
// summed before the sums could overflow 32 bits (zlib's NMAX), a multiple
// of sixteen.
constexpr uint32_t AdlerBase = 65521;
constexpr size_t BlockBytes = 5552;

#ifdef TAVRELIC_FILES_SSE2
// One block of `chunks` x 16 bytes. Over chunk k with bytes b0 .. b15, the
// second sum grows by 16 x (the first sum before it) + 16 b0 + 15 b1 + ...
// + 1 b15; the first sums before each chunk are gathered in `before` and
// multiplied by 16 at the end.
void addChunks(uint32_t& s1, uint32_t& s2, const uint8_t* bytes, size_t chunks) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i highWeights = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
    const __m128i lowWeights = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
    __m128i sum = zero, before = zero, weighted = zero;
    for (size_t k = 0; k < chunks; ++k) {
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * k));
        before = _mm_add_epi32(before, sum);
        sum = _mm_add_epi32(sum, _mm_sad_epu8(b, zero));
        weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpacklo_epi8(b, zero), highWeights));
        weighted = _mm_add_epi32(weighted, _mm_madd_epi16(_mm_unpackhi_epi8(b, zero), lowWeights));
    }
    uint32_t lanes[3][4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes[0]), sum);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes[1]), before);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes[2]), weighted);
    uint64_t total[3];
    for (int i = 0; i < 3; ++i) total[i] = uint64_t{lanes[i][0]} + lanes[i][1] + lanes[i][2] + lanes[i][3];
    const uint64_t second = s2 + uint64_t{16} * chunks * s1 + 16 * total[1] + total[2];
    s1 = static_cast<uint32_t>((s1 + total[0]) % AdlerBase);
    s2 = static_cast<uint32_t>(second % AdlerBase);
}
#endif

}  // namespace

uint32_t updateCrc32(uint32_t crc, const uint8_t* bytes, size_t size) {
    const auto& t = Crc.t;
    uint32_t c = ~crc;
    for (; size >= 8; size -= 8, bytes += 8) {
        const uint32_t low = readLe32(bytes) ^ c;
        const uint32_t high = readLe32(bytes + 4);
        c = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
            t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
    }
    for (; size > 0; --size, ++bytes) c = t[0][(c ^ *bytes) & 0xFF] ^ (c >> 8);
    return ~c;
}

uint32_t updateAdler32Plain(uint32_t adler, const uint8_t* bytes, size_t size) {
    uint32_t s1 = adler & 0xFFFF, s2 = adler >> 16;
    while (size > 0) {
        const size_t block = size < BlockBytes ? size : BlockBytes;
        for (size_t i = 0; i < block; ++i) {
            s1 += bytes[i];
            s2 += s1;
        }
        s1 %= AdlerBase;
        s2 %= AdlerBase;
        bytes += block;
        size -= block;
    }
    return s2 << 16 | s1;
}

uint32_t updateAdler32(uint32_t adler, const uint8_t* bytes, size_t size) {
#ifdef TAVRELIC_FILES_SSE2
    uint32_t s1 = adler & 0xFFFF, s2 = adler >> 16;
    while (size >= 16) {
        const size_t block = size < BlockBytes ? size & ~size_t{15} : BlockBytes;
        addChunks(s1, s2, bytes, block / 16);
        bytes += block;
        size -= block;
    }
    return updateAdler32Plain(s2 << 16 | s1, bytes, size);
#else
    return updateAdler32Plain(adler, bytes, size);
#endif
}
