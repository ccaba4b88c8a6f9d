// Stereo pairs from a depth map: the left and the right eye's picture of
// the relief, shaded so that it shows on its own, put together as an
// anaglyph or as two pictures side by side.
//
// Each point moves sideways by half its parallax, to the right in the left
// eye's picture and to the left in the right eye's, so that nearer points
// stand out in front of the picture. The parallax grows with the depth: 0
// on the ground, the largest at 255. Each point covers the picture from its
// own place to its right neighbour's where the two lie on one surface, so
// that a stretched slope leaves no cracks; a nearer point hides a farther
// one on the same place; and a gap that opens beside a near edge (what the
// other eye sees behind it) takes the farther side's shade.
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "picture/parallel_rows.h"
#include "texts/user_texts.h"

namespace {

// A comfortable largest parallax for 3D displays: 3 % of the width.
constexpr double AutomaticParallaxShare = 0.03;

// Neighbours further apart in depth lie on two surfaces, one in front of
// the other: the gap between them is not stretched over.
constexpr int32_t SurfaceStep = 6;

// The light comes from the upper left and from in front; the depth map's
// 255 levels stand over DepthRelief pixels of the picture's plane.
constexpr double LightX = -1.0;
constexpr double LightY = -1.0;
constexpr double LightZ = 1.4;
constexpr double DepthRelief = 96.0;
constexpr double Ambient = 50.0;
constexpr double Diffuse = 205.0;
// How light the ground is against the nearest points, which are the
// lightest: depth tints the shade.
constexpr double NearShare = 0.65;

// A slope is read from up to SlopeReach points either side (which smooths
// the stairs of 256 levels), in twelfths of a level a pixel: 12 is a whole
// number of twelfths over one to four pixels. On one surface a slope is at
// most SurfaceStep levels a pixel.
constexpr int32_t SlopeReach = 2;
constexpr int32_t SlopeUnits = 12;
constexpr int32_t SteepestSlope = SurfaceStep * SlopeUnits;
constexpr int32_t SlopeValues = 2 * SteepestSlope + 1;

// Places are counted in 256ths of a pixel.
constexpr int32_t PlaceUnits = 256;

constexpr int16_t NoDepth = -1;

// What every row of one pair reads: each depth's shift and tint, and the
// light on each slope.
struct Pairing {
    int32_t shift[256];  // half the parallax of each depth, in PlaceUnits
    int32_t tint[256];   // the share of the light each depth keeps, in 256ths
    std::vector<uint8_t> light;  // by slope across, then down
};

Pairing pairingFor(int32_t parallax) {
    Pairing pairing;
    for (int32_t d = 0; d < 256; ++d) {
        pairing.shift[d] = static_cast<int32_t>(std::lround(parallax * d / 255.0 / 2.0 * PlaceUnits));
        pairing.tint[d] = static_cast<int32_t>(std::lround((NearShare + (1.0 - NearShare) * d / 255.0) * 256));
    }
    const double lightLength = std::sqrt(LightX * LightX + LightY * LightY + LightZ * LightZ);
    const double scale = DepthRelief / 255.0 / SlopeUnits;
    pairing.light.resize(static_cast<size_t>(SlopeValues) * SlopeValues);
    for (int32_t across = -SteepestSlope; across <= SteepestSlope; ++across)
        for (int32_t down = -SteepestSlope; down <= SteepestSlope; ++down) {
            const double dx = across * scale, dy = down * scale;
            const double facing =
                (-dx * LightX - dy * LightY + LightZ) / (std::sqrt(dx * dx + dy * dy + 1.0) * lightLength);
            pairing.light[static_cast<size_t>((across + SteepestSlope) * SlopeValues + down + SteepestSlope)] =
                static_cast<uint8_t>(std::min(255.0, Ambient + Diffuse * std::max(0.0, facing)));
        }
    return pairing;
}

// The slope at a point from its neighbours along a line (depths[-reach]
// .. depths[reach], `stride` apart), counting only those on the same
// surface: beside a cliff a point is as flat as its own side of it.
int32_t slopeAt(const uint8_t* depths, ptrdiff_t stride) {
    const auto at = [&](int32_t i) -> int32_t { return depths[i * stride]; };
    int32_t before = 0, after = 0;
    while (before < SlopeReach && std::abs(at(-before - 1) - at(-before)) <= SurfaceStep) ++before;
    while (after < SlopeReach && std::abs(at(after + 1) - at(after)) <= SurfaceStep) ++after;
    if (before + after == 0) return 0;
    return (at(after) - at(-before)) * SlopeUnits / (before + after);
}

constexpr int32_t PaddedRowCount = 2 * SlopeReach + 1;

// One thread's working rows for a picture `width` wide, in one block from
// the runtime: the depths around a row, its edges repeated SlopeReach
// points out on every side so that every slope reads inside them; each
// point's shade; the two eyes' rows; and the depth nearest on each place.
struct WorkingRows {
    int32_t width;
    uint8_t* padded;
    uint8_t* shade;
    uint8_t* left;
    uint8_t* right;
    int16_t* nearest;

