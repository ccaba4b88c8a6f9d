#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "draws.h"
#include "engine/engine.h"
#include "operations/operations.h"
#include "reference_decoding.h"
#include "workspace_fixture.h"
#include "workspace_samples.h"

namespace {

// One row of the given width that repeats with exactly this period
// (at most 256, so the values of one period all differ).
std::vector<uint8_t> periodicRow(int32_t width, int32_t period, int32_t offset = 0) {
    std::vector<uint8_t> row(static_cast<size_t>(width));
    for (int32_t x = 0; x < width; ++x) row[x] = static_cast<uint8_t>((x % period + offset) % 256);
    return row;
}

std::vector<uint8_t> concat(std::vector<uint8_t> first, const std::vector<uint8_t>& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

class Detection : public WorkspaceTest {
protected:

    int32_t detect(int32_t width, int32_t height, const std::vector<uint8_t>& pixels) {
        putStereogram(ws, width, height, pixels);
        return detectPatternWidth(ws);
    }
};

TEST_F(Detection, OnlyDivisorsFromAThirtiethUpToBelowAThirdAreCandidates) {
    struct Case {
        int32_t width;
        std::vector<int32_t> candidates;
    };
    const Case cases[] = {
        {640, {32, 40, 64, 80, 128, 160}},
        {600, {20, 24, 25, 30, 40, 50, 60, 75, 100, 120, 150}},
        {642, {107}},
    };
    for (const Case& c : cases) {
        // A row of period p is answered with p, at excess 0, exactly when p
        // is a candidate: any answer is a candidate, and no smaller
        // candidate is itself a period of the row.
        for (int32_t period = 2; period <= 256; ++period) {
            bool isCandidate = std::count(c.candidates.begin(), c.candidates.end(), period) > 0;
            int32_t answer = detect(c.width, 1, periodicRow(c.width, period));
            EXPECT_EQ(answer == period, isCandidate) << "width " << c.width << " period " << period;
            releaseAll(ws);
        }
    }
}

TEST_F(Detection, AStripOfAThirdOfTheWidthIsNeverFoundWithExcessZero) {
    // 214 is exactly a third of 642; only 107 is tried and confirms 214 with excess 107.
    EXPECT_EQ(detect(642, 1, periodicRow(642, 214)), 107);
}

TEST_F(Detection, Period136IsAnsweredAsStrip128WithExcess8) {
    const std::vector<uint8_t> row = flatStereogram(640, 1, 128, 3, 0, 7);
    EXPECT_EQ(detect(640, 1, row), 128);
    releaseAll(ws);
    // A later row that confirms candidate 160 with excess 7 takes over...
    EXPECT_EQ(detect(640, 2, concat(row, periodicRow(640, 167))), 160);
    releaseAll(ws);
    // ...one with the same excess 8 does not: the earlier row keeps it.
    EXPECT_EQ(detect(640, 2, concat(row, periodicRow(640, 168))), 128);
}

TEST_F(Detection, AllEqualPixelsAnswerTheSmallestCandidate) {
    EXPECT_EQ(detect(640, 3, std::vector<uint8_t>(640 * 3, 77)), 32);
    releaseAll(ws);
    EXPECT_EQ(detect(600, 3, std::vector<uint8_t>(600 * 3, 0)), 20);
    releaseAll(ws);
    // 30 columns give the candidates 1, 2, 3, 5 and 6; period 1 is too
    // short for the initial minMatch of 2, so 2 wins, unless minMatch allows 1.
    EXPECT_EQ(detect(30, 1, std::vector<uint8_t>(30, 9)), 2);
    releaseAll(ws);
    ws.preferences.minMatch = 1;
    EXPECT_EQ(detect(30, 1, std::vector<uint8_t>(30, 9)), 1);
}

TEST_F(Detection, RowsThatDoNotRepeatAnswerZero) {
    std::vector<uint8_t> noise(640 * 40);
    uint32_t state = 12345;
    for (uint8_t& v : noise) v = static_cast<uint8_t>(referenceRandom(state) % 256);
    EXPECT_EQ(detect(640, 40, noise), 0);
}

TEST_F(Detection, AWidthWithoutCandidatesAnswersZeroWhateverTheRowsHold) {
    EXPECT_EQ(detect(641, 2, std::vector<uint8_t>(641 * 2, 5)), 0);
    releaseAll(ws);
    EXPECT_EQ(detect(641, 1, periodicRow(641, 128)), 0);
}

TEST_F(Detection, MinMatchDecidesWhichPeriodsCanBeConfirmed) {
    const std::vector<uint8_t> flat(640, 200);
    struct Case {
        int32_t minMatch;
        int32_t answer;
    };
    // Every period repeats in a flat row; minMatch rules out the short ones,
    // and the room for w + 2k columns and the largest excess 254 the long ones.
    const Case cases[] = {{INT_MIN, 32}, {-5, 32}, {0, 32},   {32, 32},  {33, 40},  {41, 64},
                          {160, 160},  {240, 160}, {241, 128}, {257, 80}, {281, 64}, {289, 40},
                          {294, 40},   {295, 0},   {INT_MAX, 0}};
    for (const Case& c : cases) {
        ws.preferences.minMatch = c.minMatch;
        EXPECT_EQ(detect(640, 1, flat), c.answer) << "minMatch " << c.minMatch;
        releaseAll(ws);
    }
}

TEST_F(Detection, NarrowImagesAndEmptyStereogramsAnswerZero) {
    for (int32_t width = 0; width < 30; ++width) {
        EXPECT_EQ(detect(width, 4, std::vector<uint8_t>(static_cast<size_t>(width) * 4, 3)), 0) << width;
        releaseAll(ws);
    }
    EXPECT_EQ(detect(640, 0, {}), 0);
    releaseAll(ws);
    // A Stereogram left from another image size is not read.
    putStereogram(ws, 640, 2, std::vector<uint8_t>(1280, 3));
    ws.imageWidth = 1280;
    ws.imageHeight = 1;
    EXPECT_EQ(detectPatternWidth(ws), 0);
}

TEST_F(Detection, FlatBackgroundAnswersFollowTheDepthBits) {
    struct Case {
        int32_t depthBits;
        int32_t answer;
        int32_t excess;
        // A candidate that a second row, of period probe + excess - 1, lets
        // win with a smaller excess; 0 where no such row fits in 640 columns.
        int32_t probe;
    };
    const Case cases[] = {{1, 128, 2, 160}, {2, 128, 4, 160}, {3, 128, 8, 160}, {4, 128, 16, 160},
                          {5, 160, 0, 0},   {6, 160, 32, 80}, {7, 128, 128, 0}, {8, 0, 256, 0}};
    for (const Case& c : cases) {
        const std::vector<uint8_t> rows = flatStereogram(640, 3, 128, c.depthBits, 0, 40 + c.depthBits);
        EXPECT_EQ(detect(640, 3, rows), c.answer) << "depthBits " << c.depthBits;
        releaseAll(ws);
        if (c.probe == 0) continue;
        EXPECT_EQ(detect(640, 4, concat(rows, periodicRow(640, c.probe + c.excess - 1))), c.probe)
            << "depthBits " << c.depthBits;
        releaseAll(ws);
        EXPECT_EQ(detect(640, 4, concat(rows, periodicRow(640, c.probe + c.excess))), c.answer)
            << "depthBits " << c.depthBits;
        releaseAll(ws);
    }
}

TEST_F(Detection, RunsToTheLeftStayInsideTheRow) {
    // Row 0: 1 2 3 1 2 3 1 2; row 1: all 4.
    putStereogram(ws, 8, 2, {1, 2, 3, 1, 2, 3, 1, 2, 4, 4, 4, 4, 4, 4, 4, 4});
    ws.preferences.minMatch = 1;
    EXPECT_EQ(matchRunLeft(ws, 3, 0, 3), 3);  // capped at the distance
    EXPECT_EQ(matchRunLeft(ws, 6, 0, 3), 2);  // stopped by the row's end
    EXPECT_EQ(matchRunLeft(ws, 4, 0, 2), 0);
    EXPECT_EQ(matchRunLeft(ws, 1, 1, 1), 1);
    EXPECT_EQ(matchRunLeft(ws, 2, 1, 2), 2);
    // Nothing before column 0 or after the last row is read.
    EXPECT_EQ(matchRunLeft(ws, 1, 1, 3), 0);
    EXPECT_EQ(matchRunLeft(ws, -1, 0, 1), 0);
    EXPECT_EQ(matchRunLeft(ws, INT_MIN, 0, INT_MAX), 0);
    EXPECT_EQ(matchRunLeft(ws, INT_MAX, 0, 1), 0);
    EXPECT_EQ(matchRunLeft(ws, 7, 0, INT_MAX), 0);
    EXPECT_EQ(matchRunLeft(ws, 3, 2, 3), 0);
    EXPECT_EQ(matchRunLeft(ws, 3, -1, 3), 0);
    EXPECT_EQ(matchRunLeft(ws, 3, 0, 0), 0);
    EXPECT_EQ(matchRunLeft(ws, 3, 0, -3), 0);
    ws.preferences.minMatch = 3;
    EXPECT_EQ(matchRunLeft(ws, 6, 0, 3), 0);
    EXPECT_EQ(matchRunLeft(ws, 3, 0, 3), 3);
}

// One detection to compare: a stereogram and minMatch.
struct DetectionCase {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
    int32_t minMatch = 2;
};

// Narrow rows that repeat with some period from their start, or not at
// all; few greys make accidental repeats common. Any minMatch.
DetectionCase narrowRows(Draws& draw) {
    DetectionCase c;
    c.width = 1 + draw.below(260);
    c.height = 1 + draw.below(6);
    const int32_t period = 1 + draw.below(std::max(1, c.width / 2));
    const int32_t greyScale = draw.below(4);
    const int32_t greys = 1 + greyScale * draw.below(80);
    c.pixels.resize(static_cast<size_t>(c.width) * c.height);
    for (int32_t y = 0; y < c.height; ++y) {
        const bool repeating = draw.below(3) != 0;
        for (int32_t x = 0; x < c.width; ++x) {
            const size_t at = static_cast<size_t>(y) * c.width + x;
            c.pixels[at] = repeating && x >= period ? c.pixels[at - period] : static_cast<uint8_t>(draw.below(greys));
        }
    }
    const int32_t minMatchChoices[] = {INT_MIN, -3, 0, 1, 2, 2, 3, period, c.width, INT_MAX};
    c.minMatch = minMatchChoices[draw.below(10)];
    return c;
}

// Wide rows with many candidate widths: each row repeats at some period
// from a point on, or up to a point, so that either test of a period can
// fail late, in a block of 16 excesses or in the columns after the last one.
DetectionCase wideRows(Draws& draw) {
    const int32_t widths[] = {360, 480, 600, 720, 840, 960, 1200};
    DetectionCase c;
    c.width = draw.below(3) == 0 ? 300 + draw.below(900) : widths[draw.below(7)];
    c.height = 1 + draw.below(3);
    const int32_t greys = draw.below(3) == 0 ? 2 + draw.below(3) : 256;
    c.pixels = draw.bytes(static_cast<size_t>(c.width) * c.height, greys);
    for (int32_t y = 0; y < c.height; ++y) {
        const int32_t period = c.width / 30 + draw.below(c.width / 3 + 260);
        const int32_t from = draw.below(2) == 0 ? 0 : draw.below(c.width);
        const int32_t to = draw.below(2) == 0 ? c.width : draw.below(c.width);
        for (int32_t x = std::max(from, period); x < to; ++x)
            c.pixels[static_cast<size_t>(y) * c.width + x] = c.pixels[static_cast<size_t>(y) * c.width + x - period];
    }
    const int32_t minMatchChoices[] = {0, 1, 2, 2, 3, 50, 300};
    c.minMatch = minMatchChoices[draw.below(7)];
    return c;
}

// A family of detections; at least `atLeastFound` of its trials must find
// a width, so that both answers are compared.
struct DetectionFamily {
    const char* name;
    uint32_t seed;
    int trials;
    DetectionCase (*draw)(Draws&);
    int atLeastFound;
};

class DetectionAgreesWithThePlainVersion : public Detection, public ::testing::WithParamInterface<DetectionFamily> {};

TEST_P(DetectionAgreesWithThePlainVersion, OnEveryTrial) {
    const DetectionFamily& family = GetParam();
    Draws draw{family.seed};
    int found = 0;
    for (int trial = 0; trial < family.trials; ++trial) {
        const DetectionCase c = family.draw(draw);
        ws.preferences.minMatch = c.minMatch;
        const int32_t expected = referenceDetectWidth(c.pixels, c.width, c.height, c.minMatch);
        EXPECT_EQ(detect(c.width, c.height, c.pixels), expected)
            << "trial " << trial << " width " << c.width << " minMatch " << c.minMatch;
        releaseAll(ws);
        if (expected != 0) ++found;
    }
    EXPECT_GE(found, family.atLeastFound);
}

INSTANTIATE_TEST_SUITE_P(Families, DetectionAgreesWithThePlainVersion,
                         ::testing::Values(DetectionFamily{"NarrowRows", 2024, 600, narrowRows, 200},
                                           DetectionFamily{"WideRows", 99, 90, wideRows, 30}),
                         NamedAfterTheParameter());

// Row 0 repeats at 226 from its start, and row 1 begins as row 0 would go
// on. Candidate 150 would confirm 226 only with the two columns past the
// row's end (150 + 2 * 226 = 602); the largest candidate that has the room
// is 120, with excess 106.
TEST_F(Detection, APeriodNeedingColumnsPastTheRowIsNotConfirmed) {
    const int32_t width = 600;
    Draws draw{3};
    const std::vector<uint8_t> strip = draw.bytes(226, 256);
    std::vector<uint8_t> pixels = draw.bytes(2 * width, 256);
    for (int32_t x = 0; x < width + 2; ++x) pixels[static_cast<size_t>(x)] = strip[static_cast<size_t>(x % 226)];
    ws.preferences.minMatch = 2;
    putStereogram(ws, width, 2, pixels);
    EXPECT_EQ(referenceDetectWidth(pixels, width, 2, 2), 120);
    EXPECT_EQ(detectPatternWidth(ws), 120);
}

// Both run counts, the leftward one of detection and the rightward one of
// decoding, on hostile positions, distances and minMatch values.
TEST_F(Detection, RunsToBothSidesAgreeWithThePlainVersion) {
    uint32_t state = 77;
    auto draw = [&state](int32_t n) { return referenceRandom(state) % n; };
    const int32_t width = 90;
    const int32_t height = 3;
    std::vector<uint8_t> pixels(width * height);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = i % width >= 20 && draw(8) != 0 ? pixels[i - 1 - draw(19)] : static_cast<uint8_t>(draw(3));
    putStereogram(ws, width, height, pixels);
    const int32_t extremes[] = {INT_MIN, -1, 0, INT_MAX};
    for (int trial = 0; trial < 20000; ++trial) {
        const int32_t x = draw(16) == 0 ? extremes[draw(4)] : draw(width + 10) - 5;
        const int32_t row = draw(16) == 0 ? extremes[draw(4)] : draw(height + 2) - 1;
        const int32_t distance = draw(16) == 0 ? extremes[draw(4)] : draw(width + 10) - 5;
        const int32_t minMatch = draw(16) == 0 ? extremes[draw(4)] : draw(12) - 2;
        ws.preferences.minMatch = minMatch;
        ASSERT_EQ(matchRunLeft(ws, x, row, distance), referenceRunLeft(pixels, width, row, x, distance, minMatch))
            << x << " " << row << " " << distance << " " << minMatch;
        ASSERT_EQ(matchRunRight(ws, x, row, distance), referenceRunRight(pixels, width, row, x, distance, minMatch))
            << x << " " << row << " " << distance << " " << minMatch;
    }
}

}  // namespace
