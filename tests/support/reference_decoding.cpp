#include "reference_decoding.h"

#include <algorithm>

namespace {

int32_t levelsOf(int32_t depthBits) { return 1 << depthBits; }
int32_t stepOf(int32_t depthBits) { return 256 / levelsOf(depthBits); }

// S[row][x], or -1 for any place outside the row: such a pixel equals nothing.
int pixelAt(const std::vector<uint8_t>& s, int64_t width, int64_t row, int64_t x) {
    if (x < 0 || x >= width || row < 0 || (row + 1) * width > static_cast<int64_t>(s.size())) return -1;
    return s[static_cast<size_t>(row * width + x)];
}

bool samePixels(const std::vector<uint8_t>& s, int64_t width, int64_t row, int64_t a, int64_t b) {
    int pa = pixelAt(s, width, row, a);
    return pa >= 0 && pa == pixelAt(s, width, row, b);
}

}  // namespace

int64_t referenceRunLeft(const std::vector<uint8_t>& s, int64_t width, int64_t row, int64_t x, int64_t distance,
                         int64_t minMatch) {
    if (distance < 1) return 0;
    int64_t i = 0;
    while (i < distance && x + i < width && samePixels(s, width, row, x + i, x + i - distance)) i = i + 1;
    if (i < minMatch) return 0;
    return i;
}

int64_t referenceRunRight(const std::vector<uint8_t>& s, int64_t width, int64_t row, int64_t x, int64_t separation,
                          int64_t minMatch) {
    if (separation < 1) return 0;
    int64_t i = 0;
    while (x + separation + i < width && samePixels(s, width, row, x + i, x + separation + i)) {
        i = i + 1;
        if (i == separation) break;
    }
    if (i < minMatch) return 0;
    return i;
}

namespace {

uint8_t greyOf(int64_t level, int32_t depthStep) {
    int64_t value = depthStep * level - 1;
    if (value < 0) value = 0;
    if (value > 255) value = 255;
    return static_cast<uint8_t>(value);
}

}  // namespace

int32_t referenceRandom(uint32_t& state) {
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}

std::vector<uint8_t> referenceLinkRows(const std::vector<uint8_t>& filled, const std::vector<uint8_t>& depth,
                                       int32_t width, int32_t height, int32_t stripWidth, int32_t depthBits) {
    const int32_t levels = levelsOf(depthBits);
    const int32_t step = stepOf(depthBits);
    std::vector<uint8_t> out(filled.size());
    for (int32_t y = 0; y < height; ++y) {
        std::vector<uint8_t> row(static_cast<size_t>(width + stripWidth + levels));
        for (int32_t x = 0; x < width; ++x) row[x] = filled[static_cast<size_t>(y) * width + x];
        for (int32_t x = 0; x < width; ++x) {
            int32_t d = depth[static_cast<size_t>(y) * width + x];
            int32_t level = (d + 1) / step;
            row[x + stripWidth + levels - level] = row[x];
        }
        for (int32_t x = 0; x < width; ++x) out[static_cast<size_t>(y) * width + x] = row[x];
    }
    return out;
}

int32_t referenceDetectWidth(const std::vector<uint8_t>& s, int32_t width, int32_t height, int32_t minMatch) {
    int32_t bestExcess = 256;
    int32_t answer = 0;
    // A thirtieth of a width below 30 is 0, which is no strip width.
    if (width / 30 == 0) return 0;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t w = width / 30; w < width / 3; ++w) {
            if (width % w != 0) continue;
            for (int32_t j = 0; j <= 254; ++j) {
                int32_t k = w + j;
                bool fromRowStart = referenceRunLeft(s, width, y, k, k, minMatch) == k;
                bool fromCandidate = w + 2 * k <= width;
                for (int32_t i = 0; fromCandidate && i < k; ++i)
                    fromCandidate = samePixels(s, width, y, w + i, w + k + i);
                if (fromRowStart && fromCandidate && j < bestExcess) {
                    bestExcess = j;
                    answer = w;
                }
            }
        }
    }
    return answer;
}

