#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "draws.h"
#include "recording_platform.h"
#include "views/views.h"
#include "operations/operations.h"
#include "workspace_fixture.h"

namespace {

// A workspace of the given size with a picture on show whose pixels and
// padding hold 0xAB, so untouched bytes show.
Workspace workspaceWithPicture(int32_t width, int32_t height) {
    Workspace ws = freshWorkspace();
    putPictureOnShow(ws, width, height, 0xAB);
    return ws;
}

void fillRaster(Picture& image, int32_t width, int32_t height, uint8_t (*valueAt)(int32_t x, int32_t y)) {
    ASSERT_TRUE(replaceGreyImage(image, width, height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) image.pixels[y * width + x] = valueAt(x, y);
}

// Grey value at (x, y), y counted from the top, checking the colours
// agree, in the picture on show as a save writes it.
int shownAt(Workspace& ws, int32_t x, int32_t y) {
    return shownGrey(ws, x, y);
}

uint8_t diagonal(int32_t x, int32_t y) { return static_cast<uint8_t>(x + 3 * y + 1); }

class Views : public WorkspaceTest {};

TEST_F(Views, StereogramWithDotsBlackensTwoSquaresPatternWidthApart) {
    ws = workspaceWithPicture(640, 480);
    ws.patternWidth = 128;
    fillRaster(ws.stereogram, 640, 480, [](int32_t x, int32_t y) { return static_cast<uint8_t>((x + y) % 200 + 50); });
    renderView(ws, nullptr, SourceKind::Stereogram, ViewKind::StereogramWithDots);
    for (int32_t y = 0; y < 480; ++y) {
        for (int32_t x = 0; x < 640; ++x) {
            bool inRows = y >= 20 && y <= 39;
            bool inSquare = inRows && ((x >= 256 && x <= 275) || (x >= 384 && x <= 403));
            int expected = inSquare ? 0 : (x + y) % 200 + 50;
            ASSERT_EQ(shownAt(ws, x, y), expected) << x << "," << y;
        }
    }
    EXPECT_EQ(countRecorded(UiCallKind::Present), 1);
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(Views, ControlSquaresFollowThePatternWidthAndAreClipped) {
    ws = workspaceWithPicture(640, 30);
    fillRaster(ws.stereogram, 640, 30, [](int32_t, int32_t) { return uint8_t{200}; });
    ws.patternWidth = 0;  // both squares on the middle, shown as one
    renderView(ws, nullptr, SourceKind::Stereogram, ViewKind::StereogramWithDots);
    EXPECT_EQ(shownAt(ws, 319, 25), 200);
    EXPECT_EQ(shownAt(ws, 320, 25), 0);
    EXPECT_EQ(shownAt(ws, 339, 29), 0);
    EXPECT_EQ(shownAt(ws, 340, 25), 200);
    EXPECT_EQ(shownAt(ws, 330, 19), 200);

    ws.patternWidth = 129;
    renderView(ws, nullptr, SourceKind::Stereogram, ViewKind::StereogramWithDots);
    EXPECT_EQ(shownAt(ws, 254, 20), 200);
    EXPECT_EQ(shownAt(ws, 255, 20), 0);
    EXPECT_EQ(shownAt(ws, 384, 20), 0);
    EXPECT_EQ(shownAt(ws, 383, 20), 200);

    // Squares reaching past the edges are cut off, not written outside.
    ws.patternWidth = 630;
    renderView(ws, nullptr, SourceKind::Stereogram, ViewKind::StereogramWithDots);
    EXPECT_EQ(shownAt(ws, 5, 25), 0);
    EXPECT_EQ(shownAt(ws, 24, 25), 0);
    EXPECT_EQ(shownAt(ws, 25, 25), 200);
    EXPECT_EQ(shownAt(ws, 635, 25), 0);
    EXPECT_EQ(shownAt(ws, 639, 25), 0);
}

TEST_F(Views, PlainStereogramAndOriginalDepthAreTheRasterUpright) {
    ws = workspaceWithPicture(7, 5);
    fillRaster(ws.stereogram, 7, 5, diagonal);
    fillRaster(ws.depthMap, 7, 5, [](int32_t x, int32_t y) { return static_cast<uint8_t>(250 - x - 10 * y); });
    renderView(ws, nullptr, SourceKind::Stereogram, ViewKind::StereogramPlain);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x) EXPECT_EQ(shownAt(ws, x, y), diagonal(x, y));
    // The top raster row is stored last in the bitmap.
    EXPECT_EQ(dibBytes(ws)[DibHeaderSize + 4 * rowStride(7)], diagonal(0, 0));
    renderView(ws, nullptr, SourceKind::DepthMap, ViewKind::DepthOriginal);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 7; ++x) EXPECT_EQ(shownAt(ws, x, y), 250 - x - 10 * y);
}

TEST_F(Views, PaddingBytesKeepTheirValues) {
    ws = workspaceWithPicture(5, 3);  // 15 bytes a row, stride 16
    fillRaster(ws.depthMap, 5, 3, diagonal);
    renderView(ws, nullptr, SourceKind::DepthMap, ViewKind::DepthOriginal);
    const std::vector<uint8_t> saved = dibBytes(ws);
    for (int32_t j = 0; j < 3; ++j) EXPECT_EQ(saved[DibHeaderSize + j * 16 + 15], 0xAB);
}

TEST_F(Views, QuantisedDepthShowsTheLevelValues) {
    ws = workspaceWithPicture(256, 1);
    fillRaster(ws.depthMap, 256, 1, [](int32_t x, int32_t) { return static_cast<uint8_t>(x); });
    renderView(ws, nullptr, SourceKind::DepthMap, ViewKind::DepthQuantised);
    const int expected32[][2] = {{0, 0},     {30, 0},    {31, 31},   {62, 31},   {63, 63},   {94, 63},
                                 {95, 95},   {126, 95},  {127, 127}, {158, 127}, {159, 159}, {190, 159},
                                 {191, 191}, {222, 191}, {223, 223}, {254, 223}, {255, 255}};
    for (const auto& pair : expected32) EXPECT_EQ(shownAt(ws, pair[0], 0), pair[1]) << pair[0];

    ws.preferences.depthStep = 128;
    renderView(ws, nullptr, SourceKind::DepthMap, ViewKind::DepthQuantised);
    EXPECT_EQ(shownAt(ws, 0, 0), 0);
    EXPECT_EQ(shownAt(ws, 126, 0), 0);
    EXPECT_EQ(shownAt(ws, 127, 0), 127);
    EXPECT_EQ(shownAt(ws, 254, 0), 127);
    EXPECT_EQ(shownAt(ws, 255, 0), 255);

    ws.preferences.depthStep = 1;
    renderView(ws, nullptr, SourceKind::DepthMap, ViewKind::DepthQuantised);
    for (int32_t v = 0; v < 256; ++v) ASSERT_EQ(shownAt(ws, v, 0), v);
}

TEST_F(Views, PatternViewsFillTheWholePicture) {
    ws = workspaceWithPicture(640, 4);
    ws.patternWidth = 128;
    fillRaster(ws.pattern, 128, 4, diagonal);
    renderView(ws, nullptr, SourceKind::Pattern, ViewKind::PatternStrip);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 640; ++x) ASSERT_EQ(shownAt(ws, x, y), x < 128 ? diagonal(x, y) : 0);
    renderView(ws, nullptr, SourceKind::Pattern, ViewKind::PatternTiled);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 640; ++x) ASSERT_EQ(shownAt(ws, x, y), diagonal(x % 128, y));
}

