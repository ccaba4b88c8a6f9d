#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "operations/operations.h"
#include "recording_platform.h"
#include "reference_decoding.h"
#include "reference_generation.h"
#include "workspace_fixture.h"
#include "workspace_samples.h"

namespace {

const char* const WideningMessage =
    "Automatycznie zostały zmienione wymiary mapy głębokości\naby dostosować je do wzorca";

uint32_t stateAfter(uint32_t state, int64_t draws) {
    for (int64_t i = 0; i < draws; ++i) referenceRandom(state);
    return state;
}

// A depth value that differs from its neighbours and from the top-left 77.
uint8_t depthAt(int32_t x, int32_t y) {
    return static_cast<uint8_t>(x == 0 && y == 0 ? 77 : (x * 7 + y * 13) % 250);
}

class PatternGeneration : public WorkspaceTest {
protected:

    // A depth map loaded from a file: picture on show, DepthMap, an older
    // Stereogram and Pattern, no random value drawn yet.
    void prepare(int32_t width, int32_t height, int32_t repeatCount) {
        releaseAll(ws);
        resetRecordedUi();
        putPictureOnShow(ws, width, height, 0x5A);
        std::vector<uint8_t> depth;
        for (int32_t y = 0; y < height; ++y)
            for (int32_t x = 0; x < width; ++x) depth.push_back(depthAt(x, y));
        putRaster(ws.depthMap, width, height, depth);
        putRaster(ws.stereogram, width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height, 3));
        putPattern(ws, 3, height, std::vector<uint8_t>(static_cast<size_t>(3) * height, 4));
        ws.preferences.repeatCount = repeatCount;
        ws.randomState = 1;
    }

};

TEST_F(PatternGeneration, WholeStripsLeaveTheDepthMapAndThePictureAlone) {
    prepare(640, 6, 5);
    const WorkspaceSnapshot before = snapshotOf(ws);
    generatePattern(ws, nullptr);
    EXPECT_TRUE(recordedUi.calls.empty());
    EXPECT_EQ(ws.patternWidth, 128);
    EXPECT_EQ(ws.pattern.width, 128);
    EXPECT_EQ(ws.pattern.height, 6);
    uint32_t state = 1;
    EXPECT_EQ(rasterBytes(ws.pattern), referencePattern(128, 6, true, state));
    EXPECT_EQ(ws.randomState, state);
    EXPECT_EQ(ws.imageWidth, 640);
    EXPECT_EQ(ws.depthMap.pixels.get(), before.buffers[0]);
    EXPECT_EQ(rasterBytes(ws.depthMap), before.depthMap);
    EXPECT_EQ(ws.stereogram.pixels.get(), before.buffers[2]);
    EXPECT_EQ(ws.displayDib.picture.pixels.get(), before.buffers[3]);
    EXPECT_EQ(dibBytes(ws), before.displayDib);
}

TEST_F(PatternGeneration, AWidthThatIsNoMultipleWidensTheDepthMapOnTheRight) {
    struct Case {
        int32_t width;
        int32_t height;
        int32_t repeatCount;
        int32_t patternWidth;
        int32_t widened;
    };
    const Case cases[] = {{641, 480, 5, 129, 645}, {644, 7, 5, 129, 645}, {643, 9, 7, 92, 644},
                          {10, 3, 3, 4, 12},        {11, 2, 4, 3, 12}};
    for (const Case& c : cases) {
        const std::string where = std::to_string(c.width) + "/" + std::to_string(c.repeatCount);
        prepare(c.width, c.height, c.repeatCount);
        const std::vector<uint8_t> oldHeader(ws.displayDib.frame.header, ws.displayDib.frame.header + DibHeaderSize);
        generatePattern(ws, nullptr);

        EXPECT_EQ(ws.patternWidth, c.patternWidth) << where;
        EXPECT_EQ(ws.imageWidth, c.widened) << where;
        EXPECT_EQ(ws.imageHeight, c.height) << where;
        ASSERT_EQ(ws.depthMap.width, c.widened) << where;
        ASSERT_EQ(ws.depthMap.height, c.height) << where;
        for (int32_t y = 0; y < c.height; ++y)
            for (int32_t x = 0; x < c.widened; ++x)
                ASSERT_EQ(ws.depthMap.pixels[y * c.widened + x], x < c.width ? depthAt(x, y) : 77)
                    << where << " at " << x << "," << y;
        // The Stereogram of the old width is gone; the new Pattern fits.
        EXPECT_EQ(ws.stereogram.pixels.get(), nullptr) << where;
        EXPECT_EQ(ws.pattern.width, c.patternWidth) << where;
        EXPECT_EQ(ws.pattern.height, c.height) << where;
        uint32_t state = 1;
        EXPECT_EQ(rasterBytes(ws.pattern), referencePattern(c.patternWidth, c.height, true, state)) << where;
        EXPECT_EQ(ws.randomState, state) << where;

        // Told first, then the window follows, then the widened map is shown.
        ASSERT_EQ(recordedKinds(),
                  (std::vector<UiCallKind>{UiCallKind::Message, UiCallKind::FitWindow, UiCallKind::Present}))
            << where;
        EXPECT_EQ(recordedUi.calls[0].text, WideningMessage);
        EXPECT_EQ(recordedUi.calls[0].caption, "Uwaga!");
        EXPECT_EQ(recordedUi.calls[1].width, c.widened) << where;
        EXPECT_EQ(recordedUi.calls[1].height, c.height) << where;
        EXPECT_EQ(recordedUi.calls[2].width, c.widened) << where;

        // The old header with the new width and no image size.
        const std::vector<uint8_t> shown = dibBytes(ws);
        ASSERT_EQ(shown.size(), DibHeaderSize + static_cast<size_t>(rowStride(c.widened)) * c.height) << where;
        EXPECT_EQ(dibHeaderField(ws, 4), c.widened) << where;
        EXPECT_EQ(dibHeaderField(ws, 20), 0) << where;
        for (size_t i = 0; i < DibHeaderSize; ++i) {
            if (i >= 4 && i < 8) continue;
            if (i >= 20 && i < 24) continue;
            EXPECT_EQ(shown[i], oldHeader[i]) << where << " header byte " << i;
        }
        // The widened map on show; the padding zero.
        const size_t stride = static_cast<size_t>(rowStride(c.widened));
        for (int32_t y = 0; y < c.height; ++y)
            for (int32_t x = 0; x < c.widened; ++x)
                ASSERT_EQ(shownGrey(ws, x, y), ws.depthMap.pixels[y * c.widened + x]) << where;
        for (int32_t j = 0; j < c.height; ++j)
            for (size_t i = 3 * static_cast<size_t>(c.widened); i < stride; ++i)
                ASSERT_EQ(shown[DibHeaderSize + j * stride + i], 0) << where << " padding";
    }
}

