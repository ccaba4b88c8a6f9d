// Reading and writing 24-bit BMP files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "workspace/workspace.h"

// Reads a 24-bit BMP file as a depth map, a stereogram or a pattern strip,
// converts it to grey and shows it. Returns 1 when the file was taken into
// the workspace, 0 when it was refused (with a message, or silently for a
// file that cannot be opened or is no BMP).
int32_t loadBmp(Workspace& ws, const std::filesystem::path& fileName, WindowHandle mainWindow,
                SourceKind kind);

// The same load from the whole file's bytes held in memory: every check,
// message and workspace effect of loadBmp once the file is open.
int32_t loadBmpBytes(Workspace& ws, const uint8_t* bytes, size_t size, WindowHandle mainWindow,
                     SourceKind kind);

// Writes the picture on show as a BMP file. Returns 1 when the whole file
// was written, 0 otherwise (with a message; a partial file is removed).
int32_t saveDisplayedPicture(const Workspace& ws, const std::filesystem::path& fileName,
                             WindowHandle mainWindow);
