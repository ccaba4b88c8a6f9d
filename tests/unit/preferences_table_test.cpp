// The Preferences table and what is made from it: the dialog's controls,
// frames, Tab order and layout, the form, and tavrelic-cli's options.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "shell/preferences_layout.h"
#include "workspace/preferences_table.h"

namespace {

struct ExpectedControl {
    int32_t controlId;
    std::string name;
    ControlKind kind;
    std::string label;
    std::string frameTitle;
};

const std::vector<ExpectedControl> ExpectedControls = {
    {1000, "depth-bits", ControlKind::Number, "Ilość poziomów głębokości (2^x):", "Generacja"},
    {1001, "repeat", ControlKind::Number, "Ile razy wzorzec ma być powielony:", "Generacja"},
    {1003, "wall-eyed", ControlKind::CheckBox, "Rozbieżny (WALLEYED)", "Generacja"},
    {1007, "random-fill", ControlKind::CheckBox, "Nieokreśloną wartość losuj", "Generacja"},
    {1012, "colour", ControlKind::CheckBox, "Stereogram w kolorze", "Generacja"},
    {1013, "parallax", ControlKind::Number, "Paralaksa par stereo (0 = auto):", "Generacja"},
    {1005, "min-match", ControlKind::Text, "Minimum wrażliwości:", "Dekodowanie"},
    {1006, "search-range", ControlKind::Text, "Maksymalny zakres poszukiwania", "Dekodowanie"},
    {1009, "unresolved-keep", ControlKind::RadioButton, "Zostaw starą wartość",
     "Jeśli nie da się określić wartości punktu"},
    {1010, "unresolved-random", ControlKind::RadioButton, "Losuj wartość", "Jeśli nie da się określić wartości punktu"},
    {1011, "unresolved-background", ControlKind::RadioButton, "Przyjmij wartość tła",
     "Jeśli nie da się określić wartości punktu"},
    {1014, "decoder-exact", ControlKind::RadioButton, "Dokładny (pliki bezstratne)", "Dekoder"},
    {1015, "decoder-tolerant", ControlKind::RadioButton, "Tolerancyjny (JPEG, obrazki wygładzone)", "Dekoder"},
    {1016, "decoder-auto", ControlKind::RadioButton, "Automatycznie, według pliku", "Dekoder"},
};

TEST(PreferencesTable, ControlsNamesKindsLabelsAndFramesInOrder) {
    const std::vector<PreferencesControl>& controls = preferencesControls();
    ASSERT_EQ(controls.size(), ExpectedControls.size());
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(ExpectedControls[i].name);
        EXPECT_EQ(controls[i].controlId, ExpectedControls[i].controlId);
        EXPECT_EQ(controls[i].name, ExpectedControls[i].name);
        EXPECT_EQ(controls[i].kind, ExpectedControls[i].kind);
        EXPECT_EQ(controls[i].label, ExpectedControls[i].label);
        EXPECT_EQ(PreferencesFrames[controls[i].frame].title, ExpectedControls[i].frameTitle);
    }
    EXPECT_STREQ(PreferencesFrames[UnresolvedFrame].title, "Jeśli nie da się określić wartości punktu");
    EXPECT_EQ(PreferencesFrames[UnresolvedFrame].enclosing, DecodingFrame);
    EXPECT_EQ(PreferencesFrames[DecoderFrame].enclosing, DecodingFrame);
    EXPECT_EQ(PreferencesFrames[GenerationFrame].enclosing, NoEnclosingFrame);
    EXPECT_EQ(PreferencesFrames[DecodingFrame].enclosing, NoEnclosingFrame);
}

TEST(PreferencesTable, TabVisitsTheFirstFieldsTheButtonsThenTheRest) {
    EXPECT_EQ(preferencesTabOrder(),
              (std::vector<int32_t>{1000, 1001, 1002, 1004, 1003, 1005, 1006, 1007, 1012, 1013}));
}

