// The core's calls on the Workspace's pictures: each reads and replaces the
// record's named fields as the window's commands need, and returns what
// happened for the window to show. Nothing here shows anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "engine/engine.h"
#include "workspace/workspace.h"

// --- Files

// Reads a picture file as a depth map (always grey), a stereogram or a
// pattern strip (in colour with the colour preference on); its format is
// told by its content. A depth map or stereogram sets the image size,
// releases the picture it makes stale and brings the frame of the picture
// on show; a pattern sets patternWidth and the repeat count that goes with
// it. Refused, changing nothing, when the file is damaged, too large, of
// an unsupported kind, or a pattern of the wrong height (with colour off),
// or a pattern comes before any depth map; silently when it cannot be
// opened or is no picture at all. Once it is taken, the view
// viewShownAfterLoading(kind) is the one to show.
Outcome readPictureFile(Workspace& ws, const std::filesystem::path& fileName, SourceKind kind);

// The same from the whole file's bytes held in memory.
Outcome readPictureBytes(Workspace& ws, const uint8_t* bytes, size_t size, SourceKind kind);

// What the window shows once a file of that kind is loaded.
ViewKind viewShownAfterLoading(SourceKind kind);

// Depth maps drawn rather than read, taken as a loaded depth map is: they
// set the image size, release the stereogram and bring a plain frame for
// the picture on show; DepthOriginal is the view to show. A refusal changes
// nothing.
//
// The model in the file, drawn at the present image size, seen from the
// front (see models/render_model.h).
Outcome drawModelDepthMap(Workspace& ws, const std::filesystem::path& fileName);
// Raised letters of the text at the request's size, which the workspace
// remembers for the next request.
Outcome drawTextDepthMap(Workspace& ws, const TextDepthRequest& request);

// Writes the picture on show (settleShownView first), as PNG when the name
// ends in .png and as BMP otherwise, whole or not at all.
Outcome writeDisplayedPicture(Workspace& ws, const std::filesystem::path& fileName);

// --- The engine

// A new Pattern strip of imageWidth / repeatCount columns. When the width
// is no multiple of the strip, the depth map is first widened to the next
// one, with a picture on show of its new width: the outcome's notice then
// says so, and the widened depth map is for the caller to show.
Outcome makePattern(Workspace& ws);

// A new Stereogram from the DepthMap and the Pattern. Progress steps come
// after every tenth row; the picture is for the caller to show.
Outcome makeStereogram(Workspace& ws, const Progress& progress);

// A decoding in two calls, so that what the user is told about the strip
// width comes before the rows are decoded.
struct DecodingStart {
    Outcome outcome;
    int32_t stripWidth = 0;
};

// Replaces the DepthMap with a new one for the Stereogram and finds the
// strip width, by the decoder the Preferences choose (decodesTolerantly).
// When none is found, the notice says so and patternWidth is taken instead.
DecodingStart startDecoding(Workspace& ws);

// Decodes the Stereogram's rows at that strip width into the DepthMap that
// startDecoding made, by the same decoder; the tolerant one also makes the
// Certainty, the exact one releases it. Progress steps come after every
// tenth row; the depth map is for the caller to show.
Outcome decodeRows(Workspace& ws, int32_t stripWidth, const Progress& progress);

// Writes the stereo pair of the depth map, side by side (twice as wide as
// the picture), as PNG when the name ends in .png and as BMP otherwise, at
// the Preferences' parallax. Refused without a depth map.
Outcome writeStereoPair(Workspace& ws, const std::filesystem::path& fileName, PairForm form);

// --- The picture on show

// Makes the view the one on show, its pixels not yet written anywhere.
// Refused, changing nothing, when the source is absent ("Sorki, ale nie ma
// co wyświetlać"), a pattern no longer fits the image, or there is no
// picture on show to hold it (silently).
Outcome chooseView(Workspace& ws, SourceKind source, ViewKind view);

// Writes the chosen view into the picture on show, if it is not there yet.
// False when memory ran out for it.
bool settleShownView(Workspace& ws);

// chooseView, then settleShownView.
Outcome drawView(Workspace& ws, SourceKind source, ViewKind view);

// Writes the chosen view as imageWidth x imageHeight 32-bit pixels
// (0xFFRRGGBB), top row first, no gaps between rows: what the screen shows.
// Nothing is written when its picture is gone.
void drawShownViewForScreen(const Workspace& ws, uint32_t* pixels);

// What a view is made of, beside the image size.
enum ViewInput : uint32_t {
    ReadsStereogram = 1,
    ReadsDepthMap = 2,
    ReadsPattern = 4,
    ReadsPatternWidth = 8,
    ReadsDepthStep = 16,
    ReadsAnaglyph = 32,
    ReadsAnything = 63,
};

// True when the chosen view still waits to be written somewhere and is
// made of one of the inputs: a change to them must wait until it is.
bool shownViewWaitsOn(const Workspace& ws, uint32_t inputs);
