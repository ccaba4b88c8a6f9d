// The Preferences dialog's procedure; its parameter at creation is the
// Workspace whose preferences it edits.
#pragma once

#include <windows.h>

INT_PTR CALLBACK preferencesDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
