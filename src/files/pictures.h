// Reading and writing pictures: BMP, the program's own format, and PNG and
// JPEG, which are read as the 24-bit BMP with the same pixels would be.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "files/bmp_frame.h"
#include "files/read_request.h"
#include "picture/outcome.h"
#include "picture/picture.h"

// Reads a picture file; its format is told by its content. Once the file's
// checks have passed, `picture` is replaced (released first, so that after
// running out of memory it is absent) and `frame` takes the header and
// padding a save writes back: a BMP file's own, a plain one for the other
// formats. Refused, changing nothing, when the file is damaged, too large,
// of an unsupported kind or of the wrong height; silently when it cannot be
// opened or is no picture at all.
Outcome readPictureFile(Runtime& runtime, const std::filesystem::path& fileName, const ReadRequest& request,
                        Picture& picture, BmpFrame& frame);

// The same from the whole file's bytes held in memory.
Outcome readPictureBytes(Runtime& runtime, const uint8_t* bytes, size_t size, const ReadRequest& request,
                         Picture& picture, BmpFrame& frame);

// Writes the picture, as PNG when the name ends in .png (any case) and as
// BMP behind the frame's header and padding otherwise, whole or not at all.
// Refused with "Błąd zapisu pliku!" when it could not.
Outcome writePictureFile(Runtime& runtime, const std::filesystem::path& fileName, const Picture& picture,
                         const BmpFrame& frame);

// Whether the picture is in a lossy format (JPEG), by its first bytes: a
// stereogram saved so has lost its exact repeats. False for a file that
// cannot be opened.
bool isLossyPictureFile(const std::filesystem::path& fileName);
bool isLossyPictureBytes(const uint8_t* bytes, size_t size);

// False when the file cannot be opened or is no picture the program reads.
// Nothing more is checked: loading the file says whether it is whole.
bool probePictureFile(Runtime& runtime, const std::filesystem::path& fileName, PictureFacts& facts);