// Each row has one name, one option and one control id of its own: a new
// row that copied another's would reach the wrong setting.
TEST(PreferencesTable, NamesOptionsAndControlsAreUnique) {
    std::map<std::string, int> names, options;
    std::map<int32_t, int> ids;
    for (const PreferencesControl& control : preferencesControls()) {
        ++names[control.name];
        ++ids[control.controlId];
    }
    for (const PreferenceRow& row : preferenceRows()) ++options[row.option];
    for (const PreferencesButton& button : PreferencesButtons) {
        ++names[button.name];
        ++ids[button.controlId];
    }
    for (const auto& [name, count] : names) EXPECT_EQ(count, 1) << name;
    for (const auto& [option, count] : options) EXPECT_EQ(count, 1) << option;
    for (const auto& [id, count] : ids) EXPECT_EQ(count, 1) << id;
}

// The program starts from the rows' values, which are the engine's own.
TEST(PreferencesTable, TheStartValuesAreTheEnginesDefaults) {
    const Preferences start = startPreferences();
    const Preferences defaults;
    for (const PreferenceRow& row : preferenceRows()) EXPECT_EQ(row.read(start), row.read(defaults)) << row.name;
    EXPECT_EQ(start.depthStep, 32);
    EXPECT_FALSE(start.colour);
}

// Each control reaches the setting its row names: a form made from
// preferences of distinct values shows each where it belongs, and storing
// the form gives the same preferences back.
TEST(PreferencesTable, EachControlShowsAndStoresItsOwnSetting) {
    Preferences prefs;
    storeDepthBits(prefs, 4);
    prefs.repeatCount = 7;
    prefs.minMatch = 11;
    prefs.searchRange = 200;
    prefs.wallEyed = true;
    prefs.randomFill = false;
    prefs.colour = true;
    prefs.parallax = 23;
    prefs.unresolvedPolicy = UnresolvedPolicy::Random;
    prefs.decoder = DecoderChoice::Tolerant;
    const PreferencesForm form = preferencesFormFrom(prefs);
    const std::map<std::string, std::string> texts = {
        {"depth-bits", "4"}, {"repeat", "7"}, {"min-match", "11"}, {"search-range", "200"}, {"parallax", "23"}};
    const std::map<std::string, bool> ticks = {{"wall-eyed", true},         {"random-fill", false},
                                               {"colour", true},            {"unresolved-keep", false},
                                               {"unresolved-random", true}, {"unresolved-background", false},
                                               {"decoder-exact", false},    {"decoder-tolerant", true},
                                               {"decoder-auto", false}};
    const std::vector<PreferencesControl>& controls = preferencesControls();
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(controls[i].name);
        if (holdsText(controls[i]))
            EXPECT_EQ(form.texts[i], texts.at(controls[i].name));
        else
            EXPECT_EQ(form.ticks[i], ticks.at(controls[i].name));
    }
    const Preferences stored = preferencesFromForm(form, startPreferences());
    for (const PreferenceRow& row : preferenceRows()) EXPECT_EQ(row.read(stored), row.read(prefs)) << row.name;
    EXPECT_EQ(stored.depthStep, 16);
}

TEST(PreferencesTable, OnlyTheRulesThatNoPictureCouldMeetRefuseWithoutOne) {
    const PreferenceRow& repeat = *preferenceNamed("repeat");
    EXPECT_EQ(checkPreferenceValueForAnyPicture(repeat, 2).kind, OutcomeKind::Refused);
    EXPECT_EQ(checkPreferenceValueForAnyPicture(repeat, 1000).kind, OutcomeKind::Done);
    EXPECT_EQ(checkPreferenceValue(repeat, 1000, 640).kind, OutcomeKind::Refused);
    EXPECT_EQ(checkPreferenceValue(repeat, 64, 640).kind, OutcomeKind::Done);
    EXPECT_EQ(checkPreferenceValueForAnyPicture(*preferenceNamed("depth-bits"), 9).kind, OutcomeKind::Refused);
    EXPECT_EQ(checkPreferenceValueForAnyPicture(*preferenceNamed("min-match"), -5).kind, OutcomeKind::Done);
    EXPECT_EQ(preferenceNamed("no-such-setting"), nullptr);
}

bool inside(const DialogRect& inner, const DialogRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.width <= outer.x + outer.width &&
           inner.y + inner.height <= outer.y + outer.height;
}

