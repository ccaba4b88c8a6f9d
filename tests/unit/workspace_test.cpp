#include <gtest/gtest.h>

#include "recording_platform.h"
#include "workspace/workspace.h"

TEST(Workspace, StartsWithTheInitialValues) {
    Workspace ws;
    EXPECT_EQ(ws.imageWidth, 640);
    EXPECT_EQ(ws.imageHeight, 480);
    EXPECT_EQ(ws.patternWidth, 0);
    EXPECT_EQ(ws.depthMap.pixels, nullptr);
    EXPECT_EQ(ws.pattern.pixels, nullptr);
    EXPECT_EQ(ws.stereogram.pixels, nullptr);
    EXPECT_EQ(ws.displayDib.bytes, nullptr);
    EXPECT_EQ(ws.preferences.depthStep, 32);
    EXPECT_EQ(levelCount(ws.preferences), 8);
    EXPECT_EQ(ws.preferences.repeatCount, 5);
    EXPECT_EQ(ws.preferences.minMatch, 2);
    EXPECT_EQ(ws.preferences.searchRange, 165);
    EXPECT_TRUE(ws.preferences.wallEyed);
    EXPECT_TRUE(ws.preferences.randomFill);
    EXPECT_EQ(ws.preferences.unresolvedPolicy, UnresolvedPolicy::KeepPrevious);
}

TEST(Workspace, RandomSourceFollowsTheFixedSequence) {
    Workspace ws;
    EXPECT_EQ(nextRandom(ws), 41);
    EXPECT_EQ(nextRandom(ws), 18467);
    EXPECT_EQ(nextRandom(ws), 6334);
    Workspace again;
    for (int i = 0; i < 3; ++i) nextRandom(again);
    for (int i = 0; i < 1000; ++i) {
        int32_t a = nextRandom(ws);
        ASSERT_EQ(a, nextRandom(again));
        ASSERT_GE(a, 0);
        ASSERT_LE(a, 32767);
    }
}

TEST(Workspace, LevelCountIsTwoToTheDepthBits) {
    Preferences prefs;
    for (int32_t bits = 1; bits <= 8; ++bits) {
        prefs.depthBits = bits;
        EXPECT_EQ(levelCount(prefs), 1 << bits);
    }
}

TEST(Workspace, RowStrideRoundsUpToFourBytes) {
    EXPECT_EQ(rowStride(640), 1920);
    EXPECT_EQ(rowStride(641), 1924);
    EXPECT_EQ(rowStride(3), 12);
    EXPECT_EQ(rowStride(2), 8);
    EXPECT_EQ(rowStride(1), 4);
}

TEST(Workspace, ReplacementReleasesFirstSoAFailedAllocationLeavesTheFieldAbsent) {
    Workspace ws;
    ASSERT_TRUE(replaceGreyImage(ws.depthMap, 4, 3));
    EXPECT_EQ(ws.depthMap.width, 4);
    EXPECT_EQ(ws.depthMap.height, 3);
    failAllocationsAfter(0);
    EXPECT_FALSE(replaceGreyImage(ws.depthMap, 4, 3));
    EXPECT_FALSE(replaceDisplayDib(ws.displayDib, 100));
    failAllocationsAfter(-1);
    EXPECT_EQ(ws.depthMap.pixels, nullptr);
    EXPECT_EQ(ws.displayDib.bytes, nullptr);
}

TEST(Workspace, OutOfMemoryTellsTheUserAndEndsWithMinusOne) {
    resetRecordedUi();
    reportOutOfMemory(nullptr);
    ASSERT_EQ(recordedUi.calls.size(), 2u);
    EXPECT_EQ(recordedUi.calls[0].kind, UiCallKind::Message);
    EXPECT_EQ(recordedUi.calls[0].text, "Brak pamięci!");
    EXPECT_EQ(recordedUi.calls[0].caption, "");
    EXPECT_EQ(recordedUi.calls[1].kind, UiCallKind::Quit);
    EXPECT_EQ(recordedUi.calls[1].value, -1);
}
