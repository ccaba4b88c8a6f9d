// Reading and writing 24-bit BMP files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "workspace/workspace.h"

// Reads a 24-bit BMP file into the workspace as a depth map, a stereogram
// or a pattern strip, converted to grey. Refused, changing nothing, when
// the file is damaged, of another kind or a pattern of the wrong height;
// silently when it cannot be opened or is no BMP at all. Once it is taken,
// the view viewShownAfterLoading(kind) is the one to show.
Outcome readPictureFile(Workspace& ws, const std::filesystem::path& fileName, SourceKind kind);

// The same from the whole file's bytes held in memory.
Outcome readPictureBytes(Workspace& ws, const uint8_t* bytes, size_t size, SourceKind kind);

// What the window shows once a file of that kind is loaded.
ViewKind viewShownAfterLoading(SourceKind kind);

// Writes the picture on show as a BMP file, whole or not at all: a new or
// plain file is written beside its place and renamed over it.
Outcome writeDisplayedPicture(const Workspace& ws, const std::filesystem::path& fileName);

// What a picture file is, from its first bytes alone: its format's name for
// the user and its size.
struct PictureFacts {
    const char* format = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// False when the file cannot be opened or is no picture the program reads.
// Nothing more is checked: loading the file says whether it is whole.
bool probePictureFile(const std::filesystem::path& fileName, PictureFacts& facts);