TEST_F(PatternGeneration, TheFirstPatternFromStartBeginsWithTheKnownValues) {
    prepare(640, 4, 5);
    generatePattern(ws, nullptr);
    EXPECT_EQ(std::vector<uint8_t>(ws.pattern.pixels.get(), ws.pattern.pixels.get() + 8),
              (std::vector<uint8_t>{0, 143, 49, 206, 149, 122, 89, 228}));
}

TEST_F(PatternGeneration, TheRampStillDrawsOneRandomValuePerPixel) {
    prepare(900, 4, 3);
    ws.preferences.randomFill = false;
    generatePattern(ws, nullptr);
    ASSERT_EQ(ws.patternWidth, 300);
    std::vector<uint8_t> row;
    for (int32_t c = 0; c < 256; ++c) row.push_back(static_cast<uint8_t>(c));
    for (int32_t c = 0; c < 44; ++c) row.push_back(static_cast<uint8_t>(c));
    for (int32_t y = 0; y < 4; ++y)
        EXPECT_EQ(std::vector<uint8_t>(ws.pattern.pixels.get() + y * 300, ws.pattern.pixels.get() + (y + 1) * 300), row) << y;
    EXPECT_EQ(ws.randomState, stateAfter(1, 300 * 4));

    // So a random pattern made next differs from the first one from start.
    ws.preferences.randomFill = true;
    generatePattern(ws, nullptr);
    uint32_t fresh = 1;
    const std::vector<uint8_t> fromStart = referencePattern(300, 4, true, fresh);
    EXPECT_NE(rasterBytes(ws.pattern), fromStart);
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(PatternGeneration, TwoCallsGiveDifferentPatternsOfTheSameSize) {
    prepare(640, 5, 5);
    generatePattern(ws, nullptr);
    const std::vector<uint8_t> first = rasterBytes(ws.pattern);
    generatePattern(ws, nullptr);
    EXPECT_EQ(ws.pattern.width, 128);
    EXPECT_EQ(ws.pattern.height, 5);
    EXPECT_EQ(first.size(), rasterBytes(ws.pattern).size());
    EXPECT_NE(first, rasterBytes(ws.pattern));
    EXPECT_EQ(ws.randomState, stateAfter(1, 2 * 128 * 5));
}

TEST_F(PatternGeneration, WithoutADepthMapOnlyTheMessageIsShown) {
    // Right after start.
    WorkspaceSnapshot before = snapshotOf(ws);
    generatePattern(ws, nullptr);
    EXPECT_EQ(firstDifference(before, snapshotOf(ws)), "");
    EXPECT_EQ(ws.patternWidth, 0);
    EXPECT_EQ(recordedKinds(), std::vector<UiCallKind>{UiCallKind::Message});
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Niestety jeszcze nie ma mapy głębokości"});
    EXPECT_EQ(recordedCaptions(), std::vector<std::string>{""});

    // After a stereogram was loaded, with an older pattern and a repeat
    // count that would also be refused.
    prepare(641, 4, 0);
    releasePicture(ws.depthMap);
    resetRecordedUi();
    before = snapshotOf(ws);
    generatePattern(ws, nullptr);
    EXPECT_EQ(firstDifference(before, snapshotOf(ws)), "");
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Niestety jeszcze nie ma mapy głębokości"});
}

TEST_F(PatternGeneration, ARepeatCountThatMakesNoStripIsRefused) {
    for (int32_t repeatCount : {0, -1, -640, 641, 100000}) {
        prepare(640, 4, repeatCount);
        const WorkspaceSnapshot before = snapshotOf(ws);
        generatePattern(ws, nullptr);
        EXPECT_EQ(firstDifference(before, snapshotOf(ws)), "") << repeatCount;
        EXPECT_EQ(recordedKinds(), std::vector<UiCallKind>{UiCallKind::Message}) << repeatCount;
        EXPECT_EQ(recordedMessages(),
                  std::vector<std::string>{"Nieprawidłowa ilość powtórzeń wzorca!\nZmień ją w preferencjach."});
        EXPECT_EQ(recordedCaptions(), std::vector<std::string>{"Uwaga!"});
    }
    // 640 repeats still make a strip of one column.
    prepare(640, 4, 640);
    generatePattern(ws, nullptr);
    EXPECT_EQ(ws.patternWidth, 1);
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(PatternGeneration, WithoutMemoryForThePatternItIsGone) {
    prepare(640, 4, 5);
    failAllocationsAfter(0);
    generatePattern(ws, nullptr);
    failAllocationsAfter(-1);
    EXPECT_EQ(ws.pattern.pixels.get(), nullptr);
    EXPECT_EQ(ws.patternWidth, 128);
    expectOnlyOutOfMemoryReport();
    EXPECT_EQ(ws.randomState, 1u);

    // After a widening that went through.
    prepare(641, 4, 5);
    failAllocationsAfter(1);
    generatePattern(ws, nullptr);
    failAllocationsAfter(-1);
    EXPECT_EQ(ws.pattern.pixels.get(), nullptr);
    EXPECT_EQ(ws.imageWidth, 645);
    ASSERT_EQ(recordedKinds(), (std::vector<UiCallKind>{UiCallKind::Message, UiCallKind::FitWindow,
                                                        UiCallKind::Present, UiCallKind::Message, UiCallKind::Quit}));
    EXPECT_EQ(recordedUi.calls[0].text, WideningMessage);
    expectOutOfMemoryReport(recordedUi.calls[3], recordedUi.calls[4]);
}

TEST_F(PatternGeneration, WithoutMemoryForTheWidenedDepthMapThePictureIsGone) {
    prepare(641, 4, 5);
    const uint8_t* oldMap = ws.depthMap.pixels.get();
    const std::vector<uint8_t> oldDepth = rasterBytes(ws.depthMap);
    failAllocationsAfter(0);
    generatePattern(ws, nullptr);
    failAllocationsAfter(-1);
    EXPECT_FALSE(ws.displayDib.present);
    EXPECT_EQ(ws.depthMap.pixels.get(), oldMap);
    EXPECT_EQ(rasterBytes(ws.depthMap), oldDepth);
    EXPECT_EQ(ws.imageWidth, 641);
    expectOnlyOutOfMemoryReport();
    EXPECT_EQ(ws.randomState, 1u);

    // With the picture on show gone there is nothing to widen with: a later
    // command changes nothing, the old pattern keeps its width.
    resetRecordedUi();
    const WorkspaceSnapshot before = snapshotOf(ws);
    generatePattern(ws, nullptr);
    EXPECT_EQ(ws.patternWidth, 3);
    EXPECT_EQ(firstDifference(before, snapshotOf(ws)), "");
    EXPECT_TRUE(recordedUi.calls.empty());
}

TEST_F(PatternGeneration, AgreesWithThePlainVersion) {
    for (bool randomFill : {true, false}) {
        for (int32_t width : {1, 7, 8, 9, 300, 641}) {
            releaseAll(ws);
            resetRecordedUi();
            ws.imageWidth = width;
            ws.imageHeight = 3;
            ASSERT_TRUE(replaceGreyImage(ws.depthMap, width, 3));
            std::memset(ws.depthMap.pixels.get(), 0, static_cast<size_t>(width) * 3);
            ws.preferences.repeatCount = 1;
            ws.preferences.randomFill = randomFill;
            ws.randomState = 99u + static_cast<uint32_t>(width);
            uint32_t expectedState = ws.randomState;
            const std::vector<uint8_t> expected = referencePattern(width, 3, randomFill, expectedState);
            generatePattern(ws, nullptr);
            ASSERT_NE(ws.pattern.pixels.get(), nullptr);
            EXPECT_EQ(std::vector<uint8_t>(ws.pattern.pixels.get(), ws.pattern.pixels.get() + expected.size()), expected)
                << width << (randomFill ? " noise" : " ramp");
            EXPECT_EQ(ws.randomState, expectedState) << width;
        }
    }
}

}  // namespace
