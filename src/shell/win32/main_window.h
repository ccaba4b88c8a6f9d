// The main window of the program and the record of its state, reached
// through the window (its GWLP_USERDATA).
#pragma once

#include <windows.h>

#include "shell/progress_counter.h"
#include "shell/win32/offscreen_picture.h"
#include "workspace/workspace.h"

struct MainWindow {
    HINSTANCE instance = nullptr;
    Workspace* workspace = nullptr;
    HWND window = nullptr;
    HWND statusBar = nullptr;
    // The status bar's font, made for the window's display scale.
    HFONT statusFont = nullptr;
    HWND progressBar = nullptr;
    // The control is told the counter's position only when it is shown.
    ProgressCounter progress;
    OffscreenPicture picture;
};

bool registerMainWindowClass(HINSTANCE instance);

// Creates the main window with its menu, its offscreen picture and its
// bars, fitted to the image of the record's workspace. Null when the window
// or what it needs could not be made.
HWND createMainWindow(MainWindow& record);

// The record of the main window, for the platform calls that name no
// window (the bars, the fit, the quit); null before the window is made.
MainWindow* mainWindowRecord();
// The record of a window, when it is the main window.
MainWindow* mainWindowRecordOf(HWND window);
