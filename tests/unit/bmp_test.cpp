#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#if defined(__unix__)
#include <csignal>
#include <sys/resource.h>
#endif

#include "operations/operations.h"
#include "bmp_samples.h"
#include "recording_platform.h"
#include "views/views.h"
#include "workspace_fixture.h"
#include "written_files.h"

namespace {

namespace fs = std::filesystem;

const char* const CorruptText = "Uszkodzony lub nieobsługiwany plik BMP!";
const char* const Not24BitText = "Niestety możemy pobawić się tylko obrazkami w 24 bitowym kolorze";
const char* const PatternHeightText = "Wysokość wzorca różni się od wysokości obrazka!\nMuszą się zgadzać.";

SamplePixel colourful(int32_t x, int32_t y) {
    return SamplePixel{static_cast<uint8_t>(x * 7 + y * 3), static_cast<uint8_t>(x * 5 + y * 11 + 1),
                       static_cast<uint8_t>(255 - x - 2 * y)};
}

SamplePixel darker(int32_t x, int32_t y) {
    return SamplePixel{static_cast<uint8_t>(x + y), static_cast<uint8_t>(2 * x), static_cast<uint8_t>(3 * y)};
}

using writtenFiles::tempFile;

// The picture on show's bytes, the view chosen last written in as a save
// writes it.
std::vector<uint8_t> shownDibBytes(Workspace& ws) {
    return dibBytes(ws);
}

// The grey picture on show, top row first; -1 where the colours of a pixel
// differ.
std::vector<int> shownPicture(Workspace& ws) {
    std::vector<int> shown;
    for (int32_t y = 0; y < ws.imageHeight; ++y)
        for (int32_t x = 0; x < ws.imageWidth; ++x) shown.push_back(shownGrey(ws, x, y));
    return shown;
}

std::vector<int> asInts(const std::vector<uint8_t>& bytes) {
    return std::vector<int>(bytes.begin(), bytes.end());
}

// Everything a refused load must leave as it was.
struct WorkspaceSnapshot {
    int32_t imageWidth, imageHeight, patternWidth;
    std::vector<int64_t> preferences;
    const void* depthMap;
    const void* pattern;
    const void* stereogram;
    const void* displayDib;
    std::vector<uint8_t> depthBytes, patternBytes, stereogramBytes, displayBytes;
};

WorkspaceSnapshot snapshot(Workspace& ws) {
    settleShownView(ws);
    const Preferences& p = ws.preferences;
    return WorkspaceSnapshot{ws.imageWidth,
                             ws.imageHeight,
                             ws.patternWidth,
                             {p.depthBits, p.depthStep, p.repeatCount, p.minMatch, p.searchRange, p.wallEyed,
                              p.randomFill, static_cast<int64_t>(p.unresolvedPolicy)},
                             ws.depthMap.pixels.get(),
                             ws.pattern.pixels.get(),
                             ws.stereogram.pixels.get(),
                             ws.displayDib.picture.pixels.get(),
                             rasterBytes(ws.depthMap),
                             rasterBytes(ws.pattern),
                             rasterBytes(ws.stereogram),
                             shownDibBytes(ws)};
}

void expectUnchanged(const WorkspaceSnapshot& before, Workspace& ws) {
    const WorkspaceSnapshot after = snapshot(ws);
    EXPECT_EQ(after.imageWidth, before.imageWidth);
    EXPECT_EQ(after.imageHeight, before.imageHeight);
    EXPECT_EQ(after.patternWidth, before.patternWidth);
    EXPECT_EQ(after.preferences, before.preferences);
    EXPECT_EQ(after.depthMap, before.depthMap);
    EXPECT_EQ(after.pattern, before.pattern);
    EXPECT_EQ(after.stereogram, before.stereogram);
    EXPECT_EQ(after.displayDib, before.displayDib);
    EXPECT_EQ(after.depthBytes, before.depthBytes);
    EXPECT_EQ(after.patternBytes, before.patternBytes);
    EXPECT_EQ(after.stereogramBytes, before.stereogramBytes);
    EXPECT_EQ(after.displayBytes, before.displayBytes);
}

class Bmp : public WorkspaceTest {
protected:

    int32_t loadFile(const std::vector<uint8_t>& bytes, SourceKind kind, const std::string& name = "in.bmp") {
        const fs::path path = tempFile(name);
        writeSampleFile(path, bytes);
        return loadBmp(ws, path, nullptr, kind);
    }

