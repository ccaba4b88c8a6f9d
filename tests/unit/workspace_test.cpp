#include <gtest/gtest.h>

#include <cstdint>

#include "bmp_samples.h"
#include "files/pictures.h"
#include "operations/operations.h"
#include "picture/little_endian.h"
#include "recording_platform.h"
#include "workspace_samples.h"

TEST(Workspace, StartsWithTheInitialValues) {
    Workspace ws = freshWorkspace();
    EXPECT_EQ(ws.imageWidth, 640);
    EXPECT_EQ(ws.imageHeight, 480);
    EXPECT_EQ(ws.patternWidth, 0);
    EXPECT_EQ(ws.depthMap.pixels.get(), nullptr);
    EXPECT_EQ(ws.pattern.pixels.get(), nullptr);
    EXPECT_EQ(ws.stereogram.pixels.get(), nullptr);
    EXPECT_FALSE(ws.displayDib.present);
    EXPECT_EQ(ws.preferences.depthStep, 32);
    EXPECT_EQ(levelCount(ws.preferences), 8);
    EXPECT_EQ(ws.preferences.repeatCount, 5);
    EXPECT_EQ(ws.preferences.minMatch, 2);
    EXPECT_EQ(ws.preferences.searchRange, 165);
    EXPECT_TRUE(ws.preferences.wallEyed);
    EXPECT_TRUE(ws.preferences.randomFill);
    EXPECT_EQ(ws.preferences.unresolvedPolicy, UnresolvedPolicy::KeepPrevious);
    EXPECT_FALSE(ws.preferences.colour);
}

