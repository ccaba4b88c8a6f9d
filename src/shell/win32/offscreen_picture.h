// The offscreen picture that the image area is painted from: a memory DC
// holding a top-down 32-bit DIB section of the picture's size, kept while
// pictures of that size follow one another, so that a view is written
// straight into it and painting is a plain copy.
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

// The picture's 32-bit pixels (0x00RRGGBB, top row first, no gaps) for
// the caller to write, the bitmap made width x height first if it is of
// another size. Null, the last picture staying on show, when a bitmap of
// that size cannot be made.
uint32_t* offscreenPixels(OffscreenPicture& picture, int width, int height);

// Deletes the bitmap and the memory DC.
void releaseOffscreenPicture(OffscreenPicture& picture);
