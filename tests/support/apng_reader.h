// A reader of animated PNG files for the tests, apart from the program's
// writer: it checks every chunk's CRC and inflates the image data with
// zlib. It reads 8-bit grey and colour files whose rows are unfiltered,
// which is what the program writes, and says so when a file is not.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct ApngFrame {
    // From the frame's fcTL.
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t x = 0;
    uint32_t y = 0;
    uint32_t delayNumerator = 0;
    uint32_t delayDenominator = 0;
    int dispose = -1;
    int blend = -1;
    // Its rows, top row first, in the file's channels.
    std::vector<uint8_t> pixels;
};

struct Apng {
    // Empty when the file was read; otherwise what is wrong with it.
    std::string error;
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;
    // From acTL.
    uint32_t frameCount = 0;
    uint32_t plays = 0;
    // The sequence numbers of the fcTL and fdAT chunks, in file order.
    std::vector<uint32_t> sequence;
    // The pixels of the image data in IDAT chunks: what a reader without
    // animations shows.
    std::vector<uint8_t> defaultImage;
    // True when the IDAT chunks come after the first fcTL, so that the
    // default image is the first frame.
    bool defaultImageIsFirstFrame = false;
    std::vector<ApngFrame> frames;
};

Apng readApng(const std::vector<uint8_t>& file);