TEST(Workspace, RandomSourceFollowsTheFixedSequence) {
    Workspace ws = freshWorkspace();
    EXPECT_EQ(nextRandom(ws.randomState), 41);
    EXPECT_EQ(nextRandom(ws.randomState), 18467);
    EXPECT_EQ(nextRandom(ws.randomState), 6334);
    Workspace again = freshWorkspace();
    for (int i = 0; i < 3; ++i) nextRandom(again.randomState);
    for (int i = 0; i < 1000; ++i) {
        int32_t a = nextRandom(ws.randomState);
        ASSERT_EQ(a, nextRandom(again.randomState));
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

TEST(Workspace, ThePictureOnShowHoldsTheHeaderAndThePaddedRows) {
    EXPECT_EQ(displayDibSize(640, 480), 40u + 480u * 1920u);
    EXPECT_EQ(displayDibSize(641, 3), 40u + 3u * 1924u);
    EXPECT_EQ(displayDibSize(1, 1), 44u);
    EXPECT_EQ(displayDibSize(0, 5), 40u);
    EXPECT_EQ(displayDibSize(-1, 5), UINT64_MAX);
    EXPECT_EQ(displayDibSize(5, -1), UINT64_MAX);

    Workspace ws = freshWorkspace();
    ws.imageWidth = 3;
    ws.imageHeight = 2;
    EXPECT_FALSE(pictureFitsImage(ws));
    putPictureOnShow(ws, 3, 1);
    ws.imageHeight = 2;
    EXPECT_FALSE(pictureFitsImage(ws));
    putPictureOnShow(ws, 3, 2);
    EXPECT_TRUE(pictureFitsImage(ws));
    ws.imageHeight = -2;
    EXPECT_FALSE(pictureFitsImage(ws));
    releaseAll(ws);
    EXPECT_FALSE(ws.displayDib.present);
}

// A raster is read only while it was made for the present image: the
// depth map and the stereogram at imageWidth x imageHeight, the pattern at
// patternWidth x imageHeight. One left from another size is kept but not
// read.
TEST(Workspace, ARasterFitsOnlyTheImageItWasMadeFor) {
    struct Case {
        const char* what;
        SourceKind kind;
        int32_t width;
        int32_t height;
        bool fits;
    };
    const Case cases[] = {
        {"depth map of the image", SourceKind::DepthMap, 40, 30, true},
        {"depth map a column narrower", SourceKind::DepthMap, 39, 30, false},
        {"stereogram of the image", SourceKind::Stereogram, 40, 30, true},
        {"stereogram of another height", SourceKind::Stereogram, 40, 31, false},
        {"pattern of patternWidth", SourceKind::Pattern, 8, 30, true},
        {"pattern of another width", SourceKind::Pattern, 9, 30, false},
        {"pattern of another height", SourceKind::Pattern, 8, 29, false},
    };
    for (const Case& c : cases) {
        Workspace ws = freshWorkspace();
        ws.imageWidth = 40;
        ws.imageHeight = 30;
        ws.patternWidth = 8;
        EXPECT_FALSE(rasterFitsImage(ws, c.kind)) << "absent " << c.what;
        Picture& raster = c.kind == SourceKind::DepthMap     ? ws.depthMap
                            : c.kind == SourceKind::Stereogram ? ws.stereogram
                                                               : ws.pattern;
        ASSERT_TRUE(replaceGreyImage(raster, c.width, c.height));
        EXPECT_EQ(&rasterOf(ws, c.kind), &raster) << c.what;
        EXPECT_EQ(rasterFitsImage(ws, c.kind), c.fits) << c.what;
        releaseAll(ws);
    }
    // A strip of no columns is no pattern, whatever its rows.
    Workspace ws = freshWorkspace();
    ws.patternWidth = 0;
    ASSERT_TRUE(replaceGreyImage(ws.pattern, 0, ws.imageHeight));
    EXPECT_FALSE(rasterFitsImage(ws, SourceKind::Pattern));
    releaseAll(ws);
}

TEST(Workspace, LittleEndianFieldsReadAndWriteByteByByte) {
    uint8_t bytes[6] = {0x01, 0x02, 0x03, 0x04, 0xFE, 0xFF};
    EXPECT_EQ(readLe16(bytes), 0x0201u);
    EXPECT_EQ(readLe16(bytes + 4), 0xFFFEu);
    EXPECT_EQ(readLe32(bytes), 0x04030201u);
    EXPECT_EQ(readLe32(bytes + 2), 0xFFFE0403u);
    writeLe32(bytes + 1, 0xA1B2C3D4u);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0xD4);
    EXPECT_EQ(bytes[4], 0xA1);
    EXPECT_EQ(bytes[5], 0xFF);
    EXPECT_EQ(readLe32(bytes + 1), 0xA1B2C3D4u);
}

TEST(Workspace, ReplacementReleasesFirstSoAFailedAllocationLeavesTheFieldAbsent) {
    Workspace ws = freshWorkspace();
    ASSERT_TRUE(replaceGreyImage(ws.depthMap, 4, 3));
    EXPECT_EQ(ws.depthMap.width, 4);
    EXPECT_EQ(ws.depthMap.height, 3);
    failAllocationsAfter(0);
    EXPECT_FALSE(replaceGreyImage(ws.depthMap, 4, 3));
    failAllocationsAfter(-1);
    EXPECT_EQ(ws.depthMap.pixels.get(), nullptr);
}

// A released block of a picture's size is handed out again for the next
// block of about that size, its pages already in place: a raster replaced
// by one of its size, a picture loaded after one as large.
TEST(Workspace, APictureSizedBlockIsUsedAgainForTheNextOfItsSize) {
    // Blocks kept from earlier work in this process are given back by the
    // first request that none of them fits, as the first raster's is.
    allocateBytes(testRuntime(), size_t{48} << 20).reset();
    Workspace ws = freshWorkspace();
    ASSERT_TRUE(replaceGreyImage(ws.stereogram, 1920, 1080));
    const uint8_t* first = ws.stereogram.pixels.get();
    ASSERT_TRUE(replaceGreyImage(ws.stereogram, 1920, 1080));
    EXPECT_EQ(ws.stereogram.pixels.get(), first);
    // Running out of memory is still told first, block kept or not.
    failAllocationsAfter(0);
    EXPECT_FALSE(replaceGreyImage(ws.stereogram, 1920, 1080));
    failAllocationsAfter(-1);

    // A load releases the depth map it replaces before it makes the new
    // one, so every load of one size gets the block again.
    const std::vector<uint8_t> file = makeGreyBmp(1280, 1024, [](int32_t x, int32_t y) {
        return static_cast<uint8_t>(x ^ y);
    });
    std::vector<const uint8_t*> loaded;
    for (int load = 0; load < 3; ++load) {
        ASSERT_EQ(readPictureBytes(ws, file.data(), file.size(), SourceKind::DepthMap).kind, OutcomeKind::Done);
        loaded.push_back(ws.depthMap.pixels.get());
    }
    EXPECT_EQ(loaded[1], loaded[0]);
    EXPECT_EQ(loaded[2], loaded[0]);
    EXPECT_EQ(ws.depthMap.pixels[5 * 1280 + 3], 5 ^ 3) << "a used block holds what was read into it";
    releaseAll(ws);
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
