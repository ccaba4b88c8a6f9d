// The entry point: reads the command line, registers the main window's
// class, creates the window for a workspace of the start size (640 x 480),
// loads the file the command line names, if any, and runs the event loop.
//
// The exit code: 0 after the main window was closed and -1 after an
// operation ran out of memory (the quit request's code); 1 when the program
// could not start (the class could not be registered, or the window or its
// offscreen picture could not be made), with nothing shown, or when the
// event loop itself failed. --help and --version print to the console the
// program was started from and end with 0, a command line the program
// cannot use with 2, before any window is made.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>
#include <string>
#include <vector>

#include "shell/outside_files.h"
#include "shell/win32/console_output.h"
#include "shell/win32/main_window.h"
#include "shell/win32/text_conversion.h"
#include "tavrelic_version.h"
#include "picture/runtime.h"
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

// The arguments after the program's name, as Windows splits the command
// line, in UTF-8.
std::vector<std::string> commandLineArguments()
{
    std::vector<std::string> arguments;
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == nullptr) {
        return arguments;
    }
    for (int i = 1; i < count; ++i) {
        arguments.push_back(narrow(words[i]));
    }
    LocalFree(words);
    return arguments;
}

int printReply(const StartReply& reply)
{
    printToStartingConsole(reply.text, reply.toStandardError);
    return reply.exitCode;
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
    const StartRequest request = readStartArguments(commandLineArguments());
    if (request.action != StartAction::OpenWindow) {
        return printReply(replyWithoutWindow(request, TAVRELIC_VERSION_TEXT));
    }
    if (!registerMainWindowClass(instance)) {
        return FailureExitCode;
    }
    registerBarClasses();
    Runtime runtime(threadsNamedByEnvironment());
    Workspace workspace;
    workspace.runtime = &runtime;
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
    if (!request.file.empty()) {
        openOutsideFile(workspace, window, std::filesystem::u8path(request.file), request.kind);
    }
    return runEventLoop();
}
