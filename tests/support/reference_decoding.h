// A plain, slow, obviously correct version of stereogram generation,
// pattern-width detection and decoding, on vectors and with its own random
// state. Tests compare the engine against it and make their sample
// stereograms with it; it shares no code with src/engine.
#pragma once

#include <cstdint>
#include <vector>

// The program's random sequence, on a state of its own.
int32_t referenceRandom(uint32_t& state);

// Wall-eyed linking of rows already filled with the strip and the filler:
// every pixel is copied to the right by stripWidth + levelCount - level,
// level = (d + 1) / depthStep. `filled` and `depth` are width x height.
std::vector<uint8_t> referenceLinkRows(const std::vector<uint8_t>& filled, const std::vector<uint8_t>& depth,
                                       int32_t width, int32_t height, int32_t stripWidth, int32_t depthBits);

// How many pixels from column x of the row equal the pixel `distance` to
// their left, or `separation` to their right; 0 below minMatch.
int64_t referenceRunLeft(const std::vector<uint8_t>& stereogram, int64_t width, int64_t row, int64_t x,
                         int64_t distance, int64_t minMatch);
int64_t referenceRunRight(const std::vector<uint8_t>& stereogram, int64_t width, int64_t row, int64_t x,
                          int64_t separation, int64_t minMatch);

// The strip width that the rows repeat from, 0 when none is confirmed.
int32_t referenceDetectWidth(const std::vector<uint8_t>& stereogram, int32_t width, int32_t height,
                             int32_t minMatch);

struct ReferenceSettings {
    int32_t depthBits = 3;
    int32_t minMatch = 2;
    int32_t searchRange = 165;
    int32_t policy = 0;  // 0 keep previous, 1 random, 2 background
    int32_t patternWidth = 0;
};

struct ReferenceDecoding {
    std::vector<uint8_t> depthMap;
    int32_t detectedWidth = 0;
    int32_t stripWidth = 0;
    uint32_t randomState = 0;
};

ReferenceDecoding referenceDecode(const std::vector<uint8_t>& stereogram, int32_t width, int32_t height,
                                  const ReferenceSettings& settings, uint32_t randomState);

// Rows ready for linking: in every row the first min(width, 256) columns
// hold 256 different values in a shuffled order, the rest random values, all
// drawn from `seed`. Columns 0 .. stripWidth - 1 serve as the strip.
std::vector<uint8_t> shuffledRows(int32_t width, int32_t height, uint32_t seed);

// A stereogram of a depth map that holds `depth` everywhere, made from
// shuffledRows(seed): every row repeats at stripWidth + levelCount - level.
std::vector<uint8_t> flatStereogram(int32_t width, int32_t height, int32_t stripWidth, int32_t depthBits,
                                    uint8_t depth, uint32_t seed);
