// What the Preferences dialog does on OK, kept apart from the dialog's
// controls so that it is tested without them; the form itself and its rules
// come from the Preferences table.
#pragma once

#include "platform/platform.h"
#include "workspace/preferences_table.h"
#include "workspace/workspace.h"

// OK: validates the form and stores it. Returns false, with a message
// owned by the dialog, when a value is refused; nothing changes then.
bool confirmPreferences(Workspace& ws, const PreferencesForm& form, WindowHandle dialog);
