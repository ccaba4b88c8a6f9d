#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "operations/operations.h"
#include "views/views.h"
#include "draws.h"
#include "recording_platform.h"
#include "reference_decoding.h"
#include "workspace_fixture.h"
#include "workspace_samples.h"

namespace {

const char* const NoWidthMessage =
    "Nie znaleziono szerokosci patternu\nJako szerokość patternu zostanie wzięta wartość z preferencji";

// A Stereogram with a picture on show of its size, so the final view has
// somewhere to go.
void putStereogramOnShow(Workspace& ws, int32_t width, int32_t height, const std::vector<uint8_t>& pixels) {
    putPictureOnShow(ws, width, height, 0);
    putStereogram(ws, width, height, pixels);
}

std::vector<uint8_t> depthMapOf(const Workspace& ws) {
    if (ws.depthMap.pixels.get() == nullptr) return {};
    return std::vector<uint8_t>(ws.depthMap.pixels.get(),
                                ws.depthMap.pixels.get() + static_cast<size_t>(ws.depthMap.width) * ws.depthMap.height);
}

std::vector<uint8_t> column(const std::vector<uint8_t>& map, int32_t width, int32_t y, int32_t from, int32_t to) {
    return std::vector<uint8_t>(map.begin() + y * width + from, map.begin() + y * width + to);
}

// "column: got/expected" for every place where two rows differ.
std::string mismatches(const std::vector<uint8_t>& got, const std::vector<uint8_t>& expected) {
    std::string text;
    for (size_t i = 0; i < got.size() && i < expected.size(); ++i)
        if (got[i] != expected[i])
            text += std::to_string(i) + ": " + std::to_string(got[i]) + "/" + std::to_string(expected[i]) + " ";
    return text;
}

class Decoding : public WorkspaceTest {
protected:

    // Decodes a fresh copy of the given stereogram and returns the DepthMap.
    std::vector<uint8_t> decode(int32_t width, int32_t height, const std::vector<uint8_t>& pixels) {
        releaseAll(ws);
        resetRecordedUi();
        putStereogramOnShow(ws, width, height, pixels);
        decodeStereogram(ws, nullptr);
        return depthMapOf(ws);
    }

};

TEST_F(Decoding, ResolvedPointsTakeOnlyTheGreysOfTheLevels) {
    // A depth map of arbitrary values in plateaus of 40 columns.
    std::vector<uint8_t> depth(640 * 8);
    uint32_t state = 99;
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 640; x += 40) {
            uint8_t d = y == 0 ? 0 : static_cast<uint8_t>(referenceRandom(state) % 256);
            std::memset(depth.data() + y * 640 + x, d, 40);
        }
    const std::vector<uint8_t> stereogram = referenceLinkRows(shuffledRows(640, 8, 5), depth, 640, 8, 128, 3);
    const std::vector<uint8_t> map = decode(640, 8, stereogram);
    const std::set<uint8_t> levelGreys = {0, 31, 63, 95, 127, 159, 191, 223, 255};
    std::set<uint8_t> seen(map.begin(), map.end());
    for (uint8_t v : seen) EXPECT_EQ(levelGreys.count(v), 1u) << int(v);
    EXPECT_GT(seen.size(), 4u);
}

TEST_F(Decoding, FlatDepthsComeBackAsTheGreyOfTheirLevel) {
    struct Case {
        uint8_t depth;
        uint8_t decoded;
    };
    const Case cases[] = {{200, 191}, {255, 255}, {31, 31}, {30, 0}, {0, 0}};
    for (UnresolvedPolicy policy : {UnresolvedPolicy::KeepPrevious, UnresolvedPolicy::Background}) {
        for (const Case& c : cases) {
            ws.preferences.unresolvedPolicy = policy;
            const std::vector<uint8_t> map = decode(640, 12, flatStereogram(640, 12, 128, 3, c.depth, c.depth));
            // Every column, the last 128 included.
            EXPECT_EQ(map, std::vector<uint8_t>(640 * 12, c.decoded))
                << "depth " << int(c.depth) << " policy " << int(policy);
        }
    }
}