    // A 5 x 2 depth map on show, a 4-wide pattern and a stereogram beside
    // it, so a load that changes anything shows.
    void loadEverything() {
        ASSERT_EQ(loadFile(makeBmp(5, 2, darker), SourceKind::DepthMap, "depth.bmp"), 1);
        ASSERT_EQ(loadFile(makeBmp(4, 2, colourful), SourceKind::Pattern, "pattern.bmp"), 1);
        ASSERT_TRUE(replaceGreyImage(ws.stereogram, 5, 2));
        for (int i = 0; i < 10; ++i) ws.stereogram.pixels[i] = static_cast<uint8_t>(100 + i);
        ws.preferences.repeatCount = 7;
        resetRecordedUi();
    }

};

TEST_F(Bmp, TwoByTwoFileStoresItsFirstRowAtTheBottom) {
    const std::vector<uint8_t> file = {
        'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,                        // file header
        40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0,         // info header
        16, 0, 0, 0, 0x13, 0x0B, 0, 0, 0x13, 0x0B, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
        10, 20, 30, 255, 255, 254, 0, 0,                                        // bottom row
        255, 255, 255, 3, 3, 3, 0, 0};                                          // top row
    ASSERT_EQ(file.size(), 70u);
    EXPECT_EQ(loadFile(file, SourceKind::DepthMap), 1);
    EXPECT_EQ(ws.imageWidth, 2);
    EXPECT_EQ(ws.imageHeight, 2);
    EXPECT_EQ(asInts(rasterBytes(ws.depthMap)), (std::vector<int>{255, 3, 20, 254}));

    // The file's bytes after its header are the picture on show, rows
    // rewritten in grey by the depth view.
    const std::vector<uint8_t> shown = shownDibBytes(ws);
    ASSERT_EQ(shown.size(), 56u);
    EXPECT_TRUE(std::equal(file.begin() + 14, file.begin() + 54, shown.begin()));
    EXPECT_EQ(std::vector<uint8_t>(shown.begin() + 40, shown.end()),
              (std::vector<uint8_t>{20, 20, 20, 254, 254, 254, 0, 0, 255, 255, 255, 3, 3, 3, 0, 0}));
    EXPECT_EQ(countRecorded(UiCallKind::Present), 1);
    EXPECT_TRUE(recordedMessages().empty());
    // The sample builder makes the same bytes.
    EXPECT_EQ(makeBmp(2, 2,
                      [](int32_t x, int32_t y) {
                          const SamplePixel rows[2][2] = {{{255, 255, 255}, {3, 3, 3}}, {{10, 20, 30}, {255, 255, 254}}};
                          return rows[y][x];
                      }),
              file);
}

TEST_F(Bmp, GreyIsTheAverageOfTheThreeColoursRoundedDown) {
    const SamplePixel pixels[] = {{0, 0, 2}, {1, 1, 0}, {255, 255, 255}, {3, 3, 3}, {255, 255, 254}, {0, 1, 1}};
    EXPECT_EQ(loadFile(makeBmp(6, 1, [&](int32_t x, int32_t) { return pixels[x]; }), SourceKind::Stereogram), 1);
    EXPECT_EQ(asInts(rasterBytes(ws.stereogram)), (std::vector<int>{0, 0, 255, 3, 254, 0}));
}

TEST_F(Bmp, OddWidthSkipsThePaddingAndSavesItBack) {
    SampleShape shape;
    shape.width = 641;
    shape.height = 3;
    shape.paddingValue = 0x77;
    ASSERT_EQ(loadFile(makeBmp(shape, colourful), SourceKind::DepthMap), 1);
    EXPECT_EQ(ws.imageWidth, 641);
    EXPECT_EQ(ws.imageHeight, 3);
    EXPECT_EQ(rasterBytes(ws.depthMap), sampleGreyRaster(641, 3, colourful));
    ASSERT_EQ(dibBytes(ws).size(), 40u + 3 * 1924);

    const fs::path saved = tempFile("out.bmp");
    EXPECT_EQ(saveDisplayedPicture(ws, saved, nullptr), 1);
    const std::vector<uint8_t> file = readSampleFile(saved);
    ASSERT_EQ(file.size(), 5826u);
    EXPECT_EQ(getLe32(file, 2), 5826u);
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 14, file.end()), dibBytes(ws));
    for (size_t row = 0; row < 3; ++row) EXPECT_EQ(file[54 + row * 1924 + 1923], 0x77) << row;
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(Bmp, FullSizePictureSavesItsHeaderAndRows) {
    const std::vector<uint8_t> original = makeBmp(640, 480, colourful);
    ASSERT_EQ(loadFile(original, SourceKind::DepthMap), 1);
    const fs::path saved = tempFile("out.bmp");
    EXPECT_EQ(saveDisplayedPicture(ws, saved, nullptr), 1);

    const std::vector<uint8_t> file = readSampleFile(saved);
    ASSERT_EQ(file.size(), 921654u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(getLe32(file, 2), 921654u);
    EXPECT_EQ(getLe32(file, 6), 0u);
    EXPECT_EQ(getLe32(file, 10), 54u);
    EXPECT_TRUE(std::equal(original.begin() + 14, original.begin() + 54, file.begin() + 14));
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 14, file.end()), dibBytes(ws));
    // The bottom left pixel comes first, in grey.
    const uint8_t grey = sampleGrey(colourful(0, 479));
    EXPECT_EQ(std::vector<uint8_t>(file.begin() + 54, file.begin() + 57), (std::vector<uint8_t>{grey, grey, grey}));
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(Bmp, SavedPictureLoadsBackAsWhatWasOnShow) {
    ASSERT_EQ(loadFile(makeBmp(37, 5, colourful), SourceKind::DepthMap), 1);
    // The quantised view puts other values on show than the depth map holds.
    renderView(ws, nullptr, SourceKind::DepthMap, ViewKind::DepthQuantised);
    const std::vector<int> onShow = shownPicture(ws);
    ASSERT_NE(onShow, asInts(rasterBytes(ws.depthMap)));
    const fs::path saved = tempFile("out.bmp");
    ASSERT_EQ(saveDisplayedPicture(ws, saved, nullptr), 1);

    EXPECT_EQ(loadBmp(ws, saved, nullptr, SourceKind::Stereogram), 1);
    EXPECT_EQ(asInts(rasterBytes(ws.stereogram)), onShow);
    EXPECT_EQ(loadBmp(ws, saved, nullptr, SourceKind::DepthMap), 1);
    EXPECT_EQ(asInts(rasterBytes(ws.depthMap)), onShow);
    EXPECT_EQ(loadBmp(ws, saved, nullptr, SourceKind::Pattern), 1);
    EXPECT_EQ(asInts(rasterBytes(ws.pattern)), onShow);
    EXPECT_EQ(ws.patternWidth, 37);
    EXPECT_EQ(ws.preferences.repeatCount, 1);
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(Bmp, FortyByteHeaderRowsStartAtOffset54WhateverBfOffBitsSays) {
    const std::vector<uint8_t> plain = makeBmp(5, 3, colourful);
    for (uint32_t offBits : {0u, 1u, 60u, 1000u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(offBits);
        std::vector<uint8_t> file = plain;
        putLe32(file, 10, offBits);
        EXPECT_EQ(loadFile(file, SourceKind::DepthMap), 1);
        EXPECT_EQ(rasterBytes(ws.depthMap), sampleGreyRaster(5, 3, colourful));
        EXPECT_EQ(loadBmpBytes(ws, file.data(), file.size(), nullptr, SourceKind::Stereogram), 1);
        EXPECT_EQ(rasterBytes(ws.stereogram), sampleGreyRaster(5, 3, colourful));
    }
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(Bmp, TrailingBytesAfterBfSizeAreIgnored) {
    std::vector<uint8_t> file = makeBmp(5, 3, colourful);
    file.insert(file.end(), 9, 0xEE);
    EXPECT_EQ(loadFile(file, SourceKind::DepthMap), 1);
    EXPECT_EQ(rasterBytes(ws.depthMap), sampleGreyRaster(5, 3, colourful));
    EXPECT_EQ(dibBytes(ws).size(), 40u + 3 * 16);
}

// Newer info headers and top-down files are read into the same picture
// on show as the plain bottom-up file with a 40-byte header.
struct AcceptedVariant {
    const char* name;
    uint32_t infoSize;
    bool topDown;
    uint32_t gap;
};

void PrintTo(const AcceptedVariant& variant, std::ostream* out) { *out << variant.name; }

class BmpVariant : public Bmp, public ::testing::WithParamInterface<AcceptedVariant> {};

TEST_P(BmpVariant, LoadsAsThePlainFileWould) {
    SampleShape shape;
    shape.width = 5;
    shape.height = 3;
    shape.paddingValue = 0x33;
    Workspace plain = freshWorkspace();
    const std::vector<uint8_t> plainFile = makeBmp(shape, colourful);
    ASSERT_EQ(loadBmpBytes(plain, plainFile.data(), plainFile.size(), nullptr, SourceKind::DepthMap), 1);

    shape.infoSize = GetParam().infoSize;
    shape.topDown = GetParam().topDown;
    shape.gapBeforeRows = GetParam().gap;
    const std::vector<uint8_t> file = makeBmp(shape, colourful);
    EXPECT_EQ(loadFile(file, SourceKind::DepthMap), 1);
    EXPECT_EQ(ws.imageWidth, 5);
    EXPECT_EQ(ws.imageHeight, 3);
    EXPECT_EQ(rasterBytes(ws.depthMap), sampleGreyRaster(5, 3, colourful));
    const std::vector<uint8_t> shown = shownDibBytes(ws);
    EXPECT_EQ(getLe32(shown, 0), 40u);
    EXPECT_EQ(getLe32(shown, 4), 5u);
    EXPECT_EQ(getLe32(shown, 8), 3u);
    EXPECT_EQ(shown, shownDibBytes(plain));

    EXPECT_EQ(loadFile(file, SourceKind::Pattern, "pattern.bmp"), 1);
    EXPECT_EQ(rasterBytes(ws.pattern), sampleGreyRaster(5, 3, colourful));
    EXPECT_EQ(loadBmpBytes(ws, file.data(), file.size(), nullptr, SourceKind::Stereogram), 1);
    EXPECT_EQ(rasterBytes(ws.stereogram), sampleGreyRaster(5, 3, colourful));
    EXPECT_EQ(shownDibBytes(ws), shownDibBytes(plain));
    EXPECT_TRUE(recordedMessages().empty());
    releaseAll(plain);
}

INSTANTIATE_TEST_SUITE_P(Headers, BmpVariant,
                         ::testing::Values(AcceptedVariant{"V4", 108, false, 0}, AcceptedVariant{"V5", 124, false, 0},
                                           AcceptedVariant{"V5WithProfileGap", 124, false, 7},
                                           AcceptedVariant{"TopDown", 40, true, 0},
                                           AcceptedVariant{"TopDownV4WithGap", 108, true, 3}),
                         NamedAfterTheParameter());

// One byte-patched copy of a valid 3 x 2 file per row, and what the user
// must be told about it (nothing, when message is null).
struct Refusal {
    const char* name;
    SourceKind kind;
    void (*patch)(std::vector<uint8_t>& file);
    const char* message;
    const char* caption;
};

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.name; }

class BmpRefusal : public Bmp, public ::testing::WithParamInterface<Refusal> {};

TEST_P(BmpRefusal, ChangesNothingAndAllocatesNothing) {
    loadEverything();
    std::vector<uint8_t> file = makeBmp(3, 2, colourful);
    GetParam().patch(file);
    const WorkspaceSnapshot before = snapshot(ws);
    const fs::path path = tempFile("refused.bmp");
    writeSampleFile(path, file);

    // No buffer may be allocated before the checks are passed: one would
    // show as "Brak pamięci!".
    failAllocationsAfter(0);
    EXPECT_EQ(loadBmp(ws, path, nullptr, GetParam().kind), 0);
    EXPECT_EQ(loadBmpBytes(ws, file.data(), file.size(), nullptr, GetParam().kind), 0);
    failAllocationsAfter(-1);

    if (GetParam().message == nullptr) {
        EXPECT_TRUE(recordedUi.calls.empty());
    } else {
        EXPECT_EQ(recordedMessages(), (std::vector<std::string>{GetParam().message, GetParam().message}));
        EXPECT_EQ(recordedCaptions(), (std::vector<std::string>{GetParam().caption, GetParam().caption}));
        EXPECT_EQ(recordedUi.calls.size(), 2u);
    }
    expectUnchanged(before, ws);
}

void setBitCount(std::vector<uint8_t>& file, uint32_t bits) { putLe16(file, 28, bits); }
void setWidth(std::vector<uint8_t>& file, uint32_t width) { putLe32(file, 18, width); }
void setHeight(std::vector<uint8_t>& file, uint32_t height) { putLe32(file, 22, height); }

std::vector<uint8_t> newerHeaderFile(uint32_t infoSize) {
    SampleShape shape;
    shape.infoSize = infoSize;
    return makeBmp(shape, colourful);
}

const Refusal refusals[] = {
    {"EightBit", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { setBitCount(f, 8); }, Not24BitText, "Uwaga!"},
    {"SixteenBit", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { setBitCount(f, 16); }, Not24BitText, "Uwaga!"},
    {"ThirtyTwoBit", SourceKind::Stereogram, [](std::vector<uint8_t>& f) { setBitCount(f, 32); }, Not24BitText,
     "Uwaga!"},
    {"ColourTable", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { putLe32(f, 46, 256); }, Not24BitText, "Uwaga!"},
    {"Compressed", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { putLe32(f, 30, 1); }, Not24BitText, "Uwaga!"},
    {"CoreHeader", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { putLe32(f, 14, 12); }, Not24BitText, "Uwaga!"},
    {"UnknownHeaderSize", SourceKind::Stereogram, [](std::vector<uint8_t>& f) { putLe32(f, 14, 56); }, Not24BitText,
     "Uwaga!"},
    {"PatternEightBit", SourceKind::Pattern, [](std::vector<uint8_t>& f) { setBitCount(f, 8); }, Not24BitText,
     "Uwaga!"},
    {"PatternTaller", SourceKind::Pattern, [](std::vector<uint8_t>& f) { setHeight(f, 3); }, PatternHeightText, ""},
    {"PatternTallerAndEightBit", SourceKind::Pattern,
     [](std::vector<uint8_t>& f) {
         setHeight(f, 3);
         setBitCount(f, 8);
     },
     PatternHeightText, ""},
    {"PatternTopDownTaller", SourceKind::Pattern, [](std::vector<uint8_t>& f) { setHeight(f, static_cast<uint32_t>(-3)); },
     PatternHeightText, ""},
    {"NotBM", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { f[1] = 'A'; }, nullptr, nullptr},
    {"PatternNotBM", SourceKind::Pattern, [](std::vector<uint8_t>& f) { f[0] = 'b'; }, nullptr, nullptr},
    {"Empty", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { f.clear(); }, nullptr, nullptr},
    {"ThirteenBytes", SourceKind::Stereogram, [](std::vector<uint8_t>& f) { f.resize(13); }, nullptr, nullptr},
    {"FileHeaderOnly", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { f.resize(14); }, CorruptText, "Błąd"},
    {"InfoHeaderCut", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { f.resize(40); }, CorruptText, "Błąd"},
    {"LastByteMissing", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { f.pop_back(); }, CorruptText, "Błąd"},
    {"SizeBelow54", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { putLe32(f, 2, 53); }, CorruptText, "Błąd"},
    {"SizeForgedHuge", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { putLe32(f, 2, 0xFFFFFFFFu); }, CorruptText,
     "Błąd"},
    {"BlockWithoutLastRowByte", SourceKind::DepthMap,
     [](std::vector<uint8_t>& f) {
         f.pop_back();
         putLe32(f, 2, static_cast<uint32_t>(f.size()));
     },
     CorruptText, "Błąd"},
    {"TallerThanTheBlock", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { setHeight(f, 3); }, CorruptText, "Błąd"},
    {"WiderThanTheBlock", SourceKind::Stereogram, [](std::vector<uint8_t>& f) { setWidth(f, 5); }, CorruptText, "Błąd"},
    {"WidthZero", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { setWidth(f, 0); }, CorruptText, "Błąd"},
    {"PatternWidthZero", SourceKind::Pattern, [](std::vector<uint8_t>& f) { setWidth(f, 0); }, CorruptText, "Błąd"},
    {"HeightZero", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { setHeight(f, 0); }, CorruptText, "Błąd"},
    {"WidthNegative", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { setWidth(f, static_cast<uint32_t>(-3)); },
     CorruptText, "Błąd"},
    {"WidthHuge", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { setWidth(f, 0x7FFFFFFF); }, CorruptText, "Błąd"},
    {"HeightHuge", SourceKind::DepthMap, [](std::vector<uint8_t>& f) { setHeight(f, 0x7FFFFFFF); }, CorruptText,
     "Błąd"},
    {"HeightMostNegative", SourceKind::Stereogram, [](std::vector<uint8_t>& f) { setHeight(f, 0x80000000u); },
     CorruptText, "Błąd"},
    {"SizesOverflowing32Bits", SourceKind::DepthMap,
     [](std::vector<uint8_t>& f) {
         // 3 x width rounds up to 2^32 + 4: a stride of 4 bytes in 32 bits.
         setWidth(f, 0x55555556);
         setHeight(f, 1);
     },
     CorruptText, "Błąd"},
    {"V4RowsInsideTheHeader", SourceKind::DepthMap,
     [](std::vector<uint8_t>& f) {
         f = newerHeaderFile(108);
         putLe32(f, 10, 54);
     },
     CorruptText, "Błąd"},
    {"V5RowsPastTheEnd", SourceKind::DepthMap,
     [](std::vector<uint8_t>& f) {
         f = newerHeaderFile(124);
         putLe32(f, 10, 100000);
     },
     CorruptText, "Błąd"},
    {"V5RowsCut", SourceKind::Stereogram,
     [](std::vector<uint8_t>& f) {
         f = newerHeaderFile(124);
         f.pop_back();
         putLe32(f, 2, static_cast<uint32_t>(f.size()));
     },
     CorruptText, "Błąd"},
};

INSTANTIATE_TEST_SUITE_P(Files, BmpRefusal, ::testing::ValuesIn(refusals),
                         NamedAfterTheParameter());

TEST_F(Bmp, PatternWithoutDepthMapIsNotEvenOpened) {
    const WorkspaceSnapshot before = snapshot(ws);
    EXPECT_EQ(loadBmp(ws, tempFile("missing.bmp"), nullptr, SourceKind::Pattern), 0);
    const std::vector<uint8_t> file = makeBmp(4, 480, colourful);
    EXPECT_EQ(loadBmpBytes(ws, file.data(), file.size(), nullptr, SourceKind::Pattern), 0);
    EXPECT_EQ(recordedMessages(), (std::vector<std::string>{"Najpierw załaduj mapę głębokości!",
                                                             "Najpierw załaduj mapę głębokości!"}));
    EXPECT_EQ(recordedCaptions(), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(recordedUi.calls.size(), 2u);
    expectUnchanged(before, ws);
}

TEST_F(Bmp, FileThatCannotBeOpenedIsIgnoredSilently) {
    loadEverything();
    const WorkspaceSnapshot before = snapshot(ws);
    const fs::path folder = tempFile("folder");
    fs::create_directories(folder);
    for (SourceKind kind : {SourceKind::DepthMap, SourceKind::Stereogram, SourceKind::Pattern}) {
        EXPECT_EQ(loadBmp(ws, tempFile("missing.bmp"), nullptr, kind), 0);
        EXPECT_EQ(loadBmp(ws, folder, nullptr, kind), 0);
    }
    EXPECT_TRUE(recordedUi.calls.empty());
    expectUnchanged(before, ws);
}

TEST_F(Bmp, StereogramLoadReleasesTheDepthMapAndKeepsThePattern) {
    ASSERT_EQ(loadFile(makeBmp(20, 4, darker), SourceKind::DepthMap, "depth.bmp"), 1);
    ASSERT_EQ(loadFile(makeBmp(5, 4, colourful), SourceKind::Pattern, "pattern.bmp"), 1);
    const uint8_t* pattern = ws.pattern.pixels.get();
    resetRecordedUi();

    EXPECT_EQ(loadFile(makeBmp(30, 6, colourful), SourceKind::Stereogram), 1);
    EXPECT_EQ(ws.depthMap.pixels.get(), nullptr);
    EXPECT_EQ(rasterBytes(ws.stereogram), sampleGreyRaster(30, 6, colourful));
    EXPECT_EQ(ws.imageWidth, 30);
    EXPECT_EQ(ws.imageHeight, 6);
    EXPECT_EQ(ws.pattern.pixels.get(), pattern);
    EXPECT_EQ(ws.patternWidth, 5);
    EXPECT_EQ(ws.preferences.repeatCount, 4);
    EXPECT_EQ(dibHeaderField(ws, 4), 30);
    EXPECT_EQ(shownPicture(ws), asInts(sampleGreyRaster(30, 6, colourful)));
    ASSERT_EQ(countRecorded(UiCallKind::Present), 1);
    EXPECT_EQ(recordedCalls(UiCallKind::Present)[0].width, 30);
    EXPECT_EQ(countRecorded(UiCallKind::FitWindow), 0);
}

TEST_F(Bmp, DepthMapLoadReleasesTheStereogram) {
    ASSERT_EQ(loadFile(makeBmp(30, 6, colourful), SourceKind::Stereogram, "stereogram.bmp"), 1);
    EXPECT_EQ(loadFile(makeBmp(7, 3, darker), SourceKind::DepthMap), 1);
    EXPECT_EQ(ws.stereogram.pixels.get(), nullptr);
    EXPECT_EQ(rasterBytes(ws.depthMap), sampleGreyRaster(7, 3, darker));
    EXPECT_EQ(ws.imageWidth, 7);
    EXPECT_EQ(ws.imageHeight, 3);
    EXPECT_EQ(ws.patternWidth, 0);
    EXPECT_EQ(shownPicture(ws), asInts(sampleGreyRaster(7, 3, darker)));
}

TEST_F(Bmp, PatternLoadKeepsThePictureHeaderAndShowsTheStrip) {
    ASSERT_EQ(loadFile(makeBmp(640, 8, darker), SourceKind::DepthMap, "depth.bmp"), 1);
    const uint8_t* depth = ws.depthMap.pixels.get();
    const std::vector<uint8_t> header(ws.displayDib.frame.header, ws.displayDib.frame.header + 40);
    resetRecordedUi();

    EXPECT_EQ(loadFile(makeBmp(128, 8, colourful), SourceKind::Pattern), 1);
    EXPECT_EQ(ws.patternWidth, 128);
    EXPECT_EQ(ws.preferences.repeatCount, 5);
    EXPECT_EQ(ws.imageWidth, 640);
    EXPECT_EQ(ws.imageHeight, 8);
    EXPECT_EQ(ws.depthMap.pixels.get(), depth);
    EXPECT_EQ(rasterBytes(ws.pattern), sampleGreyRaster(128, 8, colourful));
    EXPECT_EQ(std::vector<uint8_t>(ws.displayDib.frame.header, ws.displayDib.frame.header + 40), header);

    const std::vector<int> shown = shownPicture(ws);
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 640; ++x)
            ASSERT_EQ(shown[y * 640 + x], x < 128 ? sampleGrey(colourful(x, y)) : 0) << x << "," << y;
    EXPECT_EQ(countRecorded(UiCallKind::Present), 1);
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(Bmp, RepeatCountIsTheNumberOfWholeStrips) {
    ASSERT_EQ(loadFile(makeBmp(640, 2, darker), SourceKind::DepthMap, "depth.bmp"), 1);
    const std::pair<int32_t, int32_t> widthsAndCounts[] = {{110, 5}, {100, 6}, {640, 1}, {700, 0}};
    for (const auto& [width, count] : widthsAndCounts) {
        EXPECT_EQ(loadFile(makeBmp(width, 2, colourful), SourceKind::Pattern), 1) << width;
        EXPECT_EQ(ws.patternWidth, width);
        EXPECT_EQ(ws.preferences.repeatCount, count) << width;
    }
}

TEST_F(Bmp, BlockThatCannotBeAllocatedEndsTheProgram) {
    loadEverything();
    const WorkspaceSnapshot before = snapshot(ws);
    const std::vector<uint8_t> file = makeBmp(3, 2, colourful);
    failAllocationsAfter(0);
    EXPECT_EQ(loadFile(file, SourceKind::DepthMap), 0);
    EXPECT_EQ(loadFile(file, SourceKind::Pattern), 0);
    failAllocationsAfter(-1);

    EXPECT_EQ(recordedMessages(), (std::vector<std::string>{"Brak pamięci!", "Brak pamięci!"}));
    EXPECT_EQ(recordedCaptions(), (std::vector<std::string>{"", ""}));
    const std::vector<UiCall> quits = recordedCalls(UiCallKind::Quit);
    ASSERT_EQ(quits.size(), 2u);
    EXPECT_EQ(quits[0].value, -1);
    EXPECT_EQ(recordedUi.calls[1].kind, UiCallKind::Quit);
    EXPECT_EQ(countRecorded(UiCallKind::Present), 0);
    expectUnchanged(before, ws);
}

TEST_F(Bmp, RasterThatCannotBeAllocatedLeavesTheSizesAndNoRasters) {
    loadEverything();
    const std::vector<uint8_t> header(ws.displayDib.frame.header, ws.displayDib.frame.header + 40);
    failAllocationsAfter(1);
    EXPECT_EQ(loadFile(makeBmp(3, 4, colourful), SourceKind::DepthMap), 0);
    failAllocationsAfter(-1);
    EXPECT_EQ(recordedMessages(), (std::vector<std::string>{"Brak pamięci!"}));
    EXPECT_EQ(recordedCaptions(), (std::vector<std::string>{""}));
    ASSERT_EQ(countRecorded(UiCallKind::Quit), 1);
    EXPECT_EQ(recordedCalls(UiCallKind::Quit)[0].value, -1);
    EXPECT_EQ(ws.imageWidth, 3);
    EXPECT_EQ(ws.imageHeight, 4);
    EXPECT_EQ(ws.depthMap.pixels.get(), nullptr);
    EXPECT_EQ(ws.stereogram.pixels.get(), nullptr);
    EXPECT_NE(ws.pattern.pixels.get(), nullptr);
    EXPECT_EQ(std::vector<uint8_t>(ws.displayDib.frame.header, ws.displayDib.frame.header + 40), header);

    // The old picture does not hold a 3 x 4 image: saving it would read
    // past its end, so it is refused.
    resetRecordedUi();
    const fs::path saved = tempFile("out.bmp");
    EXPECT_EQ(saveDisplayedPicture(ws, saved, nullptr), 0);
    EXPECT_EQ(recordedMessages(), (std::vector<std::string>{"Błąd zapisu pliku!"}));
    EXPECT_EQ(recordedCaptions(), (std::vector<std::string>{"Błąd"}));
    EXPECT_FALSE(fs::exists(saved));
}

TEST_F(Bmp, PatternRasterThatCannotBeAllocatedLeavesItsWidth) {
    loadEverything();
    // The picture on show is drawn, so that the next allocation is the
    // file's block.
    settleShownView(ws);
    failAllocationsAfter(1);
    EXPECT_EQ(loadFile(makeBmp(2, 2, colourful), SourceKind::Pattern), 0);
    failAllocationsAfter(-1);
    EXPECT_EQ(recordedMessages(), (std::vector<std::string>{"Brak pamięci!"}));
    EXPECT_EQ(countRecorded(UiCallKind::Quit), 1);
    EXPECT_EQ(ws.patternWidth, 2);
    EXPECT_EQ(ws.preferences.repeatCount, 2);
    EXPECT_EQ(ws.pattern.pixels.get(), nullptr);
    EXPECT_NE(ws.depthMap.pixels.get(), nullptr);

    // Bytes already in memory need no block: the pattern itself is the
    // first thing allocated.
    loadEverything();
    settleShownView(ws);
    const std::vector<uint8_t> file = makeBmp(3, 2, colourful);
    failAllocationsAfter(0);
    EXPECT_EQ(loadBmpBytes(ws, file.data(), file.size(), nullptr, SourceKind::Pattern), 0);
    failAllocationsAfter(-1);
    EXPECT_EQ(ws.patternWidth, 3);
    EXPECT_EQ(ws.preferences.repeatCount, 1);
    EXPECT_EQ(ws.pattern.pixels.get(), nullptr);
}

TEST_F(Bmp, NothingOnShowIsNotSaved) {
    const fs::path saved = tempFile("out.bmp");
    EXPECT_EQ(saveDisplayedPicture(ws, saved, nullptr), 0);
    EXPECT_EQ(recordedMessages(), (std::vector<std::string>{"Teee...... nie ma co nagrywać!"}));
    EXPECT_EQ(recordedCaptions(), (std::vector<std::string>{""}));
    EXPECT_FALSE(fs::exists(saved));
}

TEST_F(Bmp, SavingReplacesAnExistingFile) {
    const fs::path saved = tempFile("out.bmp");
    writeSampleFile(saved, std::vector<uint8_t>(5000, 0xCD));
    ASSERT_EQ(loadFile(makeBmp(3, 2, colourful), SourceKind::DepthMap), 1);
    EXPECT_EQ(saveDisplayedPicture(ws, saved, nullptr), 1);
    EXPECT_EQ(readSampleFile(saved).size(), 54u + 2 * 12);
    EXPECT_TRUE(recordedMessages().empty());
}

class BmpSaveFailure : public Bmp {
protected:
    void expectWriteError(const fs::path& path) {
        resetRecordedUi();
        EXPECT_EQ(saveDisplayedPicture(ws, path, nullptr), 0);
        EXPECT_EQ(recordedMessages(), (std::vector<std::string>{"Błąd zapisu pliku!"}));
        EXPECT_EQ(recordedCaptions(), (std::vector<std::string>{"Błąd"}));
    }
};

TEST_F(BmpSaveFailure, FolderThatDoesNotExist) {
    ASSERT_EQ(loadFile(makeBmp(3, 2, colourful), SourceKind::DepthMap), 1);
    const fs::path saved = tempFile("no_such_folder") / "out.bmp";
    expectWriteError(saved);
    EXPECT_FALSE(fs::exists(saved));
}

TEST_F(BmpSaveFailure, FullDevice) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    ASSERT_EQ(loadFile(makeBmp(640, 480, colourful), SourceKind::DepthMap), 1);
    expectWriteError("/dev/full");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
    // Even a picture smaller than the stream's buffer fails when it is flushed.
    ASSERT_EQ(loadFile(makeBmp(2, 1, colourful), SourceKind::DepthMap), 1);
    expectWriteError("/dev/full");
    EXPECT_TRUE(fs::is_character_file("/dev/full"));
}

#if defined(__unix__)
TEST_F(BmpSaveFailure, PartialFileIsRemoved) {
    ASSERT_EQ(loadFile(makeBmp(640, 480, colourful), SourceKind::DepthMap), 1);
    const fs::path saved = tempFile("out.bmp");
    // A file size limit makes the disk "full" after 4096 bytes.
    rlimit original{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &original), 0);
    rlimit limited = original;
    limited.rlim_cur = 4096;
    void (*previousHandler)(int) = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    expectWriteError(saved);
    setrlimit(RLIMIT_FSIZE, &original);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_FALSE(fs::exists(saved));
}
#endif

// ImageMagick as an independent reader and writer of BMP files.
class BmpImageMagick : public Bmp {
protected:
    void SetUp() override {
        Bmp::SetUp();
        if (std::system("convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick's convert not found";
    }
    static bool convert(const std::string& arguments) {
        return std::system(("convert " + arguments + " 2>&1").c_str()) == 0;
    }
    static std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }
};

TEST_F(BmpImageMagick, ItsFilesLoadWithTheGreyOfTheirPixels) {
    // A binary PPM holds red, green, blue for each pixel, top row first.
    const fs::path source = tempFile("source.ppm");
    std::string ppm = "P6\n37 5\n255\n";
    for (int32_t y = 0; y < 5; ++y) {
        for (int32_t x = 0; x < 37; ++x) {
            const SamplePixel pixel = colourful(x, y);
            ppm += static_cast<char>(pixel.red);
            ppm += static_cast<char>(pixel.green);
            ppm += static_cast<char>(pixel.blue);
        }
    }
    writeSampleFile(source, std::vector<uint8_t>(ppm.begin(), ppm.end()));

    const fs::path bmp3 = tempFile("bmp3.bmp");
    const fs::path newest = tempFile("newest.bmp");
    ASSERT_TRUE(convert(quoted(source) + " BMP3:" + quoted(bmp3)));
    ASSERT_TRUE(convert(quoted(source) + " -type TrueColor " + quoted(newest)));
    const std::vector<uint8_t> bmp3Bytes = readSampleFile(bmp3);
    const std::vector<uint8_t> newestBytes = readSampleFile(newest);
    ASSERT_GE(bmp3Bytes.size(), 54u);
    ASSERT_GE(newestBytes.size(), 54u);
    EXPECT_EQ(getLe32(bmp3Bytes, 14), 40u);
    EXPECT_EQ(getLe32(newestBytes, 14), 124u);
    EXPECT_EQ(newestBytes[28], 24);

    EXPECT_EQ(loadBmp(ws, bmp3, nullptr, SourceKind::DepthMap), 1);
    EXPECT_EQ(rasterBytes(ws.depthMap), sampleGreyRaster(37, 5, colourful));
    EXPECT_EQ(loadBmp(ws, newest, nullptr, SourceKind::Stereogram), 1);
    EXPECT_EQ(rasterBytes(ws.stereogram), sampleGreyRaster(37, 5, colourful));
    EXPECT_EQ(getLe32(shownDibBytes(ws), 0), 40u);
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(BmpImageMagick, ItsGreyFilesLoadAndItsPaletteFilesAreRefused) {
    const fs::path source = tempFile("source.pgm");
    std::string pgm = "P5\n29 4\n255\n";
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 29; ++x) pgm += static_cast<char>(x * 9 + y * 17);
    writeSampleFile(source, std::vector<uint8_t>(pgm.begin(), pgm.end()));
    const fs::path grey = tempFile("grey.bmp");
    const fs::path palette = tempFile("palette.bmp");
    ASSERT_TRUE(convert(quoted(source) + " " + quoted(grey)));
    ASSERT_TRUE(convert(quoted(source) + " -type Palette BMP3:" + quoted(palette)));

    EXPECT_EQ(loadBmp(ws, grey, nullptr, SourceKind::DepthMap), 1);
    std::vector<uint8_t> expected(pgm.end() - 29 * 4, pgm.end());
    EXPECT_EQ(rasterBytes(ws.depthMap), expected);
    EXPECT_TRUE(recordedMessages().empty());

    const WorkspaceSnapshot before = snapshot(ws);
    EXPECT_EQ(loadBmp(ws, palette, nullptr, SourceKind::Stereogram), 0);
    EXPECT_EQ(recordedMessages(), (std::vector<std::string>{Not24BitText}));
    EXPECT_EQ(recordedCaptions(), (std::vector<std::string>{"Uwaga!"}));
    expectUnchanged(before, ws);
}

TEST_F(BmpImageMagick, ItReadsOurFilesWithTheSamePixels) {
    ASSERT_EQ(loadFile(makeBmp(37, 5, colourful), SourceKind::DepthMap), 1);
    const fs::path saved = tempFile("out.bmp");
    ASSERT_EQ(saveDisplayedPicture(ws, saved, nullptr), 1);
    const fs::path raw = tempFile("out.rgb");
    ASSERT_TRUE(convert(quoted(saved) + " -depth 8 rgb:" + quoted(raw)));

    std::vector<uint8_t> expected;
    for (uint8_t grey : sampleGreyRaster(37, 5, colourful)) expected.insert(expected.end(), 3, grey);
    EXPECT_EQ(readSampleFile(raw), expected);
}

}  // namespace
