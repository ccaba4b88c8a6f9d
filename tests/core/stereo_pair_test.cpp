// Stereo pairs: where each point lands in the two eyes, which of two
// points on one place is seen, and how the forms are put together.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "engine/engine.h"
#include "test_runtime.h"

namespace {

constexpr int32_t Width = 240;
constexpr int32_t Height = 16;

// A depth map of ground with bars standing out: each bar its columns and
// its depth.
struct Bar {
    int32_t from;
    int32_t to;  // past its last column
    uint8_t depth;
};

Picture barsDepth(const std::vector<Bar>& bars, uint8_t ground = 0) {
    std::vector<uint8_t> depth(static_cast<size_t>(Width) * Height, ground);
    for (int32_t y = 0; y < Height; ++y)
        for (const Bar& bar : bars)
            for (int32_t x = bar.from; x < bar.to; ++x) depth[static_cast<size_t>(y) * Width + x] = bar.depth;
    return pictureOf(Width, Height, depth);
}

// The two eyes, cut from the side-by-side pair.
struct Eyes {
    std::vector<uint8_t> left;
    std::vector<uint8_t> right;
};

Eyes eyesOf(const Picture& depth, int32_t parallax) {
    Picture pair;
    EXPECT_EQ(makeStereoPair(testRuntime(), depth, parallax, PairForm::SideBySide, pair).kind, OutcomeKind::Done);
    EXPECT_EQ(pair.width, 2 * Width);
    EXPECT_EQ(pair.channels, 1);
    Eyes eyes;
    for (int32_t y = 0; y < Height; ++y) {
        const uint8_t* row = rowOf(pair, y);
        eyes.left.insert(eyes.left.end(), row, row + Width);
        eyes.right.insert(eyes.right.end(), row + Width, row + 2 * Width);
    }
    return eyes;
}

// The first column of the middle row, from the left, that differs from
// the ground's shade at column 0.
int32_t firstChange(const std::vector<uint8_t>& eye) {
    const size_t row = static_cast<size_t>(Height / 2) * Width;
    for (int32_t x = 1; x < Width; ++x)
        if (eye[row + x] != eye[row]) return x;
    return -1;
}

TEST(StereoPair, TheParallaxGrowsWithDepthAndReachesTheChosenOneAt255) {
    const int32_t parallax = 40;
    int32_t previous = -1;
    for (const uint8_t depth : {uint8_t{32}, uint8_t{96}, uint8_t{160}, uint8_t{255}}) {
        const Eyes eyes = eyesOf(barsDepth({{100, 140, depth}}), parallax);
        const int32_t distance = firstChange(eyes.left) - firstChange(eyes.right);
        EXPECT_NEAR(distance, parallax * depth / 255.0, 1.0) << int(depth);
        EXPECT_GT(distance, previous) << int(depth);
        previous = distance;
        // Half each way: to the right in the left eye, to the left in the right.
        EXPECT_NEAR(firstChange(eyes.left), 100 + parallax * depth / 255.0 / 2, 1.0) << int(depth);
        EXPECT_NEAR(firstChange(eyes.right), 100 - parallax * depth / 255.0 / 2, 1.0) << int(depth);
    }
    const Eyes flat = eyesOf(barsDepth({{100, 140, 255}}), 0);
    EXPECT_EQ(flat.left, flat.right) << "no parallax, no difference";
}

// The ground stays where it is, far from what stands on it.
TEST(StereoPair, TheGroundHasNoParallax) {
    const Eyes eyes = eyesOf(barsDepth({{100, 140, 255}}), 40);
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x : {0, 10, 60, 200, 239}) EXPECT_EQ(eyes.left[y * Width + x], eyes.right[y * Width + x]);
}

// A near bar just left of a far one: in the left eye it moves further
// right than the far one and lands on it; there it must be the one seen.
// The shades tell them apart (a nearer flat is lighter).
TEST(StereoPair, ANearerPointHidesAFartherOneOnTheSamePlace) {
    const Eyes near = eyesOf(barsDepth({{80, 96, 255}}), 40);
    const Eyes far = eyesOf(barsDepth({{100, 140, 128}}), 40);
    const Eyes both = eyesOf(barsDepth({{80, 96, 255}, {100, 140, 128}}), 40);
    const size_t row = static_cast<size_t>(Height / 2) * Width;
    // Near: 80..95 moves by 20 to 100..115; far: 100..139 by 10 to 110..149.
    const uint8_t nearShade = near.left[row + 105];
    const uint8_t farShade = far.left[row + 125];
    ASSERT_NE(nearShade, farShade);
    for (int32_t x = 111; x < 114; ++x) EXPECT_EQ(both.left[row + x], nearShade) << x;
    for (int32_t x = 118; x < 148; ++x) EXPECT_EQ(both.left[row + x], farShade) << x;
}

