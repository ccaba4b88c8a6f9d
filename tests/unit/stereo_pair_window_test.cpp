// Stereo pairs in the window: the anaglyph among the views, the two pairs
// saved by their own commands, and what is said without a depth map.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bmp_samples.h"
#include "files/pictures.h"
#include "recording_platform.h"
#include "shell/commands.h"
#include "workspace_fixture.h"

namespace {

namespace fs = std::filesystem;

fs::path testFolder() {
    const fs::path folder = fs::path(TAVRELIC_TEST_TMP) / "stereo-pairs";
    fs::create_directories(folder);
    return folder;
}

class StereoPairWindow : public WorkspaceTest {
protected:
    void loadDepthMap() {
        const fs::path depth = testFolder() / "depth.bmp";
        writeSampleFile(depth, makeGreyBmp(120, 40, [](int32_t x, int32_t) { return static_cast<uint8_t>(x > 60 ? 200 : 0); }));
        recordedUi.openAnswers.push_back(depth);
        handleCommand(ws, nullptr, CmdLoadDepthMap);
        resetRecordedUi();
    }

    Picture saved(int32_t command, const std::string& name) {
        const fs::path file = testFolder() / name;
        recordedUi.saveAnswers.push_back(file);
        handleCommand(ws, nullptr, command);
        Picture picture;
        BmpFrame frame;
        EXPECT_EQ(readPictureFile(testRuntime(), file, ReadRequest{ColourChannels}, picture, frame).kind,
                  OutcomeKind::Done)
            << name;
        return picture;
    }
};

TEST_F(StereoPairWindow, TheAnaglyphIsAViewAndSavesAsOne) {
    loadDepthMap();
    handleCommand(ws, nullptr, CmdShowAnaglyph);
    EXPECT_TRUE(recordedMessages().empty());
    ASSERT_EQ(countRecorded(UiCallKind::Present), 1);
    Picture anaglyph;
    ASSERT_EQ(makeStereoPair(testRuntime(), ws.depthMap, parallaxFor(0, 120), PairForm::Anaglyph, anaglyph).kind,
              OutcomeKind::Done);
    const Picture file = saved(CmdSavePicture, "anaglyph.bmp");
    EXPECT_EQ(bytesOf(file), bytesOf(anaglyph));
    // The Preferences' parallax: a larger one moves the bar further apart.
    ws.preferences.parallax = 30;
    handleCommand(ws, nullptr, CmdShowAnaglyph);
    EXPECT_NE(bytesOf(saved(CmdSavePicture, "anaglyph-30.bmp")), bytesOf(anaglyph));
}

TEST_F(StereoPairWindow, ThePairsAreSavedTwiceAsWideInTheirOrder) {
    loadDepthMap();
    const Picture parallel = saved(CmdSaveParallelPair, "parallel.png");
    EXPECT_EQ(recordedStatusTexts(), (std::vector<std::string>{"Zapisywanie pary stereo...", "Gotów!"}));
    const Picture crossed = saved(CmdSaveCrossedPair, "crossed.bmp");
    ASSERT_EQ(parallel.width, 240);
    ASSERT_EQ(crossed.width, 240);
    ASSERT_EQ(parallel.height, 40);
    // The crossed pair is the parallel one with its halves swapped.
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 120; ++x)
            for (int32_t k = 0; k < 3; ++k) {
                ASSERT_EQ(rowOf(parallel, y)[3 * x + k], rowOf(crossed, y)[3 * (x + 120) + k]);
                ASSERT_EQ(rowOf(parallel, y)[3 * (x + 120) + k], rowOf(crossed, y)[3 * x + k]);
            }
    // The picture on show is left as it was.
    EXPECT_EQ(ws.shownView.view, ViewKind::DepthOriginal);
}

TEST_F(StereoPairWindow, WithoutADepthMapNothingIsShownOrSaved) {
    handleCommand(ws, nullptr, CmdShowAnaglyph);
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Sorki, ale nie ma co wyświetlać"});
    resetRecordedUi();
    recordedUi.saveAnswers.push_back(testFolder() / "never.png");
    handleCommand(ws, nullptr, CmdSaveParallelPair);
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Niestety jeszcze nie ma mapy głębokości"});
    EXPECT_EQ(countRecorded(UiCallKind::ChooseSave), 0);
    EXPECT_FALSE(fs::exists(testFolder() / "never.png"));
}

}  // namespace
