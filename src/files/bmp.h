// 24-bit BMP files, the program's own format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <istream>

#include "files/pictures.h"
#include "workspace/workspace.h"

// The file header and a 40-byte info header: every field the checks read.
constexpr size_t BmpCheckedPrefixSize = 54;

// True when the file's first bytes are those of a BMP file ("BM").
bool startsLikeBmp(const uint8_t* prefix, size_t size);

// Reads the BMP file whose first bytes (up to BmpCheckedPrefixSize) and
// length are given; its bytes after the file header come from `file`.
Outcome readBmpFile(Workspace& ws, std::istream& file, const uint8_t* prefix, size_t prefixSize,
                    uint64_t fileLength, SourceKind kind);

// The same from the whole file's bytes.
Outcome readBmpBytes(Workspace& ws, const uint8_t* bytes, size_t size, SourceKind kind);

// Writes the picture on show as a BMP file.
Outcome writeBmpFile(const Workspace& ws, const std::filesystem::path& fileName);

// The kind and size a BMP file's first bytes give; false when they are not
// those of one.
bool probeBmp(const uint8_t* prefix, size_t prefixSize, PictureFacts& facts);
