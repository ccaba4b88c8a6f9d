#include "shell/picture_rows.h"

#include <cstddef>

#include "workspace/workspace.h"

void convertToTopDownPixels(const uint8_t* rows, int32_t width, int32_t height, uint32_t* pixels) {
    const size_t stride = static_cast<size_t>(rowStride(width));
    for (int32_t y = 0; y < height; ++y) {
        const uint8_t* in = rows + static_cast<size_t>(height - 1 - y) * stride;
        uint32_t* out = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int32_t x = 0; x < width; ++x, in += 3) {
            out[x] = 0xFF000000u | static_cast<uint32_t>(in[2]) << 16 | static_cast<uint32_t>(in[1]) << 8 | in[0];
        }
    }
}
