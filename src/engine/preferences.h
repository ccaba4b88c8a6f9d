// The settings the engine works by: the Preferences, as the dialog and
// the command line's options set them, and what follows from them.
#pragma once

#include <cstdint>

#include "picture/depth_levels.h"

enum class UnresolvedPolicy : uint8_t { KeepPrevious = 0, Random = 1, Background = 2 };

// Which decoder reads a stereogram: the exact one, whose repeats must be
// exact; the tolerant one, for lossy files, colour textures and smoothed
// pictures; or the one that suits the stereogram: tolerant for a lossy
// (JPEG) file, exact for any other and for what the program generated.
enum class DecoderChoice : int32_t { Exact = 0, Tolerant = 1, Automatic = 2 };

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
    DecoderChoice decoder = DecoderChoice::Automatic;
};

// Whether a stereogram is read by the tolerant decoder: as chosen, or,
// chosen automatically, when it came from a lossy file.
bool decodesTolerantly(DecoderChoice choice, bool fromLossyFile);

// 2^depthBits, the number of depth levels.
int32_t levelCount(const Preferences& prefs);

// depthBits, and the depthStep that always goes with it: 256 / 2^depthBits.
void storeDepthBits(Preferences& prefs, int32_t depthBits);

// The channels a stereogram or pattern keeps when it is read from a file:
// its colours with the colour preference on, their grey otherwise. A depth
// map is always grey.
int32_t channelsKept(const Preferences& prefs);
