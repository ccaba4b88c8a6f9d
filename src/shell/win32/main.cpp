// The entry point and the main window.
#include <windows.h>
#include <commctrl.h>

#include "shell/commands.h"
#include "shell/resources/resource_ids.h"
#include "shell/ui.h"
#include "shell/win32/shell_windows.h"
#include "shell/win32/text_conversion.h"
#include "workspace/workspace.h"

namespace {

const wchar_t* const MainWindowClass = L"TavrelicClassWin";
constexpr int StartWidth = 640;
constexpr int StartHeight = 480;
constexpr int ProgressBarId = 0;
constexpr int StatusBarId = 1;

Workspace workspace;

void createOffscreenPicture(HWND window, const Workspace& ws)
{
    HDC windowDc = GetDC(window);
    shellWindows.pictureBitmap = CreateCompatibleBitmap(windowDc, ws.imageWidth, ws.imageHeight);
    shellWindows.pictureDc = CreateCompatibleDC(windowDc);
    shellWindows.initialBitmap = SelectObject(shellWindows.pictureDc, shellWindows.pictureBitmap);
    PatBlt(shellWindows.pictureDc, 0, 0, ws.imageWidth, ws.imageHeight, WHITENESS);
    ReleaseDC(window, windowDc);
}

void releaseOffscreenPicture()
{
    if (shellWindows.pictureBitmap == nullptr) {
        return;
    }
    SelectObject(shellWindows.pictureDc, shellWindows.initialBitmap);
    DeleteObject(shellWindows.pictureBitmap);
    shellWindows.pictureBitmap = nullptr;
}

// The progress bar first, then the status bar; fitWindowToImage places both.
void createBars(HWND window)
{
    shellWindows.progressBar = CreateWindowExW(
        WS_EX_CLIENTEDGE, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, 0, 0, 0,
        window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ProgressBarId)),
        shellWindows.instance, nullptr);
    // The progress bar lies in front of the status bar; clipping keeps the
    // status bar's repaints from drawing over it. Left to itself the status
    // bar would move to the bottom at its own height and cover the image's
    // last two rows: it keeps the place fitWindowToImage gives it.
    shellWindows.statusBar = CreateStatusWindowW(
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_NORESIZE | CCS_NOPARENTALIGN,
        widen(ReadyText).c_str(), window, StatusBarId);
    SendMessageW(shellWindows.progressBar, PBM_SETSTEP, 1, 0);
}

LRESULT onCreate(HWND window)
{
    shellWindows.mainWindow = window;
    createOffscreenPicture(window, workspace);
    createBars(window);
    fitWindowToImage(workspace);
    return 0;
}

LRESULT onPaint(HWND window)
{
    PAINTSTRUCT paint;
    HDC windowDc = BeginPaint(window, &paint);
    BitBlt(windowDc, 0, 0, workspace.imageWidth, workspace.imageHeight, shellWindows.pictureDc, 0,
           0, SRCCOPY);
    EndPaint(window, &paint);
    return 0;
}

// The window itself is left alone: it goes away with the program.
LRESULT onClose()
{
    releaseOffscreenPicture();
    closeWorkspace(workspace);
    return 0;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        return onCreate(window);
    case WM_PAINT:
        return onPaint(window);
    case WM_CLOSE:
        return onClose();
    case WM_COMMAND:
        if (!handleCommand(workspace, window, LOWORD(wParam))) {
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool registerMainWindowClass(HINSTANCE instance)
{
    WNDCLASSW windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN_ICON));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszMenuName = MAKEINTRESOURCEW(IDR_MAIN_MENU);
    windowClass.lpszClassName = MainWindowClass;
    return RegisterClassW(&windowClass) != 0;
}

void registerBarClasses()
{
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_BAR_CLASSES | ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);
}

// Returns the code that the quit request carried.
int runEventLoop()
{
    MSG message = {};
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showMode)
{
    if (!registerMainWindowClass(instance)) {
        return 0;
    }
    registerBarClasses();
    shellWindows.instance = instance;
    workspace.imageWidth = StartWidth;
    workspace.imageHeight = StartHeight;

    HWND window = CreateWindowExW(0, MainWindowClass, L"Tavrelic",
                                  WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
                                  CW_USEDEFAULT, StartWidth, StartHeight, nullptr, nullptr,
                                  instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, showMode);
    UpdateWindow(window);
    return runEventLoop();
}
