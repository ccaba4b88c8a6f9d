// The Win32 side of the platform layer (platform/platform.h).
#include <windows.h>
#include <commctrl.h>

#include "platform/platform.h"
#include "shell/win32/main_window.h"
#include "shell/win32/text_conversion.h"

namespace {

// The strip below the image, in pixels at 96 dpi: its height, the left
// edge of the progress bar, the height asked for the status bar. They grow
// with the window's display scale; the image area never does.
constexpr int StripHeight = 18;
constexpr int ProgressLeft = 200;
constexpr int StatusBarHeight = 20;
// The shortest time between two repaints of the progress bar: about one
// frame of the display. Under Wine each immediate repaint of the bar costs
// some milliseconds, and a large picture steps it hundreds of times a
// second, faster than any eye can follow.
constexpr double ProgressFrameMs = 15.0;

double nowMs()
{
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / ticksPerMs;
}

int widthOf(const RECT& rect)
{
    return rect.right - rect.left;
}

int heightOf(const RECT& rect)
{
    return rect.bottom - rect.top;
}

// Shows the bar at its position now: a long operation keeps the event loop
// waiting, so the repaint cannot be left to the loop.
void showProgressNow(MainWindow& record)
{
    SendMessageW(record.progressBar, PBM_SETPOS, static_cast<WPARAM>(record.progressPosition), 0);
    UpdateWindow(record.progressBar);
    record.progressShownAtMs = nowMs();
}

}  // namespace

void showMessage(WindowHandle owner, const char* text, const char* caption)
{
    MessageBoxW(static_cast<HWND>(owner), widen(text).c_str(), widen(caption).c_str(), MB_OK);
}

void requestQuit(int32_t exitCode)
{
    PostQuitMessage(exitCode);
}

void setStatusText(const char* text)
{
    MainWindow* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    SendMessageW(record->statusBar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(widen(text).c_str()));
    // Long operations do not return to the event loop: every text is
    // painted now.
    UpdateWindow(record->statusBar);
}

// The bar's position advances by its step of 1 and starts over from 0 once
// it passes the maximum, as the control's own step does. It is counted
// here and shown only once a frame has passed since the bar was last
// shown, for every change of the control's position costs a repaint.
void stepProgress()
{
    MainWindow* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    record->progressPosition = record->progressPosition < record->progressMaximum ? record->progressPosition + 1 : 0;
    if (nowMs() - record->progressShownAtMs >= ProgressFrameMs) {
        showProgressNow(*record);
    }
}

void resetProgress()
{
    MainWindow* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    record->progressPosition = 0;
    showProgressNow(*record);
}

void fitWindowToImage(int32_t width, int32_t height)
{
    MainWindow* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    HWND window = record->window;
    const int stripHeight = scaledToWindow(window, StripHeight);
    const int progressLeft = scaledToWindow(window, ProgressLeft);
    RECT client;
    RECT outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    int frameWidth = widthOf(outer) - widthOf(client);
    int frameHeight = heightOf(outer) - heightOf(client);
    SetWindowPos(window, HWND_TOP, 0, 0, width + frameWidth, height + frameHeight + stripHeight, SWP_NOMOVE);

    // The frame may change its height with the new width, so the bars are
    // placed from the client area as it came out.
    GetClientRect(window, &client);
    int stripTop = heightOf(client) - stripHeight;
    int barsWidth = width + frameWidth;
    int progressWidth = barsWidth - progressLeft;
    if (progressWidth < 0) {
        progressWidth = 0;
    }
    SetWindowPos(record->progressBar, HWND_TOP, progressLeft, stripTop, progressWidth, stripHeight, 0);
    MoveWindow(record->statusBar, 0, stripTop, barsWidth, scaledToWindow(window, StatusBarHeight), TRUE);
    record->progressMaximum = static_cast<WORD>(height / RowsPerProgressStep);
    SendMessageW(record->progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, record->progressMaximum));
}

void presentPicture(WindowHandle owner, const uint8_t* rows, int32_t width, int32_t height)
{
    HWND window = static_cast<HWND>(owner);
    MainWindow* record = mainWindowRecordOf(window);
    if (record == nullptr) {
        return;
    }
    showInOffscreenPicture(record->picture, rows, width, height);
    InvalidateRect(window, nullptr, FALSE);
}
