// The text depth map dialog of the Windows program, built at run time.
#pragma once

#include <windows.h>

#include "workspace/workspace.h"

// Shows the dialog modally over `owner`, filled from `request`. OK (or
// Enter) takes the fields through confirmTextDepthForm, whose refusals the
// dialog owns, and returns true with `request` replaced; Anuluj (or Esc)
// returns false.
bool showTextDepthDialog(HINSTANCE instance, HWND owner, TextDepthRequest& request);
