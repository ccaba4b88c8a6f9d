// The entry point: registers the main window's class, creates the window
// for a workspace of the start size (640 x 480) and runs the event loop.
//
// The exit code: 0 after the main window was closed and -1 after an
// operation ran out of memory (the quit request's code); 1 when the program
// could not start (the class could not be registered, or the window or its
// offscreen picture could not be made), with nothing shown, or when the
// event loop itself failed.
#include <windows.h>
#include <commctrl.h>

#include "engine/parallel_rows.h"
#include "shell/win32/main_window.h"
#include "workspace/workspace.h"

namespace {

constexpr int FailureExitCode = 1;

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
    return got == 0 ? static_cast<int>(message.wParam) : FailureExitCode;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showMode)
{
    if (!registerMainWindowClass(instance)) {
        return FailureExitCode;
    }
    registerBarClasses();
    setDefaultEngineThreads(threadsNamedByEnvironment());
    Workspace workspace;
    workspace.imageWidth = StartImageWidth;
    workspace.imageHeight = StartImageHeight;
    MainWindow mainWindow;
    mainWindow.instance = instance;
    mainWindow.workspace = &workspace;
    HWND window = createMainWindow(mainWindow);
    if (window == nullptr) {
        return FailureExitCode;
    }
    ShowWindow(window, showMode);
    UpdateWindow(window);
    return runEventLoop();
}
