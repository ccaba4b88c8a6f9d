#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/engine.h"
#include "engine/random_batch.h"

namespace {

// A draw as a pattern's dot: 0..32767 spread over 0..255.
uint8_t dotOf(int32_t value) {
    return static_cast<uint8_t>(value * 255 / 32767);
}

// One random value is drawn for every pixel, also for the ramp, so the
// random source always moves on by the size of the pattern.
void fillGreyPattern(Picture& pattern, bool noise, uint32_t& randomState) {
    for (int32_t row = 0; row < pattern.height; ++row)
        drawRandomInto(randomState, rowOf(pattern, row), pattern.width, [noise](int32_t value, int64_t column) {
            return static_cast<uint8_t>(noise ? dotOf(value) : column % 256);
        });
}

// Colour dots: three draws a pixel, red, green and blue, row after row.
void fillColourPattern(Picture& pattern, uint32_t& randomState) {
    for (int32_t row = 0; row < pattern.height; ++row)
        drawRandomInto(randomState, rowOf(pattern, row), static_cast<int64_t>(rowBytes(pattern)),
                       [](int32_t value, int64_t) { return dotOf(value); });
}

}  // namespace

bool repeatCountMakesStrips(int32_t width, int32_t repeatCount) {
    return repeatCount >= 1 && width / repeatCount >= 1;
}

int32_t newPatternWidth(int32_t width, int32_t repeatCount) {
    const int32_t stripWidth = width / repeatCount;
    return repeatCount * stripWidth == width ? stripWidth : stripWidth + 1;
}

bool widenDepthMap(Runtime& runtime, Picture& depth, int32_t newWidth) {
    Picture widened;
    if (!replacePicture(runtime, widened, newWidth, depth.height, GreyChannels)) return false;
    const size_t oldWidth = static_cast<size_t>(depth.width);
    std::memset(widened.pixels.get(), depth.pixels[0], static_cast<size_t>(newWidth) * depth.height);
    for (int32_t row = 0; row < depth.height; ++row) std::memcpy(rowOf(widened, row), rowOf(depth, row), oldWidth);
    depth = std::move(widened);
    return true;
}

Outcome makePattern(Runtime& runtime, int32_t width, int32_t height, const Preferences& prefs,
                    uint32_t& randomState, Picture& pattern) {
    const bool colourDots = prefs.colour && prefs.randomFill;
    if (!replacePicture(runtime, pattern, width, height, colourDots ? ColourChannels : GreyChannels))
        return outOfMemoryOutcome();
    if (colourDots)
        fillColourPattern(pattern, randomState);
    else
        fillGreyPattern(pattern, prefs.randomFill, randomState);
    return doneOutcome();
}
