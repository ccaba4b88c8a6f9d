// The platform layer: what the program asks of the window system. The
// program links the Win32 side (shell/win32); the tests link a recording
// one. The functions take plain values (sizes, the picture's bytes, UTF-8
// texts), so this header stands on nothing else of the program.
#pragma once

#include <cstdint>

// A window as the window system knows it: the owner of a message box, the
// window a picture is shown in.
using WindowHandle = void*;

// A modal box with one OK button and no icon; returns when it is closed.
void showMessage(WindowHandle owner, const char* text, const char* caption);
// Asks the event loop to end with this exit code.
void requestQuit(int32_t exitCode);

// The status bar and the progress bar. Each change shows without waiting
// for the event loop, also while a long operation keeps it waiting.
void setStatusText(const char* text);
// Row loops step the progress bar after every tenth row (rows 0, 10, 20,
// ...); the bar's range is the image height / 10.
void stepProgress();
void resetProgress();

// Sizes the main window to an image of width x height pixels with the strip
// of both bars below it, places the bars and sets the progress range.
void fitWindowToImage(int32_t width, int32_t height);

// The window's offscreen picture, made width x height if it is not: 32-bit
// pixels 0xFFRRGGBB, top row first, no gaps between rows, for the caller
// to write. Null when a picture of that size cannot be made; the last one
// then stays on show.
uint32_t* pictureBuffer(WindowHandle owner, int32_t width, int32_t height);

// Asks for a repaint of the image area without erasing it: a new picture
// of width x height is on show, and is drawn when the window paints.
void showPicture(WindowHandle owner, int32_t width, int32_t height);