TEST_F(Decoding, TheFlatZeroBackgroundEndsInEightUnresolvedPoints) {
    const std::vector<uint8_t> stereogram = flatStereogram(640, 3, 128, 3, 0, 11);
    ws.preferences.unresolvedPolicy = UnresolvedPolicy::KeepPrevious;
    EXPECT_EQ(decode(640, 3, stereogram), std::vector<uint8_t>(640 * 3, 0));
    EXPECT_EQ(ws.randomState, 1u);

    ws.randomState = 777;
    uint32_t expectedState = 777;
    ws.preferences.unresolvedPolicy = UnresolvedPolicy::Random;
    const std::vector<uint8_t> map = decode(640, 3, stereogram);
    for (int32_t y = 0; y < 3; ++y) {
        EXPECT_EQ(column(map, 640, y, 0, 504), std::vector<uint8_t>(504, 0)) << y;
        // Columns 504 .. 511 draw a level each, then the tail a raw grey each.
        std::vector<uint8_t> expected;
        for (int i = 0; i < 8; ++i) expected.push_back(greyOfLevel(referenceRandom(expectedState) % 9, 32));
        for (int i = 0; i < 128; ++i) expected.push_back(static_cast<uint8_t>(referenceRandom(expectedState) % 256));
        EXPECT_EQ(column(map, 640, y, 504, 640), expected) << y;
    }
    EXPECT_EQ(ws.randomState, expectedState);
}

TEST_F(Decoding, TheStripWidthComesFromDetectionNotFromHowTheStereogramWasMade) {
    // Made with a 128-column strip; detection answers 160 for both.
    setDepthBits(ws.preferences, 5);
    EXPECT_EQ(decode(640, 4, flatStereogram(640, 4, 128, 5, 0, 3)), std::vector<uint8_t>(640 * 4, 255));
    setDepthBits(ws.preferences, 6);
    EXPECT_EQ(decode(640, 4, flatStereogram(640, 4, 128, 6, 0, 4)), std::vector<uint8_t>(640 * 4, 127));
    EXPECT_TRUE(recordedMessages().empty());
}

TEST_F(Decoding, WithoutASearchEveryPointStaysAtTheStripSeparation) {
    for (int32_t searchRange : {INT_MIN, -3, 0, 1}) {
        ws.preferences.searchRange = searchRange;
        EXPECT_EQ(decode(640, 4, flatStereogram(640, 4, 128, 3, 0, 8)), std::vector<uint8_t>(640 * 4, 255))
            << searchRange;
        EXPECT_EQ(decode(640, 4, flatStereogram(640, 4, 128, 3, 200, 9)), std::vector<uint8_t>(640 * 4, 255))
            << searchRange;
    }
    // Range 2 tries k = 1 only, which reaches the separation of level 7 but not 6.
    ws.preferences.searchRange = 2;
    EXPECT_EQ(decode(640, 4, flatStereogram(640, 4, 128, 3, 224, 9)), std::vector<uint8_t>(640 * 4, 223));
    EXPECT_EQ(decode(640, 4, flatStereogram(640, 4, 128, 3, 200, 9)), std::vector<uint8_t>(640 * 4, 255));
}

TEST_F(Decoding, AHugeSearchRangeEndsWithTheSameResult) {
    const std::vector<uint8_t> stereogram = flatStereogram(640, 4, 128, 3, 0, 12);
    ws.preferences.unresolvedPolicy = UnresolvedPolicy::Random;
    ws.preferences.searchRange = 165;
    const std::vector<uint8_t> usual = decode(640, 4, stereogram);
    const uint32_t usualState = ws.randomState;
    ws.randomState = 1;
    ws.preferences.searchRange = INT_MAX;
    EXPECT_EQ(decode(640, 4, stereogram), usual);
    EXPECT_EQ(ws.randomState, usualState);
    // Every point unresolved, each searched until neither side can match.
    ws.preferences.unresolvedPolicy = UnresolvedPolicy::KeepPrevious;
    ws.preferences.minMatch = 700;
    ws.patternWidth = 128;
    EXPECT_EQ(decode(640, 2, flatStereogram(640, 2, 128, 3, 0, 13)), std::vector<uint8_t>(640 * 2, 255));
}

TEST_F(Decoding, MinMatchAboveTheWidthLeavesEveryPointUnresolved) {
    // Detection then finds nothing either, and the preference's width is taken.
    ws.preferences.minMatch = 641;
    ws.patternWidth = 128;
    EXPECT_EQ(decode(640, 3, flatStereogram(640, 3, 128, 3, 0, 14)), std::vector<uint8_t>(640 * 3, 255));
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{NoWidthMessage});
    EXPECT_EQ(recordedCaptions(), std::vector<std::string>{""});
}

