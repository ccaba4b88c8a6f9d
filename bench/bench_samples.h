// The inputs the benchmarks work on: a smooth depth map, the stereogram the
// engine makes from it, pure noise, and the frames of a moving sphere.
#pragma once

#include <cstdint>
#include <vector>


// A few spheres over flat ground that rises in a ramp on its right third.
std::vector<uint8_t> smoothDepthMap(int32_t width, int32_t height);

// Frame `index` of `count` of one sphere crossing flat ground from left to
// right at mid-height, a quarter of the height across; the ground is black.
std::vector<uint8_t> movingSphereDepthMap(int32_t width, int32_t height, int32_t index, int32_t count);

// Independent random grey values: a stereogram with no repeats, in which
// decoding leaves every point unresolved after searching the whole range.
std::vector<uint8_t> noiseImage(int32_t width, int32_t height, uint32_t seed);

// The stereogram that the engine makes from smoothDepthMap with the initial
// preferences and a freshly generated pattern.
std::vector<uint8_t> generatedStereogram(int32_t width, int32_t height);

