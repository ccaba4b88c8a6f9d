// Reading and writing pictures: BMP, the program's own format, and PNG and
// JPEG, which are read as the 24-bit BMP with the same pixels would be.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "workspace/workspace.h"

// Reads a picture file into the workspace as a depth map, a stereogram or a
// pattern strip, converted to grey; its format is told by its content.
// Refused, changing nothing, when the file is damaged, too large, of an
// unsupported kind or a pattern of the wrong height; silently when it
// cannot be opened or is no picture at all. Once it is taken, the view
// viewShownAfterLoading(kind) is the one to show.
Outcome readPictureFile(Workspace& ws, const std::filesystem::path& fileName, SourceKind kind);

// The same from the whole file's bytes held in memory.
Outcome readPictureBytes(Workspace& ws, const uint8_t* bytes, size_t size, SourceKind kind);

// What the window shows once a file of that kind is loaded.
ViewKind viewShownAfterLoading(SourceKind kind);

// Writes the picture on show, as PNG when the name ends in .png (any case)
// and as BMP otherwise, whole or not at all: a new or plain file is written
// beside its place and renamed over it.
Outcome writeDisplayedPicture(const Workspace& ws, const std::filesystem::path& fileName);

// What a picture file is, from its headers alone: its format's name for
// the user and its size.
struct PictureFacts {
    const char* format = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

// False when the file cannot be opened or is no picture the program reads.
// Nothing more is checked: loading the file says whether it is whole.
bool probePictureFile(const std::filesystem::path& fileName, PictureFacts& facts);