TEST_F(Decoding, WithoutAnyStripWidthEveryRowIsSearchedFromColumnZero) {
    // Ten columns: no width can be detected, and patternWidth 0 is taken.
    const std::vector<uint8_t> row = {5, 6, 5, 6, 9, 8, 7, 1, 2, 3};
    ws.patternWidth = 0;
    // The search finds separation 2 at column 0 (level 6); nothing repeats after it.
    EXPECT_EQ(decode(10, 1, row), std::vector<uint8_t>(10, 191));
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{NoWidthMessage});

    ws.preferences.unresolvedPolicy = UnresolvedPolicy::Random;
    ws.randomState = 1;
    const std::vector<uint8_t> map = decode(10, 1, row);
    uint32_t state = 1;
    std::vector<uint8_t> expected = {191, 191};
    for (int i = 0; i < 8; ++i) expected.push_back(greyOfLevel(referenceRandom(state) % 9, 32));
    EXPECT_EQ(map, expected);
    // No tail, so no raw greys drawn after the eight levels.
    EXPECT_EQ(ws.randomState, state);
}

TEST_F(Decoding, BackgroundTakesColumnZeroOfTheRowOrOfTheRowBefore) {
    // Row 0 never repeats, row 1 repeats with period 5, row 2 never repeats.
    const std::vector<uint8_t> rows = {10, 11, 12, 13, 14, 15, 16, 17, 18, 19,  //
                                       1,  2,  3,  4,  5,  1,  2,  3,  4,  5,   //
                                       20, 21, 22, 23, 24, 25, 26, 27, 28, 29};
    ws.patternWidth = 2;
    ws.preferences.unresolvedPolicy = UnresolvedPolicy::Background;
    std::vector<uint8_t> expected(10, 0);                // before any row, column 0 reads 0
    expected.insert(expected.end(), 10, uint8_t{159});   // separation 5 is level 2 + 8 - 5
    expected.insert(expected.end(), 10, uint8_t{159});   // the previous row's column 0
    EXPECT_EQ(decode(10, 3, rows), expected);

    ws.preferences.unresolvedPolicy = UnresolvedPolicy::KeepPrevious;
    expected.assign(10, 255);
    expected.insert(expected.end(), 10, uint8_t{159});
    expected.insert(expected.end(), 10, uint8_t{255});
    EXPECT_EQ(decode(10, 3, rows), expected);
}

TEST_F(Decoding, AStripAtLeastAsWideAsTheImageLeavesTheClearedMap) {
    std::vector<uint8_t> rows(10 * 12);
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<uint8_t>(i * 7);
    ws.preferences.unresolvedPolicy = UnresolvedPolicy::Random;
    for (int32_t patternWidth : {10, 13, INT_MAX, -1, INT_MIN}) {
        ws.patternWidth = patternWidth;
        ws.randomState = 5;
        EXPECT_EQ(decode(10, 12, rows), std::vector<uint8_t>(10 * 12, 0)) << patternWidth;
        EXPECT_EQ(ws.randomState, 5u);
        EXPECT_EQ(countRecorded(UiCallKind::StepProgress), 2);
        EXPECT_EQ(countRecorded(UiCallKind::Present), 1);
    }
}

TEST_F(Decoding, ProgressStepsAfterEveryTenthRowThenResetsAndShows) {
    putStereogramOnShow(ws, 640, 480, flatStereogram(640, 480, 128, 3, 255, 1));
    decodeStereogram(ws, nullptr);
    std::vector<UiCallKind> expected(48, UiCallKind::StepProgress);
    expected.push_back(UiCallKind::ResetProgress);
    expected.push_back(UiCallKind::Present);
    EXPECT_EQ(recordedKinds(), expected);
    EXPECT_EQ(depthMapOf(ws), std::vector<uint8_t>(640 * 480, 255));

    decode(640, 5, flatStereogram(640, 5, 128, 3, 255, 2));
    EXPECT_EQ(recordedKinds(),
              (std::vector<UiCallKind>{UiCallKind::StepProgress, UiCallKind::ResetProgress, UiCallKind::Present}));
    decode(640, 11, flatStereogram(640, 11, 128, 3, 255, 2));
    EXPECT_EQ(countRecorded(UiCallKind::StepProgress), 2);
}

