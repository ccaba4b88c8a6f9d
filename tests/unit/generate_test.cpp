#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "operations/operations.h"
#include "draws.h"
#include "recording_platform.h"
#include "reference_decoding.h"
#include "reference_generation.h"
#include "workspace_fixture.h"
#include "workspace_samples.h"

namespace {

const char* const NoPatternMessage = "Hej, nie ma wygenerowanego patternu!";
const char* const RepeatCountMessage = "Nieprawidłowa ilość powtórzeń wzorca!\nZmień ją w preferencjach.";
const char* const NoDepthMapMessage = "Niestety jeszcze nie ma mapy głębokości";
const char* const PatternHeightMessage = "Wysokość wzorca różni się od wysokości obrazka!\nMuszą się zgadzać.";

// The state of the program's random sequence after `draws` more values.
uint32_t stateAfter(uint32_t state, int64_t draws) {
    for (int64_t i = 0; i < draws; ++i) referenceRandom(state);
    return state;
}

std::vector<uint8_t> rowOf(const std::vector<uint8_t>& raster, int32_t width, int32_t y, int32_t from, int32_t to) {
    return std::vector<uint8_t>(raster.begin() + static_cast<size_t>(y) * width + from,
                                raster.begin() + static_cast<size_t>(y) * width + to);
}

// "column: got/expected" for the first few places where two rasters differ.
std::string mismatches(const std::vector<uint8_t>& got, const std::vector<uint8_t>& expected, int32_t width) {
    if (got.size() != expected.size())
        return "sizes " + std::to_string(got.size()) + "/" + std::to_string(expected.size());
    std::string text;
    int shown = 0;
    for (size_t i = 0; i < got.size() && shown < 8; ++i) {
        if (got[i] == expected[i]) continue;
        text += "(" + std::to_string(i % width) + "," + std::to_string(i / width) + "): " + std::to_string(got[i]) +
                "/" + std::to_string(expected[i]) + " ";
        ++shown;
    }
    return text;
}

std::vector<UiCallKind> progressThenShow(int32_t steps) {
    std::vector<UiCallKind> kinds(static_cast<size_t>(steps), UiCallKind::StepProgress);
    kinds.push_back(UiCallKind::ResetProgress);
    kinds.push_back(UiCallKind::Present);
    return kinds;
}

class Generation : public WorkspaceTest {
protected:

    // A workspace as the loads leave it: picture on show, depth map and a
    // pattern of `patternWidth` columns; no random value drawn yet.
    void prepare(int32_t width, int32_t height, const std::vector<uint8_t>& depth, int32_t patternWidth,
                 const std::vector<uint8_t>& pattern) {
        releaseAll(ws);
        resetRecordedUi();
        putPictureOnShow(ws, width, height);
        putRaster(ws.depthMap, width, height, depth);
        putPattern(ws, patternWidth, height, pattern);
        ws.randomState = 1;
    }

    // What the plain version needs to make the stereogram of `ws` as it is now.
    GenerationInputs inputsNow() const {
        GenerationInputs in;
        in.width = ws.imageWidth;
        in.height = ws.imageHeight;
        in.repeatCount = ws.preferences.repeatCount;
        in.depthBits = ws.preferences.depthBits;
        in.wallEyed = ws.preferences.wallEyed;
        in.randomFill = ws.preferences.randomFill;
        in.depth = rasterBytes(ws.depthMap);
        in.pattern = rasterBytes(ws.pattern);
        in.patternWidth = ws.patternWidth;
        in.randomState = ws.randomState;
        return in;
    }

