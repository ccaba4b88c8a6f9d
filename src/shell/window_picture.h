// The window's picture as the screen takes it: 32-bit pixels, top row first.
#pragma once

#include <cstdint>

// 0xFFRRGGBB: the byte order of both windows' 32-bit pictures (blue, green,
// red, then a byte that Windows ignores and Qt wants opaque). The picture
// is white until the first view is shown.
constexpr uint32_t WhitePixel = 0xFFFFFFFFu;
