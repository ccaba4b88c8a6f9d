// Where the Preferences dialog's frames, labels, fields and buttons lie, in
// dialog units, made from the Preferences table: the Windows dialog is built
// from it at run time. Frames stack down the dialog, each as tall as its
// rows; an enclosed frame follows the fields of the frame that holds it.
#pragma once

#include <cstdint>
#include <vector>

#include "workspace/preferences_table.h"

struct DialogRect {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

struct PreferencesLayout {
    DialogRect dialog;
    DialogRect frames[PreferencesFrameCount];
    // For each of preferencesControls(): its label (a field's; empty for a
    // check box or radio button, whose text is its own) and the control.
    std::vector<DialogRect> labels;
    std::vector<DialogRect> controls;
    DialogRect buttons[PreferencesButtonCount];
};

PreferencesLayout layOutPreferences();
