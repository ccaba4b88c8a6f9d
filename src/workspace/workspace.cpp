#include "workspace/workspace.h"

#include <cmath>
#include <cstdlib>

#include "texts/user_texts.h"

namespace {
int32_t allocationsBeforeFailure = -1;
}

int32_t nextRandom(Workspace& ws) {
    ws.randomState = ws.randomState * RandomMultiplier + RandomIncrement;
    return randomValueOf(ws.randomState);
}

int32_t levelCount(const Preferences& prefs) {
    return static_cast<int32_t>(std::pow(2.0, prefs.depthBits));
}

int64_t rowStride(int64_t width) {
    return (3 * width + 3) / 4 * 4;
}

uint64_t displayDibSize(int32_t width, int32_t height) {
    if (width < 0 || height < 0) return UINT64_MAX;
    return DibHeaderSize + static_cast<uint64_t>(rowStride(width)) * static_cast<uint64_t>(height);
}

uint8_t* allocateBytes(size_t size) {
    if (allocationsBeforeFailure == 0) return nullptr;
    if (allocationsBeforeFailure > 0) --allocationsBeforeFailure;
    // malloc(0) may return null; a zero-sized buffer is still a buffer.
    return static_cast<uint8_t*>(std::malloc(size == 0 ? 1 : size));
}

void releaseBytes(uint8_t* bytes) {
    std::free(bytes);
}

void failAllocationsAfter(int32_t count) {
    allocationsBeforeFailure = count;
}

void releaseGreyImage(GreyImage& image) {
    releaseBytes(image.pixels);
    image = GreyImage{};
}

bool replaceGreyImage(GreyImage& image, int32_t width, int32_t height) {
    releaseGreyImage(image);
    if (width < 0 || height < 0) return false;
    uint8_t* pixels = allocateBytes(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (pixels == nullptr) return false;
    image.pixels = pixels;
    image.width = width;
    image.height = height;
    return true;
}

void releaseDisplayDib(DisplayDib& dib) {
    releaseBytes(dib.bytes);
    dib = DisplayDib{};
}

bool replaceDisplayDib(DisplayDib& dib, size_t size) {
    releaseDisplayDib(dib);
    uint8_t* bytes = allocateBytes(size);
    if (bytes == nullptr) return false;
    adoptDisplayDib(dib, bytes, size);
    return true;
}

void adoptDisplayDib(DisplayDib& dib, uint8_t* bytes, size_t size) {
    releaseDisplayDib(dib);
    dib.bytes = bytes;
    dib.size = size;
}

void releaseAll(Workspace& ws) {
    releaseGreyImage(ws.pattern);
    releaseGreyImage(ws.stereogram);
    releaseGreyImage(ws.depthMap);
    releaseDisplayDib(ws.displayDib);
}

void reportOutOfMemory(WindowHandle owner) {
    showMessage(owner, OutOfMemoryText, NoCaption);
    requestQuit(-1);
}

uint8_t greyOfLevel(int32_t level, int32_t depthStep) {
    int64_t value = static_cast<int64_t>(depthStep) * level - 1;
    if (value < 0) return 0;
    if (value > 255) return 255;
    return static_cast<uint8_t>(value);
}

const GreyImage& rasterOf(const Workspace& ws, SourceKind kind) {
    switch (kind) {
        case SourceKind::Stereogram: return ws.stereogram;
        case SourceKind::DepthMap: return ws.depthMap;
        case SourceKind::Pattern: break;
    }
    return ws.pattern;
}

bool rasterFitsImage(const Workspace& ws, SourceKind kind) {
    const GreyImage& raster = rasterOf(ws, kind);
    const int32_t width = kind == SourceKind::Pattern ? ws.patternWidth : ws.imageWidth;
    return raster.pixels != nullptr && width > 0 && raster.width == width && raster.height == ws.imageHeight;
}

bool pictureFitsImage(const Workspace& ws) {
    return ws.displayDib.bytes != nullptr && displayDibSize(ws.imageWidth, ws.imageHeight) <= ws.displayDib.size;
}
