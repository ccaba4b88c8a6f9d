#include "workspace_samples.h"

#include "engine/engine.h"

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

}  // namespace

Workspace freshWorkspace() {
    Workspace ws;
    ws.runtime = &testRuntime();
    return ws;
}

void putPictureOnShow(Workspace& ws, int32_t width, int32_t height, uint8_t fill) {
    ws.imageWidth = width;
    ws.imageHeight = height;
    const size_t rowsSize = static_cast<size_t>(rowStride(width)) * static_cast<size_t>(height);
    DisplayDib& dib = ws.displayDib;
    dib.present = true;
    uint8_t* header = dib.frame.header;
    std::memset(header, 0, DibHeaderSize);
    putHeaderField(header, 0, 40);
    putHeaderField(header, 4, static_cast<uint32_t>(width));
    putHeaderField(header, 8, static_cast<uint32_t>(height));
    header[12] = 1;   // planes
    header[14] = 24;  // bits per pixel
    putHeaderField(header, 20, static_cast<uint32_t>(rowsSize));
    putHeaderField(header, 24, 2835);  // 72 dots per inch
    putHeaderField(header, 28, 2836);
    const size_t padding = static_cast<size_t>(rowStride(width) - 3 * static_cast<int64_t>(width));
    dib.frame.padding = allocateBytes(testRuntime(), padding * static_cast<size_t>(height));
    requireSample(dib.frame.padding != nullptr, "no memory for the padding on show");
    std::memset(dib.frame.padding.get(), fill, padding * static_cast<size_t>(height));
    dib.picture = pictureOf(width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height, fill));
    requireSample(isPresent(dib.picture), "no memory for the picture on show");
}

void putRaster(Picture& image, int32_t width, int32_t height, const std::vector<uint8_t>& pixels) {
    const size_t size = static_cast<size_t>(width) * static_cast<size_t>(height);
    requireSample(pixels.size() == size, "the raster's pixels do not match its size");
    image = pictureOf(width, height, pixels);
    requireSample(isPresent(image), "no memory for the raster");
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

std::vector<uint8_t> rasterBytes(const Picture& image) {
    return bytesOf(image);
}

std::vector<uint8_t> dibBytes(Workspace& ws) {
    settleShownView(ws);
    const DisplayDib& dib = ws.displayDib;
    if (!dib.present) return {};
    if (!isPresent(dib.picture)) return std::vector<uint8_t>(dib.frame.header, dib.frame.header + DibHeaderSize);
    // Packed on a runtime of its own, which the tests' out-of-memory hook
    // does not reach: a look at what is on show never fails for want of it.
    Runtime looking(1);
    size_t size = 0;
    const OwnedBytes packed = packBmpRows(looking, dib.picture, dib.frame, size);
    requireSample(packed != nullptr, "no memory to pack the picture on show");
    return std::vector<uint8_t>(packed.get(), packed.get() + size);
}

int32_t dibHeaderField(const Workspace& ws, size_t offset) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(ws.displayDib.frame.header[offset + i]) << (8 * i);
    return static_cast<int32_t>(value);
}

int shownGrey(Workspace& ws, int32_t x, int32_t y) {
    settleShownView(ws);
    const Picture& picture = ws.displayDib.picture;
    const uint8_t* pixel = rowOf(picture, y) + static_cast<size_t>(x) * static_cast<size_t>(picture.channels);
    if (isColour(picture) && (pixel[0] != pixel[1] || pixel[1] != pixel[2])) return -1;
    return pixel[0];
}

WorkspaceSnapshot snapshotOf(Workspace& ws) {
    settleShownView(ws);
    WorkspaceSnapshot s;
    s.imageWidth = ws.imageWidth;
    s.imageHeight = ws.imageHeight;
    s.patternWidth = ws.patternWidth;
    s.randomState = ws.randomState;
    s.preferences = ws.preferences;
    s.buffers[0] = ws.depthMap.pixels.get();
    s.buffers[1] = ws.pattern.pixels.get();
    s.buffers[2] = ws.stereogram.pixels.get();
    s.buffers[3] = ws.displayDib.picture.pixels.get();
    const Picture* rasters[] = {&ws.depthMap, &ws.pattern, &ws.stereogram};
    for (int i = 0; i < 3; ++i) {
        s.rasterSizes[3 * i] = rasters[i]->width;
        s.rasterSizes[3 * i + 1] = rasters[i]->height;
        s.rasterSizes[3 * i + 2] = rasters[i]->channels;
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
        p.randomFill != q.randomFill || p.unresolvedPolicy != q.unresolvedPolicy || p.colour != q.colour)
        return "preferences";
    const char* const bufferNames[] = {"DepthMap address", "Pattern address", "Stereogram address",
                                       "DisplayDib address"};
    for (int i = 0; i < 4; ++i)
        if (a.buffers[i] != b.buffers[i]) return bufferNames[i];
    for (int i = 0; i < 9; ++i)
        if (a.rasterSizes[i] != b.rasterSizes[i]) return "raster size";
    if (a.depthMap != b.depthMap) return "DepthMap bytes";
    if (a.pattern != b.pattern) return "Pattern bytes";
    if (a.stereogram != b.stereogram) return "Stereogram bytes";
    if (a.displayDib != b.displayDib) return "DisplayDib bytes";
    return "";
}

namespace {

const Picture& fittingStereogram(const Workspace& ws) {
    static const Picture none;
    return rasterFitsImage(ws, SourceKind::Stereogram) ? ws.stereogram : none;
}

}  // namespace

int32_t matchRunLeft(const Workspace& ws, int32_t x, int32_t row, int32_t distance) {
    return matchRunLeft(fittingStereogram(ws), ws.preferences.minMatch, x, row, distance);
}

int32_t matchRunRight(const Workspace& ws, int32_t x, int32_t row, int32_t separation) {
    return matchRunRight(fittingStereogram(ws), ws.preferences.minMatch, x, row, separation);
}

int32_t detectPatternWidth(const Workspace& ws) {
    return detectPatternWidth(fittingStereogram(ws), ws.preferences.minMatch);
}

namespace {

size_t formIndexOf(const std::string& name) {
    const std::vector<PreferencesControl>& controls = preferencesControls();
    for (size_t i = 0; i < controls.size(); ++i)
        if (controls[i].name == name) return i;
    requireSample(false, "the Preferences dialog has no control of that name");
    return 0;
}

}  // namespace

void setFormText(PreferencesForm& form, const std::string& name, const std::string& text) {
    form.texts[formIndexOf(name)] = text;
}

void setFormTick(PreferencesForm& form, const std::string& name, bool ticked) {
    form.ticks[formIndexOf(name)] = ticked;
}

std::string formText(const PreferencesForm& form, const std::string& name) {
    return form.texts[formIndexOf(name)];
}

bool formTick(const PreferencesForm& form, const std::string& name) {
    return form.ticks[formIndexOf(name)];
}