    ptrdiff_t stride() const { return static_cast<ptrdiff_t>(width) + 2 * SlopeReach; }
    const uint8_t* centre() const { return padded + SlopeReach * stride() + SlopeReach; }
};

size_t paddedSize(int32_t width) {
    return (static_cast<size_t>(width) + 2 * SlopeReach) * PaddedRowCount;
}

// Bytes of one thread's working rows, rounded up so that each thread's
// rows begin aligned; the int16 ones come first.
size_t workingRowsSize(int32_t width) {
    const size_t bytes = static_cast<size_t>(width) * (sizeof(int16_t) + 3) + paddedSize(width);
    return (bytes + 15) / 16 * 16;
}

WorkingRows workingRowsIn(uint8_t* block, int32_t width) {
    const size_t w = static_cast<size_t>(width);
    WorkingRows rows{width, nullptr, nullptr, nullptr, nullptr, reinterpret_cast<int16_t*>(block)};
    rows.shade = block + w * sizeof(int16_t);
    rows.left = rows.shade + w;
    rows.right = rows.left + w;
    rows.padded = rows.right + w;
    return rows;
}

void padRows(const Picture& depth, int32_t y, WorkingRows& rows) {
    for (int32_t r = -SlopeReach; r <= SlopeReach; ++r) {
        const uint8_t* source = rowOf(depth, std::max(0, std::min(depth.height - 1, y + r)));
        uint8_t* out = rows.padded + (r + SlopeReach) * rows.stride();
        std::memset(out, source[0], SlopeReach);
        std::memcpy(out + SlopeReach, source, static_cast<size_t>(depth.width));
        std::memset(out + SlopeReach + depth.width, source[depth.width - 1], SlopeReach);
    }
}

// The grey of each point: the light on its slope, tinted by its depth.
void shadeRow(const Pairing& pairing, WorkingRows& rows) {
    const uint8_t* depth = rows.centre();
    for (int32_t x = 0; x < rows.width; ++x) {
        const int32_t across = slopeAt(depth + x, 1);
        const int32_t down = slopeAt(depth + x, rows.stride());
        const int32_t light =
            pairing.light[static_cast<size_t>((across + SteepestSlope) * SlopeValues + down + SteepestSlope)];
        rows.shade[x] = static_cast<uint8_t>(std::min(255, light * pairing.tint[depth[x]] / 256));
    }
}

// a / b rounded down, for any sign of a (b > 0).
int64_t floorDivision(int64_t a, int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// The first picture column a place covers: the one whose centre it reaches.
// Places are 64-bit: a wide picture's run past 2^31 256ths of a pixel.
int64_t firstColumn(int64_t place) {
    return floorDivision(place + PlaceUnits / 2 - 1, PlaceUnits);
}

// Fills each gap from its farther side: the neighbour of lesser depth.
void fillGaps(const int16_t* nearest, uint8_t* out, int32_t width) {
    for (int32_t i = 0; i < width;) {
        if (nearest[i] != NoDepth) {
            ++i;
            continue;
        }
        int32_t end = i;
        while (end < width && nearest[end] == NoDepth) ++end;
        const int32_t left = i - 1;
        const bool useLeft = end >= width || (left >= 0 && nearest[left] <= nearest[end]);
        const int32_t from = useLeft ? left : end;
        if (from >= 0 && from < width) std::memset(out + i, out[from], static_cast<size_t>(end - i));
        i = end;
    }
}

// One eye's row: every point moved by `side` times half its parallax, the
// nearest on each place, the gaps taking the farther side's shade.
void eyeRow(const Pairing& pairing, const uint8_t* depthRow, const WorkingRows& rows, int32_t side, uint8_t* out) {
    const int32_t width = rows.width;
    int16_t* nearest = rows.nearest;
    std::fill(nearest, nearest + width, NoDepth);
    const auto placeOf = [&](int32_t x) {
        return static_cast<int64_t>(x) * PlaceUnits + side * pairing.shift[depthRow[x]];
    };
    for (int32_t x = 0; x < width; ++x) {
        const int64_t first = firstColumn(placeOf(x));
        const bool joined = x + 1 < width && std::abs(depthRow[x + 1] - depthRow[x]) <= SurfaceStep;
        const int64_t last = joined ? std::max(first, firstColumn(placeOf(x + 1)) - 1) : first;
        const int16_t depth = depthRow[x];
        const int64_t end = std::min<int64_t>(last, width - 1);
        for (int64_t i = std::max<int64_t>(first, 0); i <= end; ++i) {
            if (depth < nearest[i]) continue;
            nearest[i] = depth;
            out[i] = rows.shade[x];
        }
    }
    fillGaps(nearest, out, width);
}

int64_t pairWidth(PairForm form, int32_t width) {
    return form == PairForm::Anaglyph ? width : 2 * static_cast<int64_t>(width);
}

int32_t pairChannels(PairForm form) {
    return form == PairForm::Anaglyph ? ColourChannels : GreyChannels;
}

// The two eyes' rows into the form's row: red from the left eye, green and
// blue from the right; or left | right, or right | left.
void composeRow(PairForm form, const uint8_t* left, const uint8_t* right, int32_t width, uint8_t* out) {
    switch (form) {
        case PairForm::Anaglyph:
            for (int32_t x = 0; x < width; ++x, out += ColourChannels) {
                out[0] = left[x];
                out[1] = right[x];
                out[2] = right[x];
            }
            return;
        case PairForm::SideBySide:
            std::memcpy(out, left, static_cast<size_t>(width));
            std::memcpy(out + width, right, static_cast<size_t>(width));
            return;
        case PairForm::CrossView:
            break;
    }
    std::memcpy(out, right, static_cast<size_t>(width));
    std::memcpy(out + width, left, static_cast<size_t>(width));
}

}  // namespace

int32_t parallaxFor(int32_t setting, int32_t width) {
    if (setting > 0) return setting;
    return std::max(1, static_cast<int32_t>(std::lround(AutomaticParallaxShare * width)));
}

Outcome makeStereoPair(Runtime& runtime, const Picture& depth, int32_t parallaxSetting, PairForm form, Picture& pair) {
    if (!isPresent(depth)) return refusedOutcome(NoDepthMapText, NoCaption);
    const int32_t width = depth.width;
    // A parallax past twice the width moves every point out of the picture
    // as surely as twice the width does.
    const int32_t parallax =
        static_cast<int32_t>(std::max<int64_t>(0, std::min<int64_t>(parallaxSetting, 2 * static_cast<int64_t>(width))));
    // A pair wider than a picture can be has no room, as much as one that
    // does not fit in memory.
    const int64_t wide = pairWidth(form, width);
    if (wide > INT32_MAX || !replacePicture(runtime, pair, static_cast<int32_t>(wide), depth.height, pairChannels(form)))
        return outOfMemoryOutcome();
    const Pairing pairing = pairingFor(parallax);
    const size_t rowsSize = workingRowsSize(width);
    int32_t threads = threadsFor(runtime, Progress{}, depth.height);
    const OwnedBytes working = allocateWorkingRows(runtime, rowsSize, threads);
    if (working == nullptr) return outOfMemoryOutcome();
    forEachRowRun(runtime, depth.height, threads, Progress{}, [&](int32_t begin, int32_t end, int32_t thread) {
        WorkingRows rows = workingRowsIn(working.get() + rowsSize * static_cast<size_t>(thread), width);
        for (int32_t y = begin; y < end; ++y) {
            padRows(depth, y, rows);
            shadeRow(pairing, rows);
            eyeRow(pairing, rowOf(depth, y), rows, 1, rows.left);
            eyeRow(pairing, rowOf(depth, y), rows, -1, rows.right);
            composeRow(form, rows.left, rows.right, width, rowOf(pair, y));
        }
    });
    return doneOutcome();
}
