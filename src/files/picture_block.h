// What the readers and writers of every format share: a picture's pixels,
// once its checks have passed, laid out as the picture on show and taken
// into the workspace; and files written whole or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "workspace/workspace.h"

// Where a block's 24-bit pixel rows lie (from pixelOffset, stride bytes
// each, the bottom row first unless topDown) behind a 40-byte info header.
struct PictureLayout {
    size_t blockSize = 0;
    size_t pixelOffset = 0;
    size_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool topDown = false;
};

// The largest file the program writes or reads as BMP: its sizes are
// 32-bit. A picture of any format is at most what such a file holds.
constexpr uint64_t LargestFileSize = 0xFFFFFFFFu;
constexpr size_t BmpFileHeaderSize = 14;

// A pattern is loaded only onto a depth map: the refusal, if it is absent.
Outcome depthMapRefusal(const Workspace& ws, SourceKind kind);

// Takes a checked block into the workspace: sets the sizes it brings,
// replaces the rasters it makes stale and fills the new one with grey
// values. The block of a depth map or stereogram becomes the picture on
// show (with a plain 40-byte header and the rows bottom first); a
// pattern's is released.
Outcome takePictureBlock(Workspace& ws, OwnedBytes block, const PictureLayout& layout, SourceKind kind);

// The 40-byte header of a plain 24-bit picture of width x height that a
// picture read from another format than BMP gets.
void writePlainInfoHeader(uint8_t* at, int32_t width, int32_t height);

// Writes head, then body, whole or not at all; false when it could not.
bool writeFileWhole(const std::filesystem::path& fileName, const uint8_t* head, size_t headSize, const uint8_t* body,
                    size_t bodySize);
