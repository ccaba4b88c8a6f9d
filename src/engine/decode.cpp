// Stereogram decoding: follows the separations along each row of the
// Stereogram and turns them into the depth levels of a new DepthMap.
#include <algorithm>
#include <cstring>

#include "engine/engine.h"
#include "engine/stereogram_rows.h"
#include "shell/ui.h"
#include "views/views.h"

namespace {

// What one decoding reads again and again, fixed before its first row.
struct Decoding {
    int64_t width;
    int64_t stripWidth;
    int32_t levelCount;
    int32_t depthStep;
    int32_t minMatch;
    int32_t searchRange;
    UnresolvedPolicy policy;
    uint8_t* scratchRow;
};

// A run found by the search, at the separation that gave it; a length of 0
// means that no separation was found.
struct FoundRun {
    int64_t length;
    int64_t separation;
};

// How many pixels from column x equal the pixel `separation` to their
// right, at most `separation`, and 0 below minMatch. Pixels outside the row
// count as unequal. Sums are 64-bit: separations from a hostile search
// range would overflow 32 bits.
int64_t runRight(const uint8_t* pixels, int64_t width, int32_t minMatch, int64_t x, int64_t separation) {
    if (pixels == nullptr || separation < 1 || x < 0) return 0;
    int64_t i = 0;
    while (x + separation + i < width && pixels[x + i] == pixels[x + separation + i]) {
        ++i;
        if (i == separation) break;
    }
    return i < minMatch ? 0 : i;
}

int64_t runAt(const Decoding& d, const uint8_t* pixels, int64_t x, int64_t separation) {
    return runRight(pixels, d.width, d.minMatch, x, separation);
}

// Outward from the current separation, the nearest one at which the pixels
// from x repeat; the smaller separation wins a tie.
FoundRun searchSeparation(const Decoding& d, const uint8_t* pixels, int64_t x, int64_t separation) {
    for (int64_t k = 1; k < d.searchRange; ++k) {
        int64_t left = runAt(d, pixels, x, separation - k);
        int64_t right = runAt(d, pixels, x, separation + k);
        if (left > 0 || right > 0)
            return left >= right ? FoundRun{left, separation - k} : FoundRun{right, separation + k};
        // From here on the left separation is below 1 and the right one
        // reaches past the row: a larger k cannot find anything.
        if (separation - k < 1 && x + separation + k >= d.width) break;
    }
    return FoundRun{0, separation};
}

int32_t levelOfSeparation(const Decoding& d, int64_t separation) {
    return static_cast<int32_t>(d.stripWidth + d.levelCount - separation);
}

int32_t unresolvedLevel(Workspace& ws, const Decoding& d, int64_t separation) {
    switch (d.policy) {
        case UnresolvedPolicy::Random:
            return nextRandom(ws) % (d.levelCount + 1);
        case UnresolvedPolicy::Background:
            return d.depthStep > 0 ? (d.scratchRow[0] + 1) / d.depthStep : 0;
        case UnresolvedPolicy::KeepPrevious:
            break;
    }
    return levelOfSeparation(d, separation);
}

// The last stripWidth columns of a row, which the walk does not enter.
void fillTail(Workspace& ws, const Decoding& d, uint8_t* tail, uint8_t lastValue) {
    const size_t count = static_cast<size_t>(d.stripWidth);
    switch (d.policy) {
        case UnresolvedPolicy::Random:
            for (size_t i = 0; i < count; ++i) tail[i] = static_cast<uint8_t>(nextRandom(ws) % 256);
            return;
        case UnresolvedPolicy::Background:
            std::memset(tail, d.scratchRow[0], count);
            return;
        case UnresolvedPolicy::KeepPrevious:
            break;
    }
    std::memset(tail, lastValue, count);
}

// Decodes one row into depthRow. Needs 0 <= stripWidth < width, so that at
// least one column is walked and every run stays inside the row.
void decodeRow(Workspace& ws, const Decoding& d, const uint8_t* pixels, uint8_t* depthRow) {
    const int64_t walkedWidth = d.width - d.stripWidth;
    int64_t separation = d.stripWidth;
    int32_t currentLevel = d.levelCount;
    uint8_t lastValue = 0;
    for (int64_t x = 0; x < walkedWidth;) {
        int64_t length = runAt(d, pixels, x, separation);
        if (length <= 0) {
            FoundRun found = searchSeparation(d, pixels, x, separation);
            if (found.length > 0) {
                length = found.length;
                separation = found.separation;
                currentLevel = levelOfSeparation(d, separation);
            } else {
                length = 1;
                currentLevel = unresolvedLevel(ws, d, separation);
            }
        }
        lastValue = greyOfLevel(currentLevel, d.depthStep);
        std::memset(d.scratchRow + x, lastValue, static_cast<size_t>(length));
        x += length;
    }
    fillTail(ws, d, depthRow + walkedWidth, lastValue);
    std::memcpy(depthRow, d.scratchRow, static_cast<size_t>(walkedWidth));
}

// Runs never reach past column width - 1, so a strip wider than the image
// adds nothing that could be written; it is counted as the image width.
size_t scratchRowSize(int32_t width, int32_t stripWidth, int32_t levels) {
    int64_t strip = std::min<int64_t>(std::max(stripWidth, 0), width);
    return static_cast<size_t>(width + strip + std::max(levels, 0));
}

}  // namespace

