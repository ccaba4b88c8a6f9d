#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "operations/operations.h"
#include "recording_platform.h"
#include "reference_generation.h"
#include "views/views.h"
#include "workspace_fixture.h"
#include "workspace_samples.h"

namespace {

const std::vector<std::string> PassTexts = {
    "Generowanie #1...", "Dekodowanie #1...", "Generowanie #2...", "Dekodowanie #2...", "Generowanie #3...",
    "Dekodowanie #3...", "Generowanie #4...", "Dekodowanie #4...", "Generowanie #5...", "Dekodowanie #5..."};

// A depth map with a flat left edge at `edge`, a raised block and a
// slope, 320 x 40.
std::vector<uint8_t> sampleDepths(uint8_t edge = 0) {
    std::vector<uint8_t> depth;
    for (int32_t y = 0; y < 40; ++y) {
        for (int32_t x = 0; x < 320; ++x) {
            const bool raised = x >= 150 && x < 220 && y >= 10 && y < 30;
            depth.push_back(static_cast<uint8_t>(x < 80 ? edge : raised ? 200 : x / 2));
        }
    }
    return depth;
}

std::vector<UiCall> callsWithout(UiCallKind kind) {
    std::vector<UiCall> calls;
    for (const UiCall& call : recordedUi.calls)
        if (call.kind != kind) calls.push_back(call);
    return calls;
}

bool sameCalls(const std::vector<UiCall>& a, const std::vector<UiCall>& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].kind != b[i].kind || a[i].text != b[i].text || a[i].caption != b[i].caption ||
            a[i].value != b[i].value)
            return false;
    return true;
}

void prepareLoadedStereogram(Workspace& w);

class Batch : public WorkspaceTest {
protected:
    void TearDown() override {
        WorkspaceTest::TearDown();
        releaseAll(byHand);
    }

    // A loaded depth map and a generated pattern.
    static void prepareMapAndPattern(Workspace& w) {
        putPictureOnShow(w, 320, 40);
        putRaster(w.depthMap, 320, 40, sampleDepths(255));
        generatePattern(w, nullptr);
    }

    // Five generate-and-decode passes called one by one.
    static void fivePassesByHand(Workspace& w) {
        for (int pass = 0; pass < 5; ++pass) {
            generateStereogram(w, nullptr);
            decodeStereogram(w, nullptr);
        }
    }

    Workspace byHand = freshWorkspace();
};

TEST_F(Batch, FivePassesEncodeWhatThePassBeforeDecoded) {
    prepareMapAndPattern(ws);
    prepareMapAndPattern(byHand);
    const std::vector<uint8_t> original = rasterBytes(ws.depthMap);
    resetRecordedUi();
    fivePassesByHand(byHand);
    const std::vector<UiCall> byHandCalls = recordedUi.calls;

    resetRecordedUi();
    runRoundTrip(ws, nullptr);
    EXPECT_EQ(recordedStatusTexts(), PassTexts);
    EXPECT_TRUE(recordedMessages().empty());
    // Each status text comes right before its operation, and the batch
    // calls nothing else.
    EXPECT_EQ(recordedUi.calls.front().kind, UiCallKind::Status);
    EXPECT_TRUE(sameCalls(callsWithout(UiCallKind::Status), byHandCalls));
    int status = 0;
    for (size_t i = 0; i < recordedUi.calls.size(); ++i) {
        if (recordedUi.calls[i].kind != UiCallKind::Status) continue;
        ++status;
        ASSERT_LT(i + 1, recordedUi.calls.size());
        EXPECT_NE(recordedUi.calls[i + 1].kind, UiCallKind::Status) << i;
    }
    EXPECT_EQ(status, 10);
    EXPECT_EQ(countRecorded(UiCallKind::Present), 10);
    EXPECT_EQ(countRecorded(UiCallKind::ResetProgress), 10);
    EXPECT_EQ(countRecorded(UiCallKind::StepProgress), 10 * 4);

    EXPECT_EQ(rasterBytes(ws.depthMap), rasterBytes(byHand.depthMap));
    EXPECT_EQ(rasterBytes(ws.stereogram), rasterBytes(byHand.stereogram));
    EXPECT_EQ(ws.randomState, byHand.randomState);
    EXPECT_NE(rasterBytes(ws.depthMap), original);
    // The last picture on show is the fifth decoded depth map as it is.
    EXPECT_EQ(recordedUi.calls.back().kind, UiCallKind::Present);
    EXPECT_EQ(dibBytes(ws), dibBytes(byHand));
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 320; ++x) ASSERT_EQ(shownGrey(ws, x, y), ws.depthMap.pixels[y * 320 + x]);
}

