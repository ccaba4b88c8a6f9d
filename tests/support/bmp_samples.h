// Building BMP files byte by byte for the tests, independently of the
// loader, and reading and writing them on disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

struct SamplePixel {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
};

// Colour of the pixel at column x, row y counted from the top.
using SamplePicture = std::function<SamplePixel(int32_t x, int32_t y)>;

// The shape of a 24-bit file: which info header, whether the rows are
// stored top row first, and filler bytes between header and rows.
struct SampleShape {
    int32_t width = 3;
    int32_t height = 2;
    uint32_t infoSize = 40;
    bool topDown = false;
    uint32_t gapBeforeRows = 0;
    uint8_t paddingValue = 0;
};

inline void putLe16(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    bytes[offset] = static_cast<uint8_t>(value);
    bytes[offset + 1] = static_cast<uint8_t>(value >> 8);
}

inline void putLe32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint32_t getLe32(const std::vector<uint8_t>& bytes, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[offset + i]) << (8 * i);
    return value;
}

inline size_t sampleStride(int32_t width) {
    return (3 * static_cast<size_t>(width) + 3) / 4 * 4;
}

inline std::vector<uint8_t> makeBmp(const SampleShape& shape, const SamplePicture& picture) {
    const size_t stride = sampleStride(shape.width);
    const size_t rowsOffset = 14 + shape.infoSize + shape.gapBeforeRows;
    const size_t fileSize = rowsOffset + stride * static_cast<size_t>(shape.height);
    std::vector<uint8_t> bytes(fileSize, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    putLe32(bytes, 2, static_cast<uint32_t>(fileSize));
    putLe32(bytes, 10, static_cast<uint32_t>(rowsOffset));
    putLe32(bytes, 14, shape.infoSize);
    putLe32(bytes, 18, static_cast<uint32_t>(shape.width));
    putLe32(bytes, 22, static_cast<uint32_t>(shape.topDown ? -shape.height : shape.height));
    putLe16(bytes, 26, 1);
    putLe16(bytes, 28, 24);
    putLe32(bytes, 34, static_cast<uint32_t>(stride * static_cast<size_t>(shape.height)));
    putLe32(bytes, 38, 2835);
    putLe32(bytes, 42, 2835);
    // The fields of the newer headers and the gap hold bytes that must
    // never reach the picture.
    for (size_t i = 54; i < rowsOffset; ++i) bytes[i] = 0x5A;
    for (int32_t row = 0; row < shape.height; ++row) {
        const int32_t y = shape.topDown ? row : shape.height - 1 - row;
        const size_t start = rowsOffset + static_cast<size_t>(row) * stride;
        for (int32_t x = 0; x < shape.width; ++x) {
            const SamplePixel pixel = picture(x, y);
            bytes[start + 3 * static_cast<size_t>(x)] = pixel.blue;
            bytes[start + 3 * static_cast<size_t>(x) + 1] = pixel.green;
            bytes[start + 3 * static_cast<size_t>(x) + 2] = pixel.red;
        }
        for (size_t p = 3 * static_cast<size_t>(shape.width); p < stride; ++p) bytes[start + p] = shape.paddingValue;
    }
    return bytes;
}

inline std::vector<uint8_t> makeBmp(int32_t width, int32_t height, const SamplePicture& picture) {
    SampleShape shape;
    shape.width = width;
    shape.height = height;
    return makeBmp(shape, picture);
}

// A 24-bit file of grey pixels: the three colour bytes hold the same value.
inline std::vector<uint8_t> makeGreyBmp(int32_t width, int32_t height,
                                        const std::function<uint8_t(int32_t x, int32_t y)>& greyAt) {
    return makeBmp(width, height, [&greyAt](int32_t x, int32_t y) {
        const uint8_t grey = greyAt(x, y);
        return SamplePixel{grey, grey, grey};
    });
}

// The grey value the program is expected to make of a pixel.
inline uint8_t sampleGrey(SamplePixel pixel) {
    return static_cast<uint8_t>((pixel.blue + pixel.green + pixel.red) / 3);
}

// The grey raster, top row first, that a picture should load as.
inline std::vector<uint8_t> sampleGreyRaster(int32_t width, int32_t height, const SamplePicture& picture) {
    std::vector<uint8_t> grey;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) grey.push_back(sampleGrey(picture(x, y)));
    return grey;
}

inline void writeSampleFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<uint8_t> readSampleFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
