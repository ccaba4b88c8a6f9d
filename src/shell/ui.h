// The platform layer: everything the core asks of the window system.
// The program links the Win32 implementation (shell/win32); the unit tests
// link a recording one. All texts are UTF-8.
#pragma once

#include <cstdint>
#include <filesystem>

#include "workspace/workspace.h"

// A modal box with one OK button and no icon; returns when it is closed.
void showMessage(WindowHandle owner, const char* text, const char* caption);
// Asks the event loop to end with this exit code.
void requestQuit(int32_t exitCode);

// The status bar and the progress bar. Each change shows at once, also
// while a long operation keeps the event loop waiting.
void setStatusText(const char* text);
void stepProgress();
void resetProgress();
// Sizes the window to the image, places both bars, sets the progress range.
void fitWindowToImage(const Workspace& ws);

// Makes the window's offscreen picture from the DisplayDib, releases the
// previous one and asks for a repaint without erasing.
void presentPicture(const Workspace& ws, WindowHandle owner);
// Asks for a repaint of the whole client area with the background erased.
void repaintWithErase(WindowHandle owner);

// The open and save file-name dialogs; false when the user cancelled.
bool chooseFileToOpen(WindowHandle owner, std::filesystem::path& fileName);
bool chooseFileToSave(WindowHandle owner, std::filesystem::path& fileName);

// Shows the Preferences dialog modally over the main window.
void runPreferencesDialog(Workspace& ws, WindowHandle owner);
// Sends the main window a close request, handled before this returns.
void requestClose(WindowHandle owner);
