// 24-bit BMP files, the program's own format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>

#include "files/bmp_frame.h"
#include "files/read_request.h"
#include "picture/outcome.h"

// The file header and a 40-byte info header: every field the checks read.
constexpr size_t BmpCheckedPrefixSize = 54;

// True when the file's first bytes are those of a BMP file ("BM").
bool startsLikeBmp(const uint8_t* prefix, size_t size);

// Reads the BMP file whose first bytes (up to BmpCheckedPrefixSize) and
// length are given; its bytes after the file header come from `file`.
Outcome readBmpFile(Runtime& runtime, std::istream& file, const uint8_t* prefix, size_t prefixSize,
                    uint64_t fileLength, const ReadRequest& request, Picture& picture, BmpFrame& frame);

// The same from the whole file's bytes.
Outcome readBmpBytes(Runtime& runtime, const uint8_t* bytes, size_t size, const ReadRequest& request,
                     Picture& picture, BmpFrame& frame);

// Writes the picture as a BMP file behind the frame's header and padding.
Outcome writeBmpFile(Runtime& runtime, const std::filesystem::path& fileName, const Picture& picture,
                     const BmpFrame& frame);

// The kind and size a BMP file's first bytes give; false when they are not
// those of one.
bool probeBmp(const uint8_t* prefix, size_t prefixSize, PictureFacts& facts);
