// Random values drawn eight lanes at a time against one-by-one draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/random_batch.h"

namespace {

TEST(RandomBatch, DrawsTheValuesAndEndsInTheStateOfOneByOneDraws) {
    for (uint32_t start : {1u, 0u, 0xFFFFFFFFu, 123456789u}) {
        for (int64_t count = -1; count <= 41; ++count) {
            uint32_t oneByOne = start;
            std::vector<uint8_t> expected;
            for (int64_t i = 0; i < count; ++i)
                expected.push_back(static_cast<uint8_t>(nextRandom(oneByOne) * 3 + static_cast<int32_t>(i)));
            std::vector<uint8_t> got(static_cast<size_t>(std::max<int64_t>(count, 0)) + 1, 0xEE);
            uint32_t state = start;
            drawRandomInto(state, got.data(), count,
                           [](int32_t value, int64_t i) { return static_cast<uint8_t>(value * 3 + i); });
            EXPECT_EQ(state, oneByOne) << start << " " << count;
            EXPECT_EQ(got.back(), 0xEE) << "wrote past the count " << count;
            got.pop_back();
            EXPECT_EQ(got, expected) << start << " " << count;
        }
    }
}

TEST(RandomBatch, AStrideOfNStepsIsNSingleSteps) {
    for (uint64_t steps = 0; steps < 300; ++steps) {
        const RandomStride stride = randomStride(steps);
        uint32_t stepped = 42;
        for (uint64_t i = 0; i < steps; ++i) stepped = stepped * 214013u + 2531011u;
        ASSERT_EQ(stride.multiplier * 42u + stride.increment, stepped) << steps;
    }
}

}  // namespace
