#include "workspace/workspace.h"

#include <cmath>
#include <utility>

#include "texts/user_texts.h"

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

void releaseGreyImage(GreyImage& image) {
    image = GreyImage{};
}

bool replaceGreyImage(GreyImage& image, int32_t width, int32_t height) {
    releaseGreyImage(image);
    if (width < 0 || height < 0) return false;
    OwnedBytes pixels = allocateBytes(static_cast<size_t>(width) * static_cast<size_t>(height));
    if (pixels == nullptr) return false;
    image.pixels = std::move(pixels);
    image.width = width;
    image.height = height;
    return true;
}

void releaseDisplayDib(DisplayDib& dib) {
    dib = DisplayDib{};
}

bool replaceDisplayDib(DisplayDib& dib, size_t size) {
    releaseDisplayDib(dib);
    OwnedBytes bytes = allocateBytes(size);
    if (bytes == nullptr) return false;
    adoptDisplayDib(dib, std::move(bytes), size);
    return true;
}

void adoptDisplayDib(DisplayDib& dib, OwnedBytes bytes, size_t size) {
    dib.bytes = std::move(bytes);
    dib.size = size;
}

void releaseAll(Workspace& ws) {
    releaseGreyImage(ws.pattern);
    releaseGreyImage(ws.stereogram);
    releaseGreyImage(ws.depthMap);
    releaseDisplayDib(ws.displayDib);
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

Outcome checkDepthBits(int32_t depthBits) {
    if (depthBits >= 1 && depthBits <= 8) return doneOutcome();
    return refusedOutcome(BadDepthBitsText, PreferencesWarningCaption);
}

Outcome checkRepeatCount(const Workspace& ws, int32_t repeatCount) {
    if (repeatCount >= 3 && repeatCount <= ws.imageWidth / 10) return doneOutcome();
    return refusedOutcome(BadRepeatCountRangeText, PreferencesWarningCaption);
}

void storeDepthBits(Preferences& prefs, int32_t depthBits) {
    prefs.depthBits = depthBits;
    prefs.depthStep = 256 / levelCount(prefs);
}

int32_t readFieldNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFu) return 0;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}
