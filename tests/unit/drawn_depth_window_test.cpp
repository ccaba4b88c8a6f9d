// Depth maps drawn in the window: a model chosen in its own open dialog and
// raised text from its dialog are taken as a loaded depth map is, and what
// either dialog refuses or a cancel leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bmp_samples.h"
#include "model_samples.h"
#include "models/text_depth.h"
#include "recording_platform.h"
#include "shell/commands.h"
#include "shell/text_depth_dialog.h"
#include "workspace_fixture.h"

namespace {

namespace fs = std::filesystem;

fs::path testFolder() {
    const fs::path folder = fs::path(TAVRELIC_TEST_TMP) / "drawn-depth-window";
    fs::create_directories(folder);
    return folder;
}

// A box twice as wide as it is high and as deep as it is high.
fs::path boxModel() {
    MeshSketch box;
    const float low[3] = {-2, -1, -1}, high[3] = {2, 1, 1};
    addBox(box, low, high);
    const fs::path file = testFolder() / "box.stl";
    const std::string text = asciiStlOf(box);
    writeSampleFile(file, std::vector<uint8_t>(text.begin(), text.end()));
    return file;
}

int depthAt(const Workspace& ws, int32_t x, int32_t y) {
    return ws.depthMap.pixels[static_cast<size_t>(y) * static_cast<size_t>(ws.depthMap.width) + static_cast<size_t>(x)];
}

class DrawnDepthWindow : public WorkspaceTest {
protected:
    void loadDepthMap(int32_t width, int32_t height) {
        const fs::path depth = testFolder() / "depth.bmp";
        writeSampleFile(depth, makeGreyBmp(width, height, [](int32_t x, int32_t) { return static_cast<uint8_t>(x); }));
        recordedUi.openAnswers.push_back(depth);
        handleCommand(ws, nullptr, CmdLoadDepthMap);
        resetRecordedUi();
    }

