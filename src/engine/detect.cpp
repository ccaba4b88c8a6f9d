// Pattern-width detection: which divisor of the image width the rows of
// the Stereogram repeat from, judged by the grey pixels alone.
#include <cstring>

#include "engine/engine.h"
#include "engine/stereogram_rows.h"

namespace {

// Periods tried for a candidate strip width w are w + 0 .. w + LargestExcess.
constexpr int32_t LargestExcess = 254;
constexpr int32_t NoExcessYet = 256;

// The length of the run before minMatch is applied. Pixels outside the row
// count as unequal, so hostile columns and distances never read outside it.
int64_t rawRunLeft(const uint8_t* pixels, int64_t width, int64_t x, int64_t distance) {
    if (pixels == nullptr || distance < 1 || x - distance < 0) return 0;
    int64_t i = 0;
    while (i < distance && x + i < width && pixels[x + i] == pixels[x + i - distance]) ++i;
    return i;
}

// Columns w .. w + k - 1 equal columns w + k .. w + 2k - 1, all within the row.
bool repeatsFromCandidate(const uint8_t* pixels, int64_t width, int64_t w, int64_t k) {
    if (w + 2 * k > width) return false;
    return std::memcmp(pixels + w, pixels + w + k, static_cast<size_t>(k)) == 0;
}

bool periodConfirmed(const Workspace& ws, const uint8_t* pixels, int32_t row, int32_t w, int32_t k) {
    return matchRunLeft(ws, k, row, k) == k && repeatsFromCandidate(pixels, ws.imageWidth, w, k);
}

}  // namespace

int32_t matchRunLeft(const Workspace& ws, int32_t x, int32_t row, int32_t distance) {
    int64_t run = rawRunLeft(stereogramRow(ws, row), ws.imageWidth, x, distance);
    return run < ws.preferences.minMatch ? 0 : static_cast<int32_t>(run);
}

int32_t detectPatternWidth(const Workspace& ws) {
    const int32_t width = ws.imageWidth;
    // Below 30 columns a thirtieth of the width is 0, which is no strip width.
    if (!stereogramFitsImage(ws) || width / 30 < 1) return 0;
    int32_t bestExcess = NoExcessYet;
    int32_t answer = 0;
    for (int32_t row = 0; row < ws.imageHeight && bestExcess > 0; ++row) {
        const uint8_t* pixels = stereogramRow(ws, row);
        for (int32_t w = width / 30; w < width / 3; ++w) {
            if (width % w != 0) continue;
            // Only a strictly smaller excess can replace the answer.
            for (int32_t excess = 0; excess <= LargestExcess && excess < bestExcess; ++excess) {
                if (!periodConfirmed(ws, pixels, row, w, w + excess)) continue;
                bestExcess = excess;
                answer = w;
            }
        }
    }
    return answer;
}
