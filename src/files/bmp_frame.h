// The frame around a picture in the program's own format: the 40-byte info
// header and the bytes that pad each 24-bit row to a multiple of four. A
// loaded BMP file's frame is kept with the picture on show, so that saving
// it writes back the header and padding the file came with; a picture from
// any other format gets a plain header and zero padding.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture/bytes.h"
#include "picture/picture.h"

constexpr size_t DibHeaderSize = 40;
constexpr size_t BmpFileHeaderSize = 14;

// The largest file the program writes or reads as BMP: its sizes are
// 32-bit. A picture of any format is at most what such a file holds.
constexpr uint64_t LargestFileSize = 0xFFFFFFFFu;

struct BmpFrame {
    uint8_t header[DibHeaderSize] = {};
    // Each row's padding bytes, top row first; null while they are zeros.
    OwnedBytes padding;
};

// Bytes of one 24-bit pixel row of the given width: 3 * width rounded up
// to a multiple of 4.
int64_t rowStride(int64_t width);

// Bytes of the header and the padded 24-bit rows of width x height. Negative
// sizes give the largest value, which no block holds.
uint64_t displayDibSize(int32_t width, int32_t height);

// The width and height the frame's header names.
int32_t frameWidth(const BmpFrame& frame);
int32_t frameHeight(const BmpFrame& frame);

// A plain 40-byte header of a 24-bit picture of width x height, with zero
// padding.
void makePlainFrame(BmpFrame& frame, int32_t width, int32_t height);

// The frame of a depth map widened to newWidth columns: its header with the
// new width and no image size, and zero padding.
void widenFrame(BmpFrame& frame, int32_t newWidth);

// The header and the picture's rows as 24-bit pixels (blue, green, red;
// grey as three equal bytes), bottom row first, each followed by the
// frame's padding: what a BMP file holds after its file header, and what a
// Win32 bitmap is made from. Null when out of memory; `size` is its length.
OwnedBytes packBmpRows(Runtime& runtime, const Picture& picture, const BmpFrame& frame, size_t& size);