TEST_F(Decoding, TheDecodedMapIsShownAsItIs) {
    // Random tail values are no level greys: a quantised view would change them.
    ws.preferences.unresolvedPolicy = UnresolvedPolicy::Random;
    std::vector<uint8_t> depth(640 * 2, 255);
    std::memset(depth.data() + 640 + 200, 95, 200);
    decode(640, 2, referenceLinkRows(shuffledRows(640, 2, 3), depth, 640, 2, 128, 3));
    const std::vector<uint8_t> map = depthMapOf(ws);
    for (int32_t y = 0; y < 2; ++y)
        for (int32_t x = 0; x < 640; ++x) {
            ASSERT_EQ(shownGrey(ws, x, y), map[y * 640 + x]);
        }
    EXPECT_EQ(map[640 + 300], 95);
    EXPECT_NE(greyOfLevel((map[639] + 1) / 32, 32), map[639]);
}

TEST_F(Decoding, DecodingTwiceRepeatsItselfUnlessRandomValuesAreDrawn) {
    const std::vector<uint8_t> stereogram = flatStereogram(640, 6, 128, 3, 0, 21);
    putStereogramOnShow(ws, 640, 6, stereogram);
    decodeStereogram(ws, nullptr);
    const std::vector<uint8_t> first = depthMapOf(ws);
    decodeStereogram(ws, nullptr);
    EXPECT_EQ(depthMapOf(ws), first);

    ws.preferences.unresolvedPolicy = UnresolvedPolicy::Random;
    decodeStereogram(ws, nullptr);
    const std::vector<uint8_t> firstRandom = depthMapOf(ws);
    decodeStereogram(ws, nullptr);
    EXPECT_NE(depthMapOf(ws), firstRandom);
    EXPECT_EQ(column(depthMapOf(ws), 640, 5, 0, 504), std::vector<uint8_t>(504, 0));
}

TEST_F(Decoding, TheUndetectedWidthIsToldAfterTheMapIsReplacedAndBeforeAnyRow) {
    std::vector<uint8_t> noise(100 * 12);
    uint32_t state = 3;
    for (uint8_t& v : noise) v = static_cast<uint8_t>(referenceRandom(state) % 256);
    ws.patternWidth = 20;
    decode(100, 12, noise);
    ASSERT_EQ(recordedUi.calls.size(), 5u);
    EXPECT_EQ(recordedUi.calls[0].kind, UiCallKind::Message);
    EXPECT_EQ(recordedUi.calls[0].text, NoWidthMessage);
    EXPECT_EQ(recordedUi.calls[0].caption, "");
    EXPECT_EQ(recordedUi.calls[1].kind, UiCallKind::StepProgress);

    // The DepthMap comes first: when it cannot be made, no width is looked for.
    releaseAll(ws);
    resetRecordedUi();
    putStereogramOnShow(ws, 100, 12, noise);
    failAllocationsAfter(0);
    decodeStereogram(ws, nullptr);
    failAllocationsAfter(-1);
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Brak pamięci!"});
    // When the working row cannot be made, the width was told before.
    releaseAll(ws);
    resetRecordedUi();
    putStereogramOnShow(ws, 100, 12, noise);
    failAllocationsAfter(1);
    decodeStereogram(ws, nullptr);
    failAllocationsAfter(-1);
    EXPECT_EQ(recordedMessages(), (std::vector<std::string>{NoWidthMessage, "Brak pamięci!"}));
}

TEST_F(Decoding, WithoutAStereogramOnlyTheMessageIsShown) {
    putPictureOnShow(ws, 4, 1, 0);
    putRaster(ws.depthMap, 4, 1, {42, 42, 42, 42});
    const uint8_t* oldMap = ws.depthMap.pixels.get();
    ws.preferences.unresolvedPolicy = UnresolvedPolicy::Random;
    decodeStereogram(ws, nullptr);
    EXPECT_EQ(recordedKinds(), std::vector<UiCallKind>{UiCallKind::Message});
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Hej, nie ma wygenerowanego stereogramu!"});
    EXPECT_EQ(recordedCaptions(), std::vector<std::string>{""});
    EXPECT_EQ(ws.depthMap.pixels.get(), oldMap);
    EXPECT_EQ(depthMapOf(ws), std::vector<uint8_t>(4, 42));
    EXPECT_EQ(ws.randomState, 1u);

    // A Stereogram of another size is not read either.
    resetRecordedUi();
    ASSERT_TRUE(replaceGreyImage(ws.stereogram, 5, 1));
    decodeStereogram(ws, nullptr);
    EXPECT_EQ(recordedMessages(), std::vector<std::string>{"Hej, nie ma wygenerowanego stereogramu!"});
    EXPECT_EQ(ws.depthMap.pixels.get(), oldMap);
}

