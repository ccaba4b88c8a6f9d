#include "shell/window_layout.h"

#include <cmath>

int32_t scaledToDpi(int32_t size, int32_t dpi) {
    const int64_t product = static_cast<int64_t>(size) * dpi;
    return static_cast<int32_t>((product + StandardDpi / 2) / StandardDpi);
}

StripMetrics stripMetricsAt(int32_t dpi) {
    return StripMetrics{scaledToDpi(StripHeight, dpi), scaledToDpi(ProgressLeft, dpi),
                        scaledToDpi(StatusBarHeight, dpi)};
}

BarPlaces placeBars(const StripMetrics& strip, int32_t barsWidth, int32_t clientHeight) {
    const int32_t stripTop = clientHeight - strip.height;
    const int32_t progressWidth = barsWidth > strip.progressLeft ? barsWidth - strip.progressLeft : 0;
    return BarPlaces{BarRect{0, stripTop, barsWidth, strip.statusBarHeight},
                     BarRect{strip.progressLeft, stripTop, progressWidth, strip.height}};
}

int32_t logicalSizeHolding(int32_t devicePixels, double devicePixelRatio) {
    // The margin keeps a quotient that floating point lands just above a
    // whole number (600 / 1.2) from counting one pixel more.
    return static_cast<int32_t>(std::ceil(devicePixels / devicePixelRatio - 1e-6));
}
