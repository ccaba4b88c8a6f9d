// Feeds arbitrary bytes to the BMP loader as a depth map, a stereogram and
// a pattern, each time on a fresh workspace.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "bmp/bmp.h"

namespace {

constexpr int32_t DepthMapWidth = 16;
constexpr int64_t TallestDepthMap = 1024;

// A pattern must have the depth map's height to get past the height test,
// so the depth map takes the input's own height when it is a small one.
int32_t depthMapHeightFor(const uint8_t* data, size_t size) {
    if (size < 26) return 4;
    const uint32_t field = static_cast<uint32_t>(data[22]) | static_cast<uint32_t>(data[23]) << 8 |
                           static_cast<uint32_t>(data[24]) << 16 | static_cast<uint32_t>(data[25]) << 24;
    const int64_t height = field >= 0x80000000u ? int64_t{0x100000000} - field : int64_t{field};
    return height >= 1 && height <= TallestDepthMap ? static_cast<int32_t>(height) : 4;
}

// The state a pattern load meets: a depth map and the picture on show.
bool addDepthMap(Workspace& ws, int32_t height) {
    ws.imageWidth = DepthMapWidth;
    ws.imageHeight = height;
    const size_t pictureSize = DibHeaderSize + static_cast<size_t>(rowStride(DepthMapWidth)) * static_cast<size_t>(height);
    if (!replaceGreyImage(ws.depthMap, DepthMapWidth, height) || !replaceDisplayDib(ws.displayDib, pictureSize))
        return false;
    std::memset(ws.depthMap.pixels, 0, static_cast<size_t>(DepthMapWidth) * static_cast<size_t>(height));
    std::memset(ws.displayDib.bytes, 0, pictureSize);
    return true;
}

void loadAs(const uint8_t* data, size_t size, SourceKind kind) {
    Workspace ws;
    if (kind != SourceKind::Pattern || addDepthMap(ws, depthMapHeightFor(data, size)))
        loadBmpBytes(ws, data, size, nullptr, kind);
    releaseAll(ws);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadAs(data, size, SourceKind::DepthMap);
    loadAs(data, size, SourceKind::Stereogram);
    loadAs(data, size, SourceKind::Pattern);
    return 0;
}