TEST_F(Decoding, RunningOutOfMemoryStopsAtOnce) {
    const std::vector<uint8_t> stereogram = flatStereogram(640, 3, 128, 3, 255, 6);
    putStereogramOnShow(ws, 640, 3, stereogram);
    ASSERT_TRUE(replaceGreyImage(ws.depthMap, 640, 3));
    failAllocationsAfter(0);
    decodeStereogram(ws, nullptr);
    failAllocationsAfter(-1);
    // The old DepthMap was released first.
    EXPECT_EQ(ws.depthMap.pixels.get(), nullptr);
    expectOnlyOutOfMemoryReport();

    resetRecordedUi();
    failAllocationsAfter(1);
    decodeStereogram(ws, nullptr);
    failAllocationsAfter(-1);
    // The new DepthMap stays, but no row was decoded and nothing was shown.
    EXPECT_NE(ws.depthMap.pixels.get(), nullptr);
    EXPECT_EQ(ws.depthMap.width, 640);
    EXPECT_EQ(ws.depthMap.height, 3);
    expectOnlyOutOfMemoryReport();
}

TEST_F(Decoding, RunsToTheRightStayInsideTheRow) {
    // Row 0: 1 2 3 1 2 3 1 2; row 1: all 4.
    putStereogramOnShow(ws, 8, 2, {1, 2, 3, 1, 2, 3, 1, 2, 4, 4, 4, 4, 4, 4, 4, 4});
    ws.preferences.minMatch = 1;
    EXPECT_EQ(matchRunRight(ws, 0, 0, 3), 3);  // capped at the separation
    EXPECT_EQ(matchRunRight(ws, 3, 0, 3), 2);  // stopped by the row's end
    EXPECT_EQ(matchRunRight(ws, 0, 0, 2), 0);
    EXPECT_EQ(matchRunRight(ws, 0, 1, 1), 1);
    EXPECT_EQ(matchRunRight(ws, 0, 1, 5), 3);  // the next row is not read
    EXPECT_EQ(matchRunRight(ws, 6, 1, 2), 0);
    EXPECT_EQ(matchRunRight(ws, -1, 0, 3), 0);
    EXPECT_EQ(matchRunRight(ws, INT_MIN, 0, INT_MAX), 0);
    EXPECT_EQ(matchRunRight(ws, INT_MAX, 0, INT_MAX), 0);
    EXPECT_EQ(matchRunRight(ws, 0, 0, INT_MAX), 0);
    EXPECT_EQ(matchRunRight(ws, 0, 2, 3), 0);
    EXPECT_EQ(matchRunRight(ws, 0, -1, 3), 0);
    EXPECT_EQ(matchRunRight(ws, 0, 0, 0), 0);
    EXPECT_EQ(matchRunRight(ws, 0, 0, -3), 0);
    ws.preferences.minMatch = 3;
    EXPECT_EQ(matchRunRight(ws, 3, 0, 3), 0);
    EXPECT_EQ(matchRunRight(ws, 0, 0, 3), 3);
}

// Depth rows of plateaus longer than levelCount, each at a value
// depthStep * n - 1 with n >= 1;
// row 0 stays at the nearest depth, so that its plain repeats of the strip
// give the detection its answer with excess 0. No plateau begins in the last
// `blindColumns`: a depth there has no repeat inside the row to be read from.
std::vector<uint8_t> plateauDepths(int32_t width, int32_t height, int32_t depthBits, int32_t blindColumns,
                                   uint32_t& state) {
    const int32_t levels = 1 << depthBits;
    const int32_t step = 256 / levels;
    std::vector<uint8_t> depth(static_cast<size_t>(width) * height, 255);
    for (int32_t y = 1; y < height; ++y) {
        for (int32_t x = 0; x < width;) {
            // Where the depth rises by k levels, the copies of the k - 1 pixels
            // before the step are overwritten; a plateau longer than every step
            // keeps a copy to be read from.
            int32_t length = levels + 1 + referenceRandom(state) % 60;
            if (x + length > width - blindColumns) length = width - x;
            const int32_t n = 1 + referenceRandom(state) % levels;
            std::memset(depth.data() + y * width + x, step * n - 1, static_cast<size_t>(length));
            x += length;
        }
    }
    return depth;
}

