// The main window: its creation, painting, close and menu commands.
#include "shell/win32/main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <string>

#include "operations/operations.h"
#include "shell/commands.h"
#include "shell/menu_table.h"
#include "shell/outside_files.h"
#include "shell/resources/resource_ids.h"
#include "shell/win32/text_conversion.h"
#include "tavrelic_version.h"
#include "texts/user_texts.h"

namespace {

const wchar_t* const MainWindowClass = L"TavrelicClassWin";
constexpr int ProgressBarId = 0;
constexpr int StatusBarId = 1;

// The one main window. The platform calls that name no window reach its
// record through it.
HWND theMainWindow = nullptr;

void appendMenuItem(HMENU popup, const MenuItem& item)
{
    if (isSeparator(item)) {
        AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
    } else {
        AppendMenuW(popup, MF_STRING, static_cast<UINT_PTR>(item.command), widen(item.text).c_str());
    }
}

// The menu bar, made from the menu table. Null when a menu could not be made.
HMENU createMenuBar()
{
    HMENU bar = CreateMenu();
    if (bar == nullptr) {
        return nullptr;
    }
    for (const Menu& menu : MenuBar) {
        HMENU popup = CreatePopupMenu();
        if (popup == nullptr) {
            DestroyMenu(bar);  // with the menus appended so far
            return nullptr;
        }
        for (size_t i = 0; i < menu.itemCount; ++i) {
            appendMenuItem(popup, menu.items[i]);
        }
        AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), widen(menu.title).c_str());
    }
    return bar;
}

// The status bar's text in the system's status font at the window's
// display scale, so that it stays readable in the scaled strip.
void setStatusFont(MainWindow& record)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0,
                                    GetDpiForWindow(record.window))) {
        return;
    }
    HFONT font = CreateFontIndirectW(&metrics.lfStatusFont);
    if (font == nullptr) {
        return;
    }
    SendMessageW(record.statusBar, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    if (record.statusFont != nullptr) {
        DeleteObject(record.statusFont);
    }
    record.statusFont = font;
}

// The progress bar first, then the status bar; fitWindowToImage places both.
void createBars(MainWindow& record)
{
    record.progressBar = CreateWindowExW(
        WS_EX_CLIENTEDGE, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE | PBS_SMOOTH, 0, 0, 0, 0,
        record.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ProgressBarId)),
        record.instance, nullptr);
    // The progress bar lies in front of the status bar; clipping keeps the
    // status bar's repaints from drawing over it. Left to itself the status
    // bar would move to the bottom at its own height and cover the image's
    // last two rows: it keeps the place fitWindowToImage gives it.
    record.statusBar = CreateStatusWindowW(
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_NORESIZE | CCS_NOPARENTALIGN,
        widen(ReadyText).c_str(), record.window, StatusBarId);
    setStatusFont(record);
    SendMessageW(record.progressBar, PBM_SETSTEP, 1, 0);
}

// The record arrives as the creation parameter and is kept in the window.
void onNonClientCreate(HWND window, LPARAM lParam)
{
    auto* record = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    record->window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(record));
    theMainWindow = window;
}

// -1 stops the creation when the offscreen picture cannot be made.
LRESULT onCreate(MainWindow& record)
{
    const Workspace& ws = *record.workspace;
    if (!createOffscreenPicture(record.picture, record.window, ws.imageWidth, ws.imageHeight)) {
        return -1;
    }
    createBars(record);
    fitWindowToImage(record.workspace->imageWidth, record.workspace->imageHeight);
    DragAcceptFiles(record.window, TRUE);
    return 0;
}

// Copies the image area's part of what needs painting from the offscreen
// picture, unscaled.
LRESULT onPaint(MainWindow& record)
{
    showChosenPicture(*record.workspace, record.window);
    PAINTSTRUCT paint;
    HDC windowDc = BeginPaint(record.window, &paint);
    const RECT image = {0, 0, record.workspace->imageWidth, record.workspace->imageHeight};
    RECT part;
    if (record.picture.dc != nullptr && IntersectRect(&part, &paint.rcPaint, &image)) {
        BitBlt(windowDc, part.left, part.top, part.right - part.left, part.bottom - part.top, record.picture.dc,
               part.left, part.top, SRCCOPY);
    }
    EndPaint(record.window, &paint);
    return 0;
}

