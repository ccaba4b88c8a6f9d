// The letters are drawn with stb_truetype as coverage (antialiased, taken
// as inside from half covered), then raised: the distance from each pixel
// inside to the nearest pixel outside, exact for the few pixels of the
// bevel, comes from the distances down each column and then the nearest
// columns within the bevel (as a separable distance transform does).
#include "models/text_depth.h"

#include <algorithm>
#include <cmath>

#include "models/embedded_font.h"
#include "models/render_model.h"
#include "models/stb_font.h"
#include "picture/parallel_rows.h"
#include "texts/user_texts.h"

namespace {

constexpr double MarginShare = 0.05;
constexpr uint8_t InsideCoverage = 128;
// Column distances are kept up to the bevel's width: a pixel that far from
// the outside down its column is at least that far from it altogether.
constexpr int32_t FarColumnDistance = TextBevelPixels;
constexpr int32_t FullSquaredDistance = TextBevelPixels * TextBevelPixels;
// Columns measured together, on one core.
constexpr int32_t ColumnsPerStrip = 64;

// --- The text

// The code point at `at`, and `at` moved past it; false for bytes that are
// no UTF-8: a stray continuation byte, a sequence cut short, an overlong
// form, a surrogate or a number beyond U+10FFFF.
bool nextCodePoint(const std::string& text, size_t& at, uint32_t& codePoint) {
    const uint8_t lead = static_cast<uint8_t>(text[at]);
    if (lead < 0x80) {
        codePoint = lead;
        ++at;
        return true;
    }
    // The lead byte tells the length; the smallest code point of each
    // length keeps every character to its one shortest form.
    size_t length = 0;
    uint32_t lowest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        lowest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        lowest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        lowest = 0x10000;
    } else {
        return false;
    }
    if (text.size() - at < length) return false;
    codePoint = lead & (0x7Fu >> length);
    for (size_t i = 1; i < length; ++i) {
        const uint8_t next = static_cast<uint8_t>(text[at + i]);
        if ((next & 0xC0) != 0x80) return false;
        codePoint = codePoint << 6 | (next & 0x3Fu);
    }
    if (codePoint < lowest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return false;
    at += length;
    return true;
}

bool isUtf8(const std::string& text) {
    uint32_t codePoint = 0;
    for (size_t at = 0; at < text.size();)
        if (!nextCodePoint(text, at, codePoint)) return false;
    return true;
}

bool isControl(uint32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint < 0xA0);
}

// visit(begin, end, line) for each line of the text, as byte offsets; a
// '\n' byte is never part of a longer UTF-8 sequence.
template <typename Visit>
void forEachLine(const std::string& text, Visit visit) {
    size_t begin = 0;
    for (int32_t line = 0;; ++line) {
        const size_t end = std::min(text.find('\n', begin), text.size());
        visit(begin, end, line);
        if (end == text.size()) return;
        begin = end + 1;
    }
}

// visit(glyph, penX) for each glyph drawn on a line of UTF-8 text, its pen
// position in font units from the line's start, kerning included.
template <typename Visit>
void forEachGlyph(const stbtt_fontinfo& font, const std::string& text, size_t begin, size_t end, Visit visit) {
    int previous = -1;
    int penX = 0;
    uint32_t codePoint = 0;
    for (size_t at = begin; at < end && nextCodePoint(text, at, codePoint);) {
        if (isControl(codePoint)) continue;
        const int glyph = stbtt_FindGlyphIndex(&font, static_cast<int>(codePoint));
        if (previous >= 0) penX += stbtt_GetGlyphKernAdvance(&font, previous, glyph);
        visit(glyph, penX);
        int advance = 0, bearing = 0;
        stbtt_GetGlyphHMetrics(&font, glyph, &advance, &bearing);
        penX += advance;
        previous = glyph;
    }
}

// --- Where the letters go

// A box in font units, y up; empty while left > right.
struct InkBox {
    double left = HUGE_VAL;
    double right = -HUGE_VAL;
    double bottom = HUGE_VAL;
    double top = -HUGE_VAL;
};

bool hasInk(const InkBox& box) {
    return box.left <= box.right;
}

void widen(InkBox& box, double left, double right, double bottom, double top) {
    box.left = std::min(box.left, left);
    box.right = std::max(box.right, right);
    box.bottom = std::min(box.bottom, bottom);
    box.top = std::max(box.top, top);
}

// The ink of one line, from its pen's start on its baseline.
InkBox lineInk(const stbtt_fontinfo& font, const std::string& text, size_t begin, size_t end) {
    InkBox box;
    forEachGlyph(font, text, begin, end, [&](int glyph, int penX) {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        if (!stbtt_IsGlyphEmpty(&font, glyph) && stbtt_GetGlyphBox(&font, glyph, &x0, &y0, &x1, &y1))
            widen(box, penX + x0, penX + x1, y0, y1);
    });
    return box;
}

