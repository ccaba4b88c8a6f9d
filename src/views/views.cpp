#include "views/views.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "texts/user_texts.h"

namespace {

constexpr int32_t ControlSquareSize = 20;
constexpr int32_t ControlSquareTop = 20;

using GreyTable = std::array<uint8_t, 256>;

GreyTable identityTable() {
    GreyTable table{};
    for (int32_t v = 0; v < 256; ++v) table[v] = static_cast<uint8_t>(v);
    return table;
}

// The depth levels as wall-eyed generation sees them: value v falls into
// level (v + 1) / depthStep, shown as that level's grey value.
GreyTable quantisedTable(int32_t depthStep) {
    GreyTable table{};
    for (int32_t v = 0; v < 256; ++v)
        table[v] = depthStep > 0 ? greyOfLevel((v + 1) / depthStep, depthStep) : static_cast<uint8_t>(v);
    return table;
}

// Each value's three bytes (blue, green, red) and one spare byte, laid out
// in memory as they are to be stored, whatever the byte order of a word.
using PixelTable = std::array<uint32_t, 256>;

PixelTable pixelTableOf(const GreyTable& greys) {
    PixelTable pixels{};
    for (size_t v = 0; v < pixels.size(); ++v) {
        const uint8_t bytes[4] = {greys[v], greys[v], greys[v], 0};
        std::memcpy(&pixels[v], bytes, sizeof bytes);
    }
    return pixels;
}

// One four-byte store per pixel: its spare byte lands on the next pixel's
// first byte, which that pixel's store then overwrites. The last pixel is
// stored as its three bytes alone, so nothing after the row is touched.
void writeGreyPixels(uint8_t* out, const uint8_t* values, int32_t count, const PixelTable& table) {
    if (count <= 0) return;
    int32_t x = 0;
    for (; x + 4 < count; x += 4, out += 12) {
        std::memcpy(out, &table[values[x]], 4);
        std::memcpy(out + 3, &table[values[x + 1]], 4);
        std::memcpy(out + 6, &table[values[x + 2]], 4);
        std::memcpy(out + 9, &table[values[x + 3]], 4);
    }
    for (; x + 1 < count; ++x, out += 3) std::memcpy(out, &table[values[x]], 4);
    std::memcpy(out, &table[values[count - 1]], 3);
}

void writeBlackPixels(uint8_t* out, int32_t count) {
    if (count > 0) std::memset(out, 0, static_cast<size_t>(count) * 3);
}

void writePatternTiled(uint8_t* out, const uint8_t* strip, int32_t stripWidth, int32_t width,
                       const PixelTable& table) {
    for (int32_t x = 0; x < width; x += stripWidth)
        writeGreyPixels(out + 3 * static_cast<size_t>(x), strip, std::min(stripWidth, width - x), table);
}

void blackenSpan(uint8_t* out, int32_t left, int32_t width) {
    int32_t first = std::max(left, 0);
    int32_t end = std::min(left + ControlSquareSize, width);
    if (first < end) writeBlackPixels(out + 3 * static_cast<size_t>(first), end - first);
}

// One picture row, y counted from the top, into its place in the DisplayDib.
void writeViewRow(const Workspace& ws, ViewKind view, int32_t y, uint8_t* out, const PixelTable& table) {
    const int32_t width = ws.imageWidth;
    const size_t rowStart = static_cast<size_t>(y) * static_cast<size_t>(width);
    switch (view) {
        case ViewKind::StereogramWithDots:
        case ViewKind::StereogramPlain:
            writeGreyPixels(out, ws.stereogram.pixels.get() + rowStart, width, table);
            break;
        case ViewKind::DepthQuantised:
        case ViewKind::DepthOriginal:
            writeGreyPixels(out, ws.depthMap.pixels.get() + rowStart, width, table);
            break;
        case ViewKind::PatternTiled:
        case ViewKind::PatternStrip: {
            const int32_t stripWidth = ws.patternWidth;
            const uint8_t* strip = ws.pattern.pixels.get() + static_cast<size_t>(y) * static_cast<size_t>(stripWidth);
            if (view == ViewKind::PatternTiled) {
                writePatternTiled(out, strip, stripWidth, width, table);
            } else {
                int32_t shown = std::min(stripWidth, width);
                writeGreyPixels(out, strip, shown, table);
                writeBlackPixels(out + 3 * static_cast<size_t>(shown), width - shown);
            }
            break;
        }
    }
    if (view == ViewKind::StereogramWithDots && y >= ControlSquareTop &&
        y < ControlSquareTop + ControlSquareSize) {
        blackenSpan(out, (width - ws.patternWidth) / 2, width);
        blackenSpan(out, (width + ws.patternWidth) / 2, width);
    }
}

}  // namespace

Outcome drawView(Workspace& ws, SourceKind source, ViewKind view) {
    const bool fits = rasterFitsImage(ws, source);
    // A pattern made for an image of another height is kept but not shown;
    // a stereogram of another size counts as absent.
    if (source == SourceKind::Pattern && !fits && rasterOf(ws, source).pixels != nullptr)
        return refusedOutcome(PatternHeightText, NoCaption);
    if (!fits) return refusedOutcome(NothingToShowText, ViewWarningCaption);
    if (!pictureFitsImage(ws)) return silentRefusal();

    const PixelTable table = pixelTableOf(view == ViewKind::DepthQuantised ? quantisedTable(ws.preferences.depthStep)
                                                                           : identityTable());
    const size_t stride = static_cast<size_t>(rowStride(ws.imageWidth));
    uint8_t* rows = ws.displayDib.bytes.get() + DibHeaderSize;
    for (int32_t j = 0; j < ws.imageHeight; ++j)
        writeViewRow(ws, view, ws.imageHeight - 1 - j, rows + static_cast<size_t>(j) * stride, table);
    return doneOutcome();
}
