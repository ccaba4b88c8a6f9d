// The byte-scanning helpers of the engine: each block version against the
// byte-by-byte loop it stands for, at every start and end of a block.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "draws.h"
#include "engine/byte_scan.h"

namespace {

TEST(ByteScan, BlockMasksAgreeWithTheByteByByteMasks) {
    Draws draw{11};
    for (int trial = 0; trial < 3000; ++trial) {
        const std::vector<uint8_t> bytes = draw.bytes(40, 1 + draw.below(4));
        const size_t at = static_cast<size_t>(draw.below(20));
        const uint8_t first = static_cast<uint8_t>(draw.below(4));
        const uint8_t second = static_cast<uint8_t>(draw.below(4));
        uint32_t single = 0;
        uint32_t pair = 0;
        for (int i = 0; i < 16; ++i) {
            single |= static_cast<uint32_t>(bytes[at + i] == first) << i;
            pair |= static_cast<uint32_t>(bytes[at + i] == first && bytes[at + i + 1] == second) << i;
        }
        ASSERT_EQ(equalLanesPlain(bytes.data() + at, first), single);
        ASSERT_EQ(equalLanes(bytes.data() + at, first), single);
        ASSERT_EQ(equalPairLanesPlain(bytes.data() + at, first, second), pair);
        ASSERT_EQ(equalPairLanes(bytes.data() + at, first, second), pair);
    }
}

TEST(ByteScan, APairIsFoundWhereverItStartsAndNeverPastTheCount) {
    for (int64_t count = 1; count <= 70; ++count) {
        for (int64_t place = 0; place < count + 3; ++place) {
            // Exactly one pair 7, 9 in the bytes, starting at `place`.
            std::vector<uint8_t> bytes(static_cast<size_t>(count + 4), 1);
            bytes[static_cast<size_t>(place)] = 7;
            bytes[static_cast<size_t>(place) + 1] = 9;
            EXPECT_EQ(anyEqualPair(bytes.data(), count, 7, 9), place < count) << count << " " << place;
        }
    }
    const std::vector<uint8_t> noPair = {7, 7, 9};
    EXPECT_FALSE(anyEqualPair(noPair.data(), 1, 7, 9));
    EXPECT_TRUE(anyEqualPair(noPair.data(), 2, 7, 9));
}

TEST(ByteScan, EqualPrefixStopsAtTheFirstDifferenceOrTheCount) {
    Draws draw{5};
    for (int trial = 0; trial < 3000; ++trial) {
        const int64_t n = draw.below(40);
        std::vector<uint8_t> a = draw.bytes(40, 256);
        std::vector<uint8_t> b = a;
        int64_t expected = n;
        if (draw.below(4) != 0) {
            const int64_t differing = draw.below(40);
            b[static_cast<size_t>(differing)] ^= static_cast<uint8_t>(1 + draw.below(255));
            if (differing < n) expected = differing;
        }
        ASSERT_EQ(equalPrefixLength(a.data(), b.data(), n), expected) << trial;
    }
}

TEST(ByteScan, InRangePrefixStopsAtTheFirstByteOutsideTheRange) {
    Draws draw{17};
    for (int trial = 0; trial < 4000; ++trial) {
        const int64_t n = draw.below(70);
        uint8_t low = static_cast<uint8_t>(draw.below(256));
        uint8_t high = static_cast<uint8_t>(draw.below(256));
        if (low > high) std::swap(low, high);
        // Mostly inside, with values just outside both ends now and then.
        std::vector<uint8_t> bytes(static_cast<size_t>(n) + 16);
        for (uint8_t& b : bytes) {
            const int32_t pick = draw.below(40);
            b = pick == 0 ? static_cast<uint8_t>(low - 1) : pick == 1 ? static_cast<uint8_t>(high + 1)
                                                                      : static_cast<uint8_t>(low + draw.below(high - low + 1));
        }
        int64_t expected = 0;
        while (expected < n && bytes[static_cast<size_t>(expected)] >= low && bytes[static_cast<size_t>(expected)] <= high)
            ++expected;
        ASSERT_EQ(inRangePrefixLengthPlain(bytes.data(), n, low, high), expected) << trial;
        ASSERT_EQ(inRangePrefixLength(bytes.data(), n, low, high), expected) << trial;
    }
}

TEST(ByteScan, LaneRangesAndTheirEnds) {
    EXPECT_EQ(laneRange(0, 15), 0xFFFFu);
    EXPECT_EQ(laneRange(-5, 40), 0xFFFFu);
    EXPECT_EQ(laneRange(3, 3), 0x8u);
    EXPECT_EQ(laneRange(14, 20), 0xC000u);
    EXPECT_EQ(laneRange(-3, 0), 0x1u);
    EXPECT_EQ(laneRange(4, 3), 0u);
    EXPECT_EQ(laneRange(16, 30), 0u);
    EXPECT_EQ(laneRange(-9, -1), 0u);
    EXPECT_EQ(lowestLane(0x8000u), 15);
    EXPECT_EQ(lowestLane(0x0A0u), 5);
    EXPECT_EQ(highestLane(0x0A0u), 7);
    EXPECT_EQ(highestLane(0x1u), 0);
}

}  // namespace
