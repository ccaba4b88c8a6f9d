#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "shell/picture_rows.h"

namespace {

// Rows of 24-bit pixels, given top row first, laid out as the picture on
// show keeps them: bottom row first, each row padded to 4 bytes with 0xEE,
// which must never reach a pixel.
std::vector<uint8_t> bottomUpRows(const std::vector<std::vector<uint32_t>>& topDownRgb) {
    std::vector<uint8_t> bytes;
    for (auto row = topDownRgb.rbegin(); row != topDownRgb.rend(); ++row) {
        const size_t start = bytes.size();
        for (uint32_t rgb : *row) {
            bytes.push_back(static_cast<uint8_t>(rgb));        // blue
            bytes.push_back(static_cast<uint8_t>(rgb >> 8));   // green
            bytes.push_back(static_cast<uint8_t>(rgb >> 16));  // red
        }
        while ((bytes.size() - start) % 4 != 0) bytes.push_back(0xEE);
    }
    return bytes;
}

std::vector<uint32_t> converted(const std::vector<std::vector<uint32_t>>& topDownRgb) {
    const int32_t height = static_cast<int32_t>(topDownRgb.size());
    const int32_t width = static_cast<int32_t>(topDownRgb[0].size());
    const std::vector<uint8_t> rows = bottomUpRows(topDownRgb);
    std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height), 0);
    convertToTopDownPixels(rows.data(), width, height, pixels.data());
    return pixels;
}

TEST(PictureRows, TopRowFirstOpaqueRedGreenBlueAndPaddingSkipped) {
    // Three pixels a row: 9 bytes and 3 of padding.
    EXPECT_EQ(converted({{0x112233, 0x445566, 0x778899}, {0xAABBCC, 0xDDEEFF, 0x010203}}),
              (std::vector<uint32_t>{0xFF112233, 0xFF445566, 0xFF778899, 0xFFAABBCC, 0xFFDDEEFF, 0xFF010203}));
}

TEST(PictureRows, EveryPaddingWidth) {
    // 1, 2, 3 bytes of padding, and none with four pixels a row.
    for (int32_t width = 1; width <= 4; ++width) {
        SCOPED_TRACE(width);
        std::vector<std::vector<uint32_t>> rows(3, std::vector<uint32_t>(static_cast<size_t>(width)));
        std::vector<uint32_t> expected;
        for (size_t y = 0; y < rows.size(); ++y) {
            for (size_t x = 0; x < rows[y].size(); ++x) {
                rows[y][x] = static_cast<uint32_t>(0x100000 * (y + 1) + 0x10 * x + 1);
                expected.push_back(0xFF000000u | rows[y][x]);
            }
        }
        EXPECT_EQ(converted(rows), expected);
    }
}

TEST(PictureRows, WhiteIsOpaqueWhite) {
    EXPECT_EQ(converted({{0xFFFFFF}}), std::vector<uint32_t>{WhitePixel});
}

}  // namespace
