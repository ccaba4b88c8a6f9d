#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "shell/preferences_fields.h"
#include "shell/preferences_ids.h"

namespace {

struct ExpectedField {
    int32_t controlId;
    FieldKind kind;
    std::string label;
    std::string groupTitle;
};

const std::vector<ExpectedField> ExpectedFields = {
    {1000, FieldKind::Number, "Ilość poziomów głębokości (2^x):", "Generacja"},
    {1001, FieldKind::Number, "Ile razy wzorzec ma być powielony:", "Generacja"},
    {1003, FieldKind::CheckBox, "Rozbieżny (WALLEYED)", "Generacja"},
    {1007, FieldKind::CheckBox, "Nieokreśloną wartość losuj", "Generacja"},
    {1005, FieldKind::Text, "Minimum wrażliwości:", "Dekodowanie"},
    {1006, FieldKind::Text, "Maksymalny zakres poszukiwania", "Dekodowanie"},
    {1009, FieldKind::RadioButton, "Zostaw starą wartość", "Jeśli nie da się określić wartości punktu"},
    {1010, FieldKind::RadioButton, "Losuj wartość", "Jeśli nie da się określić wartości punktu"},
    {1011, FieldKind::RadioButton, "Przyjmij wartość tła", "Jeśli nie da się określić wartości punktu"},
};

TEST(PreferencesFields, ControlsKindsLabelsAndFramesInOrder) {
    ASSERT_EQ(PreferencesFieldCount, ExpectedFields.size());
    for (size_t i = 0; i < PreferencesFieldCount; ++i) {
        const PreferencesField& field = PreferencesFields[i];
        SCOPED_TRACE(ExpectedFields[i].label);
        EXPECT_EQ(field.controlId, ExpectedFields[i].controlId);
        EXPECT_EQ(field.kind, ExpectedFields[i].kind);
        EXPECT_EQ(field.label, ExpectedFields[i].label);
        EXPECT_EQ(PreferencesGroups[field.group].title, ExpectedFields[i].groupTitle);
        // A field holds text or a tick, never both.
        EXPECT_EQ(holdsText(field), field.text != nullptr);
        EXPECT_EQ(holdsText(field), field.ticked == nullptr);
    }
}

TEST(PreferencesFields, TheUnresolvedFrameLiesInsideDecoding) {
    EXPECT_STREQ(PreferencesGroups[GenerationGroup].title, "Generacja");
    EXPECT_EQ(PreferencesGroups[GenerationGroup].enclosing, NoEnclosingGroup);
    EXPECT_STREQ(PreferencesGroups[DecodingGroup].title, "Dekodowanie");
    EXPECT_EQ(PreferencesGroups[DecodingGroup].enclosing, NoEnclosingGroup);
    EXPECT_STREQ(PreferencesGroups[UnresolvedGroup].title, "Jeśli nie da się określić wartości punktu");
    EXPECT_EQ(PreferencesGroups[UnresolvedGroup].enclosing, DecodingGroup);
}

TEST(PreferencesFields, TabVisitsFieldsAndButtonsInTheTemplatesOrder) {
    const std::vector<int32_t> order(PreferencesTabOrder, PreferencesTabOrder + PreferencesTabStopCount);
    EXPECT_EQ(order, (std::vector<int32_t>{1000, 1001, 1002, 1004, 1003, 1005, 1006, 1007}));
}

// Each field reaches the part of the form its control edits: a form made
// from preferences of distinct values reads back, field by field, as the
// dialog shows them.
TEST(PreferencesFields, EachFieldShowsItsOwnPreference) {
    Preferences prefs;
    prefs.depthBits = 4;
    prefs.repeatCount = 7;
    prefs.minMatch = 11;
    prefs.searchRange = 200;
    prefs.wallEyed = true;
    prefs.randomFill = false;
    prefs.unresolvedPolicy = UnresolvedPolicy::Random;
    const PreferencesForm form = preferencesFormFrom(prefs);
    const std::map<int32_t, std::string> expectedTexts = {{1000, "4"}, {1001, "7"}, {1005, "11"}, {1006, "200"}};
    const std::map<int32_t, bool> expectedTicks = {{1003, true}, {1007, false}, {1009, false},
                                                   {1010, true}, {1011, false}};
    for (const PreferencesField& field : PreferencesFields) {
        SCOPED_TRACE(field.controlId);
        if (holdsText(field))
            EXPECT_EQ(form.*field.text, expectedTexts.at(field.controlId));
        else
            EXPECT_EQ(form.*field.ticked, expectedTicks.at(field.controlId));
    }
}

// The Windows dialog's template carries the same labels; it names each
// control through preferences_ids.h.
struct TemplateControl {
    std::string text;
    std::string id;
};

std::vector<TemplateControl> preferencesTemplateControls(std::string& caption) {
    std::ifstream script(std::string(TAVRELIC_SOURCE_DIR) + "/src/shell/resources/tavrelic.rc");
    std::stringstream text;
    text << script.rdbuf();
    const std::string all = text.str();
    const size_t start = all.find("IDD_PREFERENCES DIALOGEX");
    const size_t end = all.find("\nEND", start);
    std::stringstream dialog(all.substr(start, end - start));
    const std::regex controlLine(R"re(CONTROL\s+"([^"]*)",\s*([A-Z_0-9-]+))re");
    const std::regex captionLine(R"re(CAPTION\s+"([^"]*)")re");
    std::vector<TemplateControl> controls;
    std::smatch match;
    for (std::string line; std::getline(dialog, line);) {
        if (std::regex_search(line, match, controlLine) && !match[1].str().empty())
            controls.push_back({match[1], match[2]});
        else if (std::regex_search(line, match, captionLine))
            caption = match[1];
    }
    return controls;
}

TEST(PreferencesFields, TheWindowsTemplateShowsTheSameTexts) {
    std::string caption;
    const std::vector<TemplateControl> controls = preferencesTemplateControls(caption);
    EXPECT_EQ(caption, "Preferencje");

    std::vector<std::string> expected = {"OK", "Anuluj"};
    for (const PreferencesGroupBox& group : PreferencesGroups) expected.push_back(group.title);
    for (const PreferencesField& field : PreferencesFields) expected.push_back(field.label);
    std::vector<std::string> shown;
    for (const TemplateControl& control : controls) shown.push_back(control.text);
    std::sort(expected.begin(), expected.end());
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, expected);

    // A check box or radio button's text belongs to the control the table
    // gives it.
    const std::map<std::string, int32_t> ids = {
        {"PREFERENCES_WALL_EYED", PREFERENCES_WALL_EYED},         {"PREFERENCES_RANDOM_FILL", PREFERENCES_RANDOM_FILL},
        {"PREFERENCES_KEEP_PREVIOUS", PREFERENCES_KEEP_PREVIOUS}, {"PREFERENCES_RANDOM_VALUE", PREFERENCES_RANDOM_VALUE},
        {"PREFERENCES_BACKGROUND_VALUE", PREFERENCES_BACKGROUND_VALUE}};
    for (const PreferencesField& field : PreferencesFields) {
        if (holdsText(field)) continue;
        auto control = std::find_if(controls.begin(), controls.end(),
                                    [&](const TemplateControl& c) { return c.text == field.label; });
        ASSERT_NE(control, controls.end()) << field.label;
        ASSERT_EQ(ids.count(control->id), 1u) << control->id;
        EXPECT_EQ(ids.at(control->id), field.controlId) << field.label;
    }
}

}  // namespace
