// The stereogram engine: patterns, generation, width detection, decoding
// and the five-pass batch. Every operation shows its own refusals.
#pragma once

#include <cstdint>

#include "workspace/workspace.h"

// True when repeatCount strips of at least one column fit across the image.
// A pattern wider than the image, once loaded, leaves repeatCount 0.
bool repeatCountMakesStrips(const Workspace& ws);

// A new Pattern strip of imageWidth / repeatCount columns, random noise or
// a ramp; widens the depth map first when the width is not a multiple.
void generatePattern(Workspace& ws, WindowHandle mainWindow);

// A new Stereogram from the DepthMap and the Pattern, shown with its two
// convergence squares.
void generateStereogram(Workspace& ws, WindowHandle mainWindow);

// The strip width that the Stereogram repeats, from its pixels alone; 0
// when none is found. The Stereogram must be present.
int32_t detectPatternWidth(const Workspace& ws);

// How many pixels from column x of the row each equal the pixel `distance`
// to their left (at most `distance`); 0 below minMatch.
int32_t matchRunLeft(const Workspace& ws, int32_t x, int32_t row, int32_t distance);

// How many pixels from column x of the row each equal the pixel
// `separation` to their right (at most `separation`); 0 below minMatch.
int32_t matchRunRight(const Workspace& ws, int32_t x, int32_t row, int32_t separation);

// A new DepthMap decoded from the Stereogram, shown as it is.
void decodeStereogram(Workspace& ws, WindowHandle mainWindow);

// Five passes of generation followed by decoding, with their status texts.
void runRoundTrip(Workspace& ws, WindowHandle mainWindow);
