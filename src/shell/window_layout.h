// The main window's client area: the image area at the top left and, below
// it, the strip that holds the status bar and, in front of it from x = 200,
// the progress bar. Sizes are given in pixels at 96 dpi and grow with the
// display's scale; the image area never does, it shows the picture one
// device pixel for each of its pixels.
#pragma once

#include <cstdint>

constexpr int32_t StandardDpi = 96;

// At 96 dpi: the strip's height, the progress bar's left edge, the height
// asked for the status bar (two more than the strip; the client area's
// edge cuts it).
constexpr int32_t StripHeight = 18;
constexpr int32_t ProgressLeft = 200;
constexpr int32_t StatusBarHeight = 20;

struct StripMetrics {
    int32_t height;
    int32_t progressLeft;
    int32_t statusBarHeight;
};

struct BarRect {
    int32_t x;
    int32_t y;
    int32_t width;
    int32_t height;
};

struct BarPlaces {
    BarRect status;
    BarRect progress;
};

// A size given at 96 dpi at `dpi`, rounded to the nearest pixel (halves
// up), as Windows scales it. Neither may be negative.
int32_t scaledToDpi(int32_t size, int32_t dpi);

StripMetrics stripMetricsAt(int32_t dpi);

// Where the bars go in a client area `clientHeight` high: both at the
// strip's top, the status bar from x = 0 and `barsWidth` wide, the progress
// bar from the strip's left edge to the same right end, or no width at all
// when the bars are narrower than that edge.
BarPlaces placeBars(const StripMetrics& strip, int32_t barsWidth, int32_t clientHeight);

// The smallest whole number of logical pixels that holds `devicePixels` at
// a device pixel ratio, fractional ones included: the whole picture shows,
// and no more than one logical pixel is left over.
int32_t logicalSizeHolding(int32_t devicePixels, double devicePixelRatio);
