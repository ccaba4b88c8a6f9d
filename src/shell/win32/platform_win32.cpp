// The Win32 side of the platform layer (platform/platform.h).
#include <windows.h>
#include <commctrl.h>

#include "platform/platform.h"
#include "shell/progress_counter.h"
#include "shell/win32/main_window.h"
#include "shell/win32/text_conversion.h"
#include "shell/window_layout.h"

namespace {

int widthOf(const RECT& rect)
{
    return rect.right - rect.left;
}

int heightOf(const RECT& rect)
{
    return rect.bottom - rect.top;
}

// Shows the bar at the counter's position now: a long operation keeps the
// event loop waiting, so the repaint cannot be left to the loop.
void showProgressNow(MainWindow& record)
{
    SendMessageW(record.progressBar, PBM_SETPOS, static_cast<WPARAM>(record.progress.position), 0);
    UpdateWindow(record.progressBar);
    progressShownUntil(record.progress, monotonicMs());
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

void stepProgress()
{
    MainWindow* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    if (stepProgressCounter(record->progress, monotonicMs())) {
        showProgressNow(*record);
    }
}

void resetProgress()
{
    MainWindow* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    resetProgressCounter(record->progress, monotonicMs());
    showProgressNow(*record);
}

void fitWindowToImage(int32_t width, int32_t height)
{
    MainWindow* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    HWND window = record->window;
    const StripMetrics strip = stripMetricsAt(static_cast<int32_t>(GetDpiForWindow(window)));
    RECT client;
    RECT outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    int frameWidth = widthOf(outer) - widthOf(client);
    int frameHeight = heightOf(outer) - heightOf(client);
    SetWindowPos(window, HWND_TOP, 0, 0, width + frameWidth, height + frameHeight + strip.height, SWP_NOMOVE);

    // The frame may change its height with the new width, so the bars are
    // placed from the client area as it came out.
    GetClientRect(window, &client);
    const BarPlaces places = placeBars(strip, width + frameWidth, heightOf(client));
    const BarRect& progress = places.progress;
    const BarRect& status = places.status;
    SetWindowPos(record->progressBar, HWND_TOP, progress.x, progress.y, progress.width, progress.height, 0);
    MoveWindow(record->statusBar, status.x, status.y, status.width, status.height, TRUE);
    setProgressRange(record->progress, height);
    SendMessageW(record->progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, record->progress.maximum));
}

uint32_t* pictureBuffer(WindowHandle owner, int32_t width, int32_t height)
{
    MainWindow* record = mainWindowRecordOf(static_cast<HWND>(owner));
    return record != nullptr ? offscreenPixels(record->picture, width, height) : nullptr;
}

void showPicture(WindowHandle owner, int32_t, int32_t)
{
    InvalidateRect(static_cast<HWND>(owner), nullptr, FALSE);
}