    std::vector<uint8_t> generate() {
        generateStereogram(ws, nullptr);
        return rasterBytes(ws.stereogram);
    }

};

// The small worked example: 12 columns, strip 4, two levels, the middle
// four pixels at the nearest depth.
class SmallRow : public Generation {
protected:
    void SetUp() override {
        Generation::SetUp();
        prepare(12, 1, {0, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0}, 4, {10, 20, 30, 40});
        ws.preferences.repeatCount = 3;
        setDepthBits(ws.preferences, 1);
    }
};

TEST_F(SmallRow, WithoutRandomFillTheTiledStripIsLinked) {
    ws.preferences.randomFill = false;
    EXPECT_EQ(generate(), (std::vector<uint8_t>{10, 20, 30, 40, 10, 20, 10, 20, 10, 20, 10, 20}));
    EXPECT_EQ(ws.randomState, 1u);
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(SmallRow, WithRandomFillTwoHolesKeepTheirFillerAndTwoCopiesAreOverwritten) {
    EXPECT_EQ(generate(), (std::vector<uint8_t>{10, 20, 30, 40, 41, 35, 10, 20, 41, 35, 10, 20}));
    // Eight values drawn, for columns 4..11.
    EXPECT_EQ(ws.randomState, stateAfter(1, 8));
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(SmallRow, CrossEyedTheMiddlePixelsLieFarthest) {
    // Separations 4, 4, 4, 4, 6, 6, 6, 6, 4, 4, 4, 4.
    // Columns 8 and 9 are holes that keep the tiled strip.
    ws.preferences.wallEyed = false;
    ws.preferences.randomFill = false;
    EXPECT_EQ(generate(), (std::vector<uint8_t>{10, 20, 30, 40, 10, 20, 30, 40, 10, 20, 10, 20}));
}

class FlatMap : public Generation {
protected:
    // A 640 x rows image at one depth with a pattern of 128 x rows noise.
    void prepareFlat(int32_t rows, uint8_t depth) {
        Draws draw{7};
        pattern = draw.bytes(static_cast<size_t>(128) * rows);
        prepare(640, rows, std::vector<uint8_t>(static_cast<size_t>(640) * rows, depth), 128, pattern);
    }
    uint8_t patternAt(int32_t y, int32_t x) const { return pattern[static_cast<size_t>(y) * 128 + x]; }
    std::vector<uint8_t> pattern;
};

TEST_F(FlatMap, DepthZeroFillsEightColumnsAfterTheStripThenRepeatsThem) {
    prepareFlat(480, 0);
    const std::vector<uint8_t> s = generate();
    ASSERT_EQ(s.size(), 640u * 480u);
    EXPECT_EQ(rowOf(s, 640, 0, 128, 136), (std::vector<uint8_t>{41, 35, 190, 132, 225, 108, 214, 174}));
    for (int32_t y = 0; y < 480; ++y) {
        EXPECT_EQ(rowOf(s, 640, y, 0, 128), rowOf(pattern, 128, y, 0, 128)) << y;
        for (int32_t x = 136; x < 640; ++x) ASSERT_EQ(s[y * 640 + x], s[y * 640 + x - 136]) << x << "," << y;
    }
    EXPECT_EQ(ws.randomState, stateAfter(1, 480 * 512));

    prepareFlat(480, 0);
    ws.preferences.randomFill = false;
    const std::vector<uint8_t> tiled = generate();
    for (int32_t y = 0; y < 480; ++y) {
        EXPECT_EQ(rowOf(tiled, 640, y, 128, 136), rowOf(pattern, 128, y, 0, 8)) << y;
        for (int32_t x = 136; x < 640; ++x)
            ASSERT_EQ(tiled[y * 640 + x], tiled[y * 640 + x - 136]) << x << "," << y;
    }
    EXPECT_EQ(ws.randomState, 1u);
}

TEST_F(FlatMap, TheNearestDepthTilesTheStripWithOrWithoutRandomFill) {
    for (bool wallEyed : {true, false}) {
        for (bool randomFill : {true, false}) {
            prepareFlat(23, wallEyed ? 255 : 0);
            ws.preferences.wallEyed = wallEyed;
            ws.preferences.randomFill = randomFill;
            const std::vector<uint8_t> s = generate();
            ASSERT_EQ(s.size(), 640u * 23u);
            for (int32_t y = 0; y < 23; ++y)
                for (int32_t x = 0; x < 640; ++x)
                    ASSERT_EQ(s[y * 640 + x], patternAt(y, x % 128))
                        << x << "," << y << " wall-eyed " << wallEyed << " fill " << randomFill;
            // With random fill on the values are drawn all the same.
            EXPECT_EQ(ws.randomState, randomFill ? stateAfter(1, 23 * 512) : 1u);
        }
    }
}

// A row holds its first `period` pixels over and over; true when every
// pixel equals the one `period` to its left.
bool repeatsEvery(const std::vector<uint8_t>& s, int32_t width, int32_t y, int32_t period) {
    for (int32_t x = period; x < width; ++x)
        if (s[y * width + x] != s[y * width + x - period]) return false;
    return true;
}

TEST_F(FlatMap, EachDepthRepeatsAtTheSeparationOfItsLevel) {
    struct Case {
        uint8_t depth;
        int32_t wallEyedSeparation;
        int32_t crossEyedSeparation;
    };
    const Case cases[] = {{0, 136, 128},   {30, 136, 129},  {31, 135, 129}, {224, 129, 135},
                          {225, 129, 136}, {254, 129, 136}, {255, 128, 136}};
    for (const Case& c : cases) {
        for (bool wallEyed : {true, false}) {
            prepareFlat(3, c.depth);
            ws.preferences.wallEyed = wallEyed;
            const std::vector<uint8_t> s = generate();
            const int32_t separation = wallEyed ? c.wallEyedSeparation : c.crossEyedSeparation;
            for (int32_t y = 0; y < 3; ++y) {
                EXPECT_TRUE(repeatsEvery(s, 640, y, separation)) << int(c.depth) << " " << wallEyed;
                // The filler makes the period exact: no other separation fits.
                for (int32_t other = 128; other <= 136; ++other) {
                    if (other == separation) continue;
                    EXPECT_FALSE(repeatsEvery(s, 640, y, other)) << other;
                }
            }
        }
    }
}

TEST_F(Generation, TheFirstColumnsOfEveryRowAreTheStrip) {
    Draws draw{11};
    for (bool wallEyed : {true, false}) {
        for (bool randomFill : {true, false}) {
            const std::vector<uint8_t> pattern = draw.bytes(60 * 9);
            prepare(300, 9, draw.bytes(300 * 9), 60, pattern);
            ws.preferences.wallEyed = wallEyed;
            ws.preferences.randomFill = randomFill;
            const std::vector<uint8_t> s = generate();
            for (int32_t y = 0; y < 9; ++y) EXPECT_EQ(rowOf(s, 300, y, 0, 60), rowOf(pattern, 60, y, 0, 60)) << y;
        }
    }
}

TEST_F(Generation, OneRepeatGivesThePatternRowsAndDrawsNothing) {
    Draws draw{12};
    const std::vector<uint8_t> pattern = draw.bytes(37 * 5);
    for (bool randomFill : {true, false}) {
        prepare(37, 5, draw.bytes(37 * 5), 37, pattern);
        ws.preferences.repeatCount = 1;
        ws.preferences.randomFill = randomFill;
        EXPECT_EQ(generate(), pattern);
        EXPECT_EQ(ws.randomState, 1u);
        EXPECT_EQ(recordedKinds(), progressThenShow(1));
    }
}

TEST_F(Generation, ProgressStepsAfterEveryTenthRowThenResetsThenShows) {
    const int32_t heights[] = {480, 481, 1, 9, 10, 11};
    const int32_t steps[] = {48, 49, 1, 1, 1, 2};
    for (int i = 0; i < 6; ++i) {
        const int32_t h = heights[i];
        prepare(640, h, std::vector<uint8_t>(static_cast<size_t>(640) * h, 100), 128,
                std::vector<uint8_t>(static_cast<size_t>(128) * h, 9));
        generateStereogram(ws, nullptr);
        EXPECT_EQ(recordedKinds(), progressThenShow(steps[i])) << h;
        EXPECT_EQ(recordedUi.calls.back().width, 640);
        EXPECT_EQ(recordedUi.calls.back().height, h);
    }
}

TEST_F(Generation, TheNewStereogramIsShownWithItsConvergenceSquares) {
    Draws draw{13};
    prepare(641, 45, draw.bytes(641 * 45), 128, draw.bytes(128 * 45));
    const std::vector<uint8_t> s = generate();
    ASSERT_EQ(recordedKinds().back(), UiCallKind::Present);
    // L = (641 - 128) / 2 = 256, R = (641 + 128) / 2 = 384.
    for (int32_t y = 0; y < 45; ++y) {
        for (int32_t x = 0; x < 641; ++x) {
            const bool inSquare = y >= 20 && y < 40 && ((x >= 256 && x < 276) || (x >= 384 && x < 404));
            ASSERT_EQ(shownGrey(ws, x, y), inSquare ? 0 : s[y * 641 + x]) << x << "," << y;
        }
    }
    // The Stereogram itself keeps its pixels under the squares.
    int black = 0;
    for (int32_t x = 256; x < 276; ++x) black += s[30 * 641 + x] == 0 ? 1 : 0;
    EXPECT_LT(black, 20);
}

// Every refusal shows one message and changes nothing, the old Stereogram
// and the picture on show included. The checks come in a fixed order: each
// case below also fails every later check.
TEST_F(Generation, RefusalsComeInTheirOrderAndChangeNothing) {
    struct Case {
        const char* what;
        bool pattern;
        int32_t repeatCount;
        bool depthMap;
        int32_t patternHeight;
        const char* message;
        const char* caption;
    };
    const Case cases[] = {
        {"no pattern", false, 0, false, 7, NoPatternMessage, ""},
        {"repeat count 0", true, 0, false, 7, RepeatCountMessage, "Uwaga!"},
        {"repeat count -3", true, -3, false, 7, RepeatCountMessage, "Uwaga!"},
        {"strip of no column", true, 41, false, 7, RepeatCountMessage, "Uwaga!"},
        {"no depth map", true, 5, false, 7, NoDepthMapMessage, ""},
        {"pattern of another height", true, 5, true, 7, PatternHeightMessage, ""},
        {"pattern of more rows", true, 5, true, 13, PatternHeightMessage, ""},
    };
    Draws draw{14};
    for (bool randomFill : {true, false}) {
        for (const Case& c : cases) {
            releaseAll(ws);
            resetRecordedUi();
            putPictureOnShow(ws, 40, 12);
            putRaster(ws.stereogram, 40, 12, draw.bytes(40 * 12));
            if (c.depthMap) putRaster(ws.depthMap, 40, 12, draw.bytes(40 * 12));
            if (c.pattern) putPattern(ws, 8, c.patternHeight, draw.bytes(8 * c.patternHeight));
            ws.preferences.repeatCount = c.repeatCount;
            ws.preferences.randomFill = randomFill;
            ws.randomState = 99;
            const WorkspaceSnapshot before = snapshotOf(ws);
            generateStereogram(ws, nullptr);
            EXPECT_EQ(firstDifference(before, snapshotOf(ws)), "") << c.what;
            EXPECT_EQ(recordedKinds(), std::vector<UiCallKind>{UiCallKind::Message}) << c.what;
            EXPECT_EQ(recordedMessages(), std::vector<std::string>{c.message}) << c.what;
            EXPECT_EQ(recordedCaptions(), std::vector<std::string>{c.caption}) << c.what;
        }
    }
}

TEST_F(Generation, WithoutMemoryForTheStereogramItIsGoneAndNothingElseHappens) {
    Draws draw{15};
    prepare(64, 12, draw.bytes(64 * 12), 12, draw.bytes(12 * 12));
    putRaster(ws.stereogram, 64, 12, draw.bytes(64 * 12));
    const std::vector<uint8_t> picture = dibBytes(ws);
    failAllocationsAfter(0);
    generateStereogram(ws, nullptr);
    failAllocationsAfter(-1);
    EXPECT_EQ(ws.stereogram.pixels.get(), nullptr);
    expectOnlyOutOfMemoryReport();
    EXPECT_EQ(dibBytes(ws), picture);
    EXPECT_EQ(ws.randomState, 1u);
}

TEST_F(Generation, WithoutMemoryForTheWorkingRowTheNewStereogramStaysUnfilled) {
    Draws draw{16};
    prepare(64, 12, draw.bytes(64 * 12), 12, draw.bytes(12 * 12));
    const std::vector<uint8_t> picture = dibBytes(ws);
    failAllocationsAfter(1);
    generateStereogram(ws, nullptr);
    failAllocationsAfter(-1);
    ASSERT_NE(ws.stereogram.pixels.get(), nullptr);
    EXPECT_EQ(ws.stereogram.width, 64);
    EXPECT_EQ(ws.stereogram.height, 12);
    expectOnlyOutOfMemoryReport();
    EXPECT_EQ(dibBytes(ws), picture);
    EXPECT_EQ(ws.randomState, 1u);
}

// A loaded pattern need not be as wide as the strip; it is read with its
// own row length and never past its end (the sanitizer build sees that).
TEST_F(Generation, APatternOfAnotherWidthIsReadWithItsOwnRowLength) {
    // Strip 5 from a 3-column pattern: 1 2 3 1 2, then at the nearest depth
    // that strip again.
    prepare(10, 1, std::vector<uint8_t>(10, 255), 3, {1, 2, 3});
    ws.preferences.repeatCount = 2;
    setDepthBits(ws.preferences, 1);
    ws.preferences.randomFill = false;
    EXPECT_EQ(generate(), (std::vector<uint8_t>{1, 2, 3, 1, 2, 1, 2, 3, 1, 2}));
    ws.preferences.randomFill = true;
    EXPECT_EQ(generate(), (std::vector<uint8_t>{1, 2, 3, 1, 2, 1, 2, 3, 1, 2}));
    // Strip 5 from a 7-column pattern: its first five columns.
    prepare(10, 1, std::vector<uint8_t>(10, 255), 7, {1, 2, 3, 4, 5, 6, 7});
    ws.preferences.repeatCount = 2;
    setDepthBits(ws.preferences, 1);
    for (bool randomFill : {false, true}) {
        ws.preferences.randomFill = randomFill;
        EXPECT_EQ(generate(), (std::vector<uint8_t>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5}));
    }

    // A 100-column pattern for 640 columns (repeat count 6, strip 106), and
    // a 128-column one left over for a 320-column map (strip 64).
    struct Case {
        int32_t width;
        int32_t patternWidth;
        int32_t repeatCount;
    };
    Draws draw{17};
    for (const Case& c : {Case{640, 100, 6}, Case{320, 128, 5}}) {
        for (bool randomFill : {true, false}) {
            prepare(c.width, 30, draw.bytes(static_cast<size_t>(c.width) * 30), c.patternWidth,
                    draw.bytes(static_cast<size_t>(c.patternWidth) * 30));
            ws.preferences.repeatCount = c.repeatCount;
            ws.preferences.randomFill = randomFill;
            const GeneratedStereogram expected = referenceGenerate(inputsNow());
            EXPECT_EQ(mismatches(generate(), expected.pixels, c.width), "") << c.patternWidth;
            EXPECT_EQ(ws.randomState, expected.randomState);
            EXPECT_EQ(ws.patternWidth, c.patternWidth);
            EXPECT_TRUE(recordedMessages().empty());
        }
    }
}

TEST_F(Generation, CrossEyedIsWallEyedOfTheInvertedMap) {
    Draws draw{18};
    int differentFromWallEyed = 0;
    for (int trial = 0; trial < 40; ++trial) {
        const int32_t width = 20 + draw.below(300);
        const int32_t height = 1 + draw.below(12);
        const int32_t repeatCount = 2 + draw.below(8);
        const int32_t depthBits = 1 + draw.below(8);
        const bool randomFill = draw.below(2) == 0;
        const uint32_t start = draw.anyState();
        const int32_t stripWidth = width / repeatCount;
        std::vector<uint8_t> depth(static_cast<size_t>(width) * height);
        for (size_t i = 0; i < depth.size(); ++i)
            depth[i] = i > 0 && draw.below(6) != 0 ? depth[i - 1] : static_cast<uint8_t>(draw.below(256));
        std::vector<uint8_t> inverted(depth.size());
        for (size_t i = 0; i < depth.size(); ++i) inverted[i] = static_cast<uint8_t>(255 - depth[i]);
        const std::vector<uint8_t> pattern = draw.bytes(static_cast<size_t>(stripWidth) * height);

        auto generateWith = [&](const std::vector<uint8_t>& map, bool wallEyed) {
            prepare(width, height, map, stripWidth, pattern);
            ws.preferences.repeatCount = repeatCount;
            setDepthBits(ws.preferences, depthBits);
            ws.preferences.randomFill = randomFill;
            ws.preferences.wallEyed = wallEyed;
            ws.randomState = start;
            std::vector<uint8_t> s = generate();
            return std::make_pair(s, ws.randomState);
        };
        const auto crossEyed = generateWith(depth, false);
        const auto wallEyedInverse = generateWith(inverted, true);
        ASSERT_EQ(crossEyed.first, wallEyedInverse.first) << "trial " << trial;
        EXPECT_EQ(crossEyed.second, wallEyedInverse.second) << "trial " << trial;
        if (generateWith(depth, true).first != crossEyed.first) ++differentFromWallEyed;
    }
    // The property says something only where the two modes differ.
    EXPECT_GT(differentFromWallEyed, 30);
}

TEST(GenerationFromStart, TheSameCommandsGiveTheSameBytes) {
    auto run = [](Workspace& ws) {
        resetRecordedUi();
        putPictureOnShow(ws, 200, 30);
        std::vector<uint8_t> depth(200 * 30);
        for (size_t i = 0; i < depth.size(); ++i) depth[i] = static_cast<uint8_t>(i % 200 < 100 ? 40 : 230);
        putRaster(ws.depthMap, 200, 30, depth);
        generatePattern(ws, nullptr);
        generateStereogram(ws, nullptr);
        std::vector<uint8_t> first = rasterBytes(ws.stereogram);
        generateStereogram(ws, nullptr);
        return first;
    };
    Workspace one = freshWorkspace();
    Workspace two = freshWorkspace();
    const std::vector<uint8_t> firstOfOne = run(one);
    const std::vector<uint8_t> firstOfTwo = run(two);
    EXPECT_EQ(firstOfOne, firstOfTwo);
    EXPECT_EQ(rasterBytes(one.pattern), rasterBytes(two.pattern));
    EXPECT_EQ(rasterBytes(one.stereogram), rasterBytes(two.stereogram));
    EXPECT_EQ(dibBytes(one), dibBytes(two));
    EXPECT_EQ(one.randomState, two.randomState);
    // The second stereogram drew new filler, so the comparison above is not
    // of two constant pictures.
    EXPECT_NE(rasterBytes(one.stereogram), firstOfOne);
    releaseAll(one);
    releaseAll(two);
}

// The depth maps of the random trials: noise, plateaus, only the two
// extreme depths, or slow slopes, so that levels jump by every amount.
std::vector<uint8_t> sampleDepths(Draws& draw, int32_t width, int32_t height) {
    std::vector<uint8_t> depth(static_cast<size_t>(width) * height);
    const int32_t kind = draw.below(4);
    int32_t value = draw.below(256);
    for (size_t i = 0; i < depth.size(); ++i) {
        if (kind == 0) {
            value = draw.below(256);
        } else if (kind == 1) {
            if (draw.below(12) == 0) value = draw.below(256);
        } else if (kind == 2) {
            if (draw.below(4) == 0) value = draw.below(2) * 255;
        } else {
            value = std::clamp(value + draw.below(17) - 8, 0, 255);
        }
        depth[i] = static_cast<uint8_t>(value);
    }
    return depth;
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

// Rows of up to 200 columns, one in a hundred longer, with any repeat
// count, patterns of other widths and every preference.
GenerationInputs randomInputs(Draws& draw, int trial) {
    GenerationInputs in;
    const bool longRow = trial % 100 == 99;
    in.width = longRow ? 200 + draw.below(900) : 1 + draw.below(200);
    in.height = 1 + draw.below(20);
    in.repeatCount = draw.below(4) == 0 ? 1 + draw.below(in.width) : 1 + draw.below(std::min(in.width, 10));
    const int32_t stripWidth = in.width / in.repeatCount;
    in.patternWidth = draw.below(3) == 0 ? 1 + draw.below(2 * stripWidth + 5) : stripWidth;
    in.depth = sampleDepths(draw, in.width, in.height);
    in.pattern = draw.bytes(static_cast<size_t>(in.patternWidth) * in.height);
    in.depthBits = 1 + draw.below(8);
    in.wallEyed = draw.below(2) == 0;
    in.randomFill = draw.below(2) == 0;
    in.randomState = draw.anyState();
    return in;
}

// Smooth maps with long plateaus and slow slopes, so that runs of one
// separation are longer than the strip and copies land on copies, on wide
// and narrow rows.
GenerationInputs smoothInputs(Draws& draw, int) {
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
    in.pattern = draw.bytes(static_cast<size_t>(in.patternWidth) * in.height);
    in.randomState = static_cast<uint32_t>(draw.below(32768)) << 16 | 5u;
    return in;
}

// What a family of trials is there to reach: `atLeast` of its trials must.
struct GenerationCoverage {
    const char* what;
    bool (*holds)(const GenerationInputs&);
    int atLeast;
};

struct GenerationFamily {
    const char* name;
    uint32_t seed;
    int trials;
    GenerationInputs (*draw)(Draws&, int trial);
    std::vector<GenerationCoverage> coverage;
};

class GenerationAgreesWithThePlainVersion : public Generation,
                                            public ::testing::WithParamInterface<GenerationFamily> {};

TEST_P(GenerationAgreesWithThePlainVersion, OnEveryTrial) {
    const GenerationFamily& family = GetParam();
    Draws draw{family.seed};
    std::vector<int> reached(family.coverage.size(), 0);
    for (int trial = 0; trial < family.trials; ++trial) {
        const GenerationInputs in = family.draw(draw, trial);
        prepare(in.width, in.height, in.depth, in.patternWidth, in.pattern);
        ws.preferences.repeatCount = in.repeatCount;
        setDepthBits(ws.preferences, in.depthBits);
        ws.preferences.wallEyed = in.wallEyed;
        ws.preferences.randomFill = in.randomFill;
        ws.randomState = in.randomState;

        const GeneratedStereogram expected = referenceGenerate(in);
        const std::vector<uint8_t> got = generate();
        const std::string where = "trial " + std::to_string(trial) + ": " + std::to_string(in.width) + " x " +
                                  std::to_string(in.height) + ", repeat " + std::to_string(in.repeatCount) +
                                  ", pattern " + std::to_string(in.patternWidth) + ", depthBits " +
                                  std::to_string(in.depthBits) + (in.wallEyed ? ", wall-eyed" : ", cross-eyed") +
                                  (in.randomFill ? ", random fill" : ", tiled");
        ASSERT_EQ(mismatches(got, expected.pixels, in.width), "") << where;
        ASSERT_EQ(ws.randomState, expected.randomState) << where;
        ASSERT_EQ(recordedKinds(), progressThenShow((in.height + 9) / 10)) << where;
        // Only the Stereogram, the picture on show and the random state change.
        EXPECT_EQ(rasterBytes(ws.depthMap), in.depth) << where;
        EXPECT_EQ(rasterBytes(ws.pattern), in.pattern) << where;
        EXPECT_EQ(ws.patternWidth, in.patternWidth) << where;
        EXPECT_EQ(ws.imageWidth, in.width) << where;
        EXPECT_EQ(ws.imageHeight, in.height) << where;
        for (size_t i = 0; i < family.coverage.size(); ++i)
            if (family.coverage[i].holds(in)) ++reached[i];
    }
    for (size_t i = 0; i < family.coverage.size(); ++i)
        EXPECT_GE(reached[i], family.coverage[i].atLeast) << family.coverage[i].what;
}

bool otherPatternWidth(const GenerationInputs& in) { return in.patternWidth != in.width / in.repeatCount; }
bool oneRepeat(const GenerationInputs& in) { return in.repeatCount == 1; }
bool randomFillOn(const GenerationInputs& in) { return in.randomFill; }
bool crossEyed(const GenerationInputs& in) { return !in.wallEyed; }
bool longRow(const GenerationInputs& in) { return in.width > 1000; }

INSTANTIATE_TEST_SUITE_P(
    Families, GenerationAgreesWithThePlainVersion,
    ::testing::Values(GenerationFamily{"RandomMapsPatternsAndPreferences",
                                       20240607,
                                       4000,
                                       randomInputs,
                                       {{"patterns of another width", otherPatternWidth, 1000},
                                        {"one repeat", oneRepeat, 150},
                                        {"random fill", randomFillOn, 1500},
                                        {"cross-eyed", crossEyed, 1500}}},
                      GenerationFamily{"SmoothMaps",
                                       777,
                                       300,
                                       smoothInputs,
                                       {{"rows over 1000 columns", longRow, 100},
                                        {"patterns of another width", otherPatternWidth, 50}}}),
    NamedAfterTheParameter());

// The plain version itself must give the worked examples, or agreeing
// with it proves nothing.
TEST(PlainGeneration, GivesTheWorkedExamples) {
    GenerationInputs in;
    in.width = 12;
    in.height = 1;
    in.repeatCount = 3;
    in.depthBits = 1;
    in.depth = {0, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0};
    in.pattern = {10, 20, 30, 40};
    in.patternWidth = 4;
    in.randomFill = false;
    EXPECT_EQ(referenceGenerate(in).pixels, (std::vector<uint8_t>{10, 20, 30, 40, 10, 20, 10, 20, 10, 20, 10, 20}));
    in.randomFill = true;
    const GeneratedStereogram filled = referenceGenerate(in);
    EXPECT_EQ(filled.pixels, (std::vector<uint8_t>{10, 20, 30, 40, 41, 35, 10, 20, 41, 35, 10, 20}));
    EXPECT_EQ(filled.randomState, stateAfter(1, 8));

    const int32_t depths[] = {0, 30, 31, 224, 225, 254, 255};
    const int32_t wallEyed[] = {136, 136, 135, 129, 129, 129, 128};
    const int32_t crossEyed[] = {128, 129, 129, 135, 136, 136, 136};
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(referenceSeparation(depths[i], 128, 3, true), wallEyed[i]) << depths[i];
        EXPECT_EQ(referenceSeparation(depths[i], 128, 3, false), crossEyed[i]) << depths[i];
    }
    uint32_t state = 1;
    EXPECT_EQ(referencePattern(8, 1, true, state), (std::vector<uint8_t>{0, 143, 49, 206, 149, 122, 89, 228}));
    EXPECT_EQ(state, stateAfter(1, 8));
}

}  // namespace
