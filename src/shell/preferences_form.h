// What the Preferences dialog holds while it is open, and its rules, kept
// apart from the dialog's controls so that they are tested without them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "workspace/workspace.h"

struct PreferencesForm {
    std::string depthBits;    // field 1000
    std::string repeatCount;  // field 1001
    std::string minMatch;     // field 1005
    std::string searchRange;  // field 1006
    bool wallEyed = false;    // check box 1003
    bool randomFill = false;  // check box 1007
    bool keepPrevious = false;  // radio buttons 1009, 1010, 1011
    bool randomValue = false;
    bool backgroundValue = false;
};

// The form as the dialog shows it at initialisation.
PreferencesForm preferencesFormFrom(const Preferences& prefs);

// OK: validates the form and stores it. Returns false, with a message
// owned by the dialog, when a value is refused; nothing changes then.
bool confirmPreferences(Workspace& ws, const PreferencesForm& form, WindowHandle dialog);
