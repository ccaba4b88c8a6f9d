// Depth levels as grey values, which generation, decoding and the quantised
// depth view share.
#pragma once

#include <cstdint>

// The grey value that stands for depth level n: depthStep * n - 1, held
// within 0..255.
inline uint8_t greyOfLevel(int32_t level, int32_t depthStep) {
    const int64_t value = static_cast<int64_t>(depthStep) * level - 1;
    if (value < 0) return 0;
    if (value > 255) return 255;
    return static_cast<uint8_t>(value);
}
