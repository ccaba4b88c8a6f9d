#include <gtest/gtest.h>

#include "shell/window_layout.h"

namespace {

TEST(StripMetrics, GivenAt96DpiAndScaledAsWindowsScales) {
    const StripMetrics at96 = stripMetricsAt(96);
    EXPECT_EQ(at96.height, 18);
    EXPECT_EQ(at96.progressLeft, 200);
    EXPECT_EQ(at96.statusBarHeight, 20);
    const StripMetrics at144 = stripMetricsAt(144);
    EXPECT_EQ(at144.height, 27);
    EXPECT_EQ(at144.progressLeft, 300);
    EXPECT_EQ(at144.statusBarHeight, 30);
    // 125 %: 22.5 and 250 round half up, as MulDiv does.
    const StripMetrics at120 = stripMetricsAt(120);
    EXPECT_EQ(at120.height, 23);
    EXPECT_EQ(at120.progressLeft, 250);
    EXPECT_EQ(at120.statusBarHeight, 25);
    EXPECT_EQ(scaledToDpi(18, 108), 20);  // 20.25
    EXPECT_EQ(scaledToDpi(200, 97), 202);  // 202.08
}

void expectRect(const BarRect& rect, int32_t x, int32_t y, int32_t width, int32_t height) {
    EXPECT_EQ(rect.x, x);
    EXPECT_EQ(rect.y, y);
    EXPECT_EQ(rect.width, width);
    EXPECT_EQ(rect.height, height);
}

TEST(BarPlaces, AtTheStripsTopBelowTheImage) {
    // The start: a client area of 640 x 498, bars wider than it by the frame.
    const BarPlaces start = placeBars(stripMetricsAt(96), 640 + 6, 498);
    expectRect(start.status, 0, 480, 646, 20);
    expectRect(start.progress, 200, 480, 446, 18);
    // A 300 x 200 depth map with no frame.
    const BarPlaces small = placeBars(stripMetricsAt(96), 300, 218);
    expectRect(small.status, 0, 200, 300, 20);
    expectRect(small.progress, 200, 200, 100, 18);
    // Scaled to 150 %: the strip's top follows the client height given.
    const BarPlaces scaled = placeBars(stripMetricsAt(144), 960, 507);
    expectRect(scaled.status, 0, 480, 960, 30);
    expectRect(scaled.progress, 300, 480, 660, 27);
}

TEST(BarPlaces, NarrowerThanTheProgressEdgeTheProgressBarTakesNoRoom) {
    const BarPlaces narrow = placeBars(stripMetricsAt(96), 150, 118);
    expectRect(narrow.status, 0, 100, 150, 20);
    EXPECT_EQ(narrow.progress.width, 0);
    EXPECT_EQ(placeBars(stripMetricsAt(96), 200, 118).progress.width, 0);
}

TEST(LogicalSize, HoldsEveryDevicePixelWithAtMostOneLogicalPixelOver) {
    EXPECT_EQ(logicalSizeHolding(640, 1.0), 640);
    EXPECT_EQ(logicalSizeHolding(640, 2.0), 320);
    EXPECT_EQ(logicalSizeHolding(641, 2.0), 321);
    EXPECT_EQ(logicalSizeHolding(640, 1.25), 512);
    EXPECT_EQ(logicalSizeHolding(480, 1.5), 320);
    EXPECT_EQ(logicalSizeHolding(640, 1.5), 427);
    // 600 / 1.2 lands a hair above 500 in floating point.
    EXPECT_EQ(logicalSizeHolding(600, 1.2), 500);
    EXPECT_EQ(logicalSizeHolding(1, 1.75), 1);
}

}  // namespace
