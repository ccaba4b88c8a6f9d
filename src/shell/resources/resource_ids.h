// The Windows program's resources: its icon. Plain defines, so that both
// windres and rc.exe read them.
#pragma once

#define IDI_MAIN_ICON 102
