#include "reference_generation.h"

#include <cstddef>

namespace {

int32_t drawRandom(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}

int32_t levelsOf(int32_t depthBits) { return 1 << depthBits; }

uint8_t patternPixel(const GenerationInputs& in, int32_t row, int32_t column) {
    return in.pattern[static_cast<std::size_t>(row) * in.patternWidth + column % in.patternWidth];
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
    uint32_t state = in.randomState;
    GeneratedStereogram out;
    out.pixels.resize(static_cast<std::size_t>(in.width) * in.height);
    std::vector<uint8_t> row(static_cast<std::size_t>(in.width + levels + stripWidth));
    for (int32_t i = 0; i < in.height; ++i) {
        for (int32_t x = 0; x < in.width; ++x) {
            if (!in.randomFill)
                row[x] = patternPixel(in, i, x % stripWidth);
            else if (x < stripWidth)
                row[x] = patternPixel(in, i, x);
            else
                row[x] = static_cast<uint8_t>(drawRandom(state) % 256);
        }
        for (int32_t x = 0; x < in.width; ++x) {
            const int32_t d = in.depth[static_cast<std::size_t>(i) * in.width + x];
            row[x + referenceSeparation(d, stripWidth, in.depthBits, in.wallEyed)] = row[x];
        }
        for (int32_t x = 0; x < in.width; ++x) out.pixels[static_cast<std::size_t>(i) * in.width + x] = row[x];
    }
    out.randomState = state;
    return out;
}

std::vector<uint8_t> referencePattern(int32_t width, int32_t height, bool randomFill, uint32_t& randomState) {
    std::vector<uint8_t> pattern;
    for (int32_t r = 0; r < height; ++r) {
        for (int32_t c = 0; c < width; ++c) {
            const int32_t v = drawRandom(randomState);
            pattern.push_back(static_cast<uint8_t>(randomFill ? v * 255 / 32767 : c % 256));
        }
    }
    return pattern;
}
