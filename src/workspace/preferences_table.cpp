#include "workspace/preferences_table.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <utility>

#include "texts/user_texts.h"

namespace {

constexpr NumberRule DepthBitsRule = {1, 8, 0, BadDepthBitsText, PreferencesWarningCaption};
constexpr NumberRule RepeatCountRule = {3, INT32_MAX, 10, BadRepeatCountRangeText, PreferencesWarningCaption};
constexpr NumberRule ParallaxRule = {0, 10000, 0, BadParallaxText, PreferencesWarningCaption};

constexpr PreferenceChoice UnresolvedChoices[] = {
    {"keep", KeepPreviousLabel, static_cast<int32_t>(UnresolvedPolicy::KeepPrevious), 1009, 0},
    {"random", RandomValueLabel, static_cast<int32_t>(UnresolvedPolicy::Random), 1010, 0},
    {"background", BackgroundValueLabel, static_cast<int32_t>(UnresolvedPolicy::Background), 1011, 0},
};

constexpr PreferenceChoice DecoderChoices[] = {
    {"exact", ExactDecoderLabel, static_cast<int32_t>(DecoderChoice::Exact), 1014, 0},
    {"tolerant", TolerantDecoderLabel, static_cast<int32_t>(DecoderChoice::Tolerant), 1015, 0},
    {"auto", AutomaticDecoderLabel, static_cast<int32_t>(DecoderChoice::Automatic), 1016, 0},
};

}  // namespace

const PreferencesFrameBox PreferencesFrames[PreferencesFrameCount] = {
    {GenerationGroupTitle, NoEnclosingFrame},
    {DecodingGroupTitle, NoEnclosingFrame},
    {UnresolvedGroupTitle, DecodingFrame},
    {DecoderGroupTitle, DecodingFrame},
};

namespace {

// In the dialog's order, top to bottom within each frame. The Tab key
// visits the first two fields, the two buttons, then the others.
const PreferenceRow PreferenceRows[] = {
    {"depth-bits", PreferenceKind::Number, 3, &DepthBitsRule, DepthBitsLabel, GenerationFrame, 1000, 1, nullptr, 0,
     "--depth-bits", 0, "N", DepthBitsHelp, DepthBitsManual,
     [](const Preferences& p) { return p.depthBits; }, [](Preferences& p, int32_t v) { storeDepthBits(p, v); }},
    {"repeat", PreferenceKind::Number, 5, &RepeatCountRule, RepeatCountLabel, GenerationFrame, 1001, 2, nullptr, 0,
     "--repeat", 0, "N", RepeatCountHelp, RepeatCountManual,
     [](const Preferences& p) { return p.repeatCount; }, [](Preferences& p, int32_t v) { p.repeatCount = v; }},
    {"wall-eyed", PreferenceKind::Flag, 1, nullptr, WallEyedLabel, GenerationFrame, 1003, 5, nullptr, 0,
     "--cross-eyed", 0, nullptr, CrossEyedHelp, CrossEyedManual,
     [](const Preferences& p) { return static_cast<int32_t>(p.wallEyed); },
     [](Preferences& p, int32_t v) { p.wallEyed = v != 0; }},
    {"random-fill", PreferenceKind::Flag, 1, nullptr, RandomFillLabel, GenerationFrame, 1007, 8, nullptr, 0,
     "--no-random-fill", 0, nullptr, NoRandomFillHelp, NoRandomFillManual,
     [](const Preferences& p) { return static_cast<int32_t>(p.randomFill); },
     [](Preferences& p, int32_t v) { p.randomFill = v != 0; }},
    {"colour", PreferenceKind::Flag, 0, nullptr, ColourLabel, GenerationFrame, 1012, 9, nullptr, 0, "--colour", 1,
     nullptr, ColourHelp, ColourManual, [](const Preferences& p) { return static_cast<int32_t>(p.colour); },
     [](Preferences& p, int32_t v) { p.colour = v != 0; }},
    {"parallax", PreferenceKind::Number, 0, &ParallaxRule, ParallaxLabel, GenerationFrame, 1013, 10, nullptr, 0,
     "--parallax", 0, "N", ParallaxHelp, ParallaxManual, [](const Preferences& p) { return p.parallax; },
     [](Preferences& p, int32_t v) { p.parallax = v; }},
    {"min-match", PreferenceKind::Text, 2, nullptr, MinMatchLabel, DecodingFrame, 1005, 6, nullptr, 0, "--min-match",
     0, "N", MinMatchHelp, MinMatchManual, [](const Preferences& p) { return p.minMatch; },
     [](Preferences& p, int32_t v) { p.minMatch = v; }},
    {"search-range", PreferenceKind::Text, 165, nullptr, SearchRangeLabel, DecodingFrame, 1006, 7, nullptr, 0,
     "--search-range", 0, "N", SearchRangeHelp, SearchRangeManual, [](const Preferences& p) { return p.searchRange; },
     [](Preferences& p, int32_t v) { p.searchRange = v; }},
    {"unresolved", PreferenceKind::Choice, static_cast<int32_t>(UnresolvedPolicy::KeepPrevious), nullptr, nullptr,
     UnresolvedFrame, 0, 0, UnresolvedChoices, std::size(UnresolvedChoices), "--unresolved", 0, nullptr,
     UnresolvedHelp, UnresolvedManual, [](const Preferences& p) { return static_cast<int32_t>(p.unresolvedPolicy); },
     [](Preferences& p, int32_t v) { p.unresolvedPolicy = static_cast<UnresolvedPolicy>(v); }},
    {"decoder", PreferenceKind::Choice, static_cast<int32_t>(DecoderChoice::Automatic), nullptr, nullptr, DecoderFrame,
     0, 0, DecoderChoices, std::size(DecoderChoices), "--decoder", 0, nullptr, DecoderHelp, DecoderManual,
     [](const Preferences& p) { return static_cast<int32_t>(p.decoder); },
     [](Preferences& p, int32_t v) { p.decoder = static_cast<DecoderChoice>(v); }},
};

}  // namespace

