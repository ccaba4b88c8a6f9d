#include <cstring>
#include <utility>

#include "engine/engine.h"
#include "engine/random_batch.h"
#include "texts/user_texts.h"
#include "workspace/little_endian.h"

namespace {

// A new depth map of newWidth columns: the old rows on the left, the
// added columns holding the old top-left value.
bool widenDepthMap(Workspace& ws, int32_t newWidth) {
    GreyImage widened;
    if (!replaceGreyImage(widened, newWidth, ws.imageHeight)) return false;
    const size_t oldWidth = static_cast<size_t>(ws.imageWidth);
    std::memset(widened.pixels.get(), ws.depthMap.pixels[0], static_cast<size_t>(newWidth) * ws.imageHeight);
    for (int32_t row = 0; row < ws.imageHeight; ++row)
        std::memcpy(widened.pixels.get() + static_cast<size_t>(row) * newWidth,
                    ws.depthMap.pixels.get() + row * oldWidth, oldWidth);
    ws.depthMap = std::move(widened);
    return true;
}

// The picture on show for the widened size: the old header with the new
// width and no image size, zeroed rows for the view to fill.
bool rebuildDisplayDib(Workspace& ws, const uint8_t (&header)[DibHeaderSize], int32_t newWidth) {
    const int64_t paddedWidth = (static_cast<int64_t>(newWidth) + 3) / 4 * 4;
    const size_t size = DibHeaderSize + static_cast<size_t>(3 * ws.imageHeight * paddedWidth);
    if (!replaceDisplayDib(ws.displayDib, size)) return false;
    uint8_t* bytes = ws.displayDib.bytes.get();
    std::memset(bytes, 0, size);
    std::memcpy(bytes, header, DibHeaderSize);
    writeLe32(bytes + 4, static_cast<uint32_t>(newWidth));
    writeLe32(bytes + 20, 0);
    return true;
}

// Makes the depth map repeatCount strips of stripWidth wide. The
// stereogram of the old width no longer fits and is released.
Outcome widenToWholeStrips(Workspace& ws, int32_t stripWidth) {
    // The picture on show is there whenever a depth map is, except on the
    // way out after running out of memory; without it there is no header.
    if (ws.displayDib.bytes == nullptr || ws.displayDib.size < DibHeaderSize) return silentRefusal();
    const int32_t newWidth = ws.preferences.repeatCount * stripWidth;
    uint8_t header[DibHeaderSize];
    std::memcpy(header, ws.displayDib.bytes.get(), DibHeaderSize);
    releaseDisplayDib(ws.displayDib);
    if (!widenDepthMap(ws, newWidth) || !rebuildDisplayDib(ws, header, newWidth)) return outOfMemoryOutcome();
    releaseGreyImage(ws.stereogram);
    ws.imageWidth = newWidth;
    Outcome widened;
    widened.notice = Message{DepthMapWidenedText, WarningCaption};
    return widened;
}

// One random value is drawn for every pixel, also for the ramp, so the
// random source always moves on by the size of the pattern.
void fillPattern(Workspace& ws) {
    const bool noise = ws.preferences.randomFill;
    for (int32_t row = 0; row < ws.imageHeight; ++row) {
        uint8_t* pixels = ws.pattern.pixels.get() + static_cast<size_t>(row) * static_cast<size_t>(ws.patternWidth);
        drawRandomInto(ws.randomState, pixels, ws.patternWidth, [noise](int32_t value, int64_t column) {
            return static_cast<uint8_t>(noise ? value * 255 / 32767 : column % 256);
        });
    }
}

}  // namespace

bool repeatCountMakesStrips(const Workspace& ws) {
    return ws.preferences.repeatCount >= 1 && ws.imageWidth / ws.preferences.repeatCount >= 1;
}

Outcome makePattern(Workspace& ws) {
    if (ws.depthMap.pixels == nullptr) return refusedOutcome(NoDepthMapText, NoCaption);
    if (!repeatCountMakesStrips(ws)) return refusedOutcome(BadRepeatCountText, WarningCaption);
    const int32_t repeatCount = ws.preferences.repeatCount;
    // A width that is no multiple of the strip is widened to the next one,
    // and patternWidth changes only once the depth map has that width.
    int32_t stripWidth = ws.imageWidth / repeatCount;
    Outcome outcome;
    if (repeatCount * stripWidth != ws.imageWidth) {
        ++stripWidth;
        outcome = widenToWholeStrips(ws, stripWidth);
        if (outcome.kind != OutcomeKind::Done) return outcome;
    }
    ws.patternWidth = stripWidth;
    if (!replaceGreyImage(ws.pattern, ws.patternWidth, ws.imageHeight)) {
        outcome.kind = OutcomeKind::OutOfMemory;
        return outcome;
    }
    fillPattern(ws);
    return outcome;
}
