#include "files/bmp_frame.h"

#include <cstring>

#include "picture/little_endian.h"
#include "picture/parallel_rows.h"

namespace {

// 72 dots per inch, in dots per metre.
constexpr uint32_t PlainResolution = 2835;

size_t paddingOf(int32_t width) {
    return static_cast<size_t>(rowStride(width) - 3 * static_cast<int64_t>(width));
}

void writeBgrRow(const Picture& picture, int32_t y, uint8_t* out) {
    const uint8_t* in = rowOf(picture, y);
    if (isColour(picture)) {
        for (int32_t x = 0; x < picture.width; ++x, in += ColourChannels, out += 3) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
        }
        return;
    }
    for (int32_t x = 0; x < picture.width; ++x, out += 3) std::memset(out, in[x], 3);
}

}  // namespace

int64_t rowStride(int64_t width) {
    return (3 * width + 3) / 4 * 4;
}

uint64_t displayDibSize(int32_t width, int32_t height) {
    if (width < 0 || height < 0) return UINT64_MAX;
    return DibHeaderSize + static_cast<uint64_t>(rowStride(width)) * static_cast<uint64_t>(height);
}

int32_t frameWidth(const BmpFrame& frame) {
    return static_cast<int32_t>(readLe32(frame.header + 4));
}

int32_t frameHeight(const BmpFrame& frame) {
    return static_cast<int32_t>(readLe32(frame.header + 8));
}

void makePlainFrame(BmpFrame& frame, int32_t width, int32_t height) {
    uint8_t* at = frame.header;
    std::memset(at, 0, DibHeaderSize);
    writeLe32(at, static_cast<uint32_t>(DibHeaderSize));
    writeLe32(at + 4, static_cast<uint32_t>(width));
    writeLe32(at + 8, static_cast<uint32_t>(height));
    at[12] = 1;   // planes
    at[14] = 24;  // bits per pixel
    writeLe32(at + 20, static_cast<uint32_t>(rowStride(width) * height));
    writeLe32(at + 24, PlainResolution);
    writeLe32(at + 28, PlainResolution);
    frame.padding.reset();
}

void widenFrame(BmpFrame& frame, int32_t newWidth) {
    writeLe32(frame.header + 4, static_cast<uint32_t>(newWidth));
    writeLe32(frame.header + 20, 0);
    frame.padding.reset();
}

OwnedBytes packBmpRows(Runtime& runtime, const Picture& picture, const BmpFrame& frame, size_t& size) {
    size = static_cast<size_t>(displayDibSize(picture.width, picture.height));
    OwnedBytes packed = allocateBytes(runtime, size);
    if (packed == nullptr) return packed;
    std::memcpy(packed.get(), frame.header, DibHeaderSize);
    const size_t stride = static_cast<size_t>(rowStride(picture.width));
    const size_t padding = paddingOf(picture.width);
    uint8_t* rows = packed.get() + DibHeaderSize;
    // Padding kept from a file pads only the rows of that file's size.
    const uint8_t* kept = frameWidth(frame) == picture.width && frameHeight(frame) == picture.height
                              ? frame.padding.get()
                              : nullptr;
    forEachRowRunOnEveryCore(runtime, picture.height, [&](int32_t begin, int32_t end) {
        for (int32_t y = begin; y < end; ++y) {
            uint8_t* row = rows + static_cast<size_t>(picture.height - 1 - y) * stride;
            writeBgrRow(picture, y, row);
            uint8_t* pad = row + 3 * static_cast<size_t>(picture.width);
            if (kept != nullptr)
                std::memcpy(pad, kept + static_cast<size_t>(y) * padding, padding);
            else
                std::memset(pad, 0, padding);
        }
    });
    return packed;
}