    // The text dialog answers with the form as the user typed it, OK'd.
    void answerTextDialog(const TextDepthForm& typed) {
        recordedUi.textDepthDialog = [typed](TextDepthRequest& request, WindowHandle dialog) {
            return confirmTextDepthForm(typed, request, dialog);
        };
    }
};

TEST_F(DrawnDepthWindow, AModelIsDrawnAtTheImageSizeAndTakenAsALoadedDepthMap) {
    loadDepthMap(200, 100);
    putStereogram(ws, 200, 100, std::vector<uint8_t>(200 * 100, 7));
    recordedUi.openAnswers.push_back(boxModel());
    handleCommand(ws, nullptr, CmdLoadModel);
    EXPECT_EQ(recordedKinds().front(), UiCallKind::Status);
    EXPECT_EQ(countRecorded(UiCallKind::ChooseModel), 1);
    EXPECT_EQ(countRecorded(UiCallKind::ChooseOpen), 0);
    EXPECT_TRUE(recordedMessages().empty());
    EXPECT_EQ(recordedStatusTexts(), (std::vector<std::string>{"Wczytywanie modelu 3D...", "Gotów!"}));
    ASSERT_EQ(ws.depthMap.width, 200);
    ASSERT_EQ(ws.depthMap.height, 100);
    // The box's front face fills 90 % of the height, twice as wide, centred:
    // rows 5 to 94 and columns 10 to 189, at the nearest depth.
    EXPECT_EQ(depthAt(ws, 100, 50), 255);
    EXPECT_EQ(depthAt(ws, 11, 6), 255);
    EXPECT_EQ(depthAt(ws, 8, 50), 0);
    EXPECT_EQ(depthAt(ws, 100, 3), 0);
    // The old stereogram no longer fits; the depth map is on show, the
    // window fitted to it, in a plain frame.
    EXPECT_FALSE(isPresent(ws.stereogram));
    EXPECT_EQ(ws.shownView.view, ViewKind::DepthOriginal);
    const std::vector<UiCall> fits = recordedCalls(UiCallKind::FitWindow);
    ASSERT_EQ(fits.size(), 1u);
    EXPECT_EQ(fits[0].width, 200);
    EXPECT_EQ(fits[0].height, 100);
    EXPECT_EQ(dibHeaderField(ws, 4), 200);
    EXPECT_EQ(shownGrey(ws, 100, 50), 255);
}

TEST_F(DrawnDepthWindow, ADamagedOrCancelledModelLeavesTheDepthMap) {
    loadDepthMap(120, 40);
    const WorkspaceSnapshot before = snapshotOf(ws);
    const fs::path damaged = testFolder() / "damaged.stl";
    writeSampleFile(damaged, std::vector<uint8_t>(300, 0));
    recordedUi.openAnswers.push_back(damaged);
    handleCommand(ws, nullptr, CmdLoadModel);
    EXPECT_EQ(recordedMessages(), (std::vector<std::string>{"Uszkodzony lub nieobsługiwany plik STL!"}));
    EXPECT_EQ(recordedCaptions(), (std::vector<std::string>{"Błąd"}));
    EXPECT_EQ(firstDifference(before, snapshotOf(ws)), "");

    resetRecordedUi();
    handleCommand(ws, nullptr, CmdLoadModel);
    EXPECT_EQ(recordedStatusTexts(), (std::vector<std::string>{"Wczytywanie modelu 3D...", "Gotów!"}));
    EXPECT_EQ(countRecorded(UiCallKind::FitWindow), 0);
    EXPECT_EQ(firstDifference(before, snapshotOf(ws)), "");
}

TEST_F(DrawnDepthWindow, TextIsDrawnAtTheAskedSizeAndItsRequestOfferedAgain) {
    answerTextDialog(TextDepthForm{{"Łódź", "300", "120"}});
    handleCommand(ws, nullptr, CmdTextDepthMap);
    EXPECT_TRUE(recordedMessages().empty());
    EXPECT_EQ(recordedStatusTexts(),
              (std::vector<std::string>{"Tworzenie mapy głębokości z tekstu...", "Gotów!"}));
    ASSERT_EQ(ws.imageWidth, 300);
    ASSERT_EQ(ws.imageHeight, 120);
    Picture direct;
    ASSERT_EQ(renderTextDepthMap(testRuntime(), "Łódź", 300, 120, direct).kind, OutcomeKind::Done);
    EXPECT_EQ(rasterBytes(ws.depthMap), bytesOf(direct));
    EXPECT_EQ(ws.shownView.view, ViewKind::DepthOriginal);

    // The dialog opens on the text and size it took, and its cancel
    // changes nothing.
    TextDepthRequest offered;
    resetRecordedUi();
    recordedUi.textDepthDialog = [&offered](TextDepthRequest& request, WindowHandle) {
        offered = request;
        return false;
    };
    handleCommand(ws, nullptr, CmdTextDepthMap);
    EXPECT_EQ(offered.text, "Łódź");
    EXPECT_EQ(offered.width, 300);
    EXPECT_EQ(offered.height, 120);
    EXPECT_EQ(recordedStatusTexts(),
              (std::vector<std::string>{"Tworzenie mapy głębokości z tekstu...", "Gotów!"}));
    EXPECT_EQ(rasterBytes(ws.depthMap), bytesOf(direct));
}

TEST(TextDepthForm, RefusesSizesItCannotDrawAndBlankTextKeepingTheRequest) {
    resetRecordedUi();
    const TextDepthRequest start{"Ala", 640, 480};
    const struct {
        TextDepthForm typed;
        const char* message;
    } refused[] = {
        {{{"Ala", "0", "480"}}, "Nieprawidłowe wymiary mapy głębokości!"},
        {{{"Ala", "640", ""}}, "Nieprawidłowe wymiary mapy głębokości!"},
        {{{"Ala", "32769", "480"}}, "Nieprawidłowe wymiary mapy głębokości!"},
        {{{"Ala", "99999999999999999999999", "480"}}, "Nieprawidłowe wymiary mapy głębokości!"},
        {{{"Ala", "-5", "480"}}, "Nieprawidłowe wymiary mapy głębokości!"},
        {{{" \t\n ", "640", "480"}}, "Napis jest pusty!"},
    };
    for (const auto& form : refused) {
        resetRecordedUi();
        TextDepthRequest request = start;
        EXPECT_FALSE(confirmTextDepthForm(form.typed, request, nullptr)) << form.typed.texts[1];
        EXPECT_EQ(recordedMessages(), (std::vector<std::string>{form.message})) << form.typed.texts[1];
        EXPECT_EQ(request.text, "Ala");
        EXPECT_EQ(request.width, 640);
    }
    resetRecordedUi();
    TextDepthRequest request = start;
    EXPECT_TRUE(confirmTextDepthForm(TextDepthForm{{"Kot", "32768", "1"}}, request, nullptr));
    EXPECT_TRUE(recordedMessages().empty());
    EXPECT_EQ(request.text, "Kot");
    EXPECT_EQ(request.width, 32768);
    EXPECT_EQ(request.height, 1);
    EXPECT_EQ(textDepthFormFrom(request).texts[1], "32768");
}

}  // namespace
