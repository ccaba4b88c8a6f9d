// The main window of the program and the record of its state, reached
// through the window (its GWLP_USERDATA).
#pragma once

#include <windows.h>

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
    // The progress bar's range is 0 to progressMaximum. Its position is
    // kept here, and the control is told it when it is shown, at most once
    // a frame; progressShownAtMs is when, in milliseconds of the
    // performance counter.
    int progressMaximum = 0;
    int progressPosition = 0;
    double progressShownAtMs = 0;
    OffscreenPicture picture;
};

bool registerMainWindowClass(HINSTANCE instance);

// Creates the main window with its offscreen picture and its bars, fitted
// to the image of the record's workspace. Null when the window or what it
// needs could not be made.
HWND createMainWindow(MainWindow& record);

// A size given in pixels at 96 dpi, in pixels of the window's display.
int scaledToWindow(HWND window, int size);

// The record of the main window, for the platform calls that name no
// window (the bars, the fit, the quit); null before the window is made.
MainWindow* mainWindowRecord();
// The record of a window, when it is the main window.
MainWindow* mainWindowRecordOf(HWND window);
