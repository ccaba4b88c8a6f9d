// The Preferences, one row each: the program's name for it, how it is
// edited, the value the program starts with, the rule it is held to, its
// Polish label and frame in the dialog, and its option on the command line
// with the help and manual texts. Both windows' dialogs, the dialog's form
// and rules, tavrelic-cli's options, its --help and its manual page are
// loops over these rows; a new setting is a new row and its texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/preferences.h"
#include "picture/outcome.h"

// How a setting is edited.
enum class PreferenceKind {
    Number,  // a field of digits, right-aligned; --option N
    Text,    // a field of any characters, read as the dialog reads numbers; --option N
    Flag,    // a check box; an option without a value sets it one way
    Choice,  // radio buttons that exclude each other; --option NAME
};

// The dialog's frames, each titled; an enclosed frame lies inside another
// and comes after the fields of the frame that holds it.
enum PreferencesFrame : int32_t { GenerationFrame, DecodingFrame, UnresolvedFrame, DecoderFrame };

struct PreferencesFrameBox {
    const char* title;
    int32_t enclosing;  // a PreferencesFrame, or NoEnclosingFrame
};

constexpr int32_t NoEnclosingFrame = -1;
constexpr size_t PreferencesFrameCount = 4;
extern const PreferencesFrameBox PreferencesFrames[PreferencesFrameCount];

// A number's rule: refused with the dialog's message below `least`, above
// `most`, and, where perWidth is set, above the image width / perWidth.
struct NumberRule {
    int32_t least;
    int32_t most;
    int32_t perWidth;
    const char* text;
    const char* caption;
};

// One value of a Choice: its radio button.
struct PreferenceChoice {
    const char* name;  // the option's value, and the control's name after the setting's
    const char* label;
    int32_t value;
    int32_t controlId;
    int32_t tabOrder;  // place in the Tab sequence, 0 for none
};

struct PreferenceRow {
    const char* name;  // the program's word for it: the control's name in the scenarios
    PreferenceKind kind;
    int32_t start;           // the value the program starts with (a flag: 0 or 1)
    const NumberRule* rule;  // a Number's or Text's rule; null when any value is stored
    const char* label;       // the field's label, or the check box's own text
    PreferencesFrame frame;
    int32_t controlId;  // of the field or check box; a Choice's are its choices'
    int32_t tabOrder;   // place in the Tab sequence, 0 for none
    const PreferenceChoice* choices;
    size_t choiceCount;
    const char* option;     // tavrelic-cli's option
    int32_t optionSets;     // a Flag: the value its option stores
    const char* valueName;  // what follows the option in --help ("N"); null for a flag
    const char* help;       // --help's line, Polish
    const char* manual;     // the manual page's paragraph, English
    int32_t (*read)(const Preferences& prefs);
    void (*store)(Preferences& prefs, int32_t value);
};

// Every row, in the dialog's order: for (const PreferenceRow& row : preferenceRows()).
struct PreferenceRowRange {
    const PreferenceRow* first;
    const PreferenceRow* last;
    const PreferenceRow* begin() const { return first; }
    const PreferenceRow* end() const { return last; }
};

PreferenceRowRange preferenceRows();

// The row of that name; null when there is none.
const PreferenceRow* preferenceNamed(const std::string& name);

// The Preferences the program starts with: every row's start value.
Preferences startPreferences();

// The value of a Choice named `name`; false when it has none of that name.
bool choiceValueNamed(const PreferenceRow& row, const std::string& name, int32_t& value);

// Holds a value to the row's rule, in the image `imageWidth` wide: the
// dialog's message when it is refused. A row without a rule takes every
// value.
Outcome checkPreferenceValue(const PreferenceRow& row, int32_t value, int32_t imageWidth);

// The part of the rule that holds whatever the picture: a value refused
// here no picture could take.
Outcome checkPreferenceValueForAnyPicture(const PreferenceRow& row, int32_t value);

// The rules of the two numbers the dialog checks on OK, in its order.
Outcome checkDepthBits(int32_t depthBits);
Outcome checkRepeatCount(int32_t imageWidth, int32_t repeatCount);

// Reads a number as the Preferences dialog reads its fields: leading spaces
// skipped, then decimal digits up to the first other character; no digits,
// or a value above 4294967295, give 0. The unsigned result is taken as
// signed 32-bit.
int32_t readFieldNumber(const std::string& text);

// --- The dialog's controls, made from the rows

enum class ControlKind { Number, Text, CheckBox, RadioButton };

// A field, check box or radio button: one for each Number, Text and Flag
// row, one for each choice of a Choice row, in the rows' order.
struct PreferencesControl {
    const PreferenceRow* row;
    int32_t choice;  // the choice of a radio button; -1 otherwise
    ControlKind kind;
    std::string name;  // the row's name, a radio button's with its choice's after a dash
    const char* label;
    PreferencesFrame frame;
    int32_t controlId;
    int32_t tabOrder;
};

const std::vector<PreferencesControl>& preferencesControls();

bool holdsText(const PreferencesControl& control);

// The dialog's two push buttons, and their places in the Tab sequence.
struct PreferencesButton {
    const char* name;
    const char* label;
    int32_t controlId;
    int32_t tabOrder;
};

constexpr size_t PreferencesButtonCount = 2;
extern const PreferencesButton PreferencesButtons[PreferencesButtonCount];
constexpr int32_t PreferencesOkId = 1002;
constexpr int32_t PreferencesCancelId = 1004;

// The controls and buttons the Tab key visits, in order, by control id.
std::vector<int32_t> preferencesTabOrder();

// --- What the dialog holds while it is open

// A text or a tick for each control, in preferencesControls()'s order.
struct PreferencesForm {
    std::vector<std::string> texts;
    std::vector<bool> ticks;
};

// The form as the dialog shows it at initialisation: each number as an
// unsigned decimal, each flag ticked when on, the chosen radio button.
PreferencesForm preferencesFormFrom(const Preferences& prefs);

// The first refusal of the form's values, in the rows' order (so the depth
// is told before the repeat count), against an image `imageWidth` wide.
Outcome checkPreferencesForm(const PreferencesForm& form, int32_t imageWidth);

// The Preferences the form stores over `prefs`: every field as read, every
// flag as ticked, the ticked choice (none ticked: unchanged).
Preferences preferencesFromForm(const PreferencesForm& form, const Preferences& prefs);
