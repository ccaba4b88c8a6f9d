#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bmp_samples.h"
#include "recording_platform.h"
#include "shell/commands.h"
#include "shell/preferences_form.h"
#include "workspace_fixture.h"

namespace {

std::filesystem::path testFolder() {
    std::filesystem::path folder = std::filesystem::path(TAVRELIC_TEST_TMP) / "commands";
    std::filesystem::create_directories(folder);
    return folder;
}

// A 24-bit BMP file of grey pixels given top row first.
std::filesystem::path writeGreyBmp(const std::string& name, int32_t width, int32_t height,
                                   uint8_t (*valueAt)(int32_t x, int32_t y)) {
    std::filesystem::path path = testFolder() / name;
    writeSampleFile(path, makeGreyBmp(width, height, valueAt));
    return path;
}

// A flat left edge, so that the strip width can be detected, then a disc
// and a ramp.
uint8_t spheres(int32_t x, int32_t y) {
    int32_t dx = x - 140, dy = y - 25;
    if (dx * dx + dy * dy < 400) return 223;
    return x < 100 ? 0 : static_cast<uint8_t>(x % 64);
}

class Commands : public WorkspaceTest {
protected:

    bool run(int32_t command) { return handleCommand(ws, nullptr, command); }
    void openNext(const std::filesystem::path& path) { recordedUi.openAnswers.push_back(path); }
    void saveNext(const std::filesystem::path& path) { recordedUi.saveAnswers.push_back(path); }
    void loadDepthMap(int32_t width, int32_t height) {
        openNext(writeGreyBmp("depth.bmp", width, height, spheres));
        run(CmdLoadDepthMap);
    }
};

TEST_F(Commands, CancelledOpenDialogEndsTheLoadWithItsStatusText) {
    const struct {
        int32_t command;
        const char* status;
    } loads[] = {{CmdLoadDepthMap, "Wczytywanie mapy głębokości..."},
                 {CmdLoadStereogram, "Wczytywanie stereogramu..."},
                 {CmdLoadPattern, "Wczytywanie wzorca..."}};
    for (const auto& load : loads) {
        resetRecordedUi();
        EXPECT_TRUE(run(load.command));
        EXPECT_EQ(recordedKinds(), (std::vector<UiCallKind>{UiCallKind::Status, UiCallKind::ChooseOpen}));
        EXPECT_EQ(recordedStatusTexts(), std::vector<std::string>{load.status});
    }
    EXPECT_EQ(ws.imageWidth, 640);
    EXPECT_FALSE(ws.displayDib.present);
}

TEST_F(Commands, ConfirmedLoadRefitsTheWindowEvenWhenTheFileIsRefused) {
    openNext(testFolder() / "missing.bmp");
    run(CmdLoadStereogram);
    EXPECT_EQ(recordedKinds(), (std::vector<UiCallKind>{UiCallKind::Status, UiCallKind::ChooseOpen, UiCallKind::FitWindow,
                                                UiCallKind::Status, UiCallKind::RepaintWithErase}));
    EXPECT_EQ(recordedStatusTexts(), (std::vector<std::string>{"Wczytywanie stereogramu...", "Gotów!"}));
}

TEST_F(Commands, LoadingADepthMapFitsTheWindowToTheNewSize) {
    loadDepthMap(300, 200);
    EXPECT_EQ(ws.imageWidth, 300);
    EXPECT_EQ(ws.imageHeight, 200);
    std::vector<UiCall> fits = recordedCalls(UiCallKind::FitWindow);
    ASSERT_EQ(fits.size(), 1u);
    EXPECT_EQ(fits[0].width, 300);
    EXPECT_EQ(fits[0].height, 200);
    EXPECT_EQ(recordedUi.calls.back().kind, UiCallKind::RepaintWithErase);
}

TEST_F(Commands, LoadingAPatternNeverRefitsTheWindow) {
    loadDepthMap(300, 200);
    resetRecordedUi();
    openNext(writeGreyBmp("pattern.bmp", 60, 200, spheres));
    run(CmdLoadPattern);
    EXPECT_EQ(countRecorded(UiCallKind::FitWindow), 0);
    EXPECT_EQ(ws.patternWidth, 60);
    EXPECT_EQ(ws.preferences.repeatCount, 5);
    EXPECT_EQ(recordedStatusTexts(), (std::vector<std::string>{"Wczytywanie wzorca...", "Gotów!"}));
}

TEST_F(Commands, SaveWithNothingOnShowOpensNoDialog) {
    EXPECT_FALSE(run(CmdSavePicture));
    EXPECT_EQ(recordedKinds(), (std::vector<UiCallKind>{UiCallKind::Status, UiCallKind::Message}));
    EXPECT_EQ(recordedStatusTexts(), std::vector<std::string>{"Zapisywanie wyświetlanego obrazka..."});
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Teee...... nie ma co nagrywać!"});
    EXPECT_EQ(recordedCaptions(), std::vector<std::string>{""});
}

TEST_F(Commands, SaveWritesThePictureOnShowAndEndsReady) {
    loadDepthMap(50, 40);
    resetRecordedUi();
    EXPECT_TRUE(run(CmdSavePicture));  // cancelled
    EXPECT_EQ(recordedStatusTexts(), std::vector<std::string>{"Zapisywanie wyświetlanego obrazka..."});

    resetRecordedUi();
    std::filesystem::path saved = testFolder() / "saved-without-extension";
    std::filesystem::remove(saved);
    saveNext(saved);
    EXPECT_TRUE(run(CmdSavePicture));
    EXPECT_EQ(recordedStatusTexts(), (std::vector<std::string>{"Zapisywanie wyświetlanego obrazka...", "Gotów!"}));
    EXPECT_EQ(countRecorded(UiCallKind::RepaintWithErase), 0);
    EXPECT_EQ(readSampleFile(saved), readSampleFile(testFolder() / "depth.bmp"));
}

TEST_F(Commands, ActionsSetTheirStatusAndEndReadyAfterARefusal) {
    const struct {
        int32_t command;
        const char* status;
        const char* refusal;
    } actions[] = {
        {CmdGeneratePattern, "Generowanie losowego wzorca...", "Niestety jeszcze nie ma mapy głębokości"},
        {CmdGenerateStereogram, "Generowanie stereogramu...", "Hej, nie ma wygenerowanego patternu!"},
        {CmdDecodeStereogram, "Dekodowanie stereogramu...", "Hej, nie ma wygenerowanego stereogramu!"},
    };
    for (const auto& action : actions) {
        resetRecordedUi();
        run(action.command);
        EXPECT_EQ(recordedKinds(), (std::vector<UiCallKind>{UiCallKind::Status, UiCallKind::Message, UiCallKind::Status}));
        EXPECT_EQ(recordedStatusTexts(), (std::vector<std::string>{action.status, "Gotów!"}));
        EXPECT_EQ(recordedMessages(), std::vector<std::string>{action.refusal});
    }
}

TEST_F(Commands, RoundTripSetsOnlyItsOwnTextsThenReady) {
    run(CmdRoundTrip);
    std::vector<std::string> statuses = recordedStatusTexts();
    ASSERT_EQ(statuses.size(), 11u);
    EXPECT_EQ(statuses.front(), "Generowanie #1...");
    EXPECT_EQ(recordedUi.calls.front().kind, UiCallKind::Status);
    EXPECT_EQ(statuses[9], "Dekodowanie #5...");
    EXPECT_EQ(statuses.back(), "Gotów!");
    EXPECT_EQ(recordedMessages().size(), 10u);
}

TEST_F(Commands, PreferencesDialogRunsUnderItsStatusText) {
    std::string statusWhileOpen;
    recordedUi.preferencesDialog = [&](Workspace& shown, WindowHandle) {
        statusWhileOpen = recordedStatusTexts().back();
        PreferencesForm form = preferencesFormFrom(shown.preferences);
        setFormText(form, "depth-bits", "5");
        confirmPreferences(shown, form, nullptr);
    };
    run(CmdPreferences);
    EXPECT_EQ(statusWhileOpen, "Zmiana preferencji...");
    EXPECT_EQ(recordedStatusTexts().back(), "Gotów!");
    EXPECT_EQ(ws.preferences.depthBits, 5);
}

TEST_F(Commands, ViewsExitAndInfoLeaveTheStatusAlone) {
    for (int32_t command : std::initializer_list<int32_t>{CmdShowStereogramWithDots, CmdShowStereogramPlain, CmdShowDepthQuantised,
                            CmdShowDepthOriginal, CmdShowPatternStrip, CmdShowPatternTiled, CmdPictureInfo,
                            CmdAbout, CmdExit, int32_t{12345}})
        EXPECT_TRUE(run(command));
    EXPECT_TRUE(recordedStatusTexts().empty());
    EXPECT_EQ(countRecorded(UiCallKind::Close), 1);
    EXPECT_EQ(recordedMessages().size(), 8u);  // six refused views, Picture Info, About
    EXPECT_EQ(recordedCaptions()[7], "Informacja");
}

TEST_F(Commands, PictureInfoDescribesWhatIsLoaded) {
    run(CmdPictureInfo);
    ws.preferences.depthBits = 5;
    loadDepthMap(300, 200);
    run(CmdGeneratePattern);
    resetRecordedUi();
    run(CmdPictureInfo);
    run(CmdGenerateStereogram);
    run(CmdPictureInfo);
    std::vector<std::string> texts;
    for (const UiCall& call : recordedCalls(UiCallKind::Message)) texts.push_back(call.text);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0],
              "Stereogramu nie ma.\nWymiary mapy głębokości: 300 x 200\nWymiary wzorca: 60 x 200\nIlość poziomów: 32");
    EXPECT_EQ(texts[1],
              "Wymiary sterogramu: 300 x 200\nWymiary mapy głębokości: 300 x 200\nWymiary wzorca: 60 x 200\n"
              "Ilość poziomów: 32");
    EXPECT_EQ(recordedCaptions()[0], "Informacja o załadowanych komponentach");
}

