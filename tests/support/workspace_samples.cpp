#include "workspace_samples.h"

#include "views/views.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A sample that cannot be made is a fault of the test itself: it stops the
// whole run with the reason.
void requireSample(bool made, const char* what) {
    if (made) return;
    std::fprintf(stderr, "test sample not made: %s\n", what);
    std::abort();
}

void putHeaderField(uint8_t* header, size_t offset, uint32_t value) {
    for (size_t i = 0; i < 4; ++i) header[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

std::vector<uint8_t> bytesOf(const uint8_t* bytes, size_t size) {
    if (bytes == nullptr) return {};
    return std::vector<uint8_t>(bytes, bytes + size);
}

}  // namespace

void putPictureOnShow(Workspace& ws, int32_t width, int32_t height, uint8_t fill) {
    ws.imageWidth = width;
    ws.imageHeight = height;
    const size_t rowsSize = static_cast<size_t>(rowStride(width)) * static_cast<size_t>(height);
    requireSample(replaceDisplayDib(ws.displayDib, DibHeaderSize + rowsSize), "no memory for the picture on show");
    uint8_t* header = ws.displayDib.bytes.get();
    std::memset(header, 0, DibHeaderSize);
    std::memset(header + DibHeaderSize, fill, rowsSize);
    putHeaderField(header, 0, 40);
    putHeaderField(header, 4, static_cast<uint32_t>(width));
    putHeaderField(header, 8, static_cast<uint32_t>(height));
    header[12] = 1;   // planes
    header[14] = 24;  // bits per pixel
    putHeaderField(header, 20, static_cast<uint32_t>(rowsSize));
    putHeaderField(header, 24, 2835);  // 72 dots per inch
    putHeaderField(header, 28, 2836);
}

void putRaster(GreyImage& image, int32_t width, int32_t height, const std::vector<uint8_t>& pixels) {
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
    requireSample(pixels.size() == size, "the raster's pixels do not match its size");
    requireSample(replaceGreyImage(image, width, height), "no memory for the raster");
    if (size != 0) std::memcpy(image.pixels.get(), pixels.data(), size);
}

void putPattern(Workspace& ws, int32_t width, int32_t height, const std::vector<uint8_t>& pixels) {
    putRaster(ws.pattern, width, height, pixels);
    ws.patternWidth = width;
}

void putStereogram(Workspace& ws, int32_t width, int32_t height, const std::vector<uint8_t>& pixels) {
    ws.imageWidth = width;
    ws.imageHeight = height;
    putRaster(ws.stereogram, width, height, pixels);
}

void setDepthBits(Preferences& prefs, int32_t depthBits) {
    prefs.depthBits = depthBits;
    prefs.depthStep = 256 >> depthBits;
}

std::vector<uint8_t> rasterBytes(const GreyImage& image) {
    return bytesOf(image.pixels.get(), static_cast<size_t>(image.width) * static_cast<size_t>(image.height));
}

std::vector<uint8_t> dibBytes(Workspace& ws) {
    settleShownView(ws);
    return bytesOf(ws.displayDib.bytes.get(), ws.displayDib.size);
}

int32_t dibHeaderField(const Workspace& ws, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(ws.displayDib.bytes[offset + i]) << (8 * i);
    return static_cast<int32_t>(value);
}

int shownGrey(Workspace& ws, int32_t x, int32_t y) {
    settleShownView(ws);
    const size_t row = static_cast<size_t>(ws.imageHeight - 1 - y);
    const uint8_t* pixel =
        ws.displayDib.bytes.get() + DibHeaderSize + row * static_cast<size_t>(rowStride(ws.imageWidth)) + 3 * x;
    if (pixel[0] != pixel[1] || pixel[1] != pixel[2]) return -1;
    return pixel[0];
}

WorkspaceSnapshot snapshotOf(Workspace& ws) {
    WorkspaceSnapshot s;
    s.imageWidth = ws.imageWidth;
    s.imageHeight = ws.imageHeight;
    s.patternWidth = ws.patternWidth;
    s.randomState = ws.randomState;
    s.preferences = ws.preferences;
    s.buffers[0] = ws.depthMap.pixels.get();
    s.buffers[1] = ws.pattern.pixels.get();
    s.buffers[2] = ws.stereogram.pixels.get();
    s.buffers[3] = ws.displayDib.bytes.get();
    const GreyImage* rasters[] = {&ws.depthMap, &ws.pattern, &ws.stereogram};
    for (int i = 0; i < 3; ++i) {
        s.rasterSizes[2 * i] = rasters[i]->width;
        s.rasterSizes[2 * i + 1] = rasters[i]->height;
    }
    s.depthMap = rasterBytes(ws.depthMap);
    s.pattern = rasterBytes(ws.pattern);
    s.stereogram = rasterBytes(ws.stereogram);
    s.displayDib = dibBytes(ws);
    return s;
}

std::string firstDifference(const WorkspaceSnapshot& a, const WorkspaceSnapshot& b) {
    if (a.imageWidth != b.imageWidth) return "imageWidth";
    if (a.imageHeight != b.imageHeight) return "imageHeight";
    if (a.patternWidth != b.patternWidth) return "patternWidth";
    if (a.randomState != b.randomState) return "randomState";
    const Preferences& p = a.preferences;
    const Preferences& q = b.preferences;
    if (p.depthBits != q.depthBits || p.depthStep != q.depthStep || p.repeatCount != q.repeatCount ||
        p.minMatch != q.minMatch || p.searchRange != q.searchRange || p.wallEyed != q.wallEyed ||
        p.randomFill != q.randomFill || p.unresolvedPolicy != q.unresolvedPolicy)
        return "preferences";
    const char* const bufferNames[] = {"DepthMap address", "Pattern address", "Stereogram address",
                                       "DisplayDib address"};
    for (int i = 0; i < 4; ++i)
        if (a.buffers[i] != b.buffers[i]) return bufferNames[i];
    for (int i = 0; i < 6; ++i)
        if (a.rasterSizes[i] != b.rasterSizes[i]) return "raster size";
    if (a.depthMap != b.depthMap) return "DepthMap bytes";
    if (a.pattern != b.pattern) return "Pattern bytes";
    if (a.stereogram != b.stereogram) return "Stereogram bytes";
    if (a.displayDib != b.displayDib) return "DisplayDib bytes";
    return "";
}
