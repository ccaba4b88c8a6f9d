#include "bench_samples.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/engine.h"
#include "engine/random_batch.h"
#include "reference_decoding.h"
#include "test_runtime.h"

namespace {

struct Sphere {
    double centreX, centreY, radius;  // as fractions of the image width
};

}  // namespace

std::vector<uint8_t> smoothDepthMap(int32_t width, int32_t height) {
    const Sphere spheres[] = {{0.25, 0.30, 0.12}, {0.60, 0.45, 0.18}, {0.80, 0.20, 0.08}, {0.40, 0.60, 0.10}};
    std::vector<uint8_t> depth(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            // Flat ground on the left two thirds, from which decoding finds
            // the strip width, then a ramp.
            double value = std::fmax(0.0, 384.0 * x / width - 256.0);
            for (const Sphere& s : spheres) {
                const double dx = (x - s.centreX * width) / (s.radius * width);
                const double dy = (y - s.centreY * width) / (s.radius * width);
                const double inside = 1.0 - dx * dx - dy * dy;
                if (inside > 0) value = std::fmax(value, 128.0 + 127.0 * std::sqrt(inside));
            }
            depth[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(value);
        }
    }
    return depth;
}

std::vector<uint8_t> movingSphereDepthMap(int32_t width, int32_t height, int32_t index, int32_t count) {
    const double radius = height / 8.0;
    const double centreX = radius + (width - 2 * radius) * index / std::max(1, count - 1);
    const double centreY = height / 2.0;
    std::vector<uint8_t> depth(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const double dx = (x + 0.5 - centreX) / radius;
            const double dy = (y + 0.5 - centreY) / radius;
            const double inside = 1.0 - dx * dx - dy * dy;
            if (inside > 0) depth[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(64 + 191 * std::sqrt(inside));
        }
    }
    return depth;
}

std::vector<uint8_t> noiseImage(int32_t width, int32_t height, uint32_t seed) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (uint8_t& v : pixels) v = static_cast<uint8_t>(referenceRandom(seed) >> 7);
    return pixels;
}

std::vector<uint8_t> generatedStereogram(int32_t width, int32_t height) {
    const Preferences prefs;
    uint32_t randomState = FirstRandomState;
    const Picture depth = pictureOf(width, height, smoothDepthMap(width, height));
    Picture pattern;
    Picture stereogram;
    makePattern(testRuntime(), width / prefs.repeatCount, height, prefs, randomState, pattern);
    makeStereogram(testRuntime(), depth, pattern, prefs, randomState, Progress{}, stereogram);
    return bytesOf(stereogram);
}