// With 250 columns every row's fill holds 250 different values, so two
// pixels are equal only when one is a copy of the other: the rows have no
// accidental repeats. The separations (50 to 66) stay far below the
// distance of a copy of a copy (100 or more), so the search never reaches
// one before the true separation.
TEST_F(Decoding, DepthsOfTheLevelFormComeBackUnchangedThroughGeneration) {
    const int32_t width = 250;
    const int32_t height = 24;
    const int32_t stripWidth = 50;
    uint32_t state = 4242;
    for (int32_t depthBits : {1, 2, 3, 4}) {
        for (uint32_t seed = 1; seed <= 6; ++seed) {
            setDepthBits(ws.preferences, depthBits);
            const int32_t blindColumns = stripWidth + (1 << depthBits) + 2;
            const std::vector<uint8_t> depth = plateauDepths(width, height, depthBits, blindColumns, state);
            const std::vector<uint8_t> stereogram = referenceLinkRows(shuffledRows(width, height, seed * 31 + depthBits),
                                                                      depth, width, height, stripWidth, depthBits);
            const std::vector<uint8_t> map = decode(width, height, stereogram);
            ASSERT_EQ(map.size(), depth.size());
            for (int32_t y = 0; y < height; ++y)
                EXPECT_EQ(mismatches(column(map, width, y, 0, width), column(depth, width, y, 0, width)), "")
                    << "depthBits " << depthBits << " seed " << seed << " row " << y;
        }
    }
    EXPECT_TRUE(recordedMessages().empty());
}

// The sample stereograms of the comparison: noise, few greys, or rows made
// by linking a random depth map, with repeats at many separations. The
// linked ones are often made for a width that their strip divides, so that
// detection finds it; `width` is adjusted to that.
std::vector<uint8_t> sampleStereogram(int32_t& width, int32_t height, uint32_t& state) {
    auto draw = [&state](int32_t n) { return referenceRandom(state) % n; };
    const int32_t kind = draw(4);
    const int32_t repeatCount = 2 + draw(9);
    if (kind == 3 && width >= repeatCount) width -= width % repeatCount;
    const int32_t greys = kind == 1 ? 1 + draw(4) : 1 + draw(256);
    std::vector<uint8_t> filled(static_cast<size_t>(width) * height);
    for (uint8_t& v : filled) v = static_cast<uint8_t>(draw(greys));
    if (kind < 2) return filled;
    const int32_t depthBits = 1 + draw(8);
    const int32_t stripWidth = std::max(1, width / repeatCount);
    std::vector<uint8_t> depth(filled.size());
    const int32_t plateau = 1 + draw(60);
    for (size_t i = 0; i < depth.size(); ++i)
        depth[i] = i % plateau == 0 || i == 0 ? static_cast<uint8_t>(draw(256)) : depth[i - 1];
    return referenceLinkRows(filled, depth, width, height, stripWidth, depthBits);
}

// The samples above are only as good as the linking that makes them: it
// must give the small worked example of generation, with the program's
// random sequence.
TEST_F(Decoding, TheSampleMakerLinksRowsAsGenerationDoes) {
    const std::vector<uint8_t> depth = {0, 0, 0, 0, 255, 255, 255, 255, 0, 0, 0, 0};
    const std::vector<uint8_t> tiled = {10, 20, 30, 40, 10, 20, 30, 40, 10, 20, 30, 40};
    EXPECT_EQ(referenceLinkRows(tiled, depth, 12, 1, 4, 1),
              (std::vector<uint8_t>{10, 20, 30, 40, 10, 20, 10, 20, 10, 20, 10, 20}));
    std::vector<uint8_t> filled = {10, 20, 30, 40};
    uint32_t state = 1;
    Workspace fresh = freshWorkspace();
    for (int i = 0; i < 8; ++i) {
        const int32_t value = referenceRandom(state);
        ASSERT_EQ(value, nextRandom(fresh.randomState));
        filled.push_back(static_cast<uint8_t>(value % 256));
    }
    EXPECT_EQ(std::vector<uint8_t>(filled.begin() + 4, filled.end()),
              (std::vector<uint8_t>{41, 35, 190, 132, 225, 108, 214, 174}));
    EXPECT_EQ(referenceLinkRows(filled, depth, 12, 1, 4, 1),
              (std::vector<uint8_t>{10, 20, 30, 40, 41, 35, 10, 20, 41, 35, 10, 20}));
}

