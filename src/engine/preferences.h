// The settings the engine works by: the Preferences, as the dialog and
// the command line's options set them, and what follows from them.
#pragma once

#include <cstdint>

#include "picture/depth_levels.h"

enum class UnresolvedPolicy : uint8_t { KeepPrevious = 0, Random = 1, Background = 2 };

struct Preferences {
    int32_t depthBits = 3;
    int32_t depthStep = 32;
    int32_t repeatCount = 5;
    int32_t minMatch = 2;
    int32_t searchRange = 165;
    bool wallEyed = true;
    bool randomFill = true;
    UnresolvedPolicy unresolvedPolicy = UnresolvedPolicy::KeepPrevious;
    // Patterns, dots and stereograms keep their colours.
    bool colour = false;
    // The largest parallax of stereo pairs, in pixels; 0 for automatic.
    int32_t parallax = 0;
};

// 2^depthBits, the number of depth levels.
int32_t levelCount(const Preferences& prefs);

// depthBits, and the depthStep that always goes with it: 256 / 2^depthBits.
void storeDepthBits(Preferences& prefs, int32_t depthBits);

// The channels a stereogram or pattern keeps when it is read from a file:
// its colours with the colour preference on, their grey otherwise. A depth
// map is always grey.
int32_t channelsKept(const Preferences& prefs);
