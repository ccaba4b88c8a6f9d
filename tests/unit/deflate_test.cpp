// The program's deflate and checksums, held to zlib's: every stream the
// compressor makes inflates with zlib to the bytes it was given.
#include <gtest/gtest.h>

#include <zlib.h>

#include <string>
#include <vector>

#include "files/checksums.h"
#include "files/deflate.h"
#include "test_runtime.h"

namespace {

std::vector<uint8_t> noise(size_t size, uint32_t seed) {
    std::vector<uint8_t> bytes(size);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>((seed = seed * 1103515245u + 12345u) >> 23);
    return bytes;
}

// Rows of `width` bytes, each a strip of noise repeated with a shift that
// changes along the row, as a stereogram's are.
std::vector<uint8_t> repeatingRows(size_t width, size_t rows, size_t strip) {
    std::vector<uint8_t> bytes = noise(width * rows, 7);
    for (size_t y = 0; y < rows; ++y)
        for (size_t x = strip; x < width; ++x) {
            const size_t shift = x % 997 < 600 ? strip : strip - 3;
            bytes[y * width + x] = bytes[y * width + x - shift];
        }
    return bytes;
}

std::vector<uint8_t> inflated(const std::vector<uint8_t>& stream, size_t size) {
    std::vector<uint8_t> bytes(size + 1);
    uLongf length = static_cast<uLongf>(bytes.size());
    if (uncompress(bytes.data(), &length, stream.data(), static_cast<uLong>(stream.size())) != Z_OK) return {};
    bytes.resize(length);
    return bytes;
}

std::vector<uint8_t> compressed(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> stream(static_cast<size_t>(zlibBound(bytes.size())));
    stream.resize(compressZlib(testRuntime(), bytes.data(), bytes.size(), stream.data()));
    return stream;
}

struct Input {
    std::string name;
    std::vector<uint8_t> bytes;
};

std::vector<Input> inputs() {
    std::vector<Input> all = {
        {"empty", {}},
        {"one byte", {42}},
        {"three bytes", {1, 2, 3}},
        {"noise", noise(200000, 1)},
        // Stored blocks hold at most 65535 bytes.
        {"noise over stored blocks", noise(3 * 65535 + 11, 2)},
        // Runs longer than the longest match, and a distance of 1.
        {"one value", std::vector<uint8_t>(100000, 9)},
        {"repeating rows", repeatingRows(3840, 40, 768)},
        {"strips at the window's end", repeatingRows(70000, 2, 32768)},
        {"strips beyond the window", repeatingRows(70000, 2, 32769)},
    };
    // Text-like bytes: few symbols, so a block's own codes pay.
    std::vector<uint8_t> few = noise(300000, 3);
    for (uint8_t& b : few) b = static_cast<uint8_t>('a' + b % 7);
    all.push_back({"seven letters", few});
    // Many blocks' worth of symbols, each a literal or a short match.
    std::vector<uint8_t> mixed = noise(500000, 4);
    for (size_t i = 8; i < mixed.size(); i += 9) mixed[i] = mixed[i - 8];
    all.push_back({"short matches", mixed});
    return all;
}

TEST(Deflate, ZlibInflatesEveryStreamToItsBytes) {
    for (const Input& input : inputs()) {
        const std::vector<uint8_t> stream = compressed(input.bytes);
        ASSERT_FALSE(stream.empty()) << input.name;
        EXPECT_LE(stream.size(), zlibBound(input.bytes.size())) << input.name;
        EXPECT_EQ(inflated(stream, input.bytes.size()), input.bytes) << input.name;
    }
}

TEST(Deflate, RepeatsCompressAndNoiseDoesNotGrow) {
    const std::vector<uint8_t> rows = repeatingRows(3840, 40, 768);
    // The first strip of each row is noise; the rest costs little.
    EXPECT_LT(compressed(rows).size(), 768 * 40 * 5 / 4);
    EXPECT_LT(compressed(std::vector<uint8_t>(100000, 9)).size(), 500u);
    const std::vector<uint8_t> random = noise(200000, 5);
    EXPECT_LE(compressed(random).size(), random.size() + random.size() / 1000 + 16);
}

TEST(Deflate, OutOfMemoryGivesNoStream) {
    const std::vector<uint8_t> bytes = noise(1000, 6);
    std::vector<uint8_t> stream(static_cast<size_t>(zlibBound(bytes.size())));
    failAllocationsAfter(0);
    const size_t size = compressZlib(testRuntime(), bytes.data(), bytes.size(), stream.data());
    failAllocationsAfter(-1);
    EXPECT_EQ(size, 0u);
}

// The Kraft sum of the lengths, in units of 2^-limit: 2^limit for a
// complete code.
uint32_t kraftSum(const std::vector<uint8_t>& lengths, int limit) {
    uint32_t sum = 0;
    for (uint8_t length : lengths)
        if (length != 0) sum += 1u << (limit - length);
    return sum;
}

TEST(Deflate, CodesAreCompleteAndWithinTheirLimit) {
    // Fibonacci frequencies make the deepest Huffman trees: one level a
    // symbol, far over both limits.
    for (const int limit : {7, 15}) {
        std::vector<uint32_t> frequency(30, 0);
        uint32_t a = 1, b = 1;
        for (size_t s = 0; s < frequency.size(); ++s, b = a + b, a = b - a) frequency[s] = a;
        frequency[3] = 0;
        std::vector<uint8_t> lengths(frequency.size());
        huffmanCodeLengths(frequency.data(), static_cast<int>(frequency.size()), limit, lengths.data());
        EXPECT_EQ(kraftSum(lengths, limit), 1u << limit) << limit;
        EXPECT_EQ(lengths[3], 0);
        for (size_t s = 0; s < lengths.size(); ++s) {
            if (s == 3) continue;
            EXPECT_GE(lengths[s], 1) << s;
            EXPECT_LE(lengths[s], limit) << s;
        }
        // The rarer a symbol, the longer its code, or as long.
        for (size_t s = 4; s + 1 < lengths.size(); ++s) EXPECT_GE(lengths[s], lengths[s + 1]) << s;
    }
    // Within the limit, the Huffman code itself.
    const uint32_t frequency[5] = {1, 1, 2, 4, 0};
    uint8_t lengths[5];
    huffmanCodeLengths(frequency, 5, 15, lengths);
    EXPECT_EQ(std::vector<uint8_t>(lengths, lengths + 5), (std::vector<uint8_t>{3, 3, 2, 1, 0}));
}

TEST(Checksums, AgreeWithZlibsAtEveryLengthAndAlignment) {
    const std::vector<uint8_t> bytes = noise(20000, 8);
    const std::vector<uint8_t> ones(12000, 0xFF);
    for (const std::vector<uint8_t>* data : {&bytes, &ones}) {
        for (size_t start : {0, 1, 7}) {
            for (size_t size : {0, 1, 15, 16, 17, 5551, 5552, 5553, 11104, 11999 - 7}) {
                const uint8_t* at = data->data() + start;
                const uLong crc = crc32(crc32(0, nullptr, 0), at, static_cast<uInt>(size));
                const uLong adler = adler32(adler32(0, nullptr, 0), at, static_cast<uInt>(size));
                EXPECT_EQ(updateCrc32(FirstCrc32, at, size), crc) << size;
                EXPECT_EQ(updateAdler32(FirstAdler32, at, size), adler) << size;
                EXPECT_EQ(updateAdler32Plain(FirstAdler32, at, size), adler) << size;
            }
        }
    }
    // Sums carried from one call to the next.
    const uint32_t first = updateAdler32(FirstAdler32, bytes.data(), 100);
    EXPECT_EQ(updateAdler32(first, bytes.data() + 100, 9000), adler32(1, bytes.data(), 9100));
    const uint32_t crc = updateCrc32(FirstCrc32, bytes.data(), 100);
    EXPECT_EQ(updateCrc32(crc, bytes.data() + 100, 9000), crc32(0, bytes.data(), 9100));
}

}  // namespace
