// The colour preference in the window: a colour pattern kept or averaged,
// a tile repeated down the picture, the stereogram on the screen and in the
// saved file, and what Picture Info says.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bmp_samples.h"
#include "files/pictures.h"
#include "recording_platform.h"
#include "operations/operations.h"
#include "shell/commands.h"
#include "shell/preferences_form.h"
#include "workspace_fixture.h"

namespace {

namespace fs = std::filesystem;

fs::path testFolder() {
    const fs::path folder = fs::path(TAVRELIC_TEST_TMP) / "colour-window";
    fs::create_directories(folder);
    return folder;
}

SamplePixel tileColour(int32_t x, int32_t y) {
    return SamplePixel{static_cast<uint8_t>(x * 9 + y), static_cast<uint8_t>(200 - x * 3), static_cast<uint8_t>(y * 11)};
}

class ColourWindow : public WorkspaceTest {
protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        const fs::path depth = testFolder() / "depth.bmp";
        writeSampleFile(depth, makeGreyBmp(200, 60, [](int32_t x, int32_t) { return static_cast<uint8_t>(x > 100 ? 150 : 0); }));
        load(CmdLoadDepthMap, depth);
    }

    void load(int32_t command, const fs::path& file) {
        recordedUi.openAnswers.push_back(file);
        handleCommand(ws, nullptr, command);
    }

    // A colour tile of 40 x 25 pixels as a BMP file.
    fs::path tileFile() {
        const fs::path tile = testFolder() / "tile.bmp";
        writeSampleFile(tile, makeBmp(40, 25, tileColour));
        return tile;
    }

    void setColour(bool on) {
        recordedUi.preferencesDialog = [on](Workspace& shown, WindowHandle) {
            PreferencesForm form = preferencesFormFrom(shown.preferences);
            setFormTick(form, "colour", on);
            confirmPreferences(shown, form, nullptr);
        };
        handleCommand(ws, nullptr, CmdPreferences);
    }

    std::string pictureInfo() {
        resetRecordedUi();
        handleCommand(ws, nullptr, CmdPictureInfo);
        return recordedMessages().back();
    }
};

TEST_F(ColourWindow, WithColourOnAPatternTileKeepsItsColoursAndRepeatsDownThePicture) {
    setColour(true);
    load(CmdLoadPattern, tileFile());
    ASSERT_TRUE(recordedMessages().empty()) << recordedMessages()[0];
    ASSERT_EQ(ws.pattern.channels, 3);
    EXPECT_EQ(ws.patternWidth, 40);
    EXPECT_EQ(ws.preferences.repeatCount, 5);
    handleCommand(ws, nullptr, CmdGenerateStereogram);
    ASSERT_EQ(ws.stereogram.channels, 3);
    // The first strip of row 30 is the tile's row 5, in its colours.
    const uint8_t* row = rowOf(ws.stereogram, 30);
    for (int32_t x = 0; x < 40; ++x) {
        const SamplePixel expected = tileColour(x, 5);
        ASSERT_EQ(row[3 * x], expected.red) << x;
        ASSERT_EQ(row[3 * x + 1], expected.green) << x;
        ASSERT_EQ(row[3 * x + 2], expected.blue) << x;
    }
    // The screen shows the colours, and the squares stay black.
    showChosenPicture(ws, nullptr);
    const uint32_t shown = recordedUi.screenPicture[30 * 200 + 3];
    const SamplePixel expected = tileColour(3, 5);
    EXPECT_EQ(shown, 0xFF000000u | uint32_t{expected.red} << 16 | uint32_t{expected.green} << 8 | expected.blue);
    EXPECT_EQ(recordedUi.screenPicture[30 * 200 + (200 - 40) / 2], 0xFF000000u);
    EXPECT_EQ(pictureInfo(),
              "Wymiary sterogramu: 200 x 60, w kolorze\nWymiary mapy głębokości: 200 x 60\n"
              "Wymiary wzorca: 40 x 60, w kolorze\nIlość poziomów: 8");

    // Saved as an RGB PNG that reads back to the same colours.
    const fs::path saved = testFolder() / "colour-stereogram.png";
    recordedUi.saveAnswers.push_back(saved);
    handleCommand(ws, nullptr, CmdSavePicture);
    Picture read;
    BmpFrame frame;
    ASSERT_EQ(readPictureFile(testRuntime(), saved, ReadRequest{ColourChannels}, read, frame).kind, OutcomeKind::Done);
    EXPECT_EQ(read.channels, 3);
    EXPECT_EQ(bytesOf(read), bytesOf(ws.displayDib.picture));
    EXPECT_FALSE(everyPixelGrey(read));
}

TEST_F(ColourWindow, WithColourOffAPatternIsGreyAndMustFitAsAlways) {
    load(CmdLoadPattern, tileFile());
    EXPECT_EQ(recordedMessages().back(), "Wysokość wzorca różni się od wysokości obrazka!\nMuszą się zgadzać.");
    const fs::path strip = testFolder() / "strip.bmp";
    writeSampleFile(strip, makeBmp(40, 60, tileColour));
    resetRecordedUi();
    load(CmdLoadPattern, strip);
    ASSERT_EQ(ws.pattern.channels, 1);
    EXPECT_EQ(rowOf(ws.pattern, 7)[3], sampleGrey(tileColour(3, 7)));
    handleCommand(ws, nullptr, CmdGenerateStereogram);
    EXPECT_EQ(ws.stereogram.channels, 1);
    EXPECT_EQ(pictureInfo(),
              "Wymiary sterogramu: 200 x 60\nWymiary mapy głębokości: 200 x 60\nWymiary wzorca: 40 x 60\n"
              "Ilość poziomów: 8");
}

// A tile taken with colour on does not fit once colour is off again: it is
// kept, and generation and the pattern views refuse it, as a pattern left
// from another height.
TEST_F(ColourWindow, ATileTakenWithColourOnIsRefusedOnceColourIsOff) {
    setColour(true);
    load(CmdLoadPattern, tileFile());
    setColour(false);
    resetRecordedUi();
    handleCommand(ws, nullptr, CmdGenerateStereogram);
    handleCommand(ws, nullptr, CmdShowPatternTiled);
    EXPECT_EQ(recordedMessages(),
              std::vector<std::string>(2, "Wysokość wzorca różni się od wysokości obrazka!\nMuszą się zgadzać."));
    EXPECT_TRUE(isPresent(ws.pattern));
}

// Generated dots in colour: the pattern and the random fill draw a value a
// channel; with random fill off the ramp stays grey.
TEST_F(ColourWindow, GeneratedDotsAreInColourAndTheRampStaysGrey) {
    setColour(true);
    handleCommand(ws, nullptr, CmdGeneratePattern);
    EXPECT_EQ(ws.pattern.channels, 3);
    handleCommand(ws, nullptr, CmdGenerateStereogram);
    EXPECT_EQ(ws.stereogram.channels, 3);
    ws.preferences.randomFill = false;
    handleCommand(ws, nullptr, CmdGeneratePattern);
    EXPECT_EQ(ws.pattern.channels, 1);
    handleCommand(ws, nullptr, CmdGenerateStereogram);
    EXPECT_EQ(ws.stereogram.channels, 1);
}

}  // namespace
