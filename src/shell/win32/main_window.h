// The main window of the program and the record of its state, reached
// through the window (its GWLP_USERDATA).
#pragma once

#include <windows.h>

#include "workspace/workspace.h"

struct MainWindow {
    HINSTANCE instance = nullptr;
    Workspace* workspace = nullptr;
    HWND window = nullptr;
    HWND statusBar = nullptr;
    HWND progressBar = nullptr;
    // The offscreen picture: a memory DC holding the bitmap that the image
    // area is painted from.
    HDC pictureDc = nullptr;
    HBITMAP pictureBitmap = nullptr;
    // What the memory DC held when it was made; put back before the
    // picture bitmap is deleted, since a selected bitmap cannot be.
    HGDIOBJ initialBitmap = nullptr;
};

bool registerMainWindowClass(HINSTANCE instance);

// Creates the main window with its offscreen picture and its bars, fitted
// to the image of the record's workspace. Null when the window or what it
// needs could not be made.
HWND createMainWindow(MainWindow& record);

// The record of the main window, for the platform calls that name no
// window (the bars, the fit, the quit); null before the window is made.
MainWindow* mainWindowRecord();
// The record of a window, when it is the main window.
MainWindow* mainWindowRecordOf(HWND window);
