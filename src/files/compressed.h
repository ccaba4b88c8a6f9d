// PNG and JPEG files, read by one library for both programs (stb_image,
// from the distribution) and turned into what a 24-bit BMP with the same
// pixels would be; the picture on show is written as PNG.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "files/pictures.h"
#include "workspace/workspace.h"

enum class CompressedFormat { None, Png, Jpeg };

// The format the file's first bytes announce.
CompressedFormat compressedFormatOf(const uint8_t* prefix, size_t size);

// Reads the whole file's bytes, whose format compressedFormatOf told.
Outcome readCompressedPicture(Workspace& ws, const uint8_t* bytes, size_t size, CompressedFormat format,
                              SourceKind kind);

// Writes the picture on show as PNG: 8-bit grey when every pixel is grey,
// 8-bit colour otherwise.
Outcome writePngFile(const Workspace& ws, const std::filesystem::path& fileName);

// The kind and size the file's headers give; false when they are not
// readable.
bool probeCompressed(const uint8_t* bytes, size_t size, CompressedFormat format, PictureFacts& facts);