// The font's distance from one baseline to the next.
int lineAdvanceOf(const stbtt_fontinfo& font) {
    int ascent = 0, descent = 0, lineGap = 0;
    stbtt_GetFontVMetrics(&font, &ascent, &descent, &lineGap);
    return ascent - descent + lineGap;
}

// Font units to pixels: pixel x = centreX + scale * (x - middleX), pixel
// y = centreY - scale * (y - middleY), for a line's x once centred by
// its shift and its y over its baseline.
struct TextPlacement {
    double scale = 0;
    double middle[2] = {};
    double centre[2] = {};
};

// Each line centred on x = 0; the ink of them all, fitted in the picture
// less its margins. False when there is no ink at all.
bool placeText(const stbtt_fontinfo& font, const std::string& text, int32_t width, int32_t height,
               TextPlacement& placement) {
    const int lineAdvance = lineAdvanceOf(font);
    InkBox all;
    forEachLine(text, [&](size_t begin, size_t end, int32_t line) {
        const InkBox box = lineInk(font, text, begin, end);
        const double halfWidth = (box.right - box.left) / 2;
        const double baseline = -static_cast<double>(line) * lineAdvance;
        if (hasInk(box)) widen(all, -halfWidth, halfWidth, baseline + box.bottom, baseline + box.top);
    });
    if (!hasInk(all)) return false;
    const double sizes[2] = {all.right - all.left, all.top - all.bottom};
    const double room[2] = {width * (1 - 2 * MarginShare), height * (1 - 2 * MarginShare)};
    placement.scale = HUGE_VAL;
    for (int axis = 0; axis < 2; ++axis)
        if (sizes[axis] > 0) placement.scale = std::min(placement.scale, room[axis] / sizes[axis]);
    placement.middle[0] = (all.left + all.right) / 2;
    placement.middle[1] = (all.bottom + all.top) / 2;
    placement.centre[0] = width / 2.0;
    placement.centre[1] = height / 2.0;
    return placement.scale != HUGE_VAL;
}

// --- Drawing

struct Font {
    stbtt_fontinfo info{};
    FontAllocations allocations;
};

// Draws a glyph whose origin falls on the picture at (x, y) (pixels) into
// the coverage, keeping the larger where glyphs overlap. False when out of
// memory.
bool drawGlyph(Runtime& runtime, Font& font, int glyph, double x, double y, float scale, Picture& coverage) {
    const double originX = std::floor(x), originY = std::floor(y);
    const float shiftX = static_cast<float>(x - originX), shiftY = static_cast<float>(y - originY);
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    stbtt_GetGlyphBitmapBoxSubpixel(&font.info, glyph, scale, scale, shiftX, shiftY, &x0, &y0, &x1, &y1);
    const int bitmapWidth = x1 - x0, bitmapHeight = y1 - y0;
    if (bitmapWidth <= 0 || bitmapHeight <= 0) return true;
    const OwnedBytes bitmap = allocateBytes(runtime, static_cast<size_t>(bitmapWidth) * bitmapHeight);
    if (bitmap == nullptr) return false;
    stbtt_MakeGlyphBitmapSubpixel(&font.info, bitmap.get(), bitmapWidth, bitmapHeight, bitmapWidth, scale, scale,
                                  shiftX, shiftY, glyph);
    if (font.allocations.failed) return false;
    const int64_t left = static_cast<int64_t>(originX) + x0, top = static_cast<int64_t>(originY) + y0;
    const int64_t firstX = std::max<int64_t>(0, -left), lastX = std::min<int64_t>(bitmapWidth, coverage.width - left);
    const int64_t firstY = std::max<int64_t>(0, -top), lastY = std::min<int64_t>(bitmapHeight, coverage.height - top);
    for (int64_t by = firstY; by < lastY; ++by) {
        const uint8_t* from = bitmap.get() + by * bitmapWidth;
        uint8_t* to = rowOf(coverage, static_cast<int32_t>(top + by)) + left;
        for (int64_t bx = firstX; bx < lastX; ++bx) to[bx] = std::max(to[bx], from[bx]);
    }
    return true;
}

bool drawText(Runtime& runtime, Font& font, const std::string& text, const TextPlacement& placement,
              Picture& coverage) {
    const int lineAdvance = lineAdvanceOf(font.info);
    const float scale = static_cast<float>(placement.scale);
    bool drawn = true;
    forEachLine(text, [&](size_t begin, size_t end, int32_t line) {
        const InkBox box = lineInk(font.info, text, begin, end);
        const double shift = -(box.left + box.right) / 2;
        const double baseline = -static_cast<double>(line) * lineAdvance;
        const double y = placement.centre[1] - placement.scale * (baseline - placement.middle[1]);
        forEachGlyph(font.info, text, begin, end, [&](int glyph, int penX) {
            const double x = placement.centre[0] + placement.scale * (penX + shift - placement.middle[0]);
            drawn = drawn && drawGlyph(runtime, font, glyph, x, y, scale, coverage);
        });
    });
    return drawn;
}

