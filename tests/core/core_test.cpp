// The core without a window and without a Workspace: every call takes
// pictures and settings and returns a picture and what happened, progress
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
#include "engine/random_batch.h"
#include "files/pictures.h"
#include "outcome_checks.h"
#include "test_runtime.h"
#include "told_progress.h"
#include "views/views.h"
#include "workspace/preferences_table.h"

namespace fs = std::filesystem;

namespace {

class Core : public ::testing::Test {
protected:
    void TearDown() override { failAllocationsAfter(runtime, -1); }

    // A depth map whose right half stands out, read from a file's bytes.
    Picture depthMap(int32_t width, int32_t height) {
        const std::vector<uint8_t> file = makeGreyBmp(width, height, [width](int32_t x, int32_t) {
            return static_cast<uint8_t>(x < width / 2 ? 0 : 200);
        });
        Picture depth;
        BmpFrame frame;
        EXPECT_EQ(readPictureBytes(runtime, file.data(), file.size(), ReadRequest{}, depth, frame).kind,
                  OutcomeKind::Done);
        return depth;
    }

    // A pattern for the depth map, as "Generuj wzorzec" makes it.
    Picture patternFor(const Picture& depth) {
        Picture pattern;
        EXPECT_EQ(makePattern(runtime, newPatternWidth(depth.width, prefs.repeatCount), depth.height, prefs,
                              randomState, pattern)
                      .kind,
                  OutcomeKind::Done);
        return pattern;
    }

