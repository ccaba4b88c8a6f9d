// The engine's fast paths against the plain versions, on the inputs that
// reach their corners: block compares that start or end near the row's
// ends, search ranges just around a multiple of the block width, short and
// long minimum runs, rows of few greys (many repeats) and of noise (none).
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "engine/byte_scan.h"
#include "engine/engine.h"
#include "engine/random_batch.h"
#include "recording_ui.h"
#include "reference_decoding.h"
#include "reference_generation.h"
#include "views/views.h"
#include "workspace_fixture.h"
#include "workspace_samples.h"

namespace {

struct Draws {
    uint32_t state;
    int32_t below(int32_t n) { return referenceRandom(state) % n; }
};

std::vector<uint8_t> randomBytes(Draws& draw, size_t count, int32_t greys) {
    std::vector<uint8_t> bytes(count);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(draw.below(greys));
    return bytes;
}

TEST(ByteScan, BlockMasksAgreeWithTheByteByByteMasks) {
    Draws draw{11};
    for (int trial = 0; trial < 3000; ++trial) {
        const std::vector<uint8_t> bytes = randomBytes(draw, 40, 1 + draw.below(4));
        const size_t at = static_cast<size_t>(draw.below(20));
        const uint8_t first = static_cast<uint8_t>(draw.below(4));
        const uint8_t second = static_cast<uint8_t>(draw.below(4));
        uint32_t single = 0;
        uint32_t pair = 0;
        for (int i = 0; i < 16; ++i) {
            single |= static_cast<uint32_t>(bytes[at + i] == first) << i;
            pair |= static_cast<uint32_t>(bytes[at + i] == first && bytes[at + i + 1] == second) << i;
        }
        ASSERT_EQ(equalLanesPlain(bytes.data() + at, first), single);
        ASSERT_EQ(equalLanes(bytes.data() + at, first), single);
        ASSERT_EQ(equalPairLanesPlain(bytes.data() + at, first, second), pair);
        ASSERT_EQ(equalPairLanes(bytes.data() + at, first, second), pair);
    }
}

TEST(ByteScan, APairIsFoundWhereverItStartsAndNeverPastTheCount) {
    for (int64_t count = 1; count <= 70; ++count) {
        for (int64_t place = 0; place < count + 3; ++place) {
            // Exactly one pair 7, 9 in the bytes, starting at `place`.
            std::vector<uint8_t> bytes(static_cast<size_t>(count + 4), 1);
            bytes[static_cast<size_t>(place)] = 7;
            bytes[static_cast<size_t>(place) + 1] = 9;
            EXPECT_EQ(anyEqualPair(bytes.data(), count, 7, 9), place < count) << count << " " << place;
        }
    }
    const std::vector<uint8_t> noPair = {7, 7, 9};
    EXPECT_FALSE(anyEqualPair(noPair.data(), 1, 7, 9));
    EXPECT_TRUE(anyEqualPair(noPair.data(), 2, 7, 9));
}

TEST(ByteScan, EqualPrefixStopsAtTheFirstDifferenceOrTheCount) {
    Draws draw{5};
    for (int trial = 0; trial < 3000; ++trial) {
        const int64_t n = draw.below(40);
        std::vector<uint8_t> a = randomBytes(draw, 40, 256);
        std::vector<uint8_t> b = a;
        int64_t expected = n;
        if (draw.below(4) != 0) {
            const int64_t differing = draw.below(40);
            b[static_cast<size_t>(differing)] ^= static_cast<uint8_t>(1 + draw.below(255));
            if (differing < n) expected = differing;
        }
        ASSERT_EQ(equalPrefixLength(a.data(), b.data(), n), expected) << trial;
    }
}

TEST(ByteScan, InRangePrefixStopsAtTheFirstByteOutsideTheRange) {
    Draws draw{17};
    for (int trial = 0; trial < 4000; ++trial) {
        const int64_t n = draw.below(70);
        uint8_t low = static_cast<uint8_t>(draw.below(256));
        uint8_t high = static_cast<uint8_t>(draw.below(256));
        if (low > high) std::swap(low, high);
        // Mostly inside, with values just outside both ends now and then.
        std::vector<uint8_t> bytes(static_cast<size_t>(n) + 16);
        for (uint8_t& b : bytes) {
            const int32_t pick = draw.below(40);
            b = pick == 0 ? static_cast<uint8_t>(low - 1) : pick == 1 ? static_cast<uint8_t>(high + 1)
                                                                      : static_cast<uint8_t>(low + draw.below(high - low + 1));
        }
        int64_t expected = 0;
        while (expected < n && bytes[static_cast<size_t>(expected)] >= low && bytes[static_cast<size_t>(expected)] <= high)
            ++expected;
        ASSERT_EQ(inRangePrefixLengthPlain(bytes.data(), n, low, high), expected) << trial;
        ASSERT_EQ(inRangePrefixLength(bytes.data(), n, low, high), expected) << trial;
    }
}

TEST(ByteScan, LaneRangesAndTheirEnds) {
    EXPECT_EQ(laneRange(0, 15), 0xFFFFu);
    EXPECT_EQ(laneRange(-5, 40), 0xFFFFu);
    EXPECT_EQ(laneRange(3, 3), 0x8u);
    EXPECT_EQ(laneRange(14, 20), 0xC000u);
    EXPECT_EQ(laneRange(-3, 0), 0x1u);
    EXPECT_EQ(laneRange(4, 3), 0u);
    EXPECT_EQ(laneRange(16, 30), 0u);
    EXPECT_EQ(laneRange(-9, -1), 0u);
    EXPECT_EQ(lowestLane(0x8000u), 15);
    EXPECT_EQ(lowestLane(0x0A0u), 5);
    EXPECT_EQ(highestLane(0x0A0u), 7);
    EXPECT_EQ(highestLane(0x1u), 0);
}

TEST(RandomBatch, DrawsTheValuesAndEndsInTheStateOfOneByOneDraws) {
    for (uint32_t start : {1u, 0u, 0xFFFFFFFFu, 123456789u}) {
        for (int64_t count = -1; count <= 41; ++count) {
            Workspace one;
            one.randomState = start;
            std::vector<uint8_t> expected;
            for (int64_t i = 0; i < count; ++i)
                expected.push_back(static_cast<uint8_t>(nextRandom(one) * 3 + static_cast<int32_t>(i)));
            std::vector<uint8_t> got(static_cast<size_t>(std::max<int64_t>(count, 0)) + 1, 0xEE);
            uint32_t state = start;
            drawRandomInto(state, got.data(), count,
                           [](int32_t value, int64_t i) { return static_cast<uint8_t>(value * 3 + i); });
            EXPECT_EQ(state, one.randomState) << start << " " << count;
            EXPECT_EQ(got.back(), 0xEE) << "wrote past the count " << count;
            got.pop_back();
            EXPECT_EQ(got, expected) << start << " " << count;
        }
    }
}

TEST(RandomBatch, AStrideOfNStepsIsNSingleSteps) {
    for (uint64_t steps = 0; steps < 300; ++steps) {
        const RandomStride stride = randomStride(steps);
        uint32_t stepped = 42;
        for (uint64_t i = 0; i < steps; ++i) stepped = stepped * 214013u + 2531011u;
        ASSERT_EQ(stride.multiplier * 42u + stride.increment, stepped) << steps;
    }
}

// Rows that repeat at many separations: a fill of `greys` values linked by
// a depth map of short plateaus, so runs end and searches begin everywhere,
// also within a block's width of both ends of the row.
std::vector<uint8_t> linkedRows(Draws& draw, int32_t width, int32_t height, int32_t stripWidth, int32_t depthBits,
                                int32_t greys) {
    const std::vector<uint8_t> filled = randomBytes(draw, static_cast<size_t>(width) * height, greys);
    std::vector<uint8_t> depth(filled.size());
    const int32_t plateau = 1 + draw.below(40);
    for (size_t i = 0; i < depth.size(); ++i)
        depth[i] = i % plateau == 0 ? static_cast<uint8_t>(draw.below(256)) : depth[i - 1];
    return referenceLinkRows(filled, depth, width, height, stripWidth, depthBits);
}

class SpeedPaths : public WorkspaceTest {};

TEST_F(SpeedPaths, DecodingAgreesWithThePlainVersionAroundTheBlockEdges) {
    Draws draw{2024};
    const UnresolvedPolicy policies[] = {UnresolvedPolicy::KeepPrevious, UnresolvedPolicy::Random,
                                         UnresolvedPolicy::Background};
    // Around one, two and ten blocks of 16 offsets, and the initial 165.
    const int32_t searchRanges[] = {2, 3, 16, 17, 18, 32, 33, 34, 160, 161, 162, 165, 400, INT_MAX};
    int searched = 0;
    for (int trial = 0; trial < 240; ++trial) {
        const int32_t width = 40 + draw.below(560);
        const int32_t height = 1 + draw.below(4);
        const int32_t kind = draw.below(3);
        const int32_t greys = kind == 0 ? 256 : 2 + draw.below(6);
        const int32_t stripWidth = 1 + draw.below(std::max(1, width / 2));
        ReferenceSettings settings;
        settings.depthBits = 1 + draw.below(8);
        settings.minMatch = draw.below(10) == 0 ? 20 + draw.below(200) : draw.below(5);
        settings.searchRange = searchRanges[draw.below(14)];
        settings.policy = draw.below(3);
        settings.patternWidth = stripWidth;
        const std::vector<uint8_t> pixels =
            kind == 2 ? randomBytes(draw, static_cast<size_t>(width) * height, greys)
                      : linkedRows(draw, width, height, stripWidth, settings.depthBits, greys);
        const uint32_t randomState = static_cast<uint32_t>(draw.below(32768)) << 15 | 77u;

        releaseAll(ws);
        resetRecordedUi();
        putStereogram(ws, width, height, pixels);
        ASSERT_TRUE(replaceDisplayDib(ws.displayDib, DibHeaderSize + rowStride(width) * height));
        ws.preferences.depthBits = settings.depthBits;
        ws.preferences.depthStep = 256 >> settings.depthBits;
        ws.preferences.minMatch = settings.minMatch;
        ws.preferences.searchRange = settings.searchRange;
        ws.preferences.unresolvedPolicy = policies[settings.policy];
        ws.patternWidth = settings.patternWidth;
        ws.randomState = randomState;
        decodeStereogram(ws, nullptr);

        const ReferenceDecoding expected = referenceDecode(pixels, width, height, settings, randomState);
        const std::string where = "trial " + std::to_string(trial) + ", " + std::to_string(width) + " x " +
                                  std::to_string(height) + ", minMatch " + std::to_string(settings.minMatch) +
                                  ", searchRange " + std::to_string(settings.searchRange);
        ASSERT_EQ(std::vector<uint8_t>(ws.depthMap.pixels, ws.depthMap.pixels + pixels.size()), expected.depthMap)
            << where;
        ASSERT_EQ(ws.randomState, expected.randomState) << where;
        if (settings.searchRange > 2) ++searched;
    }
    EXPECT_GT(searched, 150);
}

// The first point of a noisy row repeats once, `offset` away from the
// strip's separation on one side: the search must find it exactly while
// the offset lies below searchRange, whichever block of 16 it falls in.
TEST_F(SpeedPaths, ASingleRepeatIsFoundAtEveryOffsetOfTheRange) {
    const int32_t width = 700;
    const int32_t stripWidth = 200;
    for (int32_t side : {-1, 1}) {
        for (int32_t offset : {1, 2, 15, 16, 17, 31, 32, 33, 100, 163, 164, 165}) {
            for (int32_t minMatch : {1, 2, 3}) {
                Draws draw{static_cast<uint32_t>(offset * 7 + minMatch)};
                std::vector<uint8_t> row = randomBytes(draw, width, 256);
                const int32_t copyAt = stripWidth + side * offset;
                for (int32_t i = 0; i < 3; ++i) row[copyAt + i] = row[i];
                ReferenceSettings settings;
                settings.depthBits = 8;
                settings.minMatch = minMatch;
                settings.patternWidth = stripWidth;
                releaseAll(ws);
                resetRecordedUi();
                putStereogram(ws, width, 1, row);
                ASSERT_TRUE(replaceDisplayDib(ws.displayDib, DibHeaderSize + rowStride(width)));
                ws.preferences.depthBits = 8;
                ws.preferences.depthStep = 1;
                ws.preferences.minMatch = minMatch;
                ws.patternWidth = stripWidth;
                decodeStereogram(ws, nullptr);
                const std::string where = "side " + std::to_string(side) + " offset " + std::to_string(offset) +
                                          " minMatch " + std::to_string(minMatch);
                const ReferenceDecoding expected = referenceDecode(row, width, 1, settings, ws.randomState);
                ASSERT_EQ(std::vector<uint8_t>(ws.depthMap.pixels, ws.depthMap.pixels + width), expected.depthMap)
                    << where;
                // On the right the level tells the separation: 256 - offset,
                // shown as 255 - offset; unresolved, column 0 stays at 255.
                // Single pixels repeat by chance everywhere, so only runs of
                // two or more tell.
                if (side == 1 && minMatch >= 2) {
                    EXPECT_EQ(ws.depthMap.pixels[0], offset < 165 ? 255 - offset : 255) << where;
                }
            }
        }
    }
}

// Wide rows with many candidate widths: each row repeats at some period
// from a point on, or up to a point, so that either test of a period can
// fail late, in a block of 16 excesses or in the columns after the last one.
TEST_F(SpeedPaths, DetectionAgreesWithThePlainVersionOnWideRows) {
    Draws draw{99};
    const int32_t widths[] = {360, 480, 600, 720, 840, 960, 1200};
    int found = 0;
    for (int trial = 0; trial < 90; ++trial) {
        const int32_t width = draw.below(3) == 0 ? 300 + draw.below(900) : widths[draw.below(7)];
        const int32_t height = 1 + draw.below(3);
        const int32_t greys = draw.below(3) == 0 ? 2 + draw.below(3) : 256;
        std::vector<uint8_t> pixels = randomBytes(draw, static_cast<size_t>(width) * height, greys);
        for (int32_t y = 0; y < height; ++y) {
            const int32_t period = width / 30 + draw.below(width / 3 + 260);
            const int32_t from = draw.below(2) == 0 ? 0 : draw.below(width);
            const int32_t to = draw.below(2) == 0 ? width : draw.below(width);
            for (int32_t x = std::max(from, period); x < to; ++x)
                pixels[static_cast<size_t>(y) * width + x] = pixels[static_cast<size_t>(y) * width + x - period];
        }
        const int32_t minMatchChoices[] = {0, 1, 2, 2, 3, 50, 300};
        const int32_t minMatch = minMatchChoices[draw.below(7)];
        ws.preferences.minMatch = minMatch;
        putStereogram(ws, width, height, pixels);
        const int32_t expected = referenceDetectWidth(pixels, width, height, minMatch);
        EXPECT_EQ(detectPatternWidth(ws), expected) << "trial " << trial << " width " << width;
        if (expected != 0) ++found;
        releaseAll(ws);
    }
    EXPECT_GT(found, 30);
}

// Row 0 repeats at 226 from its start, and row 1 begins as row 0 would go
// on. Candidate 150 would confirm 226 only with the two columns past the
// row's end (150 + 2 * 226 = 602); the largest candidate that has the room
// is 120, with excess 106.
TEST_F(SpeedPaths, APeriodNeedingColumnsPastTheRowIsNotConfirmed) {
    const int32_t width = 600;
    Draws draw{3};
    const std::vector<uint8_t> strip = randomBytes(draw, 226, 256);
    std::vector<uint8_t> pixels = randomBytes(draw, 2 * width, 256);
    for (int32_t x = 0; x < width + 2; ++x) pixels[static_cast<size_t>(x)] = strip[static_cast<size_t>(x % 226)];
    ws.preferences.minMatch = 2;
    putStereogram(ws, width, 2, pixels);
    EXPECT_EQ(referenceDetectWidth(pixels, width, 2, 2), 120);
    EXPECT_EQ(detectPatternWidth(ws), 120);
}

// Depth maps with long plateaus and slow slopes, so that whole runs of one
// separation are longer than the strip and copies land on copies, and
// with steps of every size between them; on wide and narrow rows.
std::vector<uint8_t> smoothDepths(Draws& draw, int32_t width, int32_t height) {
    std::vector<uint8_t> depth(static_cast<size_t>(width) * height);
    const int32_t kind = draw.below(3);
    for (int32_t y = 0; y < height; ++y) {
        int32_t value = draw.below(256);
        for (int32_t x = 0; x < width; ++x) {
            if (kind == 0 && draw.below(300) == 0) value = draw.below(256);
            if (kind == 1) value = (x * 256 / width + y) % 256;
            if (kind == 2 && draw.below(40) == 0) value = std::clamp(value + draw.below(81) - 40, 0, 255);
            depth[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(value);
        }
    }
    return depth;
}

TEST_F(SpeedPaths, GenerationAgreesWithThePlainVersionOnSmoothMaps) {
    Draws draw{777};
    for (int trial = 0; trial < 300; ++trial) {
        GenerationInputs in;
        in.width = draw.below(4) == 0 ? 1 + draw.below(60) : 200 + draw.below(1800);
        in.height = 1 + draw.below(4);
        in.repeatCount = 1 + draw.below(std::min(in.width, 12));
        in.depthBits = 1 + draw.below(8);
        in.wallEyed = draw.below(2) == 0;
        in.randomFill = draw.below(2) == 0;
        in.depth = smoothDepths(draw, in.width, in.height);
        const int32_t stripWidth = in.width / in.repeatCount;
        in.patternWidth = draw.below(3) == 0 ? 1 + draw.below(2 * stripWidth + 3) : stripWidth;
        in.pattern = randomBytes(draw, static_cast<size_t>(in.patternWidth) * in.height, 256);
        in.randomState = static_cast<uint32_t>(draw.below(32768)) << 16 | 5u;

        releaseAll(ws);
        resetRecordedUi();
        ws.imageWidth = in.width;
        ws.imageHeight = in.height;
        ASSERT_TRUE(replaceDisplayDib(ws.displayDib, DibHeaderSize + rowStride(in.width) * in.height));
        ASSERT_TRUE(replaceGreyImage(ws.depthMap, in.width, in.height));
        std::memcpy(ws.depthMap.pixels, in.depth.data(), in.depth.size());
        ASSERT_TRUE(replaceGreyImage(ws.pattern, in.patternWidth, in.height));
        std::memcpy(ws.pattern.pixels, in.pattern.data(), in.pattern.size());
        ws.patternWidth = in.patternWidth;
        ws.preferences.repeatCount = in.repeatCount;
        ws.preferences.depthBits = in.depthBits;
        ws.preferences.depthStep = 256 >> in.depthBits;
        ws.preferences.wallEyed = in.wallEyed;
        ws.preferences.randomFill = in.randomFill;
        ws.randomState = in.randomState;
        generateStereogram(ws, nullptr);

        const GeneratedStereogram expected = referenceGenerate(in);
        const std::string where = "trial " + std::to_string(trial) + ", " + std::to_string(in.width) + " x " +
                                  std::to_string(in.height) + ", repeat " + std::to_string(in.repeatCount);
        ASSERT_NE(ws.stereogram.pixels, nullptr) << where;
        ASSERT_EQ(std::vector<uint8_t>(ws.stereogram.pixels, ws.stereogram.pixels + expected.pixels.size()),
                  expected.pixels)
            << where;
        ASSERT_EQ(ws.randomState, expected.randomState) << where;
    }
}

TEST_F(SpeedPaths, PatternGenerationAgreesWithThePlainVersion) {
    for (bool randomFill : {true, false}) {
        for (int32_t width : {1, 7, 8, 9, 300, 641}) {
            releaseAll(ws);
            resetRecordedUi();
            ws.imageWidth = width;
            ws.imageHeight = 3;
            ASSERT_TRUE(replaceGreyImage(ws.depthMap, width, 3));
            std::memset(ws.depthMap.pixels, 0, static_cast<size_t>(width) * 3);
            ws.preferences.repeatCount = 1;
            ws.preferences.randomFill = randomFill;
            ws.randomState = 99u + static_cast<uint32_t>(width);
            uint32_t expectedState = ws.randomState;
            const std::vector<uint8_t> expected = referencePattern(width, 3, randomFill, expectedState);
            generatePattern(ws, nullptr);
            ASSERT_NE(ws.pattern.pixels, nullptr);
            EXPECT_EQ(std::vector<uint8_t>(ws.pattern.pixels, ws.pattern.pixels + expected.size()), expected)
                << width << (randomFill ? " noise" : " ramp");
            EXPECT_EQ(ws.randomState, expectedState) << width;
        }
    }
}

// The grey that each view shows at (x, y), worked out pixel by pixel.
int32_t plainViewGrey(const Workspace& ws, ViewKind view, int32_t x, int32_t y) {
    const int32_t width = ws.imageWidth;
    const int32_t pw = ws.patternWidth;
    const int32_t left = (width - pw) / 2;
    const int32_t right = (width + pw) / 2;
    const bool inSquare = y >= 20 && y < 40 && ((x >= left && x < left + 20) || (x >= right && x < right + 20));
    const int32_t step = ws.preferences.depthStep;
    switch (view) {
        case ViewKind::StereogramWithDots: return inSquare ? 0 : ws.stereogram.pixels[y * width + x];
        case ViewKind::StereogramPlain: return ws.stereogram.pixels[y * width + x];
        case ViewKind::DepthQuantised: return std::max(0, step * ((ws.depthMap.pixels[y * width + x] + 1) / step) - 1);
        case ViewKind::DepthOriginal: return ws.depthMap.pixels[y * width + x];
        case ViewKind::PatternTiled: return ws.pattern.pixels[y * pw + x % pw];
        case ViewKind::PatternStrip: break;
    }
    return x < pw ? ws.pattern.pixels[y * pw + x] : 0;
}

// Every width from 1 to 40 and a few wide ones, so that rows end after
// every number of whole four-pixel groups and with every padding.
TEST_F(SpeedPaths, ViewsWriteEveryPixelAndNotOneByteMore) {
    Draws draw{61};
    const ViewKind views[] = {ViewKind::StereogramWithDots, ViewKind::StereogramPlain, ViewKind::DepthQuantised,
                              ViewKind::DepthOriginal,      ViewKind::PatternTiled,    ViewKind::PatternStrip};
    const SourceKind sources[] = {SourceKind::Stereogram, SourceKind::Stereogram, SourceKind::DepthMap,
                                  SourceKind::DepthMap,   SourceKind::Pattern,    SourceKind::Pattern};
    std::vector<int32_t> widths;
    for (int32_t w = 1; w <= 40; ++w) widths.push_back(w);
    for (int32_t w : {127, 640, 1001}) widths.push_back(w);
    for (int32_t width : widths) {
        const int32_t height = 1 + draw.below(45);
        releaseAll(ws);
        resetRecordedUi();
        ws.imageWidth = width;
        ws.imageHeight = height;
        ws.patternWidth = 1 + draw.below(width + 3);
        ASSERT_TRUE(replaceGreyImage(ws.stereogram, width, height));
        ASSERT_TRUE(replaceGreyImage(ws.depthMap, width, height));
        ASSERT_TRUE(replaceGreyImage(ws.pattern, ws.patternWidth, height));
        for (GreyImage* raster : {&ws.stereogram, &ws.depthMap, &ws.pattern}) {
            const std::vector<uint8_t> bytes =
                randomBytes(draw, static_cast<size_t>(raster->width) * raster->height, 256);
            std::memcpy(raster->pixels, bytes.data(), bytes.size());
        }
        ws.preferences.depthStep = 1 << draw.below(8);
        const size_t stride = static_cast<size_t>(rowStride(width));
        // One spare byte after the picture: nothing may be written there.
        ASSERT_TRUE(replaceDisplayDib(ws.displayDib, DibHeaderSize + stride * height + 1));
        ws.displayDib.size -= 1;
        for (int v = 0; v < 6; ++v) {
            std::memset(ws.displayDib.bytes, 0x5A, ws.displayDib.size + 1);
            renderView(ws, nullptr, sources[v], views[v]);
            const uint8_t* rows = ws.displayDib.bytes + DibHeaderSize;
            for (int32_t j = 0; j < height; ++j) {
                for (size_t b = 0; b < stride; ++b) {
                    const size_t x = b / 3;
                    const int32_t expected =
                        x < static_cast<size_t>(width) ? plainViewGrey(ws, views[v], static_cast<int32_t>(x), height - 1 - j)
                                                       : 0x5A;
                    ASSERT_EQ(rows[j * stride + b], expected) << "width " << width << " view " << v << " row " << j
                                                              << " byte " << b;
                }
            }
            ASSERT_EQ(ws.displayDib.bytes[ws.displayDib.size], 0x5A) << "width " << width << " view " << v;
            EXPECT_EQ(std::vector<uint8_t>(ws.displayDib.bytes, ws.displayDib.bytes + DibHeaderSize),
                      std::vector<uint8_t>(DibHeaderSize, 0x5A));
        }
    }
}

}  // namespace
