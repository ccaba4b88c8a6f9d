// The Win32 side of the platform layer (shell/ui.h).
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include <string>

#include "shell/resources/resource_ids.h"
#include "shell/ui.h"
#include "shell/win32/preferences_dialog.h"
#include "shell/win32/shell_windows.h"
#include "shell/win32/text_conversion.h"

namespace {

constexpr int StripHeight = 18;
constexpr int ProgressLeft = 200;
constexpr int StatusBarHeight = 20;
constexpr int RowsPerProgressStep = 10;
// The file-name dialogs keep the program's 256-character limit.
constexpr DWORD FileNameCapacity = 256;

HWND asWindow(WindowHandle handle)
{
    return static_cast<HWND>(handle);
}

int widthOf(const RECT& rect)
{
    return rect.right - rect.left;
}

int heightOf(const RECT& rect)
{
    return rect.bottom - rect.top;
}

// Runs one of the two file-name dialogs; an empty result means cancelled.
bool chooseFile(WindowHandle owner, DWORD flags, BOOL(APIENTRY* dialog)(LPOPENFILENAMEW),
                std::filesystem::path& fileName)
{
    static const wchar_t filter[] = L"Pliki BMP\0*.BMP\0";
    wchar_t file[FileNameCapacity] = {};
    wchar_t currentDirectory[FileNameCapacity] = {};
    DWORD directoryLength = GetCurrentDirectoryW(FileNameCapacity, currentDirectory);
    bool directoryFits = directoryLength > 0 && directoryLength < FileNameCapacity;

    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = asWindow(owner);
    request.lpstrFilter = filter;
    request.nFilterIndex = 1;
    request.lpstrFile = file;
    request.nMaxFile = FileNameCapacity;
    // A longer folder does not fit: the dialog then starts in its own default.
    request.lpstrInitialDir = directoryFits ? currentDirectory : nullptr;
    request.Flags = flags;
    if (!dialog(&request)) {
        return false;
    }
    fileName = std::filesystem::path(std::wstring(file));
    return true;
}

}  // namespace

ShellWindows shellWindows;

void showMessage(WindowHandle owner, const char* text, const char* caption)
{
    MessageBoxW(asWindow(owner), widen(text).c_str(), widen(caption).c_str(), MB_OK);
}

void requestQuit(int32_t exitCode)
{
    PostQuitMessage(exitCode);
}

void setStatusText(const char* text)
{
    SendMessageW(shellWindows.statusBar, SB_SETTEXTW, 0,
                 reinterpret_cast<LPARAM>(widen(text).c_str()));
    // Long operations do not return to the event loop: paint now.
    UpdateWindow(shellWindows.statusBar);
}

void stepProgress()
{
    SendMessageW(shellWindows.progressBar, PBM_STEPIT, 0, 0);
    UpdateWindow(shellWindows.progressBar);
}

void resetProgress()
{
    SendMessageW(shellWindows.progressBar, PBM_SETPOS, 0, 0);
    UpdateWindow(shellWindows.progressBar);
}

void fitWindowToImage(const Workspace& ws)
{
    HWND window = shellWindows.mainWindow;
    RECT client;
    RECT outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    int frameWidth = widthOf(outer) - widthOf(client);
    int frameHeight = heightOf(outer) - heightOf(client);
    SetWindowPos(window, HWND_TOP, 0, 0, ws.imageWidth + frameWidth,
                 ws.imageHeight + frameHeight + StripHeight, SWP_NOMOVE);

    // The frame may change its height with the new width, so the bars are
    // placed from the client area as it came out.
    GetClientRect(window, &client);
    int stripTop = heightOf(client) - StripHeight;
    int barsWidth = ws.imageWidth + frameWidth;
    int progressWidth = barsWidth - ProgressLeft;
    if (progressWidth < 0) {
        progressWidth = 0;
    }
    SetWindowPos(shellWindows.progressBar, HWND_TOP, ProgressLeft, stripTop, progressWidth,
                 StripHeight, 0);
    MoveWindow(shellWindows.statusBar, 0, stripTop, barsWidth, StatusBarHeight, TRUE);
    WORD maximum = static_cast<WORD>(ws.imageHeight / RowsPerProgressStep);
    SendMessageW(shellWindows.progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, maximum));
}

void presentPicture(const Workspace& ws, WindowHandle owner)
{
    const uint8_t* dib = ws.displayDib.bytes;
    if (dib == nullptr) {
        return;
    }
    HWND window = asWindow(owner);
    HDC windowDc = GetDC(window);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib);
    HBITMAP picture = CreateDIBitmap(windowDc, &info->bmiHeader, CBM_INIT, dib + DibHeaderSize,
                                     info, DIB_RGB_COLORS);
    // Should the bitmap not come about, the last picture stays on show.
    if (picture != nullptr) {
        SelectObject(shellWindows.pictureDc, picture);
        DeleteObject(shellWindows.pictureBitmap);
        shellWindows.pictureBitmap = picture;
    }
    ReleaseDC(window, windowDc);
    InvalidateRect(window, nullptr, FALSE);
}

void repaintWithErase(WindowHandle owner)
{
    InvalidateRect(asWindow(owner), nullptr, TRUE);
}

bool chooseFileToOpen(WindowHandle owner, std::filesystem::path& fileName)
{
    return chooseFile(owner, OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST,
                      GetOpenFileNameW, fileName);
}

bool chooseFileToSave(WindowHandle owner, std::filesystem::path& fileName)
{
    return chooseFile(owner, OFN_EXPLORER | OFN_PATHMUSTEXIST, GetSaveFileNameW, fileName);
}

void runPreferencesDialog(Workspace& ws, WindowHandle owner)
{
    DialogBoxParamW(shellWindows.instance, MAKEINTRESOURCEW(IDD_PREFERENCES), asWindow(owner),
                    preferencesDialogProc, reinterpret_cast<LPARAM>(&ws));
}

void requestClose(WindowHandle owner)
{
    SendMessageW(asWindow(owner), WM_CLOSE, 0, 0);
}
