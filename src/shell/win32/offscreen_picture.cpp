#include "shell/win32/offscreen_picture.h"

#include <cstring>

namespace {

// The 24-bit rows, padded to a multiple of 4 bytes, into the 32-bit pixels
// (blue, green, red, unused) of the same rows.
void copyRows(uint32_t* pixels, const uint8_t* rows, int width, int height)
{
    const size_t stride = (3 * static_cast<size_t>(width) + 3) / 4 * 4;
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = rows + static_cast<size_t>(y) * stride;
        uint32_t* out = pixels + static_cast<size_t>(y) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x, in += 3) {
            out[x] = in[0] | static_cast<uint32_t>(in[1]) << 8 | static_cast<uint32_t>(in[2]) << 16;
        }
    }
}

// A bottom-up 32-bit DIB section, the layout the screen takes without a
// conversion at every paint; its bits are written directly.
HBITMAP createPictureBitmap(HDC dc, int width, int height, uint32_t*& bits)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
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
    std::memset(bits, 0xFF, sizeof(uint32_t) * static_cast<size_t>(width) * static_cast<size_t>(height));
    return true;
}

bool showInOffscreenPicture(OffscreenPicture& picture, const uint8_t* rows, int width, int height)
{
    if (picture.dc == nullptr) {
        return false;
    }
    if (width != picture.width || height != picture.height) {
        uint32_t* bits = nullptr;
        HBITMAP bitmap = createPictureBitmap(picture.dc, width, height, bits);
        if (bitmap == nullptr) {
            return false;
        }
        replaceBitmap(picture, bitmap, bits, width, height);
    }
    // GDI may still be drawing from the bits.
    GdiFlush();
    copyRows(picture.bits, rows, width, height);
    return true;
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