// Rows that repeat at many separations: a fill of `greys` values linked by
// a depth map of short plateaus, so that runs end and searches begin
// everywhere, also within a block's width of both ends of the row.
std::vector<uint8_t> linkedRows(Draws& draw, int32_t width, int32_t height, int32_t stripWidth, int32_t depthBits,
                                int32_t greys) {
    const std::vector<uint8_t> filled = draw.bytes(static_cast<size_t>(width) * height, greys);
    std::vector<uint8_t> depth(filled.size());
    const int32_t plateau = 1 + draw.below(40);
    for (size_t i = 0; i < depth.size(); ++i)
        depth[i] = i % plateau == 0 ? static_cast<uint8_t>(draw.below(256)) : depth[i - 1];
    return referenceLinkRows(filled, depth, width, height, stripWidth, depthBits);
}

// One decoding to compare: a stereogram and the preferences it is decoded
// with.
struct DecodingCase {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;
    ReferenceSettings settings;
    uint32_t randomState = 1;
};

// Small stereograms of every kind (see sampleStereogram) with any
// preferences, hostile ones among them.
DecodingCase smallStereogram(Draws& draw) {
    DecodingCase c;
    c.width = 1 + draw.below(200);
    c.height = 1 + draw.below(12);
    c.pixels = sampleStereogram(c.width, c.height, draw.state);
    c.settings.depthBits = 1 + draw.below(8);
    c.settings.minMatch = draw.below(8) == 0  ? INT_MAX
                          : draw.below(8) < 5 ? 1 + draw.below(3)
                                              : draw.below(c.width + 11) - 5;
    c.settings.searchRange = draw.below(8) == 0 ? INT_MAX : draw.below(404) - 3;
    c.settings.policy = draw.below(3);
    c.settings.patternWidth = draw.below(c.width + 4);
    c.randomState = static_cast<uint32_t>(draw.below(32768)) << 15 | static_cast<uint32_t>(draw.below(32768));
    return c;
}

// Wider rows whose searches start or end near a multiple of the 16
// separations that the search tests at once: search ranges just around one,
// two and ten blocks, and the initial 165; rows of few greys (many repeats)
// and of noise (none).
DecodingCase blockEdgeStereogram(Draws& draw) {
    const int32_t searchRanges[] = {2, 3, 16, 17, 18, 32, 33, 34, 160, 161, 162, 165, 400, INT_MAX};
    DecodingCase c;
    c.width = 40 + draw.below(560);
    c.height = 1 + draw.below(4);
    const int32_t kind = draw.below(3);
    const int32_t greys = kind == 0 ? 256 : 2 + draw.below(6);
    const int32_t stripWidth = 1 + draw.below(std::max(1, c.width / 2));
    c.settings.depthBits = 1 + draw.below(8);
    c.settings.minMatch = draw.below(10) == 0 ? 20 + draw.below(200) : draw.below(5);
    c.settings.searchRange = searchRanges[draw.below(14)];
    c.settings.policy = draw.below(3);
    c.settings.patternWidth = stripWidth;
    c.pixels = kind == 2 ? draw.bytes(static_cast<size_t>(c.width) * c.height, greys)
                         : linkedRows(draw, c.width, c.height, stripWidth, c.settings.depthBits, greys);
    c.randomState = static_cast<uint32_t>(draw.below(32768)) << 15 | 77u;
    return c;
}

// A family of decodings, and what it is there to reach: `atLeast` of its
// trials must.
struct DecodingFamily {
    const char* name;
    uint32_t seed;
    int trials;
    DecodingCase (*draw)(Draws&);
    bool (*reaches)(const DecodingCase&, const ReferenceDecoding&);
    int atLeast;
};

class DecodingAgreesWithThePlainVersion : public Decoding, public ::testing::WithParamInterface<DecodingFamily> {};

