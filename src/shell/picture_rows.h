// The picture on show as the screen takes it: 32-bit pixels, top row first.
#pragma once

#include <cstdint>

// 0xFFRRGGBB: the byte order of both windows' 32-bit pictures (blue, green,
// red, then a byte that Windows ignores and Qt wants opaque).
constexpr uint32_t WhitePixel = 0xFFFFFFFFu;

// Converts width x height 24-bit pixels (`rows`: bottom row first, blue,
// green, red, each row padded to a multiple of 4 bytes) into `pixels`:
// width x height 32-bit pixels, top row first, no gaps.
void convertToTopDownPixels(const uint8_t* rows, int32_t width, int32_t height, uint32_t* pixels);