TEST_F(Views, PatternWiderThanThePictureIsCutAtTheRightEdge) {
    ws = workspaceWithPicture(10, 2);
    ws.patternWidth = 13;
    fillRaster(ws.pattern, 13, 2, diagonal);
    renderView(ws, nullptr, SourceKind::Pattern, ViewKind::PatternStrip);
    for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(shownAt(ws, x, 1), diagonal(x, 1));
    renderView(ws, nullptr, SourceKind::Pattern, ViewKind::PatternTiled);
    for (int32_t x = 0; x < 10; ++x) EXPECT_EQ(shownAt(ws, x, 1), diagonal(x, 1));
    EXPECT_EQ(shownAt(ws, 0, 0), diagonal(0, 0));
}

TEST_F(Views, AbsentSourceShowsTheMessageAndChangesNothing) {
    ws = workspaceWithPicture(8, 2);
    fillRaster(ws.stereogram, 8, 2, diagonal);
    const std::vector<uint8_t> before = dibBytes(ws);
    renderView(ws, nullptr, SourceKind::DepthMap, ViewKind::DepthQuantised);
    renderView(ws, nullptr, SourceKind::DepthMap, ViewKind::DepthOriginal);
    renderView(ws, nullptr, SourceKind::Pattern, ViewKind::PatternTiled);
    EXPECT_EQ(recordedMessages(), (std::vector<std::string>(3, "Sorki, ale nie ma co wyświetlać")));
    EXPECT_EQ(recordedCaptions(), (std::vector<std::string>(3, "UWAGA")));
    EXPECT_EQ(countRecorded(UiCallKind::Present), 0);
    EXPECT_EQ(dibBytes(ws), before);
}

