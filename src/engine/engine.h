// The stereogram engine: patterns, generation, width detection and
// decoding. Each call works on the workspace and returns what happened;
// it shows nothing and asks nothing of a window.
#pragma once

#include <cstdint>

#include "workspace/workspace.h"

// True when repeatCount strips of at least one column fit across the image.
// A pattern wider than the image, once loaded, leaves repeatCount 0.
bool repeatCountMakesStrips(const Workspace& ws);

// A new Pattern strip of imageWidth / repeatCount columns, random noise or
// a ramp. When the width is no multiple of the strip, the depth map is
// first widened to the next one: the outcome's notice then says so, and
// the widened depth map is for the caller to show.
Outcome makePattern(Workspace& ws);

// A new Stereogram from the DepthMap and the Pattern. Progress steps come
// after every tenth row; the picture is for the caller to show.
Outcome makeStereogram(Workspace& ws, const Progress& progress);

// The strip width that the Stereogram repeats, from its pixels alone; 0
// when none is found. The Stereogram must be present.
int32_t detectPatternWidth(const Workspace& ws);

// Whether a grey picture, as loaded, is a stereogram or a depth map: a
// stereogram's texture recurs a strip width away, a depth map's does not
// (flat and mostly black ones have hardly any texture). Stereogram or
// DepthMap; a picture narrower than 30 columns is a depth map.
SourceKind classifyPicture(const GreyImage& picture);

// How many pixels from column x of the row each equal the pixel `distance`
// to their left (at most `distance`); 0 below minMatch.
int32_t matchRunLeft(const Workspace& ws, int32_t x, int32_t row, int32_t distance);

// How many pixels from column x of the row each equal the pixel
// `separation` to their right (at most `separation`); 0 below minMatch.
int32_t matchRunRight(const Workspace& ws, int32_t x, int32_t row, int32_t separation);

// A decoding in two calls, so that what the user is told about the strip
// width comes before the rows are decoded.
struct DecodingStart {
    Outcome outcome;
    int32_t stripWidth = 0;
};

// Replaces the DepthMap with a new one for the Stereogram and finds the
// strip width. When none is found, the notice says so and patternWidth is
// taken instead.
DecodingStart startDecoding(Workspace& ws);

// Decodes the Stereogram's rows at that strip width into the DepthMap that
// startDecoding made. Progress steps come after every tenth row; the depth
// map is for the caller to show.
Outcome decodeRows(Workspace& ws, int32_t stripWidth, const Progress& progress);
