// What the driver finds and reads in the windows of the program under test.
// Every query that sends a message to the program uses a timeout, so a hung
// program makes a step fail instead of hanging the driver.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

std::wstring widen(const std::string& utf8);
std::string narrow(const std::wstring& utf16);

// The visible main window (class TavrelicClassWin) of the process, or null.
HWND findMainWindow(DWORD processId);

// The visible dialog windows (class #32770) of the process, whether owned
// or not; the kinds the program shows are told apart by their controls:
// message boxes, its own dialogs (the Preferences and the text depth map
// dialog) and file dialogs.
HWND findMessageBox(DWORD processId);
HWND findOwnDialog(DWORD processId);
HWND findFileDialog(DWORD processId);
HWND findAnyDialog(DWORD processId);

// The text of a window through WM_GETTEXT, which the system carries across
// processes. False when the window does not answer within timeoutMs.
bool readWindowText(HWND window, DWORD timeoutMs, std::wstring& text);
bool writeWindowText(HWND window, DWORD timeoutMs, const std::wstring& text);

// A message sent with a timeout; false when it was not answered.
bool sendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                     DWORD_PTR& result);

// The buttons of a dialog that are shown.
int countVisibleButtons(HWND dialog);

// The pixels the screen shows in a rectangle of screen coordinates, row by
// row from the top, each 0x00RRGGBB; empty when they cannot be read.
std::vector<uint32_t> captureScreen(const RECT& area);

// Writes pixels as captureScreen gives them as a 24-bit BMP file.
bool writeCapture(const std::wstring& fileName, const std::vector<uint32_t>& pixels, int width, int height);

// The GDI objects of a process: what GetGuiResources counts, or where it
// counts nothing (Wine does not implement it) the used entries of the GDI
// handle table that the process's PEB points to.
DWORD countGdiObjects(HANDLE process, DWORD processId);
// The USER objects of a process: what GetGuiResources counts, or where it
// counts nothing its windows, top-level and child, shown or not.
DWORD countUserObjects(HANDLE process, DWORD processId);

// A short description of the dialog or message box that is open, for
// failure reports; empty when none is.
std::string describeOpenDialog(DWORD processId, DWORD timeoutMs);