TEST_F(Commands, PictureInfoRightAfterStart) {
    run(CmdPictureInfo);
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Stereogramu nie ma.\nMapy głebokości nie załadowano.\n"
                                                           "Wzorca nie załadowano.\nIlość poziomów: 8"});
    EXPECT_EQ(recordedCaptions(), std::vector<std::string>{"Informacja o załadowanych komponentach"});
}

TEST_F(Commands, WideningMessageComesUnderThePatternStatusBeforeReady) {
    loadDepthMap(641, 30);
    resetRecordedUi();
    run(CmdGeneratePattern);
    EXPECT_EQ(recordedStatusTexts(), (std::vector<std::string>{"Generowanie losowego wzorca...", "Gotów!"}));
    std::vector<UiCallKind> order = recordedKinds();
    auto at = [&](UiCallKind kind) { return std::find(order.begin(), order.end(), kind) - order.begin(); };
    EXPECT_LT(at(UiCallKind::Message), at(UiCallKind::FitWindow));
    EXPECT_EQ(order.back(), UiCallKind::Status);
    EXPECT_EQ(ws.imageWidth, 645);
}

TEST_F(Commands, CloseReleasesEveryBufferAndEndsWithZero) {
    loadDepthMap(64, 32);
    run(CmdGeneratePattern);
    run(CmdGenerateStereogram);
    resetRecordedUi();
    closeWorkspace(ws);
    EXPECT_EQ(ws.depthMap.pixels.get(), nullptr);
    EXPECT_EQ(ws.pattern.pixels.get(), nullptr);
    EXPECT_EQ(ws.stereogram.pixels.get(), nullptr);
    EXPECT_FALSE(ws.displayDib.present);
    ASSERT_EQ(countRecorded(UiCallKind::Quit), 1);
    EXPECT_EQ(recordedCalls(UiCallKind::Quit)[0].value, 0);
}