PreferenceRowRange preferenceRows() {
    return PreferenceRowRange{std::begin(PreferenceRows), std::end(PreferenceRows)};
}

const PreferencesButton PreferencesButtons[PreferencesButtonCount] = {
    {"ok", OkButtonText, PreferencesOkId, 3},
    {"cancel", CancelButtonText, PreferencesCancelId, 4},
};

const PreferenceRow* preferenceNamed(const std::string& name) {
    for (const PreferenceRow& row : PreferenceRows)
        if (name == row.name) return &row;
    return nullptr;
}

Preferences startPreferences() {
    Preferences prefs;
    for (const PreferenceRow& row : preferenceRows()) row.store(prefs, row.start);
    return prefs;
}

bool choiceValueNamed(const PreferenceRow& row, const std::string& name, int32_t& value) {
    for (size_t i = 0; i < row.choiceCount; ++i) {
        if (name != row.choices[i].name) continue;
        value = row.choices[i].value;
        return true;
    }
    return false;
}

Outcome checkPreferenceValueForAnyPicture(const PreferenceRow& row, int32_t value) {
    const NumberRule* rule = row.rule;
    if (rule == nullptr || (value >= rule->least && value <= rule->most)) return doneOutcome();
    return refusedOutcome(rule->text, rule->caption);
}

Outcome checkPreferenceValue(const PreferenceRow& row, int32_t value, int32_t imageWidth) {
    const Outcome anyPicture = checkPreferenceValueForAnyPicture(row, value);
    const NumberRule* rule = row.rule;
    if (anyPicture.kind != OutcomeKind::Done || rule == nullptr || rule->perWidth == 0 ||
        value <= imageWidth / rule->perWidth)
        return anyPicture;
    return refusedOutcome(rule->text, rule->caption);
}

Outcome checkDepthBits(int32_t depthBits) {
    return checkPreferenceValue(*preferenceNamed("depth-bits"), depthBits, 0);
}

Outcome checkRepeatCount(int32_t imageWidth, int32_t repeatCount) {
    return checkPreferenceValue(*preferenceNamed("repeat"), repeatCount, imageWidth);
}

