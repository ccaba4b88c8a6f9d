#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bmp_samples.h"
#include "engine/engine.h"
#include "files/pictures.h"
#include "jpeg_samples.h"
#include "model_samples.h"
#include "recording_platform.h"
#include "shell/outside_files.h"
#include "views/views.h"
#include "workspace_fixture.h"

namespace {

using Words = std::vector<std::string>;

// A file of the test that runs: ctest may run the tests side by side.
std::filesystem::path testFile(const std::string& name) {
    std::filesystem::path folder = std::filesystem::path(TAVRELIC_TEST_TMP) / "outside" /
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(folder);
    return folder / name;
}

// --- the command line ----------------------------------------------------

struct ReadCase {
    const char* name;
    Words arguments;
    StartAction action;
    FileKindChoice kind;
    const char* file;
    const char* refusal;
};

class StartArguments : public ::testing::TestWithParam<ReadCase> {};

TEST_P(StartArguments, AreReadAsTheProgramTakesThem) {
    const ReadCase& c = GetParam();
    const StartRequest request = readStartArguments(c.arguments);
    EXPECT_EQ(request.action, c.action);
    EXPECT_EQ(request.kind, c.kind);
    EXPECT_EQ(request.file, c.file);
    EXPECT_EQ(request.refusal, c.refusal);
}

const StartAction Open = StartAction::OpenWindow;
const StartAction Refuse = StartAction::RefuseUsage;
const FileKindChoice Detect = FileKindChoice::Detect;

INSTANTIATE_TEST_SUITE_P(
    Table, StartArguments,
    ::testing::Values(
        ReadCase{"Nothing", {}, Open, Detect, "", ""},
        ReadCase{"OneFile", {"mapa.bmp"}, Open, Detect, "mapa.bmp", ""},
        ReadCase{"DepthMap", {"--depth-map", "a.bmp"}, Open, FileKindChoice::DepthMap, "a.bmp", ""},
        ReadCase{"StereogramAfterTheFile", {"a.bmp", "--stereogram"}, Open, FileKindChoice::Stereogram, "a.bmp", ""},
        ReadCase{"DashIsAFile", {"-"}, Open, Detect, "-", ""},
        ReadCase{"OptionsEnd", {"--", "--stereogram"}, Open, Detect, "--stereogram", ""},
        ReadCase{"KindThenOptionsEnd", {"--stereogram", "--", "-x.bmp"}, Open, FileKindChoice::Stereogram, "-x.bmp",
                 ""},
        ReadCase{"Help", {"--help"}, StartAction::PrintHelp, Detect, "", ""},
        ReadCase{"Version", {"--version"}, StartAction::PrintVersion, Detect, "", ""},
        ReadCase{"TwoFiles", {"a.bmp", "b.bmp"}, Refuse, Detect, "", "można podać najwyżej jeden plik"},
        ReadCase{"TwoFilesWithAKind", {"--depth-map", "a.bmp", "b.bmp"}, Refuse, Detect, "",
                 "można podać najwyżej jeden plik"},
        ReadCase{"UnknownOption", {"--verbose", "a.bmp"}, Refuse, Detect, "", "nieznana opcja: --verbose"},
        ReadCase{"QtOption", {"-platform", "xcb"}, Refuse, Detect, "", "nieznana opcja: -platform"},
        ReadCase{"KindWithoutFile", {"--stereogram"}, Refuse, Detect, "", "opcja --stereogram wymaga pliku"},
        ReadCase{"TwoKinds", {"--depth-map", "--stereogram", "a.bmp"}, Refuse, Detect, "",
                 "--depth-map i --stereogram wykluczają się"},
        ReadCase{"HelpWithAFile", {"--help", "a.bmp"}, Refuse, Detect, "",
                 "--help nie łączy się z innymi argumentami"},
        ReadCase{"VersionTwice", {"--version", "--version"}, Refuse, Detect, "",
                 "--version nie łączy się z innymi argumentami"}),
    NamedAfterTheParameter());

TEST(StartReplies, HelpAndVersionGoToStandardOutputWithExitCode0) {
    StartRequest help;
    help.action = StartAction::PrintHelp;
    const StartReply helpReply = replyWithoutWindow(help, "1.2.3");
    EXPECT_EQ(helpReply.text.rfind("Użycie: tavrelic [--depth-map | --stereogram] [PLIK] | --help | --version\n", 0), 0u);
    EXPECT_NE(helpReply.text.find("--stereogram    PLIK wczytany jako stereogram\n"), std::string::npos);
    EXPECT_FALSE(helpReply.toStandardError);
    EXPECT_EQ(helpReply.exitCode, 0);

    StartRequest version;
    version.action = StartAction::PrintVersion;
    const StartReply versionReply = replyWithoutWindow(version, "1.2.3");
    EXPECT_EQ(versionReply.text, "tavrelic 1.2.3\n");
    EXPECT_FALSE(versionReply.toStandardError);
    EXPECT_EQ(versionReply.exitCode, 0);
}

TEST(StartReplies, ARefusedCallSaysWhyAndHowOnStandardErrorWithExitCode2) {
    const StartReply reply = replyWithoutWindow(readStartArguments({"a.bmp", "b.bmp"}), "1.2.3");
    EXPECT_EQ(reply.text,
              "tavrelic: można podać najwyżej jeden plik\n"
              "Użycie: tavrelic [--depth-map | --stereogram] [PLIK] | --help | --version\n");
    EXPECT_TRUE(reply.toStandardError);
    EXPECT_EQ(reply.exitCode, 2);
}

// --- loading a file from outside ------------------------------------------

// A depth map with flat ground and two discs.
uint8_t discs(int32_t x, int32_t y) {
    const int32_t a = (x - 100) * (x - 100) + (y - 80) * (y - 80), b = (x - 220) * (x - 220) + (y - 120) * (y - 120);
    return a < 1600 ? 160 : b < 900 ? 224 : 0;
}

class OutsideFile : public WorkspaceTest {
protected:
    std::filesystem::path depthMapFile() {
        const std::filesystem::path path = testFile("discs.bmp");
        writeSampleFile(path, makeGreyBmp(320, 200, discs));
        return path;
    }