// The ten pictures of a batch are chosen one after the other, and only
// the last is ever drawn: once for the screen when the window paints, once
// into the picture on show when it is saved.
TEST_F(Batch, NoPictureIsDrawnThatNobodySees) {
    prepareMapAndPattern(ws);
    showChosenPicture(ws, nullptr);
    settleShownView(ws);
    resetRecordedUi();
    runRoundTrip(ws, nullptr);
    EXPECT_EQ(countRecorded(UiCallKind::Present), 10);
    EXPECT_EQ(recordedUi.screenDraws, 0);
    EXPECT_FALSE(ws.shownView.inDisplayDib);
    showChosenPicture(ws, nullptr);
    showChosenPicture(ws, nullptr);
    EXPECT_EQ(recordedUi.screenDraws, 1);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 320; ++x)
            ASSERT_EQ(recordedUi.screenPicture[static_cast<size_t>(y) * 320 + x],
                      0xFF000000u | 0x010101u * ws.depthMap.pixels[y * 320 + x]);
}

// While a box is open the window paints, so a box shows the picture chosen
// before it: each refused generation after the first comes after the
// decoding of the pass before has chosen its depth map (before the first,
// the stereogram was put in place with no view chosen).
TEST_F(Batch, ABoxShowsThePictureChosenBeforeIt) {
    prepareLoadedStereogram(ws);
    resetRecordedUi();
    runRoundTrip(ws, nullptr);
    EXPECT_EQ(recordedUi.screenDrawsAtBoxes, (std::vector<int32_t>{0, 1, 2, 3, 4}));
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 320; ++x)
            ASSERT_EQ(recordedUi.screenPicture[static_cast<size_t>(y) * 320 + x],
                      0xFF000000u | 0x010101u * ws.depthMap.pixels[y * 320 + x]);
}

TEST_F(Batch, WithoutPatternOrStereogramEveryPassShowsBothRefusals) {
    putPictureOnShow(ws, 320, 40);
    putRaster(ws.depthMap, 320, 40, sampleDepths());
    const WorkspaceSnapshot before = snapshotOf(ws);
    runRoundTrip(ws, nullptr);
    EXPECT_EQ(firstDifference(before, snapshotOf(ws)), "");
    std::vector<std::string> messages;
    std::vector<UiCallKind> kinds;
    for (int pass = 0; pass < 5; ++pass) {
        messages.push_back("Hej, nie ma wygenerowanego patternu!");
        messages.push_back("Hej, nie ma wygenerowanego stereogramu!");
        kinds.insert(kinds.end(), {UiCallKind::Status, UiCallKind::Message, UiCallKind::Status, UiCallKind::Message});
    }
    EXPECT_EQ(recordedMessages(), messages);
    EXPECT_EQ(recordedCaptions(), std::vector<std::string>(10, ""));
    EXPECT_EQ(recordedKinds(), kinds);
    EXPECT_EQ(recordedStatusTexts(), PassTexts);
}

// A stereogram as loaded from a file: no depth map, no pattern; its strip
// of 64 columns divides the width and the left edge repeats it plainly, so
// decoding finds it.
void prepareLoadedStereogram(Workspace& w) {
    GenerationInputs in;
    in.width = 320;
    in.height = 40;
    in.depth = sampleDepths(255);
    uint32_t state = 12345;
    in.pattern = referencePattern(64, 40, true, state);
    in.patternWidth = 64;
    in.randomState = state;
    putPictureOnShow(w, 320, 40);
    putRaster(w.stereogram, 320, 40, referenceGenerate(in).pixels);
}