int32_t readFieldNumber(const std::string& text) {
    size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    uint64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(text[i] - '0');
        if (value > 0xFFFFFFFFu) return 0;
    }
    return static_cast<int32_t>(static_cast<uint32_t>(value));
}

namespace {

ControlKind controlKindOf(PreferenceKind kind) {
    switch (kind) {
        case PreferenceKind::Number: return ControlKind::Number;
        case PreferenceKind::Text: return ControlKind::Text;
        case PreferenceKind::Flag: return ControlKind::CheckBox;
        case PreferenceKind::Choice: break;
    }
    return ControlKind::RadioButton;
}

std::vector<PreferencesControl> makeControls() {
    std::vector<PreferencesControl> controls;
    for (const PreferenceRow& row : PreferenceRows) {
        if (row.kind != PreferenceKind::Choice) {
            controls.push_back(PreferencesControl{&row, -1, controlKindOf(row.kind), row.name, row.label, row.frame,
                                                  row.controlId, row.tabOrder});
            continue;
        }
        for (size_t i = 0; i < row.choiceCount; ++i) {
            const PreferenceChoice& choice = row.choices[i];
            controls.push_back(PreferencesControl{&row, static_cast<int32_t>(i), ControlKind::RadioButton,
                                                  std::string(row.name) + "-" + choice.name, choice.label, row.frame,
                                                  choice.controlId, choice.tabOrder});
        }
    }
    return controls;
}

}  // namespace

const std::vector<PreferencesControl>& preferencesControls() {
    static const std::vector<PreferencesControl> controls = makeControls();
    return controls;
}

bool holdsText(const PreferencesControl& control) {
    return control.kind == ControlKind::Number || control.kind == ControlKind::Text;
}

std::vector<int32_t> preferencesTabOrder() {
    std::vector<std::pair<int32_t, int32_t>> ranked;
    for (const PreferencesControl& control : preferencesControls())
        if (control.tabOrder > 0) ranked.emplace_back(control.tabOrder, control.controlId);
    for (const PreferencesButton& button : PreferencesButtons) ranked.emplace_back(button.tabOrder, button.controlId);
    std::sort(ranked.begin(), ranked.end());
    std::vector<int32_t> order;
    for (const auto& place : ranked) order.push_back(place.second);
    return order;
}

PreferencesForm preferencesFormFrom(const Preferences& prefs) {
    PreferencesForm form;
    for (const PreferencesControl& control : preferencesControls()) {
        const int32_t value = control.row->read(prefs);
        form.texts.push_back(holdsText(control) ? std::to_string(static_cast<uint32_t>(value)) : std::string());
        form.ticks.push_back(control.kind == ControlKind::CheckBox      ? value != 0
                             : control.kind == ControlKind::RadioButton ? value == control.row->choices[control.choice].value
                                                                        : false);
    }
    return form;
}

Outcome checkPreferencesForm(const PreferencesForm& form, int32_t imageWidth) {
    const std::vector<PreferencesControl>& controls = preferencesControls();
    for (size_t i = 0; i < controls.size(); ++i) {
        if (!holdsText(controls[i])) continue;
        const Outcome check = checkPreferenceValue(*controls[i].row, readFieldNumber(form.texts[i]), imageWidth);
        if (check.kind != OutcomeKind::Done) return check;
    }
    return doneOutcome();
}

Preferences preferencesFromForm(const PreferencesForm& form, const Preferences& prefs) {
    Preferences stored = prefs;
    const std::vector<PreferencesControl>& controls = preferencesControls();
    // Of a Choice's radio buttons the first ticked one counts.
    std::vector<const PreferenceRow*> chosen;
    for (size_t i = 0; i < controls.size(); ++i) {
        const PreferencesControl& control = controls[i];
        if (holdsText(control)) {
            control.row->store(stored, readFieldNumber(form.texts[i]));
        } else if (control.kind == ControlKind::CheckBox) {
            control.row->store(stored, form.ticks[i] ? 1 : 0);
        } else if (form.ticks[i] && std::find(chosen.begin(), chosen.end(), control.row) == chosen.end()) {
            control.row->store(stored, control.row->choices[control.choice].value);
            chosen.push_back(control.row);
        }
    }
    return stored;
}