TEST_F(Views, PatternLeftFromAnotherHeightIsRefusedNotReadPastItsEnd) {
    ws = workspaceWithPicture(16, 6);
    ws.patternWidth = 4;
    fillRaster(ws.pattern, 4, 3, diagonal);
    const std::vector<uint8_t> before = dibBytes(ws);
    renderView(ws, nullptr, SourceKind::Pattern, ViewKind::PatternStrip);
    ASSERT_EQ(recordedMessages().size(), 1u);
    EXPECT_EQ(recordedMessages()[0], "Wysokość wzorca różni się od wysokości obrazka!\nMuszą się zgadzać.");
    EXPECT_EQ(recordedCaptions()[0], "");
    EXPECT_EQ(countRecorded(UiCallKind::Present), 0);
    EXPECT_EQ(dibBytes(ws), before);
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
        case ViewKind::Certainty: return ws.certainty.pixels[y * width + x];
        case ViewKind::PatternTiled: return ws.pattern.pixels[y * pw + x % pw];
        case ViewKind::Anaglyph: return -1;  // a colour view, not among these grey ones
        case ViewKind::PatternStrip: break;
    }
    return x < pw ? ws.pattern.pixels[y * pw + x] : 0;
}

// Every width from 1 to 40 and a few wide ones, so that rows end after
// every number of whole four-pixel groups and with every padding.
TEST_F(Views, WriteEveryPixelAndNotOneByteMore) {
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
        for (Picture* raster : {&ws.stereogram, &ws.depthMap, &ws.pattern}) {
            const std::vector<uint8_t> bytes =
                draw.bytes(static_cast<size_t>(raster->width) * raster->height, 256);
            std::memcpy(raster->pixels.get(), bytes.data(), bytes.size());
        }
        ws.preferences.depthStep = 1 << draw.below(8);
        const size_t stride = static_cast<size_t>(rowStride(width));
        putPictureOnShow(ws, width, height, 0x5A);
        const std::vector<uint8_t> header(ws.displayDib.frame.header, ws.displayDib.frame.header + DibHeaderSize);
        for (int v = 0; v < 6; ++v) {
            renderView(ws, nullptr, sources[v], views[v]);
            // The window's picture: every pixel, top row first, opaque.
            showChosenPicture(ws, nullptr);
            ASSERT_EQ(recordedUi.screenPicture.size(), static_cast<size_t>(width) * height);
            for (int32_t y = 0; y < height; ++y)
                for (int32_t x = 0; x < width; ++x)
                    ASSERT_EQ(recordedUi.screenPicture[static_cast<size_t>(y) * width + x],
                              0xFF000000u | 0x010101u * static_cast<uint32_t>(plainViewGrey(ws, views[v], x, y)))
                        << "width " << width << " view " << v << " at " << x << "," << y;
            // The picture a save writes: the grey picture of the view, in
            // one channel, and its rows as a BMP file holds them.
            const std::vector<uint8_t> saved = dibBytes(ws);
            ASSERT_EQ(ws.displayDib.picture.channels, 1);
            ASSERT_EQ(saved.size(), DibHeaderSize + stride * height);
            EXPECT_EQ(std::vector<uint8_t>(saved.begin(), saved.begin() + DibHeaderSize), header);
            const uint8_t* rows = saved.data() + DibHeaderSize;
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
        }
    }
}

}  // namespace
