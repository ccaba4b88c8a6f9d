#include "views/views.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "texts/user_texts.h"
#include "workspace/parallel_rows.h"

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

// How the pixels of a picture are stored. The DisplayDib: three bytes each
// (blue, green, red), rows bottom first and padded to 4 bytes. The screen:
// one 32-bit word each, 0xFFRRGGBB, rows top first with no gaps. Either
// way a table gives each grey value its pixel.
using PixelTable = std::array<uint32_t, 256>;

struct DibPixels {
    static constexpr size_t Bytes = 3;

    // Each value's three bytes and a spare one, laid out in memory as they
    // are to be stored, whatever the byte order of a word.
    static PixelTable table(const GreyTable& greys) {
        PixelTable pixels{};
        for (size_t v = 0; v < pixels.size(); ++v) {
            const uint8_t bytes[4] = {greys[v], greys[v], greys[v], 0};
            std::memcpy(&pixels[v], bytes, sizeof bytes);
        }
        return pixels;
    }

    // One four-byte store per pixel: its spare byte lands on the next
    // pixel's first byte, which that pixel's store then overwrites. The last
    // pixel is stored as its three bytes alone, so nothing after the row is
    // touched.
    static void write(uint8_t* out, const uint8_t* values, int32_t count, const PixelTable& table) {
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

    static void writeBlack(uint8_t* out, int32_t count) {
        if (count > 0) std::memset(out, 0, static_cast<size_t>(count) * Bytes);
    }
};

struct ScreenPixels {
    static constexpr size_t Bytes = 4;
    static constexpr uint32_t Opaque = 0xFF000000u;

    static PixelTable table(const GreyTable& greys) {
        PixelTable pixels{};
        for (size_t v = 0; v < pixels.size(); ++v) pixels[v] = Opaque | greys[v] * 0x010101u;
        return pixels;
    }

    static void write(uint8_t* out, const uint8_t* values, int32_t count, const PixelTable& table) {
        for (int32_t x = 0; x < count; ++x, out += Bytes) std::memcpy(out, &table[values[x]], Bytes);
    }

    static void writeBlack(uint8_t* out, int32_t count) {
        for (int32_t x = 0; x < count; ++x, out += Bytes) std::memcpy(out, &Opaque, Bytes);
    }
};

template <class Pixels>
void writePatternTiled(uint8_t* out, const uint8_t* strip, int32_t stripWidth, int32_t width,
                       const PixelTable& table) {
    for (int32_t x = 0; x < width; x += stripWidth)
        Pixels::write(out + Pixels::Bytes * static_cast<size_t>(x), strip, std::min(stripWidth, width - x), table);
}

template <class Pixels>
void blackenSpan(uint8_t* out, int32_t left, int32_t width) {
    int32_t first = std::max(left, 0);
    int32_t end = std::min(left + ControlSquareSize, width);
    if (first < end) Pixels::writeBlack(out + Pixels::Bytes * static_cast<size_t>(first), end - first);
}

// One picture row, y counted from the top.
template <class Pixels>
void writeViewRow(const Workspace& ws, ViewKind view, int32_t y, uint8_t* out, const PixelTable& table) {
    const int32_t width = ws.imageWidth;
    const size_t rowStart = static_cast<size_t>(y) * static_cast<size_t>(width);
    switch (view) {
        case ViewKind::StereogramWithDots:
        case ViewKind::StereogramPlain:
            Pixels::write(out, ws.stereogram.pixels.get() + rowStart, width, table);
            break;
        case ViewKind::DepthQuantised:
        case ViewKind::DepthOriginal:
            Pixels::write(out, ws.depthMap.pixels.get() + rowStart, width, table);
            break;
        case ViewKind::PatternTiled:
        case ViewKind::PatternStrip: {
            const int32_t stripWidth = ws.patternWidth;
            const uint8_t* strip = ws.pattern.pixels.get() + static_cast<size_t>(y) * static_cast<size_t>(stripWidth);
            if (view == ViewKind::PatternTiled) {
                writePatternTiled<Pixels>(out, strip, stripWidth, width, table);
            } else {
                int32_t shown = std::min(stripWidth, width);
                Pixels::write(out, strip, shown, table);
                Pixels::writeBlack(out + Pixels::Bytes * static_cast<size_t>(shown), width - shown);
            }
            break;
        }
    }
    if (view == ViewKind::StereogramWithDots && y >= ControlSquareTop &&
        y < ControlSquareTop + ControlSquareSize) {
        blackenSpan<Pixels>(out, (width - ws.patternWidth) / 2, width);
        blackenSpan<Pixels>(out, (width + ws.patternWidth) / 2, width);
    }
}

template <class Pixels>
PixelTable tableFor(const Workspace& ws, ViewKind view) {
    return Pixels::table(view == ViewKind::DepthQuantised ? quantisedTable(ws.preferences.depthStep)
                                                          : identityTable());
}

// Whether the chosen view can still be drawn: its raster there and fitting.
bool shownViewDrawable(const Workspace& ws) {
    return ws.shownView.chosen && rasterFitsImage(ws, ws.shownView.source);
}

// Every row of a view is written on its own, so the rows are shared out
// among the cores.
template <class WriteRow>
void onEveryCore(int32_t height, const WriteRow& writeRow) {
    forEachRowRunOnEveryCore(height, [&writeRow](int32_t begin, int32_t end) {
        for (int32_t row = begin; row < end; ++row) writeRow(row);
    });
}

uint32_t inputsOf(ViewKind view) {
    switch (view) {
        case ViewKind::StereogramWithDots: return ReadsStereogram | ReadsPatternWidth;
        case ViewKind::StereogramPlain: return ReadsStereogram;
        case ViewKind::DepthQuantised: return ReadsDepthMap | ReadsDepthStep;
        case ViewKind::DepthOriginal: return ReadsDepthMap;
        case ViewKind::PatternTiled:
        case ViewKind::PatternStrip: break;
    }
    return ReadsPattern | ReadsPatternWidth;
}

}  // namespace