// For each pixel inside a letter, how far down or up its column the
// nearest pixel outside is (beyond the picture is outside), at most
// FarColumnDistance; 0 outside. Strips of columns on every core.
void measureColumns(Runtime& runtime, const Picture& coverage, uint8_t* distances) {
    const int32_t width = coverage.width, height = coverage.height;
    const int32_t strips = (width + ColumnsPerStrip - 1) / ColumnsPerStrip;
    forEachRowRunOnEveryCore(runtime, strips, [&](int32_t beginStrip, int32_t endStrip) {
        const int32_t first = beginStrip * ColumnsPerStrip, last = std::min(width, endStrip * ColumnsPerStrip);
        for (int32_t y = 0; y < height; ++y) {
            const uint8_t* inside = rowOf(coverage, y);
            uint8_t* row = distances + static_cast<size_t>(y) * width;
            const uint8_t* above = y > 0 ? row - width : nullptr;
            for (int32_t x = first; x < last; ++x)
                row[x] = static_cast<uint8_t>(
                    inside[x] < InsideCoverage ? 0 : std::min(FarColumnDistance, (above ? above[x] : 0) + 1));
        }
        for (int32_t y = height - 1; y >= 0; --y) {
            uint8_t* row = distances + static_cast<size_t>(y) * width;
            const uint8_t* below = y + 1 < height ? row + width : nullptr;
            for (int32_t x = first; x < last; ++x)
                row[x] = static_cast<uint8_t>(std::min<int32_t>(row[x], (below ? below[x] : 0) + 1));
        }
    });
}

// The depth at each squared distance up to the full bevel: TextDepth * d /
// TextBevelPixels, rounded.
uint8_t depthAtSquaredDistance(int32_t squared) {
    return static_cast<uint8_t>(std::lround(TextDepth * std::sqrt(static_cast<double>(squared)) / TextBevelPixels));
}

// Each pixel's depth from its distance to the nearest pixel outside: the
// nearest over the columns within the bevel of the column distances there.
void raiseLetters(Runtime& runtime, const uint8_t* distances, Picture& depth) {
    uint8_t depthAt[FullSquaredDistance + 1];
    for (int32_t squared = 0; squared <= FullSquaredDistance; ++squared)
        depthAt[squared] = depthAtSquaredDistance(squared);
    const int32_t width = depth.width;
    forEachRowRunOnEveryCore(runtime, depth.height, [&](int32_t begin, int32_t end) {
        for (int32_t y = begin; y < end; ++y) {
            const uint8_t* column = distances + static_cast<size_t>(y) * width;
            uint8_t* out = rowOf(depth, y);
            for (int32_t x = 0; x < width; ++x) {
                if (column[x] == 0) {
                    out[x] = 0;
                    continue;
                }
                int32_t nearest = FullSquaredDistance;
                for (int32_t dx = -TextBevelPixels; dx <= TextBevelPixels; ++dx) {
                    const int32_t at = x + dx;
                    const int32_t down = at >= 0 && at < width ? column[at] : 0;
                    nearest = std::min(nearest, dx * dx + down * down);
                }
                out[x] = depthAt[nearest];
            }
        }
    });
}

}  // namespace

Outcome renderTextDepthMap(Runtime& runtime, const std::string& utf8Text, int32_t width, int32_t height,
                           Picture& depth) {
    if (width < 1 || width > MostDepthMapSide || height < 1 || height > MostDepthMapSide)
        return refusedOutcome(BadDepthMapSizeText, WarningCaption);
    if (!isUtf8(utf8Text)) return refusedOutcome(BadTextEncodingText, ErrorCaption);
    Font font;
    // The font is the program's own, the same in every build.
    stbtt_InitFont(&font.info, EmbeddedFontBytes, stbtt_GetFontOffsetForIndex(EmbeddedFontBytes, 0));
    font.allocations.runtime = &runtime;
    font.info.userdata = &font.allocations;
    TextPlacement placement;
    if (!placeText(font.info, utf8Text, width, height, placement)) return refusedOutcome(EmptyTextText, WarningCaption);

    const OwnedBytes distances = allocateBytes(runtime, static_cast<size_t>(width) * static_cast<size_t>(height));
    if (distances == nullptr || !replacePicture(runtime, depth, width, height, GreyChannels))
        return outOfMemoryOutcome();
    std::fill(depth.pixels.get(), depth.pixels.get() + static_cast<size_t>(width) * height, uint8_t{0});
    if (!drawText(runtime, font, utf8Text, placement, depth)) return outOfMemoryOutcome();
    measureColumns(runtime, depth, distances.get());
    raiseLetters(runtime, distances.get(), depth);
    return doneOutcome();
}
