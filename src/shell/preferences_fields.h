// The Preferences dialog's fields: which control shows which part of the
// PreferencesForm, of what kind, under which label and in which frame. The
// Windows dialog fills and reads its template's controls through this
// table; the Qt dialog is built from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "shell/preferences_form.h"

enum class FieldKind {
    Number,       // digits only, right-aligned
    Text,         // any characters, left-aligned
    CheckBox,
    RadioButton,  // the radio buttons of one frame exclude each other
};

// The frames, each titled; Unresolved lies inside Decoding.
enum PreferencesGroup : int32_t { GenerationGroup, DecodingGroup, UnresolvedGroup };

constexpr int32_t NoEnclosingGroup = -1;

struct PreferencesGroupBox {
    const char* title;
    int32_t enclosing;  // a PreferencesGroup, or NoEnclosingGroup
};

constexpr size_t PreferencesGroupCount = 3;
// Indexed by PreferencesGroup; an enclosing frame comes before the frames it holds.
extern const PreferencesGroupBox PreferencesGroups[PreferencesGroupCount];

// A number or text field shows `text` beside a label; a check box or radio
// button shows `ticked` under its own text.
// The name is the program's own word for the control, by which the test
// scenarios reach it on either window.
struct PreferencesField {
    int32_t controlId;
    const char* name;
    FieldKind kind;
    const char* label;
    PreferencesGroup group;
    std::string PreferencesForm::*text;
    bool PreferencesForm::*ticked;
};

// In the order the dialog shows them, top to bottom within each frame; the
// frames nested in a frame follow its own fields.
constexpr size_t PreferencesFieldCount = 9;
extern const PreferencesField PreferencesFields[PreferencesFieldCount];

// The controls that the Tab key visits, in order: fields and the two push
// buttons; the radio buttons are not among them.
constexpr size_t PreferencesTabStopCount = 8;
extern const int32_t PreferencesTabOrder[PreferencesTabStopCount];

bool holdsText(const PreferencesField& field);
