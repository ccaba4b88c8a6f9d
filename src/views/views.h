// The views of the pictures: what the window shows and a save writes,
// each made from its picture in one pass, as a picture of the image's size
// or as the screen's 32-bit pixels.
#pragma once

#include <cstdint>

#include "picture/picture.h"

enum class ViewKind : int32_t {
    StereogramWithDots = 1,
    StereogramPlain = 2,
    DepthQuantised = 3,
    DepthOriginal = 4,
    PatternTiled = 5,
    PatternStrip = 6,
    // The stereo pair of the depth map as an anaglyph, drawn as it was made.
    Anaglyph = 7,
    // How sure the tolerant decoder was of each point, grey as it was made:
    // dark where the picture could not tell.
    Certainty = 8,
};

// What a view is drawn from beside its kind.
struct ViewInputs {
    // The stereogram, the depth map or the pattern strip; a pattern of
    // another height than the image repeats down it.
    const Picture* raster = nullptr;
    // The image's size, which every view has.
    int32_t width = 0;
    int32_t height = 0;
    // Where the two convergence squares lie, patternWidth apart.
    int32_t patternWidth = 0;
    // The levels of the quantised depth.
    int32_t depthStep = 1;
};

// The view's channels: its picture's.
int32_t viewChannels(const ViewInputs& inputs);

// Writes the view into `picture`, made width x height with the view's
// channels when it is not so already. False when out of memory.
bool drawView(Runtime& runtime, ViewKind view, const ViewInputs& inputs, Picture& picture);

// Writes the view as width x height 32-bit pixels (0xFFRRGGBB), top row
// first, no gaps between rows: what the screen shows.
void drawViewForScreen(Runtime& runtime, ViewKind view, const ViewInputs& inputs, uint32_t* pixels);