TEST_P(DecodingAgreesWithThePlainVersion, OnEveryTrial) {
    const DecodingFamily& family = GetParam();
    Draws draw{family.seed};
    const UnresolvedPolicy policies[] = {UnresolvedPolicy::KeepPrevious, UnresolvedPolicy::Random,
                                         UnresolvedPolicy::Background};
    int reached = 0;
    for (int trial = 0; trial < family.trials; ++trial) {
        const DecodingCase c = family.draw(draw);
        setDepthBits(ws.preferences, c.settings.depthBits);
        ws.preferences.minMatch = c.settings.minMatch;
        ws.preferences.searchRange = c.settings.searchRange;
        ws.preferences.unresolvedPolicy = policies[c.settings.policy];
        ws.patternWidth = c.settings.patternWidth;
        ws.randomState = c.randomState;
        const std::vector<uint8_t> map = decode(c.width, c.height, c.pixels);

        const ReferenceDecoding expected = referenceDecode(c.pixels, c.width, c.height, c.settings, c.randomState);
        const std::string where = "trial " + std::to_string(trial) + ", " + std::to_string(c.width) + " x " +
                                  std::to_string(c.height) + ", strip " + std::to_string(expected.stripWidth) +
                                  ", minMatch " + std::to_string(c.settings.minMatch) + ", searchRange " +
                                  std::to_string(c.settings.searchRange);
        ASSERT_EQ(map, expected.depthMap) << where;
        ASSERT_EQ(ws.randomState, expected.randomState) << where;
        EXPECT_EQ(detectPatternWidth(ws), expected.detectedWidth) << where;
        EXPECT_EQ(countRecorded(UiCallKind::Message), expected.detectedWidth == 0 ? 1 : 0) << where;
        EXPECT_EQ(countRecorded(UiCallKind::StepProgress), (c.height + 9) / 10) << where;
        EXPECT_EQ(countRecorded(UiCallKind::Present), 1) << where;
        if (family.reaches(c, expected)) ++reached;
    }
    EXPECT_GE(reached, family.atLeast);
}

INSTANTIATE_TEST_SUITE_P(
    Families, DecodingAgreesWithThePlainVersion,
    ::testing::Values(
        // The samples must reach the detected widths as well as the fallback.
        DecodingFamily{"SmallStereograms", 31337, 800, smallStereogram,
                       [](const DecodingCase&, const ReferenceDecoding& d) { return d.detectedWidth != 0; }, 100},
        DecodingFamily{"BlockEdges", 2024, 240, blockEdgeStereogram,
                       [](const DecodingCase& c, const ReferenceDecoding&) { return c.settings.searchRange > 2; },
                       150}),
    NamedAfterTheParameter());

// The first point of a noisy row repeats once, `offset` away from the
// strip's separation on one side: the search must find it exactly while
// the offset lies below searchRange, whichever block of 16 it falls in.
TEST_F(Decoding, ASingleRepeatIsFoundAtEveryOffsetOfTheRange) {
    const int32_t width = 700;
    const int32_t stripWidth = 200;
    for (int32_t side : {-1, 1}) {
        for (int32_t offset : {1, 2, 15, 16, 17, 31, 32, 33, 100, 163, 164, 165}) {
            for (int32_t minMatch : {1, 2, 3}) {
                Draws draw{static_cast<uint32_t>(offset * 7 + minMatch)};
                std::vector<uint8_t> row = draw.bytes(width, 256);
                const int32_t copyAt = stripWidth + side * offset;
                for (int32_t i = 0; i < 3; ++i) row[copyAt + i] = row[i];
                ReferenceSettings settings;
                settings.depthBits = 8;
                settings.minMatch = minMatch;
                settings.patternWidth = stripWidth;
                releaseAll(ws);
                resetRecordedUi();
                putStereogram(ws, width, 1, row);
                putPictureOnShow(ws, width, 1);
                ws.preferences.depthBits = 8;
                ws.preferences.depthStep = 1;
                ws.preferences.minMatch = minMatch;
                ws.patternWidth = stripWidth;
                decodeStereogram(ws, nullptr);
                const std::string where = "side " + std::to_string(side) + " offset " + std::to_string(offset) +
                                          " minMatch " + std::to_string(minMatch);
                const ReferenceDecoding expected = referenceDecode(row, width, 1, settings, ws.randomState);
                ASSERT_EQ(std::vector<uint8_t>(ws.depthMap.pixels.get(), ws.depthMap.pixels.get() + width), expected.depthMap)
                    << where;
                // On the right the level tells the separation: 256 - offset,
                // shown as 255 - offset; unresolved, column 0 stays at 255.
                // Single pixels repeat by chance everywhere, so only runs of
                // two or more tell.
                if (side == 1 && minMatch >= 2) {
                    EXPECT_EQ(ws.depthMap.pixels[0], offset < 165 ? 255 - offset : 255) << where;
                }
            }
        }
    }
}

}  // namespace
