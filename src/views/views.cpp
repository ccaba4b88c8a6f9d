#include "views/views.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "picture/depth_levels.h"
#include "picture/parallel_rows.h"

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

// How a view's pixels are stored. A picture: its own channels, one byte
// each. The screen: one 32-bit word each, 0xFFRRGGBB. Grey values go
// through the view's table (the quantised depth's, or one that keeps them);
// colour pixels are taken as they are.
struct PictureOut {
    const GreyTable& greys;
    bool keepsGreys;
    int32_t channels;

    size_t pixelBytes() const { return static_cast<size_t>(channels); }

    void write(uint8_t* out, const uint8_t* values, int32_t count) const {
        if (count <= 0) return;
        if (channels != GreyChannels || keepsGreys) {
            std::memcpy(out, values, static_cast<size_t>(count) * pixelBytes());
            return;
        }
        for (int32_t x = 0; x < count; ++x) out[x] = greys[values[x]];
    }

    void writeBlack(uint8_t* out, int32_t count) const {
        if (count > 0) std::memset(out, 0, static_cast<size_t>(count) * pixelBytes());
    }
};

struct ScreenOut {
    static constexpr uint32_t Opaque = 0xFF000000u;
    std::array<uint32_t, 256> greys;
    int32_t channels;

    ScreenOut(const GreyTable& table, int32_t sourceChannels) : greys(), channels(sourceChannels) {
        for (size_t v = 0; v < greys.size(); ++v) greys[v] = Opaque | table[v] * 0x010101u;
    }

    static size_t pixelBytes() { return sizeof(uint32_t); }

    void write(uint8_t* out, const uint8_t* values, int32_t count) const {
        if (channels == GreyChannels) {
            for (int32_t x = 0; x < count; ++x, out += sizeof(uint32_t)) std::memcpy(out, &greys[values[x]], 4);
            return;
        }
        for (int32_t x = 0; x < count; ++x, out += sizeof(uint32_t), values += ColourChannels) {
            const uint32_t pixel = Opaque | static_cast<uint32_t>(values[0]) << 16 |
                                   static_cast<uint32_t>(values[1]) << 8 | values[2];
            std::memcpy(out, &pixel, sizeof pixel);
        }
    }

    void writeBlack(uint8_t* out, int32_t count) const {
        for (int32_t x = 0; x < count; ++x, out += sizeof(uint32_t)) std::memcpy(out, &Opaque, sizeof Opaque);
    }
};

template <class Out>
void writePatternTiled(const Out& out, uint8_t* row, const uint8_t* strip, int32_t stripWidth, int32_t width) {
    for (int32_t x = 0; x < width; x += stripWidth)
        out.write(row + out.pixelBytes() * static_cast<size_t>(x), strip, std::min(stripWidth, width - x));
}

template <class Out>
void blackenSpan(const Out& out, uint8_t* row, int32_t left, int32_t width) {
    int32_t first = std::max(left, 0);
    int32_t end = std::min(left + ControlSquareSize, width);
    if (first < end) out.writeBlack(row + out.pixelBytes() * static_cast<size_t>(first), end - first);
}

bool isPatternView(ViewKind view) {
    return view == ViewKind::PatternTiled || view == ViewKind::PatternStrip;
}

// One picture row, y counted from the top.
template <class Out>
void writeViewRow(const Out& out, ViewKind view, const ViewInputs& in, int32_t y, uint8_t* row) {
    const Picture& raster = *in.raster;
    const int32_t width = in.width;
    if (!isPatternView(view)) {
        out.write(row, rowOf(raster, y), width);
    } else {
        const int32_t stripWidth = raster.width;
        const uint8_t* strip = rowOf(raster, y % raster.height);
        if (view == ViewKind::PatternTiled) {
            writePatternTiled(out, row, strip, stripWidth, width);
        } else {
            const int32_t shown = std::min(stripWidth, width);
            out.write(row, strip, shown);
            out.writeBlack(row + out.pixelBytes() * static_cast<size_t>(shown), width - shown);
        }
    }
    if (view == ViewKind::StereogramWithDots && y >= ControlSquareTop && y < ControlSquareTop + ControlSquareSize) {
        blackenSpan(out, row, (width - in.patternWidth) / 2, width);
        blackenSpan(out, row, (width + in.patternWidth) / 2, width);
    }
}

GreyTable tableFor(ViewKind view, const ViewInputs& inputs) {
    return view == ViewKind::DepthQuantised ? quantisedTable(inputs.depthStep) : identityTable();
}

// Every row of a view is written on its own, so the rows are shared out
// among the cores.
template <class Out>
void writeEveryRow(Runtime& runtime, const Out& out, ViewKind view, const ViewInputs& inputs, uint8_t* rows,
                   size_t stride) {
    forEachRowRunOnEveryCore(runtime, inputs.height, [&](int32_t begin, int32_t end) {
        for (int32_t y = begin; y < end; ++y)
            writeViewRow(out, view, inputs, y, rows + static_cast<size_t>(y) * stride);
    });
}

}  // namespace

int32_t viewChannels(const ViewInputs& inputs) {
    return inputs.raster->channels;
}

bool drawView(Runtime& runtime, ViewKind view, const ViewInputs& inputs, Picture& picture) {
    const int32_t channels = viewChannels(inputs);
    if (!isPresent(picture) || picture.width != inputs.width || picture.height != inputs.height ||
        picture.channels != channels) {
        if (!replacePicture(runtime, picture, inputs.width, inputs.height, channels)) return false;
    }
    const GreyTable greys = tableFor(view, inputs);
    const PictureOut out{greys, view != ViewKind::DepthQuantised, channels};
    writeEveryRow(runtime, out, view, inputs, picture.pixels.get(), rowBytes(picture));
    return true;
}

void drawViewForScreen(Runtime& runtime, ViewKind view, const ViewInputs& inputs, uint32_t* pixels) {
    const ScreenOut out(tableFor(view, inputs), viewChannels(inputs));
    writeEveryRow(runtime, out, view, inputs, reinterpret_cast<uint8_t*>(pixels),
                  static_cast<size_t>(inputs.width) * sizeof(uint32_t));
}