ReferenceDecoding referenceDecode(const std::vector<uint8_t>& s, int32_t width, int32_t height,
                                  const ReferenceSettings& settings, uint32_t randomState) {
    ReferenceDecoding result;
    const int32_t levels = levelsOf(settings.depthBits);
    const int32_t step = stepOf(settings.depthBits);
    const int64_t minMatch = settings.minMatch;
    result.depthMap.assign(static_cast<size_t>(width) * height, 0);
    result.detectedWidth = referenceDetectWidth(s, width, height, settings.minMatch);
    const int32_t strip = result.detectedWidth != 0 ? result.detectedWidth : settings.patternWidth;
    result.stripWidth = strip;
    result.randomState = randomState;
    // A strip outside 0 .. width - 1 leaves no column to decode: the map stays cleared.
    if (strip < 0 || strip >= width) return result;

    std::vector<uint8_t> scratch(static_cast<size_t>(width + strip + levels));
    scratch[0] = 0;
    for (int32_t y = 0; y < height; ++y) {
        int64_t x = 0;
        int64_t separation = strip;
        int64_t currentLevel = levels;
        uint8_t lastWritten = 0;
        while (x < width - strip) {
            int64_t len = referenceRunRight(s, width, y, x, separation, minMatch);
            if (len <= 0) {
                int64_t left = 0;
                int64_t right = 0;
                int64_t k = 1;
                // The separation lies in 0 .. width - 1, so from k = width on the left
                // one is below 1 and the right one ends past the row: no k beyond
                // width can find a run, and stopping there changes nothing.
                while (k < settings.searchRange && k <= width) {
                    left = referenceRunRight(s, width, y, x, separation - k, minMatch);
                    right = referenceRunRight(s, width, y, x, separation + k, minMatch);
                    if (left > 0 || right > 0) break;
                    k = k + 1;
                }
                if (left > 0 || right > 0) {
                    if (left >= right) {
                        len = left;
                        separation = separation - k;
                    } else {
                        len = right;
                        separation = separation + k;
                    }
                    currentLevel = strip + levels - separation;
                } else {
                    len = 1;
                    if (settings.policy == 1) {
                        currentLevel = referenceRandom(randomState) % (levels + 1);
                    } else if (settings.policy == 2) {
                        currentLevel = (scratch[0] + 1) / step;
                    } else {
                        currentLevel = strip + levels - separation;
                    }
                }
            }
            uint8_t value = greyOf(currentLevel, step);
            for (int64_t i = 0; i < len; ++i) scratch[static_cast<size_t>(x + i)] = value;
            lastWritten = value;
            x = x + len;
        }
        uint8_t* out = result.depthMap.data() + static_cast<size_t>(y) * width;
        for (int32_t c = width - strip; c < width; ++c) {
            if (settings.policy == 1)
                out[c] = static_cast<uint8_t>(referenceRandom(randomState) % 256);
            else if (settings.policy == 2)
                out[c] = scratch[0];
            else
                out[c] = lastWritten;
        }
        for (int32_t c = 0; c < width - strip; ++c) out[c] = scratch[c];
    }
    result.randomState = randomState;
    return result;
}

std::vector<uint8_t> shuffledRows(int32_t width, int32_t height, uint32_t seed) {
    std::vector<uint8_t> rows(static_cast<size_t>(width) * height);
    for (int32_t y = 0; y < height; ++y) {
        uint8_t values[256];
        for (int v = 0; v < 256; ++v) values[v] = static_cast<uint8_t>(v);
        for (int v = 255; v > 0; --v) std::swap(values[v], values[referenceRandom(seed) % (v + 1)]);
        for (int32_t x = 0; x < width; ++x)
            rows[static_cast<size_t>(y) * width + x] =
                x < 256 ? values[x] : static_cast<uint8_t>(referenceRandom(seed) % 256);
    }
    return rows;
}

std::vector<uint8_t> flatStereogram(int32_t width, int32_t height, int32_t stripWidth, int32_t depthBits,
                                    uint8_t depth, uint32_t seed) {
    std::vector<uint8_t> depthMap(static_cast<size_t>(width) * height, depth);
    return referenceLinkRows(shuffledRows(width, height, seed), depthMap, width, height, stripWidth, depthBits);
}