// The whole road from start twice: the same commands give the same files.
std::vector<std::vector<uint8_t>> roadFromStart() {
    Workspace ws = freshWorkspace();
    resetRecordedUi();
    std::filesystem::path folder = testFolder();
    recordedUi.openAnswers = {writeGreyBmp("road-depth.bmp", 200, 60, spheres), folder / "road-stereogram.bmp"};
    recordedUi.saveAnswers = {folder / "road-stereogram.bmp", folder / "road-decoded.bmp"};
    for (int32_t command : std::initializer_list<int32_t>{CmdLoadDepthMap, CmdGeneratePattern, CmdGenerateStereogram, CmdSavePicture,
                            CmdLoadStereogram, CmdDecodeStereogram, CmdSavePicture})
        handleCommand(ws, nullptr, command);
    std::vector<std::vector<uint8_t>> files = {readSampleFile(folder / "road-stereogram.bmp"),
                                               readSampleFile(folder / "road-decoded.bmp")};
    releaseAll(ws);
    return files;
}

TEST(CommandRoad, SameCommandsFromStartGiveTheSameFiles) {
    std::vector<std::vector<uint8_t>> first = roadFromStart();
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{});
    std::vector<std::vector<uint8_t>> second = roadFromStart();
    ASSERT_EQ(first[0].size(), 54u + 600u * 60u);
    EXPECT_EQ(first, second);
    EXPECT_NE(first[0], first[1]);
}

}  // namespace
