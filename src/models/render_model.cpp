// Scanline rasterisation with edge functions in fixed point, so that
// triangles sharing an edge agree exactly on which pixel centres lie on
// which side, and a closed surface has no holes. The picture's rows are
// cut into bands; each triangle is listed in the bands it reaches, and
// each band is drawn on its own (on any core) into a band-sized buffer of
// depths, the nearest kept, then rounded into the picture.
#include "models/render_model.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "picture/parallel_rows.h"
#include "texts/user_texts.h"

namespace {

// Positions on the picture are kept in 1/256 of a pixel.
constexpr int64_t Subpixels = 256;
constexpr int64_t HalfPixel = Subpixels / 2;
// Beyond the picture by far; where vertices that no triangle uses may land.
constexpr double FarthestSubpixel = double{1 << 28};
constexpr int32_t BandRows = 16;
constexpr double MarginShare = 0.05;
constexpr double FarthestDepth = 64;
constexpr double DepthRange = 191;
constexpr double FlatDepth = 255;
// A band's depth where no surface is yet.
constexpr float NoSurface = -1;

struct Rotation {
    double m[3][3];
};

// Rz * Ry * Rx: about X first, then Y, then Z.
Rotation rotationOf(const ModelView& view) {
    constexpr double RadiansPerDegree = 3.14159265358979323846 / 180;
    const double cx = std::cos(view.rotateX * RadiansPerDegree), sx = std::sin(view.rotateX * RadiansPerDegree);
    const double cy = std::cos(view.rotateY * RadiansPerDegree), sy = std::sin(view.rotateY * RadiansPerDegree);
    const double cz = std::cos(view.rotateZ * RadiansPerDegree), sz = std::sin(view.rotateZ * RadiansPerDegree);
    return Rotation{{{cz * cy, cz * sy * sx - sz * cx, cz * sy * cx + sz * sx},
                     {sz * cy, sz * sy * sx + cz * cx, sz * sy * cx - cz * sx},
                     {-sy, cy * sx, cy * cx}}};
}

void turn(const Rotation& rotation, const float* vertex, double turned[3]) {
    for (int row = 0; row < 3; ++row)
        turned[row] = rotation.m[row][0] * vertex[0] + rotation.m[row][1] * vertex[1] + rotation.m[row][2] * vertex[2];
}

// The turned model's extent on each axis, over the corners of its
// triangles.
struct Extent {
    double low[3];
    double high[3];
};

Extent extentOf(const Mesh& mesh, const Rotation& rotation) {
    Extent extent{{HUGE_VAL, HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}};
    const float* vertices = verticesOf(mesh);
    const uint32_t* corners = trianglesOf(mesh);
    for (size_t i = 0; i < 3 * static_cast<size_t>(mesh.triangleCount); ++i) {
        double turned[3];
        turn(rotation, vertices + 3 * static_cast<size_t>(corners[i]), turned);
        for (int axis = 0; axis < 3; ++axis) {
            extent.low[axis] = std::min(extent.low[axis], turned[axis]);
            extent.high[axis] = std::max(extent.high[axis], turned[axis]);
        }
    }
    return extent;
}

// Where the turned model lands: picture x = centreX + scale * (x - middleX),
// picture y = centreY - scale * (y - middleY), in pixels; and its depth.
struct Placement {
    double scale;
    double middle[2];
    double centre[2];
    double farthestZ;
    double zRange;
};

Placement placementOf(const Extent& extent, int32_t width, int32_t height) {
    const double room[2] = {width * (1 - 2 * MarginShare), height * (1 - 2 * MarginShare)};
    // A model with no extent on an axis fits by the other; one with none
    // at all is a point, drawn nowhere, at any scale.
    double scale = HUGE_VAL;
    for (int axis = 0; axis < 2; ++axis) {
        const double size = extent.high[axis] - extent.low[axis];
        if (size > 0) scale = std::min(scale, room[axis] / size);
    }
    if (scale == HUGE_VAL) scale = 1;
    return Placement{scale,
                     {(extent.low[0] + extent.high[0]) / 2, (extent.low[1] + extent.high[1]) / 2},
                     {width / 2.0, height / 2.0},
                     extent.low[2],
                     extent.high[2] - extent.low[2]};
}

// A vertex on the picture, in subpixels, and its depth before rounding.
struct ScreenVertex {
    int32_t x;
    int32_t y;
    float depth;
};

int32_t subpixelOf(double pixels) {
    return static_cast<int32_t>(std::lround(std::clamp(pixels * Subpixels, -FarthestSubpixel, FarthestSubpixel)));
}

void placeVertices(const Mesh& mesh, const Rotation& rotation, const Placement& placement, ScreenVertex* screen) {
    const float* vertices = verticesOf(mesh);
    for (size_t v = 0; v < mesh.vertexCount; ++v) {
        double turned[3];
        turn(rotation, vertices + 3 * v, turned);
        const double x = placement.centre[0] + placement.scale * (turned[0] - placement.middle[0]);
        const double y = placement.centre[1] - placement.scale * (turned[1] - placement.middle[1]);
        const double depth = placement.zRange > 0
                                 ? FarthestDepth + DepthRange * (turned[2] - placement.farthestZ) / placement.zRange
                                 : FlatDepth;
        // Only a vertex no triangle uses lies beyond the range, perhaps
        // beyond the floats.
        screen[v] = ScreenVertex{subpixelOf(x), subpixelOf(y),
                                 static_cast<float>(std::clamp(depth, FarthestDepth, FlatDepth))};
    }
}

int64_t floorDivide(int64_t numerator, int64_t denominator) {
    return numerator >= 0 ? numerator / denominator : -((-numerator + denominator - 1) / denominator);
}

// The first and last pixel whose centre lies within low .. high
// (subpixels), within 0 .. count - 1; first > last when none does.
struct PixelRange {
    int64_t first;
    int64_t last;
};

PixelRange centresWithin(int64_t low, int64_t high, int64_t count) {
    return PixelRange{std::max<int64_t>(0, floorDivide(low - HalfPixel + Subpixels - 1, Subpixels)),
                      std::min<int64_t>(count - 1, floorDivide(high - HalfPixel, Subpixels))};
}

PixelRange rowsOf(const ScreenVertex* screen, const uint32_t* corners, int32_t height) {
    const int32_t a = screen[corners[0]].y, b = screen[corners[1]].y, c = screen[corners[2]].y;
    return centresWithin(std::min({a, b, c}), std::max({a, b, c}), height);
}

// Every band's triangles, one list after another: band b's are
// triangles[starts[b]] .. triangles[starts[b + 1] - 1].
struct BandLists {
    OwnedBytes starts;
    OwnedBytes triangles;
};

bool listTrianglesByBand(Runtime& runtime, const Mesh& mesh, const ScreenVertex* screen, int32_t height,
                         int32_t bandCount, BandLists& lists) {
    lists.starts = allocateBytes(runtime, (static_cast<size_t>(bandCount) + 1) * sizeof(uint64_t));
    if (lists.starts == nullptr) return false;
    uint64_t* starts = reinterpret_cast<uint64_t*>(lists.starts.get());
    std::fill(starts, starts + bandCount + 1, uint64_t{0});
    const uint32_t* corners = trianglesOf(mesh);
    const auto forEachListing = [&](auto&& list) {
        for (uint32_t t = 0; t < mesh.triangleCount; ++t) {
            const PixelRange rows = rowsOf(screen, corners + 3 * static_cast<size_t>(t), height);
            for (int64_t band = rows.first / BandRows; rows.first <= rows.last && band <= rows.last / BandRows; ++band)
                list(t, static_cast<size_t>(band));
        }
    };
    forEachListing([starts](uint32_t, size_t band) { ++starts[band + 1]; });
    for (int32_t band = 0; band < bandCount; ++band) starts[band + 1] += starts[band];
    lists.triangles = allocateBytes(runtime, static_cast<size_t>(starts[bandCount]) * sizeof(uint32_t));
    if (lists.triangles == nullptr) return false;
    uint32_t* triangles = reinterpret_cast<uint32_t*>(lists.triangles.get());
    // Each band's list is filled from its start on; the starts then stand
    // where the next band's begin, and are moved back by one band.
    forEachListing([starts, triangles](uint32_t t, size_t band) { triangles[starts[band]++] = t; });
    for (int32_t band = bandCount; band > 0; --band) starts[band] = starts[band - 1];
    starts[0] = 0;
    return true;
}

// The edge function of a -> b at p: positive on its left as the picture
// shows it (y down), for a triangle a, b, c of positive area.
int64_t edgeAt(const ScreenVertex& a, const ScreenVertex& b, int64_t px, int64_t py) {
    return (int64_t{b.x} - a.x) * (py - a.y) - (int64_t{b.y} - a.y) * (px - a.x);
}

// Draws a triangle's rows within top .. bottom - 1 into the band's depths
// (`band` holds row `top` first), keeping the nearest.
void drawTriangle(ScreenVertex a, ScreenVertex b, ScreenVertex c, int32_t top, int32_t bottom, int32_t width,
                  float* band) {
    int64_t area = edgeAt(a, b, c.x, c.y);
    if (area == 0) return;
    if (area < 0) {
        std::swap(b, c);
        area = -area;
    }
    const PixelRange columns = centresWithin(std::min({a.x, b.x, c.x}), std::max({a.x, b.x, c.x}), width);
    PixelRange rows = centresWithin(std::min({a.y, b.y, c.y}), std::max({a.y, b.y, c.y}), bottom);
    rows.first = std::max<int64_t>(rows.first, top);
    if (columns.first > columns.last || rows.first > rows.last) return;

    // The depth is the corners' weighted by the edge functions of the edges
    // opposite them; each edge function steps by a constant from one pixel
    // to the next on the right.
    const ScreenVertex* edgeStart[3] = {&b, &c, &a};
    const ScreenVertex* edgeEnd[3] = {&c, &a, &b};
    const float cornerDepth[3] = {a.depth, b.depth, c.depth};
    int64_t stepRight[3];
    double depthRight = 0;
    for (int e = 0; e < 3; ++e) {
        stepRight[e] = -(int64_t{edgeEnd[e]->y} - edgeStart[e]->y) * Subpixels;
        depthRight += static_cast<double>(stepRight[e]) * cornerDepth[e];
    }
    // Stepped in double: a float carried along a wide row drifts by a
    // fraction of a level.
    const double depthStep = depthRight / static_cast<double>(area);
    const int64_t firstX = columns.first * Subpixels + HalfPixel;
    for (int64_t y = rows.first; y <= rows.last; ++y) {
        const int64_t centreY = y * Subpixels + HalfPixel;
        int64_t edge[3];
        double weighted = 0;
        for (int e = 0; e < 3; ++e) {
            edge[e] = edgeAt(*edgeStart[e], *edgeEnd[e], firstX, centreY);
            weighted += static_cast<double>(edge[e]) * cornerDepth[e];
        }
        double depth = weighted / static_cast<double>(area);
        float* row = band + (y - top) * width;
        for (int64_t x = columns.first; x <= columns.last; ++x) {
            if ((edge[0] | edge[1] | edge[2]) >= 0) row[x] = std::max(row[x], static_cast<float>(depth));
            for (int e = 0; e < 3; ++e) edge[e] += stepRight[e];
            depth += depthStep;
        }
    }
}

uint8_t roundedDepth(float depth) {
    if (depth == NoSurface) return 0;
    return static_cast<uint8_t>(std::clamp<double>(depth, FarthestDepth, FlatDepth) + 0.5);
}

// What the bands are drawn from.
struct Drawing {
    const Mesh& mesh;
    const ScreenVertex* screen;
    const uint64_t* starts;
    const uint32_t* triangles;
};

void drawBand(const Drawing& drawing, int32_t bandIndex, float* band, Picture& depth) {
    const int32_t top = bandIndex * BandRows;
    const int32_t bottom = std::min(depth.height, top + BandRows);
    std::fill(band, band + static_cast<size_t>(bottom - top) * depth.width, NoSurface);
    const uint32_t* corners = trianglesOf(drawing.mesh);
    for (uint64_t i = drawing.starts[bandIndex]; i < drawing.starts[bandIndex + 1]; ++i) {
        const uint32_t* triangle = corners + 3 * static_cast<size_t>(drawing.triangles[i]);
        drawTriangle(drawing.screen[triangle[0]], drawing.screen[triangle[1]], drawing.screen[triangle[2]], top,
                     bottom, depth.width, band);
    }
    for (int32_t y = top; y < bottom; ++y) {
        const float* row = band + static_cast<size_t>(y - top) * depth.width;
        uint8_t* out = rowOf(depth, y);
        for (int32_t x = 0; x < depth.width; ++x) out[x] = roundedDepth(row[x]);
    }
}

}  // namespace

