// The core without a window: every call returns what happened, progress
// and stopping go through the caller's functions, and buffers have one
// owner each.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "bmp_samples.h"
#include "engine/engine.h"
#include "files/pictures.h"
#include "views/views.h"
#include "workspace/workspace.h"

namespace fs = std::filesystem;

namespace {

// What a caller of the core was told.
struct Told {
    int steps = 0;
    int stopAfter = -1;  // steps before the caller asks to stop; -1: never
    std::thread::id thread;
    bool otherThread = false;
};

void countStep(void* context) {
    Told& told = *static_cast<Told*>(context);
    ++told.steps;
    told.otherThread |= std::this_thread::get_id() != told.thread;
}

bool stopWanted(void* context) {
    const Told& told = *static_cast<Told*>(context);
    return told.stopAfter >= 0 && told.steps >= told.stopAfter;
}

Progress progressTo(Told& told) {
    told.thread = std::this_thread::get_id();
    return Progress{&told, countStep, stopWanted};
}

void expectRefused(const Outcome& outcome, const std::string& text, const std::string& caption) {
    EXPECT_EQ(outcome.kind, OutcomeKind::Refused);
    ASSERT_TRUE(isMessage(outcome.refusal));
    EXPECT_EQ(outcome.refusal.text, text);
    EXPECT_EQ(outcome.refusal.caption, caption);
}

// A depth map whose right half stands out, loaded from a file's bytes as
// the window loads it.
void loadDepthMap(Workspace& ws, int32_t width, int32_t height) {
    const std::vector<uint8_t> file = makeGreyBmp(width, height, [width](int32_t x, int32_t) {
        return static_cast<uint8_t>(x < width / 2 ? 0 : 200);
    });
    ASSERT_EQ(readPictureBytes(ws, file.data(), file.size(), SourceKind::DepthMap).kind, OutcomeKind::Done);
}

class Core : public ::testing::Test {
protected:
    void TearDown() override { failAllocationsAfter(-1); }
    Workspace ws;
};

TEST_F(Core, RefusalsComeBackWithTheirTextsAndChangeNothing) {
    expectRefused(makePattern(ws), "Niestety jeszcze nie ma mapy głębokości", "");
    expectRefused(makeStereogram(ws, Progress{}), "Hej, nie ma wygenerowanego patternu!", "");
    expectRefused(startDecoding(ws).outcome, "Hej, nie ma wygenerowanego stereogramu!", "");
    expectRefused(drawView(ws, SourceKind::DepthMap, ViewKind::DepthOriginal), "Sorki, ale nie ma co wyświetlać",
                  "UWAGA");
    expectRefused(writeDisplayedPicture(ws, TAVRELIC_TEST_TMP "/nothing.bmp"), "Teee...... nie ma co nagrywać!", "");
    expectRefused(readPictureFile(ws, "no-such-file.bmp", SourceKind::Pattern), "Najpierw załaduj mapę głębokości!",
                  "");
    // A file that cannot be opened is refused without a word.
    const Outcome unopened = readPictureFile(ws, "no-such-file.bmp", SourceKind::DepthMap);
    EXPECT_EQ(unopened.kind, OutcomeKind::Refused);
    EXPECT_FALSE(isMessage(unopened.refusal));
    EXPECT_EQ(ws.imageWidth, 640);
    EXPECT_EQ(ws.depthMap.pixels, nullptr);
    EXPECT_EQ(ws.displayDib.bytes, nullptr);
}

TEST_F(Core, AWholeSessionRunsWithoutAWindow) {
    loadDepthMap(ws, 640, 481);
    ASSERT_EQ(makePattern(ws).kind, OutcomeKind::Done);
    Told generation;
    ASSERT_EQ(makeStereogram(ws, progressTo(generation)).kind, OutcomeKind::Done);
    // Rows 0, 10, ..., 480, on the caller's own thread.
    EXPECT_EQ(generation.steps, 49);
    EXPECT_FALSE(generation.otherThread);
    ASSERT_EQ(drawView(ws, SourceKind::Stereogram, ViewKind::StereogramWithDots).kind, OutcomeKind::Done);

    const fs::path saved = fs::path(TAVRELIC_TEST_TMP) / "core-stereogram.bmp";
    fs::create_directories(saved.parent_path());
    ASSERT_EQ(writeDisplayedPicture(ws, saved).kind, OutcomeKind::Done);
    EXPECT_EQ(fs::file_size(saved), 54u + 481u * 1920u);
    EXPECT_FALSE(fs::exists(saved.string() + ".part"));

    Workspace again;
    ASSERT_EQ(readPictureFile(again, saved, SourceKind::Stereogram).kind, OutcomeKind::Done);
    const DecodingStart start = startDecoding(again);
    ASSERT_EQ(start.outcome.kind, OutcomeKind::Done);
    EXPECT_FALSE(isMessage(start.outcome.notice));
    EXPECT_EQ(start.stripWidth, 128);
    Told decoding;
    ASSERT_EQ(decodeRows(again, start.stripWidth, progressTo(decoding)).kind, OutcomeKind::Done);
    EXPECT_EQ(decoding.steps, 49);
}

TEST_F(Core, InformationOnTheWayComesAsANotice) {
    loadDepthMap(ws, 641, 30);
    const Outcome widened = makePattern(ws);
    EXPECT_EQ(widened.kind, OutcomeKind::Done);
    EXPECT_EQ(widened.notice.text, std::string("Automatycznie zostały zmienione wymiary mapy głębokości\n"
                                               "aby dostosować je do wzorca"));
    EXPECT_EQ(widened.notice.caption, std::string("Uwaga!"));
    EXPECT_EQ(ws.imageWidth, 645);

    // 641 is prime: no strip width can be found, and patternWidth stands in.
    Workspace prime;
    const std::vector<uint8_t> file = makeGreyBmp(641, 12, [](int32_t x, int32_t y) {
        return static_cast<uint8_t>((x * 7 + y * 13) % 251);
    });
    ASSERT_EQ(readPictureBytes(prime, file.data(), file.size(), SourceKind::Stereogram).kind, OutcomeKind::Done);
    prime.patternWidth = 90;
    const DecodingStart start = startDecoding(prime);
    EXPECT_EQ(start.outcome.kind, OutcomeKind::Done);
    EXPECT_EQ(start.outcome.notice.text,
              std::string("Nie znaleziono szerokosci patternu\nJako szerokość patternu zostanie wzięta wartość z "
                          "preferencji"));
    EXPECT_EQ(start.stripWidth, 90);
}

TEST_F(Core, TheCallerCanStopLongWork) {
    loadDepthMap(ws, 200, 100);
    ASSERT_EQ(makePattern(ws).kind, OutcomeKind::Done);
    // On one thread the request is heard after the very row it follows.
    Told told;
    told.stopAfter = 3;
    Progress oneThread = progressTo(told);
    oneThread.threads = 1;
    EXPECT_EQ(makeStereogram(ws, oneThread).kind, OutcomeKind::Stopped);
    EXPECT_EQ(told.steps, 3);
    // On several, the caller asks between its runs of rows, the first time
    // before it begins one; the other threads then begin none.
    Told onMany;
    onMany.stopAfter = 0;
    Progress manyThreads = progressTo(onMany);
    manyThreads.threads = 4;
    EXPECT_EQ(makeStereogram(ws, manyThreads).kind, OutcomeKind::Stopped);
    EXPECT_EQ(onMany.steps, 0);
}

// The rows of a decoding are not cleared before they are decoded; one that
// stops part way leaves a cleared depth map, not rows never written.
TEST_F(Core, AStoppedDecodingLeavesTheDepthMapCleared) {
    loadDepthMap(ws, 300, 100);
    ASSERT_EQ(makePattern(ws).kind, OutcomeKind::Done);
    ASSERT_EQ(makeStereogram(ws, Progress{}).kind, OutcomeKind::Done);
    // One thread stops after the rows of four steps; on several, when the
    // caller is asked before any row (when it is asked later depends on how
    // fast the others are).
    for (const int32_t threads : {1, 4}) {
        const DecodingStart start = startDecoding(ws);
        ASSERT_EQ(start.outcome.kind, OutcomeKind::Done);
        Told told;
        told.stopAfter = threads == 1 ? 4 : 0;
        Progress progress = progressTo(told);
        progress.threads = threads;
        EXPECT_EQ(decodeRows(ws, start.stripWidth, progress).kind, OutcomeKind::Stopped) << threads;
        const uint8_t* map = ws.depthMap.pixels.get();
        EXPECT_EQ(std::vector<uint8_t>(map, map + 300 * 100), std::vector<uint8_t>(300 * 100, 0)) << threads;
    }
}

TEST_F(Core, RunningOutOfMemoryIsAnOutcome) {
    loadDepthMap(ws, 200, 100);
    ASSERT_EQ(makePattern(ws).kind, OutcomeKind::Done);
    failAllocationsAfter(1);  // the stereogram, not its working row
    Told told;
    EXPECT_EQ(makeStereogram(ws, progressTo(told)).kind, OutcomeKind::OutOfMemory);
    EXPECT_EQ(told.steps, 0);
    failAllocationsAfter(0);
    EXPECT_EQ(startDecoding(ws).outcome.kind, OutcomeKind::OutOfMemory);
    EXPECT_EQ(ws.depthMap.pixels, nullptr);  // released first
}

// The JPEG library would build a Huffman table of more than 256 codes
// past the end of its room (the loader's fuzz target found it): such a file
// is refused as damaged before the library reads it.
TEST_F(Core, AJpegWithAnOverlongHuffmanTableIsRefused) {
    std::vector<uint8_t> file = {0xFF, 0xD8, 0xFF, 0xC4, 0x00, 0x00, 0x00};
    for (int i = 0; i < 16; ++i) file.push_back(20);  // 320 codes
    file.resize(file.size() + 320, 0x07);
    const size_t length = file.size() - 4;
    file[4] = static_cast<uint8_t>(length >> 8);
    file[5] = static_cast<uint8_t>(length);
    file.insert(file.end(), {0xFF, 0xD9});
    expectRefused(readPictureBytes(ws, file.data(), file.size(), SourceKind::DepthMap),
                  "Uszkodzony lub nieobsługiwany plik JPEG!", "Błąd");
    EXPECT_EQ(ws.depthMap.pixels, nullptr);
    // A table whose counts run past the end of the file: the library reads
    // zeros there, and the counts that are there already hold too many.
    const std::vector<uint8_t> cut(file.begin(), file.begin() + 7 + 14);
    expectRefused(readPictureBytes(ws, cut.data(), cut.size(), SourceKind::DepthMap),
                  "Uszkodzony lub nieobsługiwany plik JPEG!", "Błąd");
}

TEST(CoreOwnership, EveryBufferHasOneOwner) {
    static_assert(!std::is_copy_constructible<GreyImage>::value, "a raster is never copied into a second owner");
    static_assert(!std::is_copy_assignable<DisplayDib>::value, "nor is the picture on show");
    static_assert(!std::is_copy_constructible<Workspace>::value, "nor a workspace");
    static_assert(std::is_nothrow_move_constructible<Workspace>::value, "a workspace moves");
    Workspace ws;
    ASSERT_TRUE(replaceGreyImage(ws.depthMap, 4, 3));
    const uint8_t* pixels = ws.depthMap.pixels.get();
    Workspace moved = std::move(ws);
    EXPECT_EQ(moved.depthMap.pixels.get(), pixels);
    EXPECT_EQ(ws.depthMap.pixels, nullptr);
}

TEST(CorePreferences, TheDialogsRulesHoldForEveryCaller) {
    Workspace ws;
    for (int32_t bits : {1, 8}) EXPECT_EQ(checkDepthBits(bits).kind, OutcomeKind::Done) << bits;
    for (int32_t bits : {0, 9, -1}) expectRefused(checkDepthBits(bits), "Błędne wartości głębokości\ndozwolone wartości: 1-8", "Uwaga");
    for (int32_t repeat : {3, 64}) EXPECT_EQ(checkRepeatCount(ws, repeat).kind, OutcomeKind::Done) << repeat;
    for (int32_t repeat : {2, 65})
        expectRefused(checkRepeatCount(ws, repeat),
                      "Błędne wartości ilości powtórzeń wzorca\ndozwolone wartości: 3 - szeokość ekarnu/10", "Uwaga");
    storeDepthBits(ws.preferences, 8);
    EXPECT_EQ(ws.preferences.depthStep, 1);
    storeDepthBits(ws.preferences, 1);
    EXPECT_EQ(ws.preferences.depthStep, 128);
    EXPECT_EQ(readFieldNumber("  42abc"), 42);
    EXPECT_EQ(readFieldNumber("4294967296"), 0);
    EXPECT_EQ(readFieldNumber("2147483648"), INT32_MIN);
}

}  // namespace
