// The Windows program's resources: its icon and the Preferences dialog's
// template, whose controls take the shell's own numbers. Plain defines, so
// that both windres and rc.exe read them.
#pragma once

#include "shell/preferences_ids.h"

#define IDI_MAIN_ICON 102
#define IDD_PREFERENCES 103