// What the right eye sees behind the left edge of a bar is the ground
// beside it: the gap takes the farther side's shade, not the bar's.
TEST(StereoPair, AGapBesideANearEdgeIsFilledFromTheFartherSide) {
    const Eyes eyes = eyesOf(barsDepth({{100, 140, 255}}, 10), 40);
    const size_t row = static_cast<size_t>(Height / 2) * Width;
    // The bar leaves 100..119 in the left eye and 120..139 in the right.
    const uint8_t ground = eyes.left[row + 50];
    for (int32_t x = 102; x < 118; ++x) EXPECT_EQ(eyes.left[row + x], ground) << x;
    for (int32_t x = 122; x < 138; ++x) EXPECT_EQ(eyes.right[row + x], ground) << x;
}

TEST(StereoPair, AFlatDepthMapGivesTwoEqualEyes) {
    for (const uint8_t flat : {uint8_t{0}, uint8_t{90}, uint8_t{255}}) {
        const Eyes eyes = eyesOf(barsDepth({}, flat), 60);
        EXPECT_EQ(eyes.left, eyes.right) << int(flat);
    }
}

TEST(StereoPair, TheAnaglyphTakesRedFromTheLeftEyeAndGreenAndBlueFromTheRight) {
    const Picture depth = barsDepth({{60, 90, 200}, {150, 200, 120}});
    const Eyes eyes = eyesOf(depth, 30);
    Picture anaglyph;
    ASSERT_EQ(makeStereoPair(testRuntime(), depth, 30, PairForm::Anaglyph, anaglyph).kind, OutcomeKind::Done);
    ASSERT_EQ(anaglyph.width, Width);
    ASSERT_EQ(anaglyph.channels, 3);
    std::vector<uint8_t> red, green, blue;
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x = 0; x < Width; ++x) {
            red.push_back(rowOf(anaglyph, y)[3 * x]);
            green.push_back(rowOf(anaglyph, y)[3 * x + 1]);
            blue.push_back(rowOf(anaglyph, y)[3 * x + 2]);
        }
    EXPECT_EQ(red, eyes.left);
    EXPECT_EQ(green, eyes.right);
    EXPECT_EQ(blue, eyes.right);
    EXPECT_NE(red, green);

    // Crossed: the right eye's picture on the left.
    Picture crossed;
    ASSERT_EQ(makeStereoPair(testRuntime(), depth, 30, PairForm::CrossView, crossed).kind, OutcomeKind::Done);
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x = 0; x < Width; ++x) {
            ASSERT_EQ(rowOf(crossed, y)[x], eyes.right[y * Width + x]);
            ASSERT_EQ(rowOf(crossed, y)[Width + x], eyes.left[y * Width + x]);
        }
}

TEST(StereoPair, TheAutomaticParallaxIsThreePercentOfTheWidth) {
    EXPECT_EQ(parallaxFor(0, 1920), 58);
    EXPECT_EQ(parallaxFor(0, 640), 19);
    EXPECT_EQ(parallaxFor(0, 10), 1);
    EXPECT_EQ(parallaxFor(25, 1920), 25);
    Picture pair;
    EXPECT_EQ(makeStereoPair(testRuntime(), Picture{}, 20, PairForm::Anaglyph, pair).kind, OutcomeKind::Refused);
}

}  // namespace

namespace {

// Places run in 256ths of a pixel: past 2^23 columns they no longer fit
// in 32 bits. A bar at the end of a very wide row lands where the same bar
// lands at the end of a narrow one.
TEST(StereoPairWide, ABarPastTwoToTheTwentyThreeColumnsLandsInItsPlace) {
    const auto barAtEnd = [](int32_t width) {
        std::vector<uint8_t> depth(static_cast<size_t>(width), 0);
        std::fill(depth.end() - 600, depth.end() - 300, uint8_t{200});
        return pictureOf(width, 1, depth);
    };
    const auto leftEyeEnd = [](const Picture& depth) {
        Picture pair;
        EXPECT_EQ(makeStereoPair(testRuntime(), depth, 40, PairForm::SideBySide, pair).kind, OutcomeKind::Done);
        const uint8_t* left = rowOf(pair, 0) + depth.width - 1000;
        return std::vector<uint8_t>(left, left + 1000);
    };
    const std::vector<uint8_t> narrow = leftEyeEnd(barAtEnd(2000));
    EXPECT_EQ(leftEyeEnd(barAtEnd((int32_t{1} << 23) + 5000)), narrow);
}

}  // namespace
