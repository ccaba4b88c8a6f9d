// JPEG files of pictures for the tests, written by stb_image_write (apart
// from the program, which only reads JPEG).
#pragma once

#include <stb_image_write.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "bmp_samples.h"
#include "picture/picture.h"

inline std::vector<uint8_t> jpegBytesOf(const Picture& picture, int quality) {
    std::vector<uint8_t> bytes;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto& out = *static_cast<std::vector<uint8_t>*>(context);
            out.insert(out.end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        },
        &bytes, picture.width, picture.height, picture.channels, picture.pixels.get(), quality);
    return bytes;
}

inline void writeJpegFile(const std::filesystem::path& file, const Picture& picture, int quality) {
    writeSampleFile(file, jpegBytesOf(picture, quality));
}
