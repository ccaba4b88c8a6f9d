// A plain, slow, obviously correct version of stereogram and pattern
// generation on vectors, with its own copy of the program's random
// sequence. It shares no code with src/engine, so the engine can be
// compared against it however the engine is made fast.
#pragma once

#include <cstdint>
#include <vector>

struct GenerationInputs {
    int32_t width = 0;
    int32_t height = 0;
    int32_t repeatCount = 5;
    int32_t depthBits = 3;
    bool wallEyed = true;
    bool randomFill = true;
    std::vector<uint8_t> depth;    // width x height
    std::vector<uint8_t> pattern;  // patternWidth x patternHeight, patternChannels each
    int32_t patternWidth = 0;      // at least 1; need not be the strip width
    int32_t patternHeight = 0;     // 0: the height
    int32_t patternChannels = 1;   // 1 grey, 3 red, green, blue
    bool colour = false;           // colour on: the stereogram keeps colours
    uint32_t randomState = 1;
};

struct GeneratedStereogram {
    std::vector<uint8_t> pixels;  // width x height, channels each
    int32_t channels = 1;
    uint32_t randomState = 0;     // the random state after the last draw
};

// The stereogram of valid inputs (repeatCount 1..width, depthBits 1..8).
// The pattern is read with its own row length and its rows repeat down the
// picture: pattern pixel (i, c) is that of pattern row i mod patternHeight,
// column c mod patternWidth. With colour on the stereogram has three
// channels when the pattern has or random fill is on (one draw per
// channel, red, green, blue); a grey pattern then gives three equal ones.
GeneratedStereogram referenceGenerate(const GenerationInputs& in);

// The distance at which a pixel of depth d is copied to its right.
int32_t referenceSeparation(int32_t d, int32_t stripWidth, int32_t depthBits, bool wallEyed);

// A pattern strip of width x height, drawing one random value per pixel
// from `randomState`: noise v * 255 / 32767, or the ramp c mod 256. With
// colour on, noise draws three values a pixel, red, green and blue.
std::vector<uint8_t> referencePattern(int32_t width, int32_t height, bool randomFill, uint32_t& randomState,
                                      bool colour = false);
