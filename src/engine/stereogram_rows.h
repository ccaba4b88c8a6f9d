// Reading a stereogram row by row, shared by detection and decoding. A grey
// row is read as its bytes; a colour row as one 32-bit key a pixel, so that
// two pixels are equal exactly when their keys are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "picture/picture.h"

inline uint32_t keyOfPixel(const uint8_t* rgb) {
    return static_cast<uint32_t>(rgb[0]) | static_cast<uint32_t>(rgb[1]) << 8 | static_cast<uint32_t>(rgb[2]) << 16;
}

// Row y of the picture as `width` keys into `out`.
inline void loadRow(const Picture& picture, int32_t y, uint8_t* out) {
    std::memcpy(out, rowOf(picture, y), static_cast<size_t>(picture.width));
}

inline void loadRow(const Picture& picture, int32_t y, uint32_t* out) {
    const uint8_t* pixel = rowOf(picture, y);
    for (int32_t x = 0; x < picture.width; ++x, pixel += ColourChannels) out[x] = keyOfPixel(pixel);
}
