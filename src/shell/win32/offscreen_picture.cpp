#include "shell/win32/offscreen_picture.h"

#include <algorithm>

#include "shell/window_picture.h"

namespace {

// A top-down 32-bit DIB section, the layout the screen takes without a
// conversion at every paint; its bits are written directly.
HBITMAP createPictureBitmap(HDC dc, int width, int height, uint32_t*& bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // negative: top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* section = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &section, nullptr, 0);
    bits = static_cast<uint32_t*>(section);
    return bitmap;
}

// Selects the new bitmap and deletes the one it replaces.
void replaceBitmap(OffscreenPicture& picture, HBITMAP bitmap, uint32_t* bits, int width, int height)
{
    SelectObject(picture.dc, bitmap);
    if (picture.bitmap != nullptr) {
        DeleteObject(picture.bitmap);
    }
    picture.bitmap = bitmap;
    picture.bits = bits;
    picture.width = width;
    picture.height = height;
}

}  // namespace

bool createOffscreenPicture(OffscreenPicture& picture, HWND window, int width, int height)
{
    HDC windowDc = GetDC(window);
    picture.dc = CreateCompatibleDC(windowDc);
    ReleaseDC(window, windowDc);
    uint32_t* bits = nullptr;
    HBITMAP bitmap = picture.dc != nullptr ? createPictureBitmap(picture.dc, width, height, bits) : nullptr;
    if (bitmap == nullptr) {
        releaseOffscreenPicture(picture);
        return false;
    }
    picture.initialBitmap = GetCurrentObject(picture.dc, OBJ_BITMAP);
    replaceBitmap(picture, bitmap, bits, width, height);
    std::fill_n(bits, static_cast<size_t>(width) * static_cast<size_t>(height), WhitePixel);
    return true;
}

uint32_t* offscreenPixels(OffscreenPicture& picture, int width, int height)
{
    if (picture.dc == nullptr) {
        return nullptr;
    }
    if (width != picture.width || height != picture.height) {
        uint32_t* bits = nullptr;
        HBITMAP bitmap = createPictureBitmap(picture.dc, width, height, bits);
        if (bitmap == nullptr) {
            return nullptr;
        }
        replaceBitmap(picture, bitmap, bits, width, height);
    }
    // GDI may still be drawing from the bits.
    GdiFlush();
    return picture.bits;
}

void releaseOffscreenPicture(OffscreenPicture& picture)
{
    if (picture.dc != nullptr && picture.initialBitmap != nullptr) {
        SelectObject(picture.dc, picture.initialBitmap);
    }
    if (picture.bitmap != nullptr) {
        DeleteObject(picture.bitmap);
    }
    if (picture.dc != nullptr) {
        DeleteDC(picture.dc);
    }
    picture = OffscreenPicture{};
}
