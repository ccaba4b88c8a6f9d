// Feeds arbitrary bytes to the picture loader (BMP, PNG and JPEG, told by
// their content) as a depth map, a stereogram and a pattern (in grey and in
// colour), each time on a fresh workspace; a picture it takes as a
// stereogram is also classified, as a file from outside is.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "operations/operations.h"
#include "recording_platform.h"
#include "picture/little_endian.h"
#include "workspace_samples.h"

namespace {

constexpr int32_t DepthMapWidth = 16;
constexpr int64_t TallestDepthMap = 1024;

// A pattern must have the depth map's height to get past the height test,
// so the depth map takes the input's own height (a BMP's or a PNG's) when
// it is a small one.
int32_t depthMapHeightFor(const uint8_t* data, size_t size) {
    if (size < 26) return 4;
    int64_t height = 0;
    if (data[0] == 0x89 && data[1] == 'P') {
        // A PNG's height, big-endian, in its first chunk.
        for (size_t i = 20; i < 24; ++i) height = height << 8 | data[i];
    } else {
        const uint32_t field = readLe32(data + 22);
        height = field >= 0x80000000u ? int64_t{0x100000000} - field : int64_t{field};
    }
    return height >= 1 && height <= TallestDepthMap ? static_cast<int32_t>(height) : 4;
}

// The state a pattern load meets: a depth map and the picture on show.
void addDepthMap(Workspace& ws, int32_t height) {
    putPictureOnShow(ws, DepthMapWidth, height, 0);
    putRaster(ws.depthMap, DepthMapWidth, height, std::vector<uint8_t>(static_cast<size_t>(DepthMapWidth) * height));
}

void loadAs(const uint8_t* data, size_t size, SourceKind kind, bool colour) {
    Workspace ws = freshWorkspace();
    ws.preferences.colour = colour;
    if (kind == SourceKind::Pattern) addDepthMap(ws, depthMapHeightFor(data, size));
    if (loadBmpBytes(ws, data, size, nullptr, kind) == 1 && kind == SourceKind::Stereogram)
        looksLikeStereogram(ws.stereogram);
    releaseAll(ws);
    resetRecordedUi();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    loadAs(data, size, SourceKind::DepthMap, false);
    // With colour on, stereograms and patterns keep their colours, and a
    // pattern of any height is taken.
    for (bool colour : {false, true}) {
        loadAs(data, size, SourceKind::Stereogram, colour);
        loadAs(data, size, SourceKind::Pattern, colour);
    }
    return 0;
}