TEST_F(Batch, WithoutAPatternEachPassDecodesTheLoadedStereogramAgain) {
    for (UnresolvedPolicy policy : {UnresolvedPolicy::KeepPrevious, UnresolvedPolicy::Random}) {
        releaseAll(ws);
        releaseAll(byHand);
        prepareLoadedStereogram(ws);
        prepareLoadedStereogram(byHand);
        ws.preferences.unresolvedPolicy = policy;
        byHand.preferences.unresolvedPolicy = policy;
        const uint8_t* loaded = ws.stereogram.pixels.get();
        const std::vector<uint8_t> stereogram = rasterBytes(ws.stereogram);

        resetRecordedUi();
        decodeStereogram(byHand, nullptr);
        const std::vector<uint8_t> onceDecoded = rasterBytes(byHand.depthMap);
        const std::vector<UiCall> oneDecoding = recordedUi.calls;
        ASSERT_FALSE(onceDecoded.empty());
        for (int pass = 1; pass < 5; ++pass) decodeStereogram(byHand, nullptr);

        resetRecordedUi();
        runRoundTrip(ws, nullptr);
        EXPECT_EQ(recordedStatusTexts(), PassTexts);
        EXPECT_EQ(recordedMessages(), std::vector<std::string>(5, "Hej, nie ma wygenerowanego patternu!"));
        // Every pass: the status, the refusal, the status, one whole decoding.
        std::vector<UiCall> onePass = {UiCall{UiCallKind::Status, PassTexts[0], "", 0, 0, 0},
                                       UiCall{UiCallKind::Message, "Hej, nie ma wygenerowanego patternu!", "", 0, 0, 0},
                                       UiCall{UiCallKind::Status, PassTexts[1], "", 0, 0, 0}};
        onePass.insert(onePass.end(), oneDecoding.begin(), oneDecoding.end());
        ASSERT_EQ(recordedUi.calls.size(), 5 * onePass.size());
        for (int pass = 0; pass < 5; ++pass) {
            onePass[0].text = PassTexts[2 * pass];
            onePass[2].text = PassTexts[2 * pass + 1];
            const std::vector<UiCall> calls(recordedUi.calls.begin() + pass * onePass.size(),
                                            recordedUi.calls.begin() + (pass + 1) * onePass.size());
            EXPECT_TRUE(sameCalls(calls, onePass)) << "pass " << pass + 1;
        }
        EXPECT_EQ(ws.stereogram.pixels.get(), loaded);
        EXPECT_EQ(rasterBytes(ws.stereogram), stereogram);
        EXPECT_EQ(rasterBytes(ws.depthMap), rasterBytes(byHand.depthMap));
        EXPECT_EQ(ws.randomState, byHand.randomState);
        if (policy == UnresolvedPolicy::KeepPrevious) {
            // Nothing random: the five decodings give one and the same map.
            EXPECT_EQ(rasterBytes(ws.depthMap), onceDecoded);
            EXPECT_EQ(ws.randomState, 1u);
        }
    }
}

// Running out of memory asks the event loop to end, but the batch goes on
// with its remaining steps before control returns there: every pass shows
// its texts, each failing generation asks again to end with -1, and each
// decoding then finds no stereogram. (Found by the session fuzzer, which
// first expected one request to end.)
TEST_F(Batch, OutOfMemoryEndsNoPassEarlyAndEachFailureAsksToEnd) {
    prepareMapAndPattern(ws);
    resetRecordedUi();
    failAllocationsAfter(0);
    runRoundTrip(ws, nullptr);
    failAllocationsAfter(-1);
    EXPECT_EQ(recordedStatusTexts(), PassTexts);
    std::vector<UiCallKind> onePass = {UiCallKind::Status, UiCallKind::Message, UiCallKind::Quit,
                                       UiCallKind::Status, UiCallKind::Message};
    std::vector<UiCallKind> expected;
    for (int pass = 0; pass < 5; ++pass) expected.insert(expected.end(), onePass.begin(), onePass.end());
    EXPECT_EQ(recordedKinds(), expected);
    std::vector<std::string> messages;
    for (int pass = 0; pass < 5; ++pass) {
        messages.push_back("Brak pamięci!");
        messages.push_back("Hej, nie ma wygenerowanego stereogramu!");
    }
    EXPECT_EQ(recordedMessages(), messages);
    for (const UiCall& quit : recordedCalls(UiCallKind::Quit)) EXPECT_EQ(quit.value, -1);
    EXPECT_EQ(ws.stereogram.pixels.get(), nullptr);
}

}  // namespace