int32_t matchRunRight(const Workspace& ws, int32_t x, int32_t row, int32_t separation) {
    return static_cast<int32_t>(
        runRight(stereogramRow(ws, row), ws.imageWidth, ws.preferences.minMatch, x, separation));
}

void decodeStereogram(Workspace& ws, WindowHandle mainWindow) {
    const int32_t levels = levelCount(ws.preferences);
    if (!stereogramFitsImage(ws)) {
        showMessage(mainWindow, "Hej, nie ma wygenerowanego stereogramu!", "");
        return;
    }
    const int32_t width = ws.imageWidth;
    const int32_t height = ws.imageHeight;
    if (!replaceGreyImage(ws.depthMap, width, height)) {
        reportOutOfMemory(mainWindow);
        return;
    }
    int32_t stripWidth = detectPatternWidth(ws);
    if (stripWidth == 0) {
        showMessage(mainWindow,
                    "Nie znaleziono szerokosci patternu\n"
                    "Jako szerokość patternu zostanie wzięta wartość z preferencji",
                    "");
        stripWidth = ws.patternWidth;
    }
    uint8_t* scratchRow = allocateBytes(scratchRowSize(width, stripWidth, levels));
    if (scratchRow == nullptr) {
        reportOutOfMemory(mainWindow);
        return;
    }
    // Background reads column 0 of the previous row; before the first row
    // that is 0.
    scratchRow[0] = 0;
    const size_t rowLength = static_cast<size_t>(width);
    std::memset(ws.depthMap.pixels, 0, rowLength * static_cast<size_t>(height));

    const Preferences& prefs = ws.preferences;
    const Decoding d{width,          stripWidth,          levels, prefs.depthStep, prefs.minMatch,
                     prefs.searchRange, prefs.unresolvedPolicy, scratchRow};
    // With a strip at least as wide as the image no column can be decoded
    // and the cleared rows stay as they are.
    const bool decodable = stripWidth >= 0 && stripWidth < width;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* depthRow = ws.depthMap.pixels + static_cast<size_t>(y) * rowLength;
        if (decodable) decodeRow(ws, d, stereogramRow(ws, y), depthRow);
        if (y % 10 == 0) stepProgress();
    }
    resetProgress();
    releaseBytes(scratchRow);
    renderView(ws, mainWindow, SourceKind::DepthMap, ViewKind::DepthOriginal);
}
