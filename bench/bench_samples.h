// The inputs the benchmarks work on: a smooth depth map, the stereogram the
// engine makes from it, pure noise, and workspaces ready for each operation.
#pragma once

#include <cstdint>
#include <vector>

#include "workspace/workspace.h"

// A few spheres over a ramp that rises from left to right.
std::vector<uint8_t> smoothDepthMap(int32_t width, int32_t height);

// Independent random grey values: a stereogram with no repeats, in which
// decoding leaves every point unresolved after searching the whole range.
std::vector<uint8_t> noiseImage(int32_t width, int32_t height, uint32_t seed);

// Sets the image size and gives the workspace a picture on show of a 24-bit
// picture of that size, as loading a file leaves it.
void prepareWorkspace(Workspace& ws, int32_t width, int32_t height);

// Replaces the raster with a copy of `pixels`.
void putGrey(GreyImage& image, int32_t width, int32_t height, const std::vector<uint8_t>& pixels);

// The stereogram that the engine makes from smoothDepthMap with the initial
// preferences and a freshly generated pattern.
std::vector<uint8_t> generatedStereogram(int32_t width, int32_t height);

