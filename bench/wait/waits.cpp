// tavrelic_waits: how long each command holds the real window. It starts
// tavrelic.exe, loads a depth map through the open dialog and runs every
// command several times, each time measuring
//   held:    from the command's delivery (or, for the load, from the click
//            on the dialog's OK) until the program is back in its event
//            loop, where it answers a message sent after the command;
//   painted: until, in addition, the window has painted what it shows.
// It prints one line per command with the medians, in milliseconds:
//   wait COMMAND held=MS painted=MS runs=N
//
//   tavrelic_waits PROGRAM DEPTH_MAP RUNS
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "program_windows.h"
#include "shell/commands.h"

namespace {

constexpr DWORD CommandLimitMs = 120000;
constexpr int FileNameComboId = 0x47C;

struct Program {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;
};

struct Wait {
    double heldMs;
    double paintedMs;
};

double nowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

[[noreturn]] void giveUp(const std::string& why) {
    std::printf("wait-error %s\n", why.c_str());
    std::fflush(stdout);
    ExitProcess(1);
}

template <typename Condition>
bool spinUntil(DWORD limitMs, Condition condition) {
    const double deadline = nowMs() + limitMs;
    while (!condition()) {
        if (nowMs() > deadline) return false;
        Sleep(0);
    }
    return true;
}

// The program's thread answers a sent message only in its event loop (or
// in a modal box, which the benchmark never expects).
void waitUntilIdle(const Program& program) {
    DWORD_PTR result = 0;
    if (!sendWithTimeout(program.window, WM_NULL, 0, 0, CommandLimitMs, result))
        giveUp("the program did not come back to its event loop" + describeOpenDialog(program.process.dwProcessId, 500));
    if (findMessageBox(program.process.dwProcessId) != nullptr)
        giveUp("a message box is open" + describeOpenDialog(program.process.dwProcessId, 500));
}

// Painted: the window has no update region left, and the program, which
// may still be inside its paint handler when that shows, has answered once
// more.
Wait measureUntilIdle(const Program& program, double start) {
    waitUntilIdle(program);
    const double held = nowMs();
    if (!spinUntil(CommandLimitMs, [&] { return !GetUpdateRect(program.window, nullptr, FALSE); }))
        giveUp("the window was not painted");
    waitUntilIdle(program);
    return Wait{held - start, nowMs() - start};
}

Program startProgram(const std::wstring& path) {
    Program program;
    std::wstring commandLine = L"\"" + path + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(path.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &program.process))
        giveUp("cannot start " + narrow(path));
    if (!spinUntil(20000, [&] { return (program.window = findMainWindow(program.process.dwProcessId)) != nullptr; }))
        giveUp("no main window");
    waitUntilIdle(program);
    return program;
}

// The command is sent, not posted, so that it runs before the message the
// wait sends after it.
Wait runCommand(const Program& program, int commandId) {
    const double start = nowMs();
    SendNotifyMessageW(program.window, WM_COMMAND, static_cast<WPARAM>(commandId), 0);
    return measureUntilIdle(program, start);
}

Wait loadDepthMap(const Program& program, const std::wstring& fileName) {
    SendNotifyMessageW(program.window, WM_COMMAND, CmdLoadDepthMap, 0);
    HWND dialog = nullptr;
    if (!spinUntil(20000, [&] { return (dialog = findFileDialog(program.process.dwProcessId)) != nullptr; }))
        giveUp("no open dialog");
    HWND combo = GetDlgItem(dialog, FileNameComboId);
    HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
    if (!writeWindowText(edit != nullptr ? edit : combo, 5000, fileName)) giveUp("cannot type the file name");
    const double start = nowMs();
    PostMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    // The dialog's own loop would answer the idle message while it closes.
    if (!spinUntil(20000, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }))
        giveUp("the open dialog stayed open");
    return measureUntilIdle(program, start);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

template <typename Measure>
void report(const char* name, int runs, Measure measure) {
    std::vector<double> held;
    std::vector<double> painted;
    for (int i = 0; i < runs; ++i) {
        const Wait wait = measure();
        held.push_back(wait.heldMs);
        painted.push_back(wait.paintedMs);
    }
    std::printf("wait %s held=%.2f painted=%.2f runs=%d\n", name, median(held), median(painted), runs);
    std::fflush(stdout);
}

struct Command {
    const char* name;
    int id;
};

// In an order in which each finds what it works on.
const Command Commands[] = {
    {"pattern", CmdGeneratePattern},
    {"generate", CmdGenerateStereogram},
    {"decode", CmdDecodeStereogram},
    {"round_trip", CmdRoundTrip},
    {"view/stereogram_dots", CmdShowStereogramWithDots},
    {"view/stereogram_plain", CmdShowStereogramPlain},
    {"view/depth_quantised", CmdShowDepthQuantised},
    {"view/depth_original", CmdShowDepthOriginal},
    {"view/pattern_strip", CmdShowPatternStrip},
    {"view/pattern_tiled", CmdShowPatternTiled},
};

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr || count != 4) {
        std::printf("usage: tavrelic_waits PROGRAM DEPTH_MAP RUNS\n");
        return 2;
    }
    const std::wstring programPath = arguments[1];
    const std::wstring depthMap = arguments[2];
    const int runs = std::max(1, _wtoi(arguments[3]));
    LocalFree(arguments);

    const Program program = startProgram(programPath);
    report("load", runs, [&] { return loadDepthMap(program, depthMap); });
    for (const Command& command : Commands) {
        // The batch is long; it is measured fewer times.
        const int times = command.id == CmdRoundTrip ? std::max(1, runs / 3) : runs;
        report(command.name, times, [&] { return runCommand(program, command.id); });
    }
    PostMessageW(program.window, WM_CLOSE, 0, 0);
    WaitForSingleObject(program.process.hProcess, 10000);
    return 0;
}
