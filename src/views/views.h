// The six views of the rasters as the picture on show: the DisplayDib's
// 24-bit rows that a save writes, and the screen's 32-bit pixels, each made
// from the grey raster in one pass and only when it is wanted.
#pragma once

#include <cstdint>

#include "workspace/workspace.h"

// Makes the view the one on show, its pixels not yet written anywhere.
// Refused, changing nothing, when the source is absent ("Sorki, ale nie ma
// co wyświetlać"), a pattern no longer fits the image, or there is no
// picture on show to hold it (silently).
Outcome chooseView(Workspace& ws, SourceKind source, ViewKind view);

// Writes the chosen view into the DisplayDib's pixel rows, if it is not
// there yet.
void settleShownView(Workspace& ws);

// chooseView, then settleShownView.
Outcome drawView(Workspace& ws, SourceKind source, ViewKind view);

// Writes the chosen view as imageWidth x imageHeight 32-bit pixels
// (0xFFRRGGBB), top row first, no gaps between rows: what the screen shows.
// Nothing is written when its raster is gone.
void drawShownViewForScreen(const Workspace& ws, uint32_t* pixels);

// What a view is made of, beside the image size.
enum ViewInput : uint32_t {
    ReadsStereogram = 1,
    ReadsDepthMap = 2,
    ReadsPattern = 4,
    ReadsPatternWidth = 8,
    ReadsDepthStep = 16,
    ReadsAnything = 31,
};

// True when the chosen view still waits to be written somewhere and is
// made of one of the inputs: a change to them must wait until it is.
bool shownViewWaitsOn(const Workspace& ws, uint32_t inputs);
