// Which decoder the window's decoding takes: automatically the tolerant one
// for a stereogram loaded from a JPEG file, the exact one for any other and
// for the program's own, or the one the Preferences name; and the
// certainty view the tolerant one leaves.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "bmp_samples.h"
#include "engine/engine.h"
#include "files/pictures.h"
#include "jpeg_samples.h"
#include "recording_platform.h"
#include "shell/commands.h"
#include "workspace_fixture.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t Width = 240;
constexpr int32_t Height = 64;

fs::path testFolder() {
    const fs::path folder = fs::path(TAVRELIC_TEST_TMP) / "decoder-choice";
    fs::create_directories(folder);
    return folder;
}

// A raised square over flat ground.
uint8_t squareDepth(int32_t x, int32_t y) {
    return static_cast<uint8_t>(x >= 90 && x < 150 && y >= 16 && y < 48 ? 200 : 0);
}

class DecoderInWindow : public WorkspaceTest {
protected:
    // The program's own stereogram of the square, generated in the window.
    void generateStereogram() {
        const fs::path depth = testFolder() / "square.bmp";
        writeSampleFile(depth, makeGreyBmp(Width, Height, squareDepth));
        load(CmdLoadDepthMap, depth);
        handleCommand(ws, nullptr, CmdGeneratePattern);
        handleCommand(ws, nullptr, CmdGenerateStereogram);
    }

    // That stereogram saved as a file (JPEG at quality 85, or a BMP).
    fs::path savedStereogram(const std::string& name) {
        generateStereogram();
        const fs::path file = testFolder() / name;
        if (file.extension() == ".jpg") {
            writeJpegFile(file, ws.stereogram, 85);
        } else {
            recordedUi.saveAnswers.push_back(file);
            handleCommand(ws, nullptr, CmdShowStereogramPlain);
            handleCommand(ws, nullptr, CmdSavePicture);
        }
        return file;
    }

    void load(int32_t command, const fs::path& file) {
        recordedUi.openAnswers.push_back(file);
        handleCommand(ws, nullptr, command);
    }

    void decode() {
        resetRecordedUi();
        handleCommand(ws, nullptr, CmdDecodeStereogram);
    }

    // The exact decoder's depth map of the stereogram in the window.
    std::vector<uint8_t> exactDecoding() const {
        Picture exact;
        uint32_t state = FirstRandomState;
        const StripWidth found = findStripWidth(ws.stereogram, ws.preferences, ws.patternWidth);
        EXPECT_EQ(decodeRows(testRuntime(), ws.stereogram, found.width, ws.preferences, state, Progress{}, exact).kind,
                  OutcomeKind::Done);
        return bytesOf(exact);
    }

    // The share of points inside the square, away from its edges, decoded
    // at the square's level.
    double squareRead() const {
        const uint8_t* depth = ws.depthMap.pixels.get();
        int32_t right = 0, all = 0;
        for (int32_t y = 20; y < 44; ++y)
            for (int32_t x = 100; x < 140; ++x, ++all) right += depth[y * Width + x] == depth[32 * Width + 120];
        return static_cast<double>(right) / all;
    }
};

TEST_F(DecoderInWindow, AutomaticReadsAJpegTolerantlyAndShowsItsCertainty) {
    const fs::path jpeg = savedStereogram("square.jpg");
    releaseAll(ws);
    ws = freshWorkspace();
    load(CmdLoadStereogram, jpeg);
    EXPECT_TRUE(ws.stereogramIsLossy);
    decode();
    EXPECT_TRUE(recordedMessages().empty());
    ASSERT_TRUE(isPresent(ws.certainty));
    EXPECT_GT(squareRead(), 0.95);
    // The square stands out from the ground.
    EXPECT_GT(ws.depthMap.pixels[32 * Width + 120], ws.depthMap.pixels[32 * Width + 40]);
    // The certainty is a view of its own, saved as any other.
    handleCommand(ws, nullptr, CmdShowCertainty);
    EXPECT_TRUE(recordedMessages().empty());
    EXPECT_EQ(ws.shownView.source, SourceKind::Certainty);
    for (const int32_t x : {5, 120, Width - 5})
        EXPECT_EQ(shownGrey(ws, x, 32), ws.certainty.pixels[32 * Width + x]) << x;
    // Light where the square and the ground repeat clearly, dark in the last
    // strip, where nothing can be told.
    EXPECT_GT(ws.certainty.pixels[32 * Width + 40], ws.certainty.pixels[32 * Width + Width - 5]);
}

TEST_F(DecoderInWindow, AutomaticReadsBmpFilesAndTheProgramsOwnExactly) {
    const fs::path bmp = savedStereogram("square.bmp");
    // The program's own stereogram: exact, byte for byte the exact decoder's.
    decode();
    EXPECT_FALSE(isPresent(ws.certainty));
    EXPECT_EQ(rasterBytes(ws.depthMap), exactDecoding());
    // Nothing to show for the certainty after the exact decoder.
    handleCommand(ws, nullptr, CmdShowCertainty);
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Sorki, ale nie ma co wyświetlać"});

    load(CmdLoadStereogram, bmp);
    EXPECT_FALSE(ws.stereogramIsLossy);
    decode();
    EXPECT_FALSE(isPresent(ws.certainty));
}

TEST_F(DecoderInWindow, ThePreferencesChoiceHoldsWhateverTheFile) {
    const fs::path jpeg = savedStereogram("choice.jpg");
    ws.preferences.decoder = DecoderChoice::Tolerant;
    // The program's own stereogram, read tolerantly as asked.
    decode();
    EXPECT_TRUE(isPresent(ws.certainty));
    EXPECT_GT(squareRead(), 0.95);
    // A JPEG read exactly as asked.
    ws.preferences.decoder = DecoderChoice::Exact;
    load(CmdLoadStereogram, jpeg);
    decode();
    EXPECT_FALSE(isPresent(ws.certainty));
    EXPECT_EQ(rasterBytes(ws.depthMap), exactDecoding());
}

// A new depth map, a new stereogram loaded or generated: the certainty of
// the last decoding no longer describes it.
TEST_F(DecoderInWindow, TheCertaintyGoesWithTheDepthMapItWasMadeFor) {
    const fs::path jpeg = savedStereogram("stale.jpg");
    load(CmdLoadStereogram, jpeg);
    decode();
    ASSERT_TRUE(isPresent(ws.certainty));
    EXPECT_TRUE(ws.stereogramIsLossy);
    handleCommand(ws, nullptr, CmdGeneratePattern);
    handleCommand(ws, nullptr, CmdGenerateStereogram);
    EXPECT_FALSE(ws.stereogramIsLossy);
    load(CmdLoadStereogram, jpeg);
    EXPECT_FALSE(isPresent(ws.certainty));
}

}  // namespace
