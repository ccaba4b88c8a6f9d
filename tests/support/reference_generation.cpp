#include "reference_generation.h"

#include <cstddef>

namespace {

int32_t drawRandom(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}

int32_t levelsOf(int32_t depthBits) { return 1 << depthBits; }

// Channel k of the pattern's pixel (row, column); a grey pattern has one.
uint8_t patternPixel(const GenerationInputs& in, int32_t row, int32_t column, int32_t k) {
    const int32_t height = in.patternHeight > 0 ? in.patternHeight : in.height;
    const std::size_t pixel = static_cast<std::size_t>(row % height) * in.patternWidth + column % in.patternWidth;
    return in.pattern[pixel * in.patternChannels + (in.patternChannels == 3 ? k : 0)];
}

}  // namespace

int32_t referenceSeparation(int32_t d, int32_t stripWidth, int32_t depthBits, bool wallEyed) {
    const int32_t levels = levelsOf(depthBits);
    const int32_t depthStep = 256 / levels;
    const int32_t b = wallEyed ? d + 1 : 256 - d;
    const int32_t level = b / depthStep;
    return stripWidth + levels - level;
}

GeneratedStereogram referenceGenerate(const GenerationInputs& in) {
    const int32_t stripWidth = in.width / in.repeatCount;
    const int32_t levels = levelsOf(in.depthBits);
    const int32_t channels = in.colour && (in.patternChannels == 3 || in.randomFill) ? 3 : 1;
    uint32_t state = in.randomState;
    GeneratedStereogram out;
    out.channels = channels;
    out.pixels.resize(static_cast<std::size_t>(in.width) * in.height * channels);
    std::vector<uint8_t> row(static_cast<std::size_t>(in.width + levels + stripWidth) * channels);
    for (int32_t i = 0; i < in.height; ++i) {
        for (int32_t x = 0; x < in.width; ++x) {
            for (int32_t k = 0; k < channels; ++k) {
                uint8_t& value = row[static_cast<std::size_t>(x) * channels + k];
                if (!in.randomFill)
                    value = patternPixel(in, i, x % stripWidth, k);
                else if (x < stripWidth)
                    value = patternPixel(in, i, x, k);
                else
                    value = static_cast<uint8_t>(drawRandom(state) % 256);
            }
        }
        for (int32_t x = 0; x < in.width; ++x) {
            const int32_t d = in.depth[static_cast<std::size_t>(i) * in.width + x];
            const int32_t to = x + referenceSeparation(d, stripWidth, in.depthBits, in.wallEyed);
            for (int32_t k = 0; k < channels; ++k)
                row[static_cast<std::size_t>(to) * channels + k] = row[static_cast<std::size_t>(x) * channels + k];
        }
        for (std::size_t b = 0; b < static_cast<std::size_t>(in.width) * channels; ++b)
            out.pixels[static_cast<std::size_t>(i) * in.width * channels + b] = row[b];
    }
    out.randomState = state;
    return out;
}

std::vector<uint8_t> referencePattern(int32_t width, int32_t height, bool randomFill, uint32_t& randomState,
                                      bool colour) {
    const int32_t draws = colour && randomFill ? 3 : 1;
    std::vector<uint8_t> pattern;
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            for (int32_t k = 0; k < draws; ++k) {
                const int32_t v = drawRandom(randomState);
                pattern.push_back(static_cast<uint8_t>(randomFill ? v * 255 / 32767 : c % 256));
            }
        }
    }
    return pattern;
}
