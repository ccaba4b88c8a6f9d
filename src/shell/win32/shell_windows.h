// The Win32 handles that the window procedure, the platform layer and the
// Preferences dialog share. They live as long as the main window.
#pragma once

#include <windows.h>

struct ShellWindows {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HWND statusBar = nullptr;
    HWND progressBar = nullptr;
    // The offscreen picture: a memory DC holding the bitmap that the
    // image area is painted from.
    HDC pictureDc = nullptr;
    HBITMAP pictureBitmap = nullptr;
    // What the memory DC held when it was made; put back before the
    // picture bitmap is deleted, since a selected bitmap cannot be.
    HGDIOBJ initialBitmap = nullptr;
};

extern ShellWindows shellWindows;