    // Our stereogram of the discs, as the window saves it.
    std::filesystem::path stereogramFile() {
        Workspace made = freshWorkspace();
        EXPECT_EQ(readPictureFile(made, depthMapFile(), SourceKind::DepthMap).kind, OutcomeKind::Done);
        const Progress none{nullptr, nullptr, nullptr};
        EXPECT_EQ(makePattern(made).kind, OutcomeKind::Done);
        EXPECT_EQ(makeStereogram(made, none).kind, OutcomeKind::Done);
        EXPECT_EQ(drawView(made, SourceKind::Stereogram, ViewKind::StereogramWithDots).kind, OutcomeKind::Done);
        const std::filesystem::path path = testFile("discs-stereogram.bmp");
        EXPECT_EQ(writeDisplayedPicture(made, path).kind, OutcomeKind::Done);
        releaseAll(made);
        return path;
    }

    void open(const std::filesystem::path& file, FileKindChoice kind) {
        resetRecordedUi();
        openOutsideFile(ws, nullptr, file, kind);
    }

    static std::vector<UiCallKind> loadedCalls() {
        return {UiCallKind::Status, UiCallKind::Present, UiCallKind::FitWindow, UiCallKind::Status,
                UiCallKind::RepaintWithErase};
    }
};

TEST_F(OutsideFile, ADepthMapLoadsAsOneAndTheStatusSaysSo) {
    open(depthMapFile(), FileKindChoice::Detect);
    EXPECT_EQ(recordedKinds(), loadedCalls());
    EXPECT_EQ(recordedStatusTexts(),
              (std::vector<std::string>{"Wczytywanie pliku...", "Wczytano jako mapę głębokości"}));
    EXPECT_NE(ws.depthMap.pixels, nullptr);
    EXPECT_EQ(ws.stereogram.pixels, nullptr);
    EXPECT_EQ(recordedCalls(UiCallKind::FitWindow)[0].width, 320);
    EXPECT_EQ(recordedCalls(UiCallKind::FitWindow)[0].height, 200);
}

TEST_F(OutsideFile, OurStereogramLoadsAsAStereogramAndTheStatusSaysSo) {
    open(stereogramFile(), FileKindChoice::Detect);
    EXPECT_EQ(recordedKinds(), loadedCalls());
    EXPECT_EQ(recordedStatusTexts(), (std::vector<std::string>{"Wczytywanie pliku...", "Wczytano jako stereogram"}));
    EXPECT_NE(ws.stereogram.pixels, nullptr);
    EXPECT_EQ(ws.depthMap.pixels, nullptr);
}

TEST_F(OutsideFile, TheUsersChoiceOverridesWhatThePictureLooksLike) {
    open(stereogramFile(), FileKindChoice::DepthMap);
    EXPECT_EQ(recordedStatusTexts().back(), "Wczytano jako mapę głębokości");
    EXPECT_NE(ws.depthMap.pixels, nullptr);
    EXPECT_EQ(ws.stereogram.pixels, nullptr);
    releaseAll(ws);
    ws = freshWorkspace();
    open(depthMapFile(), FileKindChoice::Stereogram);
    EXPECT_EQ(recordedStatusTexts().back(), "Wczytano jako stereogram");
    EXPECT_NE(ws.stereogram.pixels, nullptr);
    EXPECT_EQ(ws.depthMap.pixels, nullptr);
}

// A model is drawn at the image's size, as its own menu command draws it;
// a damaged one shows that command's box.
TEST_F(OutsideFile, AModelIsDrawnAsADepthMap) {
    open(depthMapFile(), FileKindChoice::Detect);
    MeshSketch box;
    const float low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
    addBox(box, low, high);
    const std::string text = asciiStlOf(box);
    const std::filesystem::path model = testFile("Box.STL");
    writeSampleFile(model, std::vector<uint8_t>(text.begin(), text.end()));
    open(model, FileKindChoice::Detect);
    EXPECT_EQ(recordedKinds(), loadedCalls());
    EXPECT_EQ(recordedStatusTexts().back(), "Wczytano jako mapę głębokości");
    ASSERT_NE(ws.depthMap.pixels, nullptr);
    EXPECT_EQ(ws.depthMap.width, 320);
    EXPECT_EQ(ws.depthMap.pixels[100 * 320 + 160], 255);

    const std::filesystem::path damaged = testFile("damaged.obj");
    writeSampleFile(damaged, std::vector<uint8_t>{'v', ' ', '1', '\n', 'f', ' ', '9', '\n'});
    open(damaged, FileKindChoice::DepthMap);
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Uszkodzony lub nieobsługiwany plik OBJ!"});
    EXPECT_EQ(recordedStatusTexts().back(), "Nie wczytano pliku");
}

// A stereogram saved as JPEG has lost its exact repeats, and loads as a
// stereogram all the same; so does a JPEG of a depth map load as one.
TEST_F(OutsideFile, AJpegStereogramLoadsAsAStereogram) {
    const std::filesystem::path jpeg = testFile("discs-stereogram.jpg");
    const std::filesystem::path depthJpeg = testFile("discs.jpg");
    for (const auto& [from, to] : {std::pair{stereogramFile(), jpeg}, std::pair{depthMapFile(), depthJpeg}}) {
        Picture picture;
        BmpFrame frame;
        ASSERT_EQ(readPictureFile(testRuntime(), from, ReadRequest{}, picture, frame).kind, OutcomeKind::Done);
        writeJpegFile(to, picture, 85);
    }
    open(jpeg, FileKindChoice::Detect);
    EXPECT_EQ(recordedStatusTexts().back(), "Wczytano jako stereogram");
    open(depthJpeg, FileKindChoice::Detect);
    EXPECT_EQ(recordedStatusTexts().back(), "Wczytano jako mapę głębokości");
}

// The same box as from the open dialog, and the window keeps its picture.
TEST_F(OutsideFile, ADamagedFileShowsTheLoadsBoxAndLoadsNothing) {
    open(depthMapFile(), FileKindChoice::Detect);
    std::vector<uint8_t> damaged = makeGreyBmp(40, 30, discs);
    damaged.resize(damaged.size() / 2);
    const std::filesystem::path path = testFile("damaged.bmp");
    writeSampleFile(path, damaged);
    for (const FileKindChoice kind : {FileKindChoice::Detect, FileKindChoice::Stereogram}) {
        open(path, kind);
        EXPECT_EQ(recordedKinds(), (std::vector<UiCallKind>{UiCallKind::Status, UiCallKind::Message, UiCallKind::FitWindow,
                                                            UiCallKind::Status, UiCallKind::RepaintWithErase}));
        EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Uszkodzony lub nieobsługiwany plik BMP!"});
        EXPECT_EQ(recordedCaptions(), std::vector<std::string>{"Błąd"});
        EXPECT_EQ(recordedStatusTexts().back(), "Nie wczytano pliku");
        EXPECT_EQ(recordedCalls(UiCallKind::FitWindow)[0].width, 320);
        EXPECT_NE(ws.depthMap.pixels, nullptr);
    }
}

TEST_F(OutsideFile, AFileThatCannotBeOpenedLoadsNothingSilently) {
    open(testFile("missing.bmp"), FileKindChoice::Detect);
    EXPECT_EQ(countRecorded(UiCallKind::Message), 0);
    EXPECT_EQ(recordedStatusTexts().back(), "Nie wczytano pliku");
    EXPECT_FALSE(ws.displayDib.present);
}

}  // namespace
