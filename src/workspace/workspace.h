// The window's session record: image size, the three pictures, the picture
// on show, the preferences and the random source, and the runtime the
// program made for its work. Each program window has one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/preferences.h"
#include "engine/random_batch.h"
#include "files/bmp_frame.h"
#include "picture/outcome.h"
#include "picture/picture.h"
#include "views/views.h"
#include "workspace/preferences_table.h"

// The pictures a view is made of: the three the user works with, the
// anaglyph, made from the depth map when it is chosen, and the certainty of
// the tolerant decoder's last depth map.
enum class SourceKind : int32_t { Stereogram = 1, DepthMap = 2, Pattern = 3, Anaglyph = 4, Certainty = 5 };

// The picture on show as a save writes it: present from the first depth
// map or stereogram read, with that file's frame (or the frame a widening
// rebuilt); the view chosen last is written into `picture` once a save
// wants it.
struct DisplayDib {
    bool present = false;
    BmpFrame frame;
    Picture picture;
};

// The image size the program starts with; the main window is made at this
// outer size before it is fitted to the image and its strip.
constexpr int32_t StartImageWidth = 640;
constexpr int32_t StartImageHeight = 480;

// The view the picture on show holds: the last one chosen. Its pixels are
// written into the DisplayDib and onto the screen only when they are
// wanted, so a view that another replaces before anyone sees it costs
// nothing.
struct ShownView {
    bool chosen = false;
    SourceKind source = SourceKind::DepthMap;
    ViewKind view = ViewKind::DepthOriginal;
    bool inDisplayDib = true;
    bool onScreen = true;
};

// A depth map of raised text: its text and its size.
struct TextDepthRequest {
    std::string text;
    int32_t width = StartImageWidth;
    int32_t height = StartImageHeight;
};

struct Workspace {
    // What the work runs on: the program's own, which outlives the record.
    Runtime* runtime = nullptr;
    int32_t imageWidth = StartImageWidth;
    int32_t imageHeight = StartImageHeight;
    int32_t patternWidth = 0;
    Picture depthMap;
    Picture pattern;
    Picture stereogram;
    Picture anaglyph;
    // How sure the decoding of the depth map was of each point: made by the
    // tolerant decoder, gone when the depth map is replaced otherwise.
    Picture certainty;
    DisplayDib displayDib;
    ShownView shownView;
    Preferences preferences = startPreferences();
    uint32_t randomState = FirstRandomState;
    // The text depth map asked for last, which its dialog offers again.
    TextDepthRequest lastTextRequest;
    // The stereogram came from a lossy (JPEG) file: the automatic choice
    // of decoder reads it with the tolerant one.
    bool stereogramIsLossy = false;
};

// Frees the pictures and the picture on show, as the window's close does.
void releaseAll(Workspace& ws);

// The picture of a kind: DepthMap, Stereogram, Pattern, Anaglyph or
// Certainty.
const Picture& rasterOf(const Workspace& ws, SourceKind kind);
Picture& rasterOf(Workspace& ws, SourceKind kind);

// True when the picture of that kind is present and was made for the
// present image, so that it can be read as imageHeight rows of imageWidth
// (patternWidth for the Pattern). A picture left from another size, after a
// load or a widening, is kept but never read past its end. With colour on a
// pattern of any height fits: it repeats down the picture.
bool rasterFitsImage(const Workspace& ws, SourceKind kind);

// True when the picture on show is there and has the image's size.
bool pictureFitsImage(const Workspace& ws);
