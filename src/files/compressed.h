// PNG and JPEG files, read by one library for both programs (stb_image,
// from the distribution) and turned into what a 24-bit BMP with the same
// pixels would be; pictures are written as PNG by the program's own
// writer (png_encoder.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "files/bmp_frame.h"
#include "files/read_request.h"
#include "picture/outcome.h"

enum class CompressedFormat { None, Png, Jpeg };

// The format the file's first bytes announce.
CompressedFormat compressedFormatOf(const uint8_t* prefix, size_t size);

// Reads the whole file's bytes, whose format compressedFormatOf told.
Outcome readCompressedPicture(Runtime& runtime, const uint8_t* bytes, size_t size, CompressedFormat format,
                              const ReadRequest& request, Picture& picture, BmpFrame& frame);

// Writes the picture as PNG: 8-bit grey when every pixel is grey, 8-bit
// colour otherwise.
Outcome writePngFile(Runtime& runtime, const std::filesystem::path& fileName, const Picture& picture);

// The kind and size the file's headers give; false when they are not
// readable.
bool probeCompressed(const uint8_t* bytes, size_t size, CompressedFormat format, PictureFacts& facts);
