#include <gtest/gtest.h>

#include "recording_platform.h"
#include "shell/preferences_form.h"
#include "workspace/preferences_table.h"
#include "workspace_samples.h"

namespace {

class PreferencesDialogRules : public ::testing::Test {
protected:
    void SetUp() override {
        resetRecordedUi();
        form = preferencesFormFrom(ws.preferences);
    }
    void TearDown() override { releaseAll(ws); }

    void givePattern() { ASSERT_TRUE(replaceGreyImage(ws.pattern, 128, 480)); ws.patternWidth = 128; }

    bool confirm() { return confirmPreferences(ws, form, nullptr); }

    void expectOnlyMessage(const char* text, const char* caption) {
        ASSERT_EQ(recordedMessages().size(), 1u);
        EXPECT_EQ(recordedMessages()[0], text);
        EXPECT_EQ(recordedCaptions()[0], caption);
    }

    Workspace ws = freshWorkspace();
    PreferencesForm form;
};

bool samePreferences(const Preferences& a, const Preferences& b) {
    return a.depthBits == b.depthBits && a.depthStep == b.depthStep && a.repeatCount == b.repeatCount &&
           a.minMatch == b.minMatch && a.searchRange == b.searchRange && a.wallEyed == b.wallEyed &&
           a.randomFill == b.randomFill && a.unresolvedPolicy == b.unresolvedPolicy && a.colour == b.colour;
}

const char* const DepthRefused = "Błędne wartości głębokości\ndozwolone wartości: 1-8";
const char* const RepeatRefused =
    "Błędne wartości ilości powtórzeń wzorca\ndozwolone wartości: 3 - szeokość ekarnu/10";

TEST(PreferencesFieldNumbers, ReadLikeTheDialogsNumberFields) {
    EXPECT_EQ(readFieldNumber(""), 0);
    EXPECT_EQ(readFieldNumber("abc"), 0);
    EXPECT_EQ(readFieldNumber("   42"), 42);
    EXPECT_EQ(readFieldNumber("17xyz"), 17);
    EXPECT_EQ(readFieldNumber("12 34"), 12);
    EXPECT_EQ(readFieldNumber("-5"), 0);
    EXPECT_EQ(readFieldNumber("4294967295"), -1);
    EXPECT_EQ(readFieldNumber("4294967296"), 0);
    EXPECT_EQ(readFieldNumber("99999999999999999999999"), 0);
    EXPECT_EQ(readFieldNumber("2147483648"), INT32_MIN);
    EXPECT_EQ(readFieldNumber("2147483647"), INT32_MAX);
}

TEST(PreferencesFieldNumbers, FormShowsTheStoredValuesUnsigned) {
    Preferences prefs;
    prefs.minMatch = -1;
    prefs.unresolvedPolicy = UnresolvedPolicy::Background;
    PreferencesForm form = preferencesFormFrom(prefs);
    EXPECT_EQ(formText(form, "depth-bits"), "3");
    EXPECT_EQ(formText(form, "repeat"), "5");
    EXPECT_EQ(formText(form, "min-match"), "4294967295");
    EXPECT_EQ(formText(form, "search-range"), "165");
    EXPECT_TRUE(formTick(form, "wall-eyed"));
    EXPECT_TRUE(formTick(form, "random-fill"));
    EXPECT_FALSE(formTick(form, "unresolved-keep"));
    EXPECT_FALSE(formTick(form, "unresolved-random"));
    EXPECT_TRUE(formTick(form, "unresolved-background"));
}

TEST_F(PreferencesDialogRules, RepeatCountRangeFollowsTheImageWidth) {
    for (const char* accepted : {"3", "64"}) {
        resetRecordedUi();
        setFormText(form, "repeat", accepted);
        EXPECT_TRUE(confirm()) << accepted;
        EXPECT_TRUE(recordedMessages().empty());
    }
    for (const char* refused : {"2", "65", "", "0"}) {
        resetRecordedUi();
        setFormText(form, "repeat", refused);
        EXPECT_FALSE(confirm()) << refused;
        expectOnlyMessage(RepeatRefused, "Uwaga");
    }
    ws.imageWidth = 29;  // no repeat count is allowed below 30 pixels
    for (const char* refused : {"2", "3", "4"}) {
        resetRecordedUi();
        setFormText(form, "repeat", refused);
        EXPECT_FALSE(confirm());
        expectOnlyMessage(RepeatRefused, "Uwaga");
    }
}

TEST_F(PreferencesDialogRules, DepthIsCheckedFirstAndRefusalsStoreNothing) {
    const Preferences before = ws.preferences;
    setFormText(form, "min-match", "7");
    setFormText(form, "search-range", "9");
    setFormTick(form, "wall-eyed", false);
    for (const char* refused : {"", "0", "9", "4294967297"}) {
        resetRecordedUi();
        setFormText(form, "depth-bits", refused);
        setFormText(form, "repeat", "2");
        EXPECT_FALSE(confirm());
        expectOnlyMessage(DepthRefused, "Uwaga");
        EXPECT_TRUE(samePreferences(ws.preferences, before));
    }
    setFormText(form, "depth-bits", "4");
    resetRecordedUi();
    EXPECT_FALSE(confirm());
    EXPECT_TRUE(samePreferences(ws.preferences, before));
}

TEST_F(PreferencesDialogRules, DepthStepFollowsTheStoredDepthBits) {
    const int32_t steps[] = {128, 64, 32, 16, 8, 4, 2, 1};
    for (int32_t bits = 1; bits <= 8; ++bits) {
        setFormText(form, "depth-bits", std::to_string(bits));
        ASSERT_TRUE(confirm());
        EXPECT_EQ(ws.preferences.depthBits, bits);
        EXPECT_EQ(ws.preferences.depthStep, steps[bits - 1]);
    }
}

TEST_F(PreferencesDialogRules, ChangedRepeatCountReleasesAPresentPattern) {
    givePattern();
    setFormText(form, "repeat", "5");
    EXPECT_TRUE(confirm());
    EXPECT_TRUE(recordedMessages().empty());
    EXPECT_NE(ws.pattern.pixels.get(), nullptr);

    setFormText(form, "repeat", "6");
    EXPECT_TRUE(confirm());
    expectOnlyMessage("Zmieniono szerokość wzorca.\nNależy ponownie go wygenerować", "Uwaga!");
    EXPECT_EQ(ws.pattern.pixels.get(), nullptr);
    EXPECT_EQ(ws.patternWidth, 128);
    EXPECT_EQ(ws.preferences.repeatCount, 6);

    resetRecordedUi();
    setFormText(form, "repeat", "7");  // no pattern: nothing to warn about
    EXPECT_TRUE(confirm());
    EXPECT_TRUE(recordedMessages().empty());
    EXPECT_EQ(ws.preferences.repeatCount, 7);
}

TEST_F(PreferencesDialogRules, RefusedConfirmKeepsThePattern) {
    givePattern();
    setFormText(form, "repeat", "6");
    setFormText(form, "depth-bits", "9");
    EXPECT_FALSE(confirm());
    EXPECT_NE(ws.pattern.pixels.get(), nullptr);
    EXPECT_EQ(ws.preferences.repeatCount, 5);
}

TEST_F(PreferencesDialogRules, EveryFieldIsStored) {
    setFormText(form, "depth-bits", "6");
    setFormText(form, "repeat", "10");
    setFormText(form, "min-match", "abc");
    setFormText(form, "search-range", "300px");
    setFormTick(form, "wall-eyed", false);
    setFormTick(form, "random-fill", false);
    setFormTick(form, "unresolved-keep", false);
    setFormTick(form, "unresolved-random", true);
    ASSERT_TRUE(confirm());
    EXPECT_EQ(ws.preferences.depthBits, 6);
    EXPECT_EQ(ws.preferences.depthStep, 4);
    EXPECT_EQ(ws.preferences.repeatCount, 10);
    EXPECT_EQ(ws.preferences.minMatch, 0);
    EXPECT_EQ(ws.preferences.searchRange, 300);
    EXPECT_FALSE(ws.preferences.wallEyed);
    EXPECT_FALSE(ws.preferences.randomFill);
    EXPECT_EQ(ws.preferences.unresolvedPolicy, UnresolvedPolicy::Random);
    EXPECT_FALSE(ws.preferences.colour);

    setFormTick(form, "colour", true);
    ASSERT_TRUE(confirm());
    EXPECT_TRUE(ws.preferences.colour);

    setFormTick(form, "unresolved-random", false);
    setFormTick(form, "unresolved-background", true);
    ASSERT_TRUE(confirm());
    EXPECT_EQ(ws.preferences.unresolvedPolicy, UnresolvedPolicy::Background);

    setFormTick(form, "unresolved-background", false);  // no radio selected: the policy stays
    ASSERT_TRUE(confirm());
    EXPECT_EQ(ws.preferences.unresolvedPolicy, UnresolvedPolicy::Background);

    // Two ticked (no dialog lets that happen): the first counts.
    setFormTick(form, "unresolved-random", true);
    setFormTick(form, "unresolved-background", true);
    ASSERT_TRUE(confirm());
    EXPECT_EQ(ws.preferences.unresolvedPolicy, UnresolvedPolicy::Random);
}

}  // namespace
