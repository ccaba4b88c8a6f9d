// The Preferences dialog of the Windows program, built at run time from the
// Preferences table and its layout.
#pragma once

#include <windows.h>

#include "workspace/workspace.h"

// Shows the dialog modally over `owner`, filled from the workspace's
// preferences; OK stores them through confirmPreferences, whose refusals
// the dialog owns; Anuluj and the close request store nothing.
void showPreferencesDialog(HINSTANCE instance, HWND owner, Workspace& ws);
