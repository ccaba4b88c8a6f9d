// The Win32 side of the platform layer (platform/platform.h).
#include <windows.h>
#include <commctrl.h>

#include "platform/platform.h"
#include "shell/win32/main_window.h"
#include "shell/win32/text_conversion.h"

namespace {

constexpr int StripHeight = 18;
constexpr int ProgressLeft = 200;
constexpr int StatusBarHeight = 20;

int widthOf(const RECT& rect)
{
    return rect.right - rect.left;
}

int heightOf(const RECT& rect)
{
    return rect.bottom - rect.top;
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
    // Long operations do not return to the event loop: paint now.
    UpdateWindow(record->statusBar);
}

void stepProgress()
{
    MainWindow* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    SendMessageW(record->progressBar, PBM_STEPIT, 0, 0);
    UpdateWindow(record->progressBar);
}

void resetProgress()
{
    MainWindow* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    SendMessageW(record->progressBar, PBM_SETPOS, 0, 0);
    UpdateWindow(record->progressBar);
}

void fitWindowToImage(int32_t width, int32_t height)
{
    MainWindow* record = mainWindowRecord();
    if (record == nullptr) {
        return;
    }
    HWND window = record->window;
    RECT client;
    RECT outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    int frameWidth = widthOf(outer) - widthOf(client);
    int frameHeight = heightOf(outer) - heightOf(client);
    SetWindowPos(window, HWND_TOP, 0, 0, width + frameWidth, height + frameHeight + StripHeight,
                 SWP_NOMOVE);

    // The frame may change its height with the new width, so the bars are
    // placed from the client area as it came out.
    GetClientRect(window, &client);
    int stripTop = heightOf(client) - StripHeight;
    int barsWidth = width + frameWidth;
    int progressWidth = barsWidth - ProgressLeft;
    if (progressWidth < 0) {
        progressWidth = 0;
    }
    SetWindowPos(record->progressBar, HWND_TOP, ProgressLeft, stripTop, progressWidth, StripHeight, 0);
    MoveWindow(record->statusBar, 0, stripTop, barsWidth, StatusBarHeight, TRUE);
    WORD maximum = static_cast<WORD>(height / RowsPerProgressStep);
    SendMessageW(record->progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, maximum));
}

void presentPicture(WindowHandle owner, const uint8_t* rows, int32_t width, int32_t height)
{
    HWND window = static_cast<HWND>(owner);
    MainWindow* record = mainWindowRecordOf(window);
    if (record == nullptr || record->pictureDc == nullptr) {
        return;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC windowDc = GetDC(window);
    HBITMAP picture = CreateDIBitmap(windowDc, &info.bmiHeader, CBM_INIT, rows, &info, DIB_RGB_COLORS);
    // Should the bitmap not come about, the last picture stays on show.
    if (picture != nullptr) {
        SelectObject(record->pictureDc, picture);
        DeleteObject(record->pictureBitmap);
        record->pictureBitmap = picture;
    }
    ReleaseDC(window, windowDc);
    InvalidateRect(window, nullptr, FALSE);
}