Outcome chooseView(Workspace& ws, SourceKind source, ViewKind view) {
    const bool fits = rasterFitsImage(ws, source);
    // A pattern made for an image of another height is kept but not shown;
    // a stereogram of another size counts as absent.
    if (source == SourceKind::Pattern && !fits && rasterOf(ws, source).pixels != nullptr)
        return refusedOutcome(PatternHeightText, NoCaption);
    if (!fits) return refusedOutcome(NothingToShowText, ViewWarningCaption);
    if (!pictureFitsImage(ws)) return silentRefusal();
    ws.shownView = ShownView{true, source, view, false, false};
    return doneOutcome();
}

void settleShownView(Workspace& ws) {
    ShownView& shown = ws.shownView;
    if (shown.inDisplayDib) return;
    shown.inDisplayDib = true;
    if (!shownViewDrawable(ws) || !pictureFitsImage(ws)) return;
    const PixelTable table = tableFor<DibPixels>(ws, shown.view);
    const size_t stride = static_cast<size_t>(rowStride(ws.imageWidth));
    uint8_t* rows = ws.displayDib.bytes.get() + DibHeaderSize;
    // The DIB keeps its rows bottom up.
    onEveryCore(ws.imageHeight, [&](int32_t j) {
        writeViewRow<DibPixels>(ws, shown.view, ws.imageHeight - 1 - j, rows + static_cast<size_t>(j) * stride, table);
    });
}

Outcome drawView(Workspace& ws, SourceKind source, ViewKind view) {
    const Outcome chosen = chooseView(ws, source, view);
    if (chosen.kind == OutcomeKind::Done) settleShownView(ws);
    return chosen;
}

void drawShownViewForScreen(const Workspace& ws, uint32_t* pixels) {
    if (!shownViewDrawable(ws)) return;
    const ViewKind view = ws.shownView.view;
    const PixelTable table = tableFor<ScreenPixels>(ws, view);
    const size_t stride = static_cast<size_t>(ws.imageWidth) * ScreenPixels::Bytes;
    uint8_t* rows = reinterpret_cast<uint8_t*>(pixels);
    onEveryCore(ws.imageHeight, [&](int32_t y) {
        writeViewRow<ScreenPixels>(ws, view, y, rows + static_cast<size_t>(y) * stride, table);
    });
}

bool shownViewWaitsOn(const Workspace& ws, uint32_t inputs) {
    const ShownView& shown = ws.shownView;
    return shown.chosen && !(shown.inDisplayDib && shown.onScreen) && (inputsOf(shown.view) & inputs) != 0;
}