    Runtime& runtime = testRuntime();
    Preferences prefs;
    uint32_t randomState = FirstRandomState;
};

TEST_F(Core, RefusalsComeBackWithTheirTextsAndChangeNothing) {
    Picture absent;
    Picture stereogram;
    const Picture depth = depthMap(200, 40);
    expectRefused(makeStereogram(runtime, depth, absent, prefs, randomState, Progress{}, stereogram),
                  "Hej, nie ma wygenerowanego patternu!", "");
    const Picture pattern = patternFor(depth);
    const uint32_t afterPattern = randomState;
    expectRefused(makeStereogram(runtime, absent, pattern, prefs, randomState, Progress{}, stereogram),
                  "Niestety jeszcze nie ma mapy głębokości", "");
    const Picture shorter = depthMap(200, 39);
    expectRefused(makeStereogram(runtime, shorter, pattern, prefs, randomState, Progress{}, stereogram),
                  "Wysokość wzorca różni się od wysokości obrazka!\nMuszą się zgadzać.", "");
    Preferences tooMany = prefs;
    tooMany.repeatCount = 201;
    expectRefused(makeStereogram(runtime, depth, pattern, tooMany, randomState, Progress{}, stereogram),
                  "Nieprawidłowa ilość powtórzeń wzorca!\nZmień ją w preferencjach.", "Uwaga!");
    EXPECT_FALSE(isPresent(stereogram));
    EXPECT_EQ(randomState, afterPattern);

    Picture decoded;
    expectRefused(decodeRows(runtime, absent, 40, prefs, randomState, Progress{}, decoded),
                  "Hej, nie ma wygenerowanego stereogramu!", "");
    EXPECT_FALSE(isPresent(decoded));

    // A file that cannot be opened is refused without a word, and a file of
    // another height than a pattern needs with its text; neither touches
    // the picture it was to replace.
    Picture kept = depthMap(200, 40);
    const uint8_t* keptPixels = kept.pixels.get();
    BmpFrame frame;
    const Outcome unopened = readPictureFile(runtime, "no-such-file.bmp", ReadRequest{}, kept, frame);
    EXPECT_EQ(unopened.kind, OutcomeKind::Refused);
    EXPECT_FALSE(isMessage(unopened.refusal));
    const std::vector<uint8_t> file = makeGreyBmp(30, 41, [](int32_t, int32_t) { return uint8_t{9}; });
    expectRefused(readPictureBytes(runtime, file.data(), file.size(), ReadRequest{GreyChannels, 40}, kept, frame),
                  "Wysokość wzorca różni się od wysokości obrazka!\nMuszą się zgadzać.", "");
    EXPECT_EQ(kept.pixels.get(), keptPixels);
    expectRefused(writePictureFile(runtime, TAVRELIC_TEST_TMP "/nothing.bmp", absent, frame), "Błąd zapisu pliku!",
                  "Błąd");
}

TEST_F(Core, AWholeSessionRunsWithoutAWindow) {
    const Picture depth = depthMap(640, 481);
    const Picture pattern = patternFor(depth);
    EXPECT_EQ(pattern.width, 128);
    Picture stereogram;
    Told generation;
    ASSERT_EQ(makeStereogram(runtime, depth, pattern, prefs, randomState, progressTo(generation), stereogram).kind,
              OutcomeKind::Done);
    // Rows 0, 10, ..., 480, on the caller's own thread.
    EXPECT_EQ(generation.steps, 49);
    EXPECT_FALSE(generation.otherThread);
    Picture shown;
    ASSERT_TRUE(drawView(runtime, ViewKind::StereogramWithDots,
                         ViewInputs{&stereogram, 640, 481, pattern.width, prefs.depthStep}, shown));

    const fs::path saved = fs::path(TAVRELIC_TEST_TMP) / "core-stereogram.bmp";
    fs::create_directories(saved.parent_path());
    BmpFrame frame;
    makePlainFrame(frame, 640, 481);
    ASSERT_EQ(writePictureFile(runtime, saved, shown, frame).kind, OutcomeKind::Done);
    EXPECT_EQ(fs::file_size(saved), 54u + 481u * 1920u);
    EXPECT_FALSE(fs::exists(saved.string() + ".part"));

    Picture loaded;
    ASSERT_EQ(readPictureFile(runtime, saved, ReadRequest{}, loaded, frame).kind, OutcomeKind::Done);
    const StripWidth found = findStripWidth(loaded, prefs, 0);
    EXPECT_FALSE(isMessage(found.notice));
    EXPECT_EQ(found.width, 128);
    Picture decoded;
    Told decoding;
    ASSERT_EQ(decodeRows(runtime, loaded, found.width, prefs, randomState, progressTo(decoding), decoded).kind,
              OutcomeKind::Done);
    EXPECT_EQ(decoding.steps, 49);
    // The right half stands out at its level, the left lies on the ground,
    // away from the last strip, which carries on the last point resolved.
    EXPECT_EQ(rowOf(decoded, 200)[100], 0);
    EXPECT_EQ(rowOf(decoded, 200)[400], greyOfLevel((200 + 1) / prefs.depthStep, prefs.depthStep));
}

TEST_F(Core, AWidthThatFindsNoStripTakesTheFallbackWithANotice) {
    // 641 is prime: no strip width can be found, and the fallback stands in.
    const std::vector<uint8_t> file = makeGreyBmp(641, 12, [](int32_t x, int32_t y) {
        return static_cast<uint8_t>((x * 7 + y * 13) % 251);
    });
    Picture stereogram;
    BmpFrame frame;
    ASSERT_EQ(readPictureBytes(runtime, file.data(), file.size(), ReadRequest{}, stereogram, frame).kind,
              OutcomeKind::Done);
    const StripWidth found = findStripWidth(stereogram, prefs, 90);
    EXPECT_EQ(found.notice.text,
              std::string("Nie znaleziono szerokosci patternu\nJako szerokość patternu zostanie wzięta wartość z "
                          "preferencji"));
    EXPECT_EQ(found.width, 90);
}

TEST_F(Core, ADepthMapIsWidenedToWholeStripsWithItsCornerValue) {
    const std::vector<uint8_t> file = makeGreyBmp(641, 3, [](int32_t x, int32_t y) {
        return static_cast<uint8_t>(x == 0 && y == 0 ? 77 : 5);
    });
    Picture depth;
    BmpFrame frame;
    ASSERT_EQ(readPictureBytes(runtime, file.data(), file.size(), ReadRequest{}, depth, frame).kind,
              OutcomeKind::Done);
    EXPECT_EQ(newPatternWidth(641, 5), 129);
    ASSERT_TRUE(widenDepthMap(runtime, depth, 645));
    EXPECT_EQ(depth.width, 645);
    for (int32_t y = 0; y < 3; ++y) {
        EXPECT_EQ(rowOf(depth, y)[640], 5) << y;
        for (int32_t x = 641; x < 645; ++x) EXPECT_EQ(rowOf(depth, y)[x], 77) << x << " " << y;
    }
}

TEST_F(Core, TheCallerCanStopLongWork) {
    const Picture depth = depthMap(200, 100);
    const Picture pattern = patternFor(depth);
    Picture stereogram;
    // On one thread the request is heard after the very row it follows.
    Told told;
    told.stopAfter = 3;
    Progress oneThread = progressTo(told);
    oneThread.threads = 1;
    EXPECT_EQ(makeStereogram(runtime, depth, pattern, prefs, randomState, oneThread, stereogram).kind,
              OutcomeKind::Stopped);
    EXPECT_EQ(told.steps, 3);
    // On several, the caller asks between its runs of rows, the first time
    // before it begins one; the other threads then begin none.
    Told onMany;
    onMany.stopAfter = 0;
    Progress manyThreads = progressTo(onMany);
    manyThreads.threads = 4;
    EXPECT_EQ(makeStereogram(runtime, depth, pattern, prefs, randomState, manyThreads, stereogram).kind,
              OutcomeKind::Stopped);
    EXPECT_EQ(onMany.steps, 0);
}

// The rows of a decoding are not cleared before they are decoded; one that
// stops part way leaves a cleared depth map, not rows never written.
TEST_F(Core, AStoppedDecodingLeavesTheDepthMapCleared) {
    const Picture depth = depthMap(300, 100);
    const Picture pattern = patternFor(depth);
    Picture stereogram;
    ASSERT_EQ(makeStereogram(runtime, depth, pattern, prefs, randomState, Progress{}, stereogram).kind,
              OutcomeKind::Done);
    // One thread stops after the rows of four steps; on several, when the
    // caller is asked before any row (when it is asked later depends on how
    // fast the others are).
    for (const int32_t threads : {1, 4}) {
        Picture decoded = pictureOf(300, 100, std::vector<uint8_t>(300 * 100, 0xEE));
        Told told;
        told.stopAfter = threads == 1 ? 4 : 0;
        Progress progress = progressTo(told);
        progress.threads = threads;
        EXPECT_EQ(decodeRows(runtime, stereogram, 60, prefs, randomState, progress, decoded).kind,
                  OutcomeKind::Stopped)
            << threads;
        EXPECT_EQ(bytesOf(decoded), std::vector<uint8_t>(300 * 100, 0)) << threads;
    }
}

TEST_F(Core, RunningOutOfMemoryIsAnOutcome) {
    const Picture depth = depthMap(200, 100);
    const Picture pattern = patternFor(depth);
    Picture stereogram = pictureOf(200, 100, {});
    failAllocationsAfter(runtime, 1);  // the stereogram, not its working row
    Told told;
    EXPECT_EQ(makeStereogram(runtime, depth, pattern, prefs, randomState, progressTo(told), stereogram).kind,
              OutcomeKind::OutOfMemory);
    EXPECT_EQ(told.steps, 0);
    failAllocationsAfter(runtime, 0);
    Picture decoded;
    EXPECT_EQ(decodeRows(runtime, stereogram, 40, prefs, randomState, Progress{}, decoded).kind,
              OutcomeKind::OutOfMemory);
    // A picture being replaced is released first.
    Picture replaced = pictureOf(10, 10, {});
    EXPECT_FALSE(replacePicture(runtime, replaced, 20, 20, GreyChannels));
    EXPECT_FALSE(isPresent(replaced));
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
    Picture picture;
    BmpFrame frame;
    expectRefused(readPictureBytes(runtime, file.data(), file.size(), ReadRequest{}, picture, frame),
                  "Uszkodzony lub nieobsługiwany plik JPEG!", "Błąd");
    EXPECT_FALSE(isPresent(picture));
    // A table whose counts run past the end of the file: the library reads
    // zeros there, and the counts that are there already hold too many.
    const std::vector<uint8_t> cut(file.begin(), file.begin() + 7 + 14);
    expectRefused(readPictureBytes(runtime, cut.data(), cut.size(), ReadRequest{}, picture, frame),
                  "Uszkodzony lub nieobsługiwany plik JPEG!", "Błąd");
}

TEST(CoreOwnership, EveryBufferHasOneOwner) {
    static_assert(!std::is_copy_constructible<Picture>::value, "a picture is never copied into a second owner");
    static_assert(!std::is_copy_assignable<BmpFrame>::value, "nor is a frame's padding");
    static_assert(std::is_nothrow_move_constructible<Picture>::value, "a picture moves");
    Picture picture = pictureOf(4, 3, {});
    const uint8_t* pixels = picture.pixels.get();
    Picture moved = std::move(picture);
    EXPECT_EQ(moved.pixels.get(), pixels);
    EXPECT_FALSE(isPresent(picture));
}

TEST(CorePreferences, TheDialogsRulesHoldForEveryCaller) {
    for (int32_t bits : {1, 8}) EXPECT_EQ(checkDepthBits(bits).kind, OutcomeKind::Done) << bits;
    for (int32_t bits : {0, 9, -1})
        expectRefused(checkDepthBits(bits), "Błędne wartości głębokości\ndozwolone wartości: 1-8", "Uwaga");
    for (int32_t repeat : {3, 64}) EXPECT_EQ(checkRepeatCount(640, repeat).kind, OutcomeKind::Done) << repeat;
    for (int32_t repeat : {2, 65})
        expectRefused(checkRepeatCount(640, repeat),
                      "Błędne wartości ilości powtórzeń wzorca\ndozwolone wartości: 3 - szeokość ekarnu/10", "Uwaga");
    Preferences prefs;
    storeDepthBits(prefs, 8);
    EXPECT_EQ(prefs.depthStep, 1);
    storeDepthBits(prefs, 1);
    EXPECT_EQ(prefs.depthStep, 128);
    EXPECT_EQ(readFieldNumber("  42abc"), 42);
    EXPECT_EQ(readFieldNumber("4294967296"), 0);
    EXPECT_EQ(readFieldNumber("2147483648"), INT32_MIN);
}

}  // namespace
