// Depth maps drawn from a mesh.
//
// The model is seen from the front, looking along -Z, with X to the right
// and Y up (nearer is larger Z). It is first turned by rotateX degrees
// about the X axis, then rotateY about the Y axis, then rotateZ about the
// Z axis, each by the right-hand rule (a positive angle turns
// counter-clockwise as seen from the axis's positive end: 90 about Y brings
// the model's left side, -X, to the front; 90 about X brings its top, +Y).
// The X/Y extent of the turned model (of the vertices its triangles use)
// is fitted into the picture less 5 % of its width on the left and on the
// right and 5 % of its height at the top and at the bottom, keeping its
// proportions, and centred. Depth is sampled at the pixel centres
// (x + 0.5, y + 0.5). Where a surface is, the depth is
//   64 + 191 * (z - zmin) / (zmax - zmin), rounded (halves up),
// with zmin and zmax the turned model's own: its nearest point is 255 and
// its farthest 64; a flat model (zmax = zmin) is 255 all over. Where no
// surface is, the depth is 0, the ground. Where surfaces overlap the
// nearest wins. Both sides of every triangle are drawn, and a pixel centre
// on a triangle's edge belongs to it. A model that turns edge-on into a
// line or a point (no triangle covers any area) gives the ground alone.
#pragma once

#include <cstdint>

#include "models/mesh.h"
#include "picture/outcome.h"
#include "picture/picture.h"

// The largest width and height of a depth map drawn from a model or text.
constexpr int32_t MostDepthMapSide = 32768;

struct ModelView {
    int32_t width = 0;
    int32_t height = 0;
    // Degrees, applied about X, then Y, then Z.
    double rotateX = 0;
    double rotateY = 0;
    double rotateZ = 0;
};

// Replaces `depth` with the grey depth map of the mesh seen as the view
// says, drawn on every core. Refused, changing nothing, with "Model nie ma
// żadnej ściany!" (caption "Błąd") for a mesh without triangles, with
// "Nieprawidłowe wymiary mapy głębokości!" (caption "Uwaga!") for a width
// or height outside 1 .. MostDepthMapSide, and with "Nieprawidłowy kąt
// obrotu modelu!" (caption "Uwaga!") for an angle that is not a finite
// number.
Outcome renderDepthMap(Runtime& runtime, const Mesh& mesh, const ModelView& view, Picture& depth);
