// The offscreen picture that the image area is painted from: a memory DC
// holding a top-down 32-bit DIB section of the picture's size, kept while pictures
// of that size follow one another, so that showing a picture is one pass
// over its rows and painting is a plain copy.
#pragma once

#include <windows.h>

#include <cstdint>

struct OffscreenPicture {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    // What the memory DC held when it was made; put back before the bitmap
    // is deleted, since a selected bitmap cannot be.
    HGDIOBJ initialBitmap = nullptr;
    uint32_t* bits = nullptr;
    int width = 0;
    int height = 0;
};

// A white picture of width x height, compatible with the window's DC.
// False, with nothing left to release, when it cannot be made.
bool createOffscreenPicture(OffscreenPicture& picture, HWND window, int width, int height);

// Copies in the picture's 24-bit rows (bottom row first, blue, green,
// red, each row padded to a multiple of 4 bytes). A picture of another size
// replaces the bitmap and deletes the previous one; should the new one not come about, the last
// picture stays on show and false is returned.
bool showInOffscreenPicture(OffscreenPicture& picture, const uint8_t* rows, int width, int height);

// Deletes the bitmap and the memory DC.
void releaseOffscreenPicture(OffscreenPicture& picture);
