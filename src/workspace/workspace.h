// The one process-wide state of the program: image size, the three grey
// rasters, the picture on show, the preferences and the random source.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "workspace/buffers.h"
#include "workspace/outcome.h"

enum class SourceKind : int32_t { Stereogram = 1, DepthMap = 2, Pattern = 3 };

enum class ViewKind : int32_t {
    StereogramWithDots = 1,
    StereogramPlain = 2,
    DepthQuantised = 3,
    DepthOriginal = 4,
    PatternTiled = 5,
    PatternStrip = 6,
};

enum class UnresolvedPolicy : uint8_t { KeepPrevious = 0, Random = 1, Background = 2 };

// One grey value per pixel, row after row, top row first, no gaps.
// Absent while pixels is null. The recorded size is the size it was
// allocated with, so a raster left over from another image size is
// recognised before it is read.
struct GreyImage {
    OwnedBytes pixels;
    int32_t width = 0;
    int32_t height = 0;
};

// The picture on show as a packed device-independent bitmap: a 40-byte
// info header, then 24-bit pixel rows, bottom row first, each padded to a
// multiple of 4 bytes. Absent while bytes is null.
struct DisplayDib {
    OwnedBytes bytes;
    size_t size = 0;
};

constexpr size_t DibHeaderSize = 40;

struct Preferences {
    int32_t depthBits = 3;
    int32_t depthStep = 32;
    int32_t repeatCount = 5;
    int32_t minMatch = 2;
    int32_t searchRange = 165;
    bool wallEyed = true;
    bool randomFill = true;
    UnresolvedPolicy unresolvedPolicy = UnresolvedPolicy::KeepPrevious;
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

struct Workspace {
    int32_t imageWidth = StartImageWidth;
    int32_t imageHeight = StartImageHeight;
    int32_t patternWidth = 0;
    GreyImage depthMap;
    GreyImage pattern;
    GreyImage stereogram;
    DisplayDib displayDib;
    ShownView shownView;
    Preferences preferences;
    uint32_t randomState = 1;
};

// One step of the random state: state * RandomMultiplier + RandomIncrement,
// modulo 2^32.
constexpr uint32_t RandomMultiplier = 214013u;
constexpr uint32_t RandomIncrement = 2531011u;

// The value drawn on reaching `state`: its bits 16 to 30.
constexpr int32_t randomValueOf(uint32_t state) {
    return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}

// The program's only random source: never seeded from time, so the same
// commands from start give the same pictures. Returns 0..32767.
int32_t nextRandom(Workspace& ws);

// 2^depthBits, the number of depth levels.
int32_t levelCount(const Preferences& prefs);

// Bytes of one 24-bit pixel row of the given width: 3 * width rounded up
// to a multiple of 4.
int64_t rowStride(int64_t width);

// Bytes of the picture on show for an image of width x height: the 40-byte
// header and the padded rows. Negative sizes give the largest value, which
// no block holds.
uint64_t displayDibSize(int32_t width, int32_t height);

// Buffer replacement is release first, allocate second: after a failed
// allocation the field is absent. Both return false when out of memory.
bool replaceGreyImage(GreyImage& image, int32_t width, int32_t height);
bool replaceDisplayDib(DisplayDib& dib, size_t size);
void releaseGreyImage(GreyImage& image);
void releaseDisplayDib(DisplayDib& dib);
// Takes a block as the picture on show, releasing the one before.
void adoptDisplayDib(DisplayDib& dib, OwnedBytes bytes, size_t size);
// Frees the rasters and the picture on show, as the window's close does.
void releaseAll(Workspace& ws);

// The grey value that stands for depth level n: depthStep * n - 1, held
// within 0..255.
uint8_t greyOfLevel(int32_t level, int32_t depthStep);

// The raster of a kind: DepthMap, Stereogram or Pattern.
const GreyImage& rasterOf(const Workspace& ws, SourceKind kind);

// True when the raster of that kind is present and was made for the
// present image, so that it can be read as imageHeight rows of imageWidth
// (patternWidth for the Pattern). A raster left from another size, after a
// load or a widening, is kept but never read past its end.
bool rasterFitsImage(const Workspace& ws, SourceKind kind);

// True when the picture on show holds the whole picture of the image.
bool pictureFitsImage(const Workspace& ws);

// The Preferences dialog's rules, which the command line's options follow
// too: 1 to 8 bits of depth; a repeat count of 3 to a tenth of the image
// width. A refused value comes with the dialog's message.
Outcome checkDepthBits(int32_t depthBits);
Outcome checkRepeatCount(const Workspace& ws, int32_t repeatCount);

// depthBits, and the depthStep that always goes with it: 256 / 2^depthBits.
void storeDepthBits(Preferences& prefs, int32_t depthBits);

// Reads a number as the Preferences dialog reads its fields: leading spaces
// skipped, then decimal digits up to the first other character; no digits,
// or a value above 4294967295, give 0. The unsigned result is taken as
// signed 32-bit.
int32_t readFieldNumber(const std::string& text);
