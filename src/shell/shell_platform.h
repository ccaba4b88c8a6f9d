// What only the menu commands ask of the window system, beside the platform
// layer: the file-name dialogs, the Preferences and text depth map dialogs,
// the close request and the repaint with erase. The program links the Win32 side
// (shell/win32); the tests link a recording one.
#pragma once

#include <filesystem>

#include "platform/platform.h"
#include "workspace/workspace.h"

// The open and save file-name dialogs; false when the user cancelled.
bool chooseFileToOpen(WindowHandle owner, std::filesystem::path& fileName);
bool chooseFileToSave(WindowHandle owner, std::filesystem::path& fileName);
// The open dialog with the filters of 3D models.
bool chooseModelToOpen(WindowHandle owner, std::filesystem::path& fileName);

// Shows the text depth map dialog modally, filled from `request`; true, with
// `request` as the user confirmed it, on OK; false when cancelled.
bool askForTextDepthMap(WindowHandle owner, TextDepthRequest& request);

// Shows the Preferences dialog modally over the main window.
void runPreferencesDialog(Workspace& ws, WindowHandle owner);
// Sends the main window a close request, handled before this returns.
void requestClose(WindowHandle owner);
// Asks for a repaint of the whole client area with the background erased.
void repaintWithErase(WindowHandle owner);