bool overlap(const DialogRect& a, const DialogRect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

// Every control lies in its frame, every frame in the dialog (an enclosed
// one in its enclosing frame), and no two controls, labels or buttons
// cover each other.
TEST(PreferencesTable, TheLayoutPutsEveryControlInItsFrameApart) {
    const PreferencesLayout layout = layOutPreferences();
    const DialogRect dialog{0, 0, layout.dialog.width, layout.dialog.height};
    std::vector<DialogRect> placed;
    const std::vector<PreferencesControl>& controls = preferencesControls();
    for (size_t i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(controls[i].name);
        EXPECT_TRUE(inside(layout.controls[i], layout.frames[controls[i].frame]));
        placed.push_back(layout.controls[i]);
        if (holdsText(controls[i])) {
            EXPECT_TRUE(inside(layout.labels[i], layout.frames[controls[i].frame]));
            placed.push_back(layout.labels[i]);
        }
    }
    for (size_t f = 0; f < PreferencesFrameCount; ++f) {
        const int32_t enclosing = PreferencesFrames[f].enclosing;
        EXPECT_TRUE(inside(layout.frames[f], enclosing == NoEnclosingFrame ? dialog : layout.frames[enclosing])) << f;
    }
    for (const DialogRect& button : layout.buttons) {
        EXPECT_TRUE(inside(button, dialog));
        for (const DialogRect& frame : layout.frames) EXPECT_FALSE(overlap(button, frame));
        placed.push_back(button);
    }
    for (size_t a = 0; a < placed.size(); ++a)
        for (size_t b = a + 1; b < placed.size(); ++b) EXPECT_FALSE(overlap(placed[a], placed[b])) << a << " " << b;
}

// The options come from the rows: each row's option sets its setting as
// the dialog would, and --help has a line for each.
TEST(PreferencesTable, EveryRowIsAnOptionWithAHelpLine) {
    CliRequest request;
    std::string error;
    ASSERT_TRUE(parseCliArguments({"generate", "in.bmp", "-o", "out.bmp", "--depth-bits", "4", "--repeat", "6",
                                   "--cross-eyed", "--no-random-fill", "--colour", "--min-match", "3",
                                   "--search-range", "90", "--unresolved", "background"},
                                  request, error))
        << error;
    Preferences prefs = startPreferences();
    applyPreferenceOptions(request.preferences, prefs);
    EXPECT_EQ(prefs.depthBits, 4);
    EXPECT_EQ(prefs.depthStep, 16);
    EXPECT_EQ(prefs.repeatCount, 6);
    EXPECT_FALSE(prefs.wallEyed);
    EXPECT_FALSE(prefs.randomFill);
    EXPECT_TRUE(prefs.colour);
    EXPECT_EQ(prefs.minMatch, 3);
    EXPECT_EQ(prefs.searchRange, 90);
    EXPECT_EQ(prefs.unresolvedPolicy, UnresolvedPolicy::Background);

    const std::string help = cliUsageText();
    EXPECT_NE(help.find("  --depth-bits N      ilość poziomów głębokości 2^N (1-8; 3)\n"), std::string::npos);
    EXPECT_NE(help.find("  --repeat N          ile razy wzorzec ma być powielony (3 - szerokość/10; 5)\n"),
              std::string::npos);
    EXPECT_NE(help.find("  --unresolved keep|random|background\n"
                        "                      nieokreślona wartość punktu: stara, losowa lub tła (keep)\n"),
              std::string::npos);
    EXPECT_NE(help.find("  --colour            stereogram w kolorze"), std::string::npos);
    const std::string manual = manualPreferenceOptions();
    for (const PreferenceRow& row : preferenceRows()) {
        std::string option;
        for (char c : std::string(row.option)) option += c == '-' ? std::string("\\-") : std::string(1, c);
        EXPECT_NE(manual.find(option), std::string::npos) << row.option;
    }

    EXPECT_FALSE(parseCliArguments({"generate", "in.bmp", "-o", "o.bmp", "--unresolved", "maybe"}, request, error));
    EXPECT_EQ(error, "--unresolved: niepoprawna wartość: maybe");
    EXPECT_FALSE(parseCliArguments({"generate", "in.bmp", "-o", "o.bmp", "--repeat", "6x"}, request, error));
    EXPECT_EQ(error, "--repeat: niepoprawna liczba: 6x");
}

}  // namespace