// The window moved to a display of another scale: it takes the place that
// Windows suggests, and its size again follows the picture, which stays one
// screen pixel for each of its pixels, and the scaled strip.
LRESULT onDpiChanged(MainWindow& record, const RECT& suggested)
{
    SetWindowPos(record.window, nullptr, suggested.left, suggested.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    setStatusFont(record);
    fitWindowToImage(record.workspace->imageWidth, record.workspace->imageHeight);
    return 0;
}

// The window itself is left alone: it goes away with the program.
LRESULT onClose(MainWindow& record)
{
    releaseOffscreenPicture(record.picture);
    if (record.statusFont != nullptr) {
        SendMessageW(record.statusBar, WM_SETFONT, 0, FALSE);
        DeleteObject(record.statusFont);
        record.statusFont = nullptr;
    }
    closeWorkspace(*record.workspace);
    return 0;
}

// The name of the one file of a drop; false for a drop of several.
bool droppedFile(HDROP drop, std::filesystem::path& file)
{
    if (DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0) != 1) {
        return false;
    }
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring name(static_cast<size_t>(length) + 1, L'\0');
    if (DragQueryFileW(drop, 0, &name[0], length + 1) != length) {
        return false;
    }
    name.resize(length);
    file = std::filesystem::path(name);
    return true;
}

// A file dropped on the window loads as one named on the command line. A
// drop of several files is let go, and so is one that reaches the window
// while a box or dialog keeps it disabled.
LRESULT onDropFiles(MainWindow& record, HDROP drop)
{
    std::filesystem::path file;
    const bool one = droppedFile(drop, file);
    DragFinish(drop);
    if (one && IsWindowEnabled(record.window)) {
        openOutsideFile(*record.workspace, record.window, file, FileKindChoice::Detect);
    }
    return 0;
}

LRESULT onCommand(MainWindow& record, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!handleCommand(*record.workspace, record.window, LOWORD(wParam))) {
        return 0;
    }
    return DefWindowProcW(record.window, message, wParam, lParam);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        onNonClientCreate(window, lParam);
    }
    MainWindow* record = mainWindowRecordOf(window);
    if (record == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        return onCreate(*record);
    case WM_PAINT:
        return onPaint(*record);
    case WM_CLOSE:
        return onClose(*record);
    case WM_COMMAND:
        return onCommand(*record, message, wParam, lParam);
    case WM_DPICHANGED:
        return onDpiChanged(*record, *reinterpret_cast<const RECT*>(lParam));
    case WM_DROPFILES:
        return onDropFiles(*record, reinterpret_cast<HDROP>(wParam));
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

bool registerMainWindowClass(HINSTANCE instance)
{
    WNDCLASSW windowClass = {};
    windowClass.style = 0;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_MAIN_ICON));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszMenuName = nullptr;  // each window is given the menu made from the table
    windowClass.lpszClassName = MainWindowClass;
    return RegisterClassW(&windowClass) != 0;
}

HWND createMainWindow(MainWindow& record)
{
    HMENU menu = createMenuBar();
    if (menu == nullptr) {
        return nullptr;
    }
    HWND window = CreateWindowExW(0, MainWindowClass, widen(TAVRELIC_NAME).c_str(),
                                  WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT, CW_USEDEFAULT,
                                  StartImageWidth, StartImageHeight, nullptr, menu, record.instance, &record);
    // A window whose creation failed after the menu was attached took the
    // menu with it; a menu never attached is left to us.
    if (window == nullptr && IsMenu(menu)) {
        DestroyMenu(menu);
    }
    return window;
}

MainWindow* mainWindowRecord()
{
    return theMainWindow != nullptr ? mainWindowRecordOf(theMainWindow) : nullptr;
}

MainWindow* mainWindowRecordOf(HWND window)
{
    return reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}