Outcome renderDepthMap(Runtime& runtime, const Mesh& mesh, const ModelView& view, Picture& depth) {
    if (mesh.triangleCount == 0) return refusedOutcome(NoTrianglesText, ErrorCaption);
    if (view.width < 1 || view.width > MostDepthMapSide || view.height < 1 || view.height > MostDepthMapSide)
        return refusedOutcome(BadDepthMapSizeText, WarningCaption);
    if (!std::isfinite(view.rotateX) || !std::isfinite(view.rotateY) || !std::isfinite(view.rotateZ))
        return refusedOutcome(BadRotationText, WarningCaption);

    const Rotation rotation = rotationOf(view);
    const Placement placement = placementOf(extentOf(mesh, rotation), view.width, view.height);
    OwnedBytes screenBytes = allocateBytes(runtime, static_cast<size_t>(mesh.vertexCount) * sizeof(ScreenVertex));
    if (screenBytes == nullptr) return outOfMemoryOutcome();
    ScreenVertex* screen = reinterpret_cast<ScreenVertex*>(screenBytes.get());
    placeVertices(mesh, rotation, placement, screen);

    const int32_t bandCount = (view.height + BandRows - 1) / BandRows;
    BandLists lists;
    if (!listTrianglesByBand(runtime, mesh, screen, view.height, bandCount, lists)) return outOfMemoryOutcome();
    int32_t threads = threadsFor(runtime, Progress{}, bandCount);
    const size_t bandSize = static_cast<size_t>(BandRows) * static_cast<size_t>(view.width) * sizeof(float);
    const OwnedBytes bands = allocateWorkingRows(runtime, bandSize, threads);
    if (bands == nullptr) return outOfMemoryOutcome();
    if (!replacePicture(runtime, depth, view.width, view.height, GreyChannels)) return outOfMemoryOutcome();

    const Drawing drawing{mesh, screen, reinterpret_cast<const uint64_t*>(lists.starts.get()),
                          reinterpret_cast<const uint32_t*>(lists.triangles.get())};
    forEachRowRun(runtime, bandCount, threads, Progress{}, [&](int32_t begin, int32_t end, int32_t thread) {
        float* band = reinterpret_cast<float*>(bands.get() + bandSize * static_cast<size_t>(thread));
        for (int32_t b = begin; b < end; ++b) drawBand(drawing, b, band, depth);
    });
    return doneOutcome();
}
