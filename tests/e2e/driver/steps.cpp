#include "steps.h"

#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "program_windows.h"
#include "script.h"

namespace {

using Arguments = std::vector<std::string>;

constexpr DWORD PollMs = 20;
constexpr int FileNameComboId = 0x47C;

// Polls the condition until it holds or the limit passes.
template <typename Condition>
bool waitUntil(DWORD limitMs, Condition condition) {
    const ULONGLONG deadline = GetTickCount64() + limitMs;
    while (true) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(PollMs);
    }
}

// Waits for a state of the program's windows. While a message box is open
// the program is blocked inside it and nothing changes until the box is
// closed, so a state that does not hold then will not come: the wait ends
// at once instead of running into its limit.
template <typename Condition>
bool waitForState(const Session& session, Condition condition) {
    const ULONGLONG deadline = GetTickCount64() + session.waitMs;
    while (true) {
        if (condition()) return true;
        if (findMessageBox(session.process.dwProcessId) != nullptr) return condition();
        if (GetTickCount64() >= deadline) return false;
        Sleep(PollMs);
    }
}

std::string seconds(const Session& session) { return std::to_string(session.waitMs / 1000) + " s"; }

bool programEnded(const Session& session) {
    return WaitForSingleObject(session.process.hProcess, 0) == WAIT_OBJECT_0;
}

std::string exitCodeText(const Session& session) {
    DWORD code = 0;
    GetExitCodeProcess(session.process.hProcess, &code);
    return std::to_string(static_cast<int32_t>(code));
}

// What the failure report adds about the program's state.
std::string stateNote(const Session& session) {
    if (programEnded(session)) return "; the program has ended with exit code " + exitCodeText(session);
    return describeOpenDialog(session.process.dwProcessId, 500);
}

bool requireRunning(const Session& session, std::string& failure) {
    if (!session.started) {
        failure = "the program was not started";
        return false;
    }
    if (programEnded(session)) {
        failure = "the program has ended with exit code " + exitCodeText(session);
        return false;
    }
    return true;
}

// Returns once the program's thread has handled a message sent after
// everything sent before: it is idle, or inside a modal box or dialog.
bool waitForIdle(const Session& session, std::string& failure) {
    DWORD_PTR result = 0;
    if (sendWithTimeout(session.mainWindow, WM_NULL, 0, 0, session.waitMs, result)) return true;
    if (!IsWindow(session.mainWindow) || programEnded(session)) return true;
    failure = "the program did not answer within " + seconds(session);
    return false;
}

bool readInteger(const std::string& word, long long& value, std::string& failure) {
    if (parseInteger(word, value)) return true;
    failure = "not a number: " + word;
    return false;
}

HWND statusBar(const Session& session) {
    return FindWindowExW(session.mainWindow, nullptr, STATUSCLASSNAMEW, nullptr);
}

HWND progressBar(const Session& session) {
    return FindWindowExW(session.mainWindow, nullptr, PROGRESS_CLASSW, nullptr);
}

bool readStatusText(const Session& session, std::string& text) {
    std::wstring wide;
    HWND bar = statusBar(session);
    if (bar == nullptr || !readWindowText(bar, 500, wide)) return false;
    text = narrow(wide);
    return true;
}

// Waits for a dialog of one kind; the failure names the kind.
bool waitForDialog(const Session& session, HWND (*find)(DWORD), const char* kind, HWND& dialog,
                   std::string& failure) {
    dialog = nullptr;
    const bool found = waitUntil(session.waitMs, [&] {
        dialog = find(session.process.dwProcessId);
        return dialog != nullptr || programEnded(session);
    });
    if (found && dialog != nullptr) return true;
    failure = std::string("no ") + kind + " appeared within " + seconds(session) + stateNote(session);
    return false;
}

bool waitUntilClosed(const Session& session, HWND dialog, const char* kind, std::string& failure) {
    if (waitUntil(session.waitMs, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }))
        return true;
    failure = std::string("the ") + kind + " stayed open for " + seconds(session) + stateNote(session);
    return false;
}

bool controlOf(HWND dialog, int id, const std::string& name, HWND& control, std::string& failure) {
    control = GetDlgItem(dialog, id);
    if (control != nullptr) return true;
    failure = "the dialog has no control " + name + " (id " + std::to_string(id) + ")";
    return false;
}

// One argument of a command line as CommandLineToArgvW reads it back:
// quoted, a quote escaped by a backslash, backslashes doubled before a
// quote.
std::wstring quotedArgument(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(2 * backslashes, L'\\');
    return quoted + L"\"";
}

std::wstring commandLineOf(const Session& session, const Arguments& args) {
    std::wstring commandLine = quotedArgument(session.programPath);
    for (const std::string& argument : args) commandLine += L" " + quotedArgument(widen(argument));
    return commandLine;
}

// A program that has ended makes room for the next start.
bool makeRoomForAStart(Session& session, std::string& failure) {
    if (session.started && !programEnded(session)) {
        failure = "the program is already running";
        return false;
    }
    endProgram(session);
    return true;
}

bool launch(Session& session, const Arguments& args, STARTUPINFOW& startup, bool inheritHandles,
            std::string& failure) {
    std::wstring commandLine = commandLineOf(session, args);
    if (!CreateProcessW(session.programPath.c_str(), &commandLine[0], nullptr, nullptr, inheritHandles, 0, nullptr,
                        nullptr, &startup, &session.process)) {
        failure = "cannot start " + narrow(session.programPath) + " (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    session.started = true;
    return true;
}

// --- the steps -----------------------------------------------------------

// start [ARGUMENTS...]: starts the program with the arguments and waits for
// its main window and for it to be idle.
bool stepStart(Session& session, const Arguments& args, std::string& failure) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!makeRoomForAStart(session, failure) || !launch(session, args, startup, FALSE, failure))
        return false;
    const bool shown = waitUntil(session.waitMs, [&] {
        session.mainWindow = findMainWindow(session.process.dwProcessId);
        return session.mainWindow != nullptr || programEnded(session);
    });
    if (!shown || session.mainWindow == nullptr) {
        failure = "no main window of class TavrelicClassWin appeared within " + seconds(session) +
                  stateNote(session);
        return false;
    }
    return waitForIdle(session, failure);
}

// A file of the driver's own for what a run prints, which the program
// inherits as a standard handle; it goes when it is closed.
HANDLE printedFile() {
    wchar_t folder[MAX_PATH + 1] = {}, name[MAX_PATH + 1] = {};
    if (GetTempPathW(MAX_PATH, folder) == 0 || GetTempFileNameW(folder, L"tav", 0, name) == 0)
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
    return CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherited, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

std::string readPrinted(HANDLE file) {
    std::string bytes;
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    return bytes;
}

// run [ARGUMENTS...]: runs the program with the arguments until it ends by
// itself, as --help does, its standard output and error in files of the
// driver's; it must not show its main window meanwhile. (A Windows program
// needs no display to name; under Wine, tests/e2e/session.sh runs it with
// none from the Unix shell.)
bool stepRun(Session& session, const Arguments& args, std::string& failure) {
    if (!makeRoomForAStart(session, failure)) return false;
    HANDLE output = printedFile(), errors = printedFile();
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = errors;
    bool done = output != INVALID_HANDLE_VALUE && errors != INVALID_HANDLE_VALUE &&
                launch(session, args, startup, TRUE, failure);
    if (done && !waitUntil(session.waitMs, [&] { return programEnded(session) || findMainWindow(session.process.dwProcessId) != nullptr; })) {
        failure = "the program was still running after " + seconds(session);
        done = false;
    } else if (done && !programEnded(session)) {
        failure = "the program showed its main window";
        done = false;
    }
    if (done) {
        session.printedOutput = readPrinted(output);
        session.printedErrors = readPrinted(errors);
    } else if (failure.empty()) {
        failure = "cannot make the files for what the program prints";
    }
    if (output != INVALID_HANDLE_VALUE) CloseHandle(output);
    if (errors != INVALID_HANDLE_VALUE) CloseHandle(errors);
    return done;
}

bool expectPrinted(const char* where, const std::string& printed, const std::string& expected, std::string& failure) {
    if (printed == expected) return true;
    failure = std::string("the program printed on ") + where + " " + quoted(printed) + ", expected " + quoted(expected);
    return false;
}

bool stepExpectPrinted(Session& session, const Arguments& args, std::string& failure) {
    return expectPrinted("standard output", session.printedOutput, args[0], failure);
}

bool stepExpectPrintedError(Session& session, const Arguments& args, std::string& failure) {
    return expectPrinted("standard error", session.printedErrors, args[0], failure);
}

// The command is delivered as a notification (sent, not posted): it then
// runs before any message the driver sends after it, so the idle wait that
// follows returns only when the command has ended or shows a modal window.
// A posted command would come after that wait's own message.
bool stepCommand(Session& session, const Arguments& args, std::string& failure) {
    int id = 0;
    if (!commandId(session.tables, args[0], id, failure) || !requireRunning(session, failure)) return false;
    if (!SendNotifyMessageW(session.mainWindow, WM_COMMAND, static_cast<WPARAM>(id), 0)) {
        failure = "cannot deliver the command";
        return false;
    }
    return waitForIdle(session, failure);
}

bool stepClose(Session& session, const Arguments&, std::string& failure) {
    if (!requireRunning(session, failure)) return false;
    // The close box of the caption raises this system command.
    if (PostMessageW(session.mainWindow, WM_SYSCOMMAND, SC_CLOSE, 0)) return true;
    failure = "cannot post the close request";
    return false;
}

bool stepExpectExit(Session& session, const Arguments& args, std::string& failure) {
    long long expected = 0;
    if (!readInteger(args[0], expected, failure)) return false;
    if (!session.started) {
        failure = "the program was not started";
        return false;
    }
    if (!waitUntil(session.waitMs, [&] { return programEnded(session); })) {
        failure = "the program was still running after " + seconds(session) + stateNote(session);
        return false;
    }
    const std::string code = exitCodeText(session);
    if (code == std::to_string(expected)) return true;
    failure = "exit code " + code + ", expected " + args[0];
    return false;
}

bool stepTimeout(Session& session, const Arguments& args, std::string& failure) {
    long long secondsValue = 0;
    if (!readInteger(args[0], secondsValue, failure)) return false;
    if (secondsValue < 1 || secondsValue > 600) {
        failure = "a timeout must lie between 1 and 600 s";
        return false;
    }
    session.waitMs = static_cast<DWORD>(secondsValue * 1000);
    return true;
}

// expect-message TEXT CAPTION: a box with one OK button and no icon shows
// exactly these texts ("*" as TEXT takes any text); OK closes it.
bool stepExpectMessage(Session& session, const Arguments& args, std::string& failure) {
    HWND box = nullptr;
    if (!requireRunning(session, failure) ||
        !waitForDialog(session, findMessageBox, "message box", box, failure))
        return false;
    std::wstring text, caption;
    readWindowText(GetDlgItem(box, 0xFFFF), session.waitMs, text);
    readWindowText(box, session.waitMs, caption);
    const int buttons = countVisibleButtons(box);
    // The icon place of the box (stc1) holds no icon for a plain MB_OK.
    HWND icon = GetDlgItem(box, 0x440);
    DWORD_PTR iconHandle = 0;
    const bool iconShown = icon != nullptr && IsWindowVisible(icon) &&
                           sendWithTimeout(icon, STM_GETICON, 0, 0, session.waitMs, iconHandle) &&
                           iconHandle != 0;
    HWND ok = GetDlgItem(box, IDOK);
    if (ok == nullptr) {
        failure = "the message box " + quoted(narrow(text)) + " has no OK button";
        return false;
    }
    PostMessageW(ok, BM_CLICK, 0, 0);
    if (!waitUntilClosed(session, box, "message box", failure) || !waitForIdle(session, failure))
        return false;
    const bool textMatches = args[0] == "*" || narrow(text) == args[0];
    if (textMatches && narrow(caption) == args[1] && buttons == 1 && !iconShown) return true;
    failure = "message box " + quoted(narrow(text)) + " with caption " + quoted(narrow(caption)) +
              ", " + std::to_string(buttons) + " button(s)" + (iconShown ? " and an icon" : "") +
              "; expected " + (args[0] == "*" ? std::string("any text") : quoted(args[0])) +
              " with caption " + quoted(args[1]) + ", one button, no icon";
    return false;
}

// No dialog is open, and none opens while the program finishes what it is
// doing.
bool stepExpectNoDialog(Session& session, const Arguments&, std::string& failure) {
    if (!requireRunning(session, failure)) return false;
    const DWORD id = session.process.dwProcessId;
    const bool closed = waitUntil(session.waitMs, [&] { return findAnyDialog(id) == nullptr; });
    if (closed && waitForIdle(session, failure) && findAnyDialog(id) == nullptr) return true;
    if (failure.empty()) failure = "a dialog is open" + describeOpenDialog(id, 500);
    return false;
}

bool stepExpectStatus(Session& session, const Arguments& args, std::string& failure) {
    if (!requireRunning(session, failure)) return false;
    std::string shown = "(unreadable)";
    if (waitForState(session, [&] { return readStatusText(session, shown) && shown == args[0]; }))
        return true;
    failure = "the status bar shows " + quoted(shown) + ", expected " + quoted(args[0]) +
              stateNote(session);
    return false;
}

bool stepExpectClient(Session& session, const Arguments& args, std::string& failure) {
    long long width = 0, height = 0;
    if (!readInteger(args[0], width, failure) || !readInteger(args[1], height, failure) ||
        !requireRunning(session, failure))
        return false;
    RECT client = {};
    if (waitForState(session, [&] {
            return GetClientRect(session.mainWindow, &client) && client.right == width &&
                   client.bottom == height;
        }))
        return true;
    failure = "the client area is " + std::to_string(client.right) + " x " +
              std::to_string(client.bottom) + ", expected " + args[0] + " x " + args[1] +
              stateNote(session);
    return false;
}

// The window class of a bar of the main window that the scenarios name;
// null for a name of no bar.
const wchar_t* barClass(const std::string& name) {
    if (name == "progress-bar") return PROGRESS_CLASSW;
    if (name == "status-bar") return STATUSCLASSNAMEW;
    return nullptr;
}

// expect-child-at BAR X Y: the bar (progress-bar or status-bar) has its
// top left corner there, in client coordinates of the main window.
bool stepExpectChildAt(Session& session, const Arguments& args, std::string& failure) {
    long long x = 0, y = 0;
    if (!readInteger(args[1], x, failure) || !readInteger(args[2], y, failure) ||
        !requireRunning(session, failure))
        return false;
    const wchar_t* windowClass = barClass(args[0]);
    if (windowClass == nullptr) {
        failure = "the main window has no bar called " + args[0] + " (progress-bar or status-bar)";
        return false;
    }
    HWND child = FindWindowExW(session.mainWindow, nullptr, windowClass, nullptr);
    if (child == nullptr) {
        failure = "the main window has no " + args[0] + " (class " + narrow(windowClass) + ")";
        return false;
    }
    RECT place = {};
    if (waitForState(session, [&] {
            GetWindowRect(child, &place);
            MapWindowPoints(nullptr, session.mainWindow, reinterpret_cast<POINT*>(&place), 2);
            return place.left == x && place.top == y;
        }))
        return true;
    failure = args[0] + " is at " + std::to_string(place.left) + ", " + std::to_string(place.top) +
              " (" + std::to_string(place.right - place.left) + " x " +
              std::to_string(place.bottom - place.top) + "), expected " + args[1] + ", " + args[2];
    return false;
}

struct ProgressState {
    DWORD_PTR position = 0, minimum = 0, maximum = 0;
};

bool readProgress(const Session& session, ProgressState& state) {
    HWND bar = progressBar(session);
    return bar != nullptr && sendWithTimeout(bar, PBM_GETPOS, 0, 0, 500, state.position) &&
           sendWithTimeout(bar, PBM_GETRANGE, TRUE, 0, 500, state.minimum) &&
           sendWithTimeout(bar, PBM_GETRANGE, FALSE, 0, 500, state.maximum);
}

bool stepExpectProgress(Session& session, const Arguments& args, std::string& failure) {
    long long position = 0, minimum = 0, maximum = 0;
    if (!readInteger(args[0], position, failure) || !readInteger(args[1], minimum, failure) ||
        !readInteger(args[2], maximum, failure) || !requireRunning(session, failure))
        return false;
    ProgressState state;
    if (waitForState(session, [&] {
            return readProgress(session, state) && static_cast<long long>(state.position) == position &&
                   static_cast<long long>(state.minimum) == minimum &&
                   static_cast<long long>(state.maximum) == maximum;
        }))
        return true;
    failure = "the progress bar is at " + std::to_string(state.position) + " of " +
              std::to_string(state.minimum) + ".." + std::to_string(state.maximum) + ", expected " +
              args[0] + " of " + args[1] + ".." + args[2] + stateNote(session);
    return false;
}

// Confirms or cancels the open or save dialog; a confirmed name is typed
// into the file-name box first.
bool finishFileDialog(Session& session, const std::string* fileName, std::string& failure) {
    HWND dialog = nullptr;
    if (!requireRunning(session, failure) ||
        !waitForDialog(session, findFileDialog, "file dialog", dialog, failure))
        return false;
    if (fileName != nullptr) {
        HWND combo = GetDlgItem(dialog, FileNameComboId);
        HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
        if (!writeWindowText(edit != nullptr ? edit : combo, session.waitMs, widen(*fileName))) {
            failure = "cannot type the file name";
            return false;
        }
    }
    const int button = fileName != nullptr ? IDOK : IDCANCEL;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
    return waitUntilClosed(session, dialog, "file dialog", failure) && waitForIdle(session, failure);
}

bool stepChooseFile(Session& session, const Arguments& args, std::string& failure) {
    return finishFileDialog(session, &args[0], failure);
}

bool stepCancelFile(Session& session, const Arguments&, std::string& failure) {
    return finishFileDialog(session, nullptr, failure);
}

bool preferencesControl(Session& session, const std::string& name, HWND& dialog, HWND& control,
                        std::string& failure) {
    int id = 0;
    return preferencesControlId(session.tables, name, id, failure) && requireRunning(session, failure) &&
           waitForDialog(session, findOwnDialog, "Preferences or text depth map dialog", dialog, failure) &&
           controlOf(dialog, id, name, control, failure);
}

bool stepPrefsSet(Session& session, const Arguments& args, std::string& failure) {
    HWND dialog = nullptr, field = nullptr;
    if (!preferencesControl(session, args[0], dialog, field, failure)) return false;
    if (writeWindowText(field, session.waitMs, widen(args[1]))) return true;
    failure = "cannot write into the field " + args[0];
    return false;
}

// Posted, as a real click arrives: the dialog may answer it with a modal
// message box, which the next step handles.
bool stepPrefsClick(Session& session, const Arguments& args, std::string& failure) {
    HWND dialog = nullptr, button = nullptr;
    if (!preferencesControl(session, args[0], dialog, button, failure)) return false;
    if (PostMessageW(button, BM_CLICK, 0, 0)) return true;
    failure = "cannot click " + args[0];
    return false;
}

bool stepPrefsExpect(Session& session, const Arguments& args, std::string& failure) {
    HWND dialog = nullptr, field = nullptr;
    if (!preferencesControl(session, args[0], dialog, field, failure)) return false;
    std::wstring text;
    if (waitUntil(session.waitMs, [&] { return readWindowText(field, 500, text) && narrow(text) == args[1]; }))
        return true;
    failure = "the field " + args[0] + " holds " + quoted(narrow(text)) + ", expected " +
              quoted(args[1]);
    return false;
}

bool stepPrefsExpectCheck(Session& session, const Arguments& args, std::string& failure) {
    HWND dialog = nullptr, button = nullptr;
    long long expected = 0;
    if (!readInteger(args[1], expected, failure) ||
        !preferencesControl(session, args[0], dialog, button, failure))
        return false;
    DWORD_PTR state = 0;
    if (waitUntil(session.waitMs, [&] {
            return sendWithTimeout(button, BM_GETCHECK, 0, 0, 500, state) &&
                   static_cast<long long>(state) == expected;
        }))
        return true;
    failure = "the button " + args[0] + " has the state " + std::to_string(state) + ", expected " +
              args[1];
    return false;
}

// prefs-key escape|enter: the key goes to the dialog's first field that
// takes typed text, which gets the focus first. A digit typed after it
// shows when the dialog has handled the key; the dialog must still be open
// then.
bool stepPrefsKey(Session& session, const Arguments& args, std::string& failure) {
    const WPARAM key = args[0] == "escape" ? VK_ESCAPE : args[0] == "enter" ? VK_RETURN : 0;
    if (key == 0) {
        failure = "unknown key " + args[0] + " (escape or enter)";
        return false;
    }
    HWND dialog = nullptr, field = nullptr;
    std::string firstField;
    if (!firstTextField(session.tables, firstField, failure) ||
        !preferencesControl(session, firstField, dialog, field, failure))
        return false;
    DWORD_PTR result = 0;
    std::wstring before;
    if (!sendWithTimeout(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(field), TRUE,
                         session.waitMs, result) ||
        !readWindowText(field, session.waitMs, before)) {
        failure = "the dialog does not answer";
        return false;
    }
    const wchar_t marker = before == L"1" ? L'2' : L'1';
    PostMessageW(field, WM_KEYDOWN, key, 1);
    PostMessageW(field, WM_KEYUP, key, 0xC0000001);
    PostMessageW(field, WM_CHAR, marker, 1);
    std::wstring after = before;
    const bool handled = waitUntil(session.waitMs, [&] {
        return !IsWindow(dialog) || !IsWindowVisible(dialog) ||
               (readWindowText(field, 500, after) && after != before);
    });
    if (IsWindow(dialog) && IsWindowVisible(dialog) && handled) return true;
    failure = IsWindow(dialog) && IsWindowVisible(dialog)
                  ? "the dialog did not take the key within " + seconds(session)
                  : "the key " + args[0] + " closed the Preferences dialog";
    return false;
}

// The screen rectangles of the status text (the strip's first 200 pixels,
// which the progress bar leaves free) and of the progress bar.
RECT statusTextArea(const Session& session) {
    RECT bar = {}, client = {};
    GetWindowRect(statusBar(session), &bar);
    GetClientRect(session.mainWindow, &client);
    MapWindowPoints(session.mainWindow, nullptr, reinterpret_cast<POINT*>(&client), 2);
    RECT area = {};
    IntersectRect(&area, &bar, &client);
    area.right = std::min(area.right, area.left + 200);
    return area;
}

RECT progressArea(const Session& session) {
    RECT bar = {};
    GetWindowRect(progressBar(session), &bar);
    return bar;
}

// capture-status NAME: keeps what the status bar's text shows on screen
// now, painted while the program is idle (or in a box), for
// expect-bars-moving to compare with.
bool stepCaptureStatus(Session& session, const Arguments& args, std::string& failure) {
    if (!requireRunning(session, failure)) return false;
    std::vector<uint32_t> pixels;
    // The box that keeps the program waiting may not be painted at once.
    waitUntil(session.waitMs, [&] {
        std::vector<uint32_t> now = captureScreen(statusTextArea(session));
        const bool settled = !now.empty() && now == pixels;
        pixels = now;
        return settled;
    });
    if (pixels.empty()) {
        failure = "cannot read the screen";
        return false;
    }
    session.statusCaptures[args[0]] = pixels;
    return true;
}

// What the program is seen to show while a command works, look by look.
struct BarsSeen {
    std::vector<std::vector<uint32_t>> progressStates;  // each one once
    bool textSeen = false;
    bool shotTaken = false;
    int looks = 0;
};

// How long the program runs between two looks. The program is held still
// while the driver looks, so each look sees the work one slice further on,
// however long a look at the screen takes on this machine.
constexpr DWORD SliceMs = 2;
// The progress states to be seen besides the idle one; then the driver
// stops looking and lets the command end by itself.
constexpr size_t StatesWanted = 3;

// One look at the strip, with the program held still: the progress bar's
// picture, whether the status text is one of `texts`, and a picture of the
// whole window the first time both show the command at work.
void lookAtBars(const Session& session, const std::vector<const std::vector<uint32_t>*>& texts,
                const std::vector<uint32_t>& idleProgress, const std::string& shotFile, BarsSeen& seen) {
    const std::vector<uint32_t> progress = captureScreen(progressArea(session));
    const std::vector<uint32_t> status = captureScreen(statusTextArea(session));
    ++seen.looks;
    if (std::find(seen.progressStates.begin(), seen.progressStates.end(), progress) == seen.progressStates.end())
        seen.progressStates.push_back(progress);
    const bool textShown =
        std::any_of(texts.begin(), texts.end(), [&](const std::vector<uint32_t>* text) { return *text == status; });
    seen.textSeen = seen.textSeen || textShown;
    if (textShown && progress != idleProgress && !seen.shotTaken) {
        RECT window = {};
        GetWindowRect(session.mainWindow, &window);
        seen.shotTaken = writeCapture(widen(shotFile), captureScreen(window), window.right - window.left,
                                      window.bottom - window.top);
    }
}

// Suspends every thread of the program, the rows' helpers as well as its
// main thread, so that no work goes on while the driver looks; false when
// a thread could not be held. `held` gets the threads to resume.
bool holdProgram(const Session& session, std::vector<HANDLE>& held) {
    held.clear();
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    bool all = true;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        if (entry.th32OwnerProcessID != session.process.dwProcessId) continue;
        HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
        if (thread != nullptr && SuspendThread(thread) != static_cast<DWORD>(-1)) {
            held.push_back(thread);
        } else if (thread != nullptr) {
            CloseHandle(thread);  // a helper that has just ended
        } else if (entry.th32ThreadID == session.process.dwThreadId) {
            all = false;
        }
    }
    CloseHandle(snapshot);
    return all && !held.empty();
}

void releaseProgram(std::vector<HANDLE>& held) {
    for (HANDLE thread : held) {
        ResumeThread(thread);
        CloseHandle(thread);
    }
    held.clear();
}

// expect-bars-moving SHOT COMMAND STATUS...: sends the command and watches
// the bars while it works. The program runs in slices: after each one all
// its threads are suspended, the strip is read from the screen, and the
// threads resume. Every look therefore comes after a little more of the work, so
// what is seen does not depend on how fast the machine is or how long a
// look takes: a command of many slices that steps its bar shows a new
// state in look after look, and one whose bar is not repainted shows none.
// The progress bar must show at least three states other than the idle
// one, and the status text must look as one of the captured STATUS texts
// at least once. A picture of the window taken while both held goes to
// SHOT.bmp in %E2E_SHOTS%.
bool stepExpectBarsMoving(Session& session, const Arguments& args, std::string& failure) {
    int id = 0;
    if (!commandId(session.tables, args[1], id, failure) || !requireRunning(session, failure)) return false;
    std::vector<const std::vector<uint32_t>*> texts;
    for (size_t i = 2; i < args.size(); ++i) {
        auto found = session.statusCaptures.find(args[i]);
        if (found == session.statusCaptures.end()) {
            failure = "no status text was captured as " + args[i];
            return false;
        }
        texts.push_back(&found->second);
    }
    std::string folder;
    if (!expandVariables("%E2E_SHOTS%", folder, failure)) return false;
    const std::vector<uint32_t> idleProgress = captureScreen(progressArea(session));
    struct Answer {
        HWND window;
        DWORD waitMs;
        volatile LONG answered;
    } answer{session.mainWindow, session.waitMs, 0};
    SendNotifyMessageW(session.mainWindow, WM_COMMAND, static_cast<WPARAM>(id), 0);
    HANDLE waiter = CreateThread(
        nullptr, 0,
        [](LPVOID parameter) -> DWORD {
            Answer& a = *static_cast<Answer*>(parameter);
            DWORD_PTR result = 0;
            SendMessageTimeoutW(a.window, WM_NULL, 0, 0, SMTO_NORMAL, a.waitMs, &result);
            InterlockedExchange(&a.answered, 1);
            return 0;
        },
        &answer, 0, nullptr);
    if (waiter == nullptr) {
        failure = "cannot start the waiting thread";
        return false;
    }
    auto commandRunning = [&] { return InterlockedCompareExchange(&answer.answered, 0, 0) == 0; };
    BarsSeen seen;
    seen.progressStates.push_back(idleProgress);
    int slices = 0;
    bool held = true;
    std::vector<HANDLE> threads;
    while (commandRunning() && seen.progressStates.size() <= StatesWanted) {
        Sleep(SliceMs);
        if (!holdProgram(session, threads)) {
            releaseProgram(threads);
            held = false;
            break;
        }
        ++slices;
        if (commandRunning()) lookAtBars(session, texts, idleProgress, folder + "\\" + args[0] + ".bmp", seen);
        releaseProgram(threads);
    }
    WaitForSingleObject(waiter, INFINITE);
    CloseHandle(waiter);
    const size_t statesAtWork = seen.progressStates.size() - 1;
    if (held && statesAtWork >= StatesWanted && seen.textSeen && seen.shotTaken) return true;
    if (!held) {
        failure = "cannot suspend the program's threads (error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    failure = "in " + std::to_string(seen.looks) + " looks, one every " + std::to_string(SliceMs) +
              " ms of the program's work (" + std::to_string(slices) + " slices), the progress bar showed " +
              std::to_string(statesAtWork) + " states besides the idle one (" + std::to_string(StatesWanted) +
              " expected), the status text " + (seen.textSeen ? "was" : "was never") +
              " one of those captured" + (seen.shotTaken ? "" : ", and no picture showed both");
    return false;
}

// open-menu TITLE: opens the menu of the menu bar with this title ("Plik")
// as the keyboard does: F10, right until it is reached, then down. The
// program is then in the menu's loop, which answers messages, until
// close-menu.
bool stepOpenMenu(Session& session, const Arguments& args, std::string& failure) {
    int position = 0;
    if (!menuPosition(session.tables, args[0], position, failure) || !requireRunning(session, failure))
        return false;
    PostMessageW(session.mainWindow, WM_SYSCOMMAND, SC_KEYMENU, 0);
    if (!waitForIdle(session, failure)) return false;
    for (int i = 1; i < position; ++i) {
        PostMessageW(session.mainWindow, WM_KEYDOWN, VK_RIGHT, 0);
        if (!waitForIdle(session, failure)) return false;
    }
    PostMessageW(session.mainWindow, WM_KEYDOWN, VK_DOWN, 0);
    const bool shown = waitUntil(session.waitMs, [&] {
        return FindWindowExW(nullptr, nullptr, L"#32768", nullptr) != nullptr;
    });
    if (shown && waitForIdle(session, failure)) return true;
    if (failure.empty()) failure = "no menu opened within " + seconds(session);
    return false;
}

// close-menu: Esc until the menu loop has ended.
bool stepCloseMenu(Session& session, const Arguments&, std::string& failure) {
    if (!requireRunning(session, failure)) return false;
    for (int i = 0; i < 3; ++i) {
        PostMessageW(session.mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
        if (!waitForIdle(session, failure)) return false;
    }
    if (waitUntil(session.waitMs, [&] { return FindWindowExW(nullptr, nullptr, L"#32768", nullptr) == nullptr; }))
        return true;
    failure = "the menu stayed open";
    return false;
}

// expect-code-page N: the ANSI code page that programs get in this Wine
// session (the driver's, which it shares with the program).
bool stepExpectCodePage(Session&, const Arguments& args, std::string& failure) {
    long long expected = 0;
    if (!readInteger(args[0], expected, failure)) return false;
    if (static_cast<long long>(GetACP()) == expected) return true;
    failure = "the code page is " + std::to_string(GetACP()) + ", expected " + args[0];
    return false;
}

// A string of the program's version resource, in its Polish, Unicode
// block; empty when there is none.
std::wstring versionString(const std::vector<uint8_t>& info, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041504B0\\") + name;
    if (!VerQueryValueW(info.data(), path.c_str(), &value, &length) || length == 0) return std::wstring();
    return std::wstring(static_cast<const wchar_t*>(value));
}

// The program's manifest (resource type 24, id 1) as text; empty when
// there is none.
std::string manifestOf(const std::wstring& program) {
    HMODULE module = LoadLibraryExW(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return std::string();
    std::string text;
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const char* bytes = loaded != nullptr ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (bytes != nullptr) text.assign(bytes, SizeofResource(module, found));
    FreeLibrary(module);
    return text;
}

// expect-program-file VERSION MAX_BYTES: the program's file is at most
// MAX_BYTES long, its version resource (Polish) gives VERSION and a
// description, and it embeds a manifest asking for common controls 6, per
// monitor (v2) display scaling, Windows 10 and 11, and no elevation.
bool stepExpectProgramFile(Session& session, const Arguments& args, std::string& failure) {
    long long maxBytes = 0;
    if (!readInteger(args[1], maxBytes, failure)) return false;
    WIN32_FILE_ATTRIBUTE_DATA attributes = {};
    if (!GetFileAttributesExW(session.programPath.c_str(), GetFileExInfoStandard, &attributes)) {
        failure = "cannot read " + narrow(session.programPath);
        return false;
    }
    const long long bytes = static_cast<long long>(attributes.nFileSizeHigh) << 32 | attributes.nFileSizeLow;
    if (bytes > maxBytes) {
        failure = "the program is " + std::to_string(bytes) + " bytes long, more than " + args[1];
        return false;
    }
    DWORD ignored = 0;
    std::vector<uint8_t> info(GetFileVersionInfoSizeW(session.programPath.c_str(), &ignored));
    if (info.empty() ||
        !GetFileVersionInfoW(session.programPath.c_str(), 0, static_cast<DWORD>(info.size()), info.data())) {
        failure = "the program has no version resource";
        return false;
    }
    const std::string fileVersion = narrow(versionString(info, L"FileVersion"));
    const std::string productVersion = narrow(versionString(info, L"ProductVersion"));
    if (fileVersion != args[0] || productVersion != args[0] || versionString(info, L"FileDescription").empty()) {
        failure = "the version resource gives the file version " + quoted(fileVersion) + " and the product version " +
                  quoted(productVersion) + ", expected " + args[0] + ", with a description";
        return false;
    }
    const std::string manifest = manifestOf(session.programPath);
    for (const char* wanted : {"Microsoft.Windows.Common-Controls", "6.0.0.0", "PerMonitorV2", "true/pm",
                               "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", "asInvoker"}) {
        if (manifest.find(wanted) == std::string::npos) {
            failure = manifest.empty() ? "the program embeds no manifest"
                                       : std::string("the manifest lacks ") + wanted;
            return false;
        }
    }
    return true;
}

bool readWholeFile(const std::string& fileName, std::string& bytes) {
    std::ifstream file(widen(fileName).c_str(), std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

bool stepExpectSameFile(Session&, const Arguments& args, std::string& failure) {
    std::string actual, expected;
    if (!readWholeFile(args[0], actual) || !readWholeFile(args[1], expected)) {
        failure = "cannot read " + (actual.empty() ? args[0] : args[1]);
        return false;
    }
    if (actual == expected) return true;
    size_t offset = 0;
    while (offset < actual.size() && offset < expected.size() && actual[offset] == expected[offset])
        ++offset;
    failure = args[0] + " (" + std::to_string(actual.size()) + " bytes) differs from " + args[1] +
              " (" + std::to_string(expected.size()) + " bytes) from byte " + std::to_string(offset);
    return false;
}

bool writeTextFile(const std::string& fileName, const std::string& text) {
    std::ofstream file(widen(fileName).c_str(), std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

// What the program holds: its GDI and USER objects and its private bytes.
struct ProgramUsage {
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    SIZE_T privateBytes = 0;
};

bool readUsage(const Session& session, ProgramUsage& usage) {
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (!GetProcessMemoryInfo(session.process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                              sizeof(memory)))
        return false;
    // The commit charge: the memory the process holds for itself alone
    // (Wine leaves PrivateUsage at 0).
    usage.privateBytes = memory.PagefileUsage;
    usage.gdiObjects = countGdiObjects(session.process.hProcess, session.process.dwProcessId);
    usage.userObjects = countUserObjects(session.process.hProcess, session.process.dwProcessId);
    return usage.gdiObjects != 0 && usage.userObjects != 0 && usage.privateBytes != 0;
}

// The commands of a long session, each with the steps that answer it; the
// loads alternate between two sizes, the Preferences between two depths.
std::vector<std::vector<std::vector<std::string>>> longSessionCycle() {
    auto one = [](const char* name) { return std::vector<std::vector<std::string>>{{"command", name}}; };
    auto load = [](const char* file) {
        return std::vector<std::vector<std::string>>{{"command", "load-depth-map"}, {"choose-file", file}};
    };
    auto depth = [](const char* bits) {
        return std::vector<std::vector<std::string>>{{"command", "preferences"},
                                                     {"prefs-set", "depth-bits", bits},
                                                     {"prefs-click", "ok"},
                                                     {"expect-no-dialog"}};
    };
    return {load("%E2E_DATA%\\depth400.bmp"), one("generate-pattern"), one("generate-stereogram"),
            one("show-stereogram-with-dots"), one("show-stereogram-plain"), one("decode-stereogram"),
            one("show-depth-quantised"), one("show-depth-original"), one("show-pattern-strip"),
            one("show-pattern-tiled"), depth("4"), one("generate-stereogram"), one("decode-stereogram"),
            load("%E2E_DATA%\\depth300.bmp"), one("generate-pattern"), one("generate-stereogram"),
            one("show-stereogram-with-dots"), depth("3"), one("decode-stereogram"), one("show-depth-quantised")};
}

// long-session COMMANDS REPORT: runs COMMANDS menu commands of the cycle
// above and reads, every 100 commands, the program's GDI and USER objects
// and private bytes into REPORT in %E2E_SHOTS%. After a warm-up of 200
// commands they must stay flat. Wine's own GDI objects move by up to a
// dozen or so: some come and go with what is being painted when the count
// is read, and its caches fill in steps, on a busy machine later in the
// session than on an idle one. A leak of one object in any one command of
// the cycle (one in twenty commands) still shows as some 90 objects, and
// one of some 300 bytes a command as half a megabyte. (Under
// Wine each dialog shown with common controls 6 keeps some 220 bytes of
// Wine's own: a bare program showing the same dialog template keeps them
// too, and without the manifest it keeps none. The cycle shows a dialog
// every fifth command.)
bool stepLongSession(Session& session, const Arguments& args, std::string& failure) {
    long long commands = 0;
    std::string folder;
    if (!readInteger(args[0], commands, failure) || !requireRunning(session, failure) ||
        !expandVariables("%E2E_SHOTS%", folder, failure))
        return false;
    constexpr long long WarmUp = 200;
    constexpr long long Every = 100;
    constexpr DWORD GdiObjectsAllowed = 24;
    constexpr DWORD UserObjectsAllowed = 2;
    constexpr SIZE_T PrivateBytesAllowed = 512 * 1024;
    const auto cycle = longSessionCycle();
    std::string report = "commands gdi-objects user-objects private-bytes\n";
    ProgramUsage warm;
    ProgramUsage highest;
    for (long long done = 0; done <= commands; ++done) {
        if (done % Every == 0) {
            ProgramUsage usage;
            if (!readUsage(session, usage)) {
                failure = "cannot read the program's objects and memory";
                return false;
            }
            report += std::to_string(done) + " " + std::to_string(usage.gdiObjects) + " " +
                      std::to_string(usage.userObjects) + " " + std::to_string(usage.privateBytes) + "\n";
            if (done == WarmUp) warm = highest = usage;
            if (done > WarmUp) {
                highest.gdiObjects = std::max(highest.gdiObjects, usage.gdiObjects);
                highest.userObjects = std::max(highest.userObjects, usage.userObjects);
                highest.privateBytes = std::max(highest.privateBytes, usage.privateBytes);
            }
        }
        if (done == commands) break;
        for (std::vector<std::string> words : cycle[static_cast<size_t>(done) % cycle.size()]) {
            if (!expandArguments(words, failure) || !performStep(session, words, failure)) {
                failure = "command " + std::to_string(done + 1) + " (" + words[0] + "): " + failure;
                return false;
            }
        }
    }
    writeTextFile(folder + "\\" + args[1], report);
    if (highest.gdiObjects <= warm.gdiObjects + GdiObjectsAllowed &&
        highest.userObjects <= warm.userObjects + UserObjectsAllowed &&
        highest.privateBytes <= warm.privateBytes + PrivateBytesAllowed)
        return true;
    failure = "after the warm-up the program grew from " + std::to_string(warm.gdiObjects) + " GDI objects, " +
              std::to_string(warm.userObjects) + " USER objects and " + std::to_string(warm.privateBytes) +
              " private bytes to " + std::to_string(highest.gdiObjects) + ", " +
              std::to_string(highest.userObjects) + " and " + std::to_string(highest.privateBytes) +
              " (see " + args[1] + ")";
    return false;
}

// drop FILE: asks the runner (tests/e2e/session.sh) through NAME.drop in
// %E2E_SHOTS% to drag the file from an X client, as a file manager does,
// and drop it on the middle of the window's picture (tests/e2e/xdnd.py).
// Its answer, once the window has taken the drop and said it is finished,
// arrives in NAME.dropped; Wine then has posted the program the drop.
bool stepDrop(Session& session, const Arguments& args, std::string& failure) {
    std::string folder;
    if (!requireRunning(session, failure) || !expandVariables("%E2E_SHOTS%", folder, failure)) return false;
    RECT client = {};
    GetClientRect(session.mainWindow, &client);
    POINT middle = {client.right / 2, client.bottom / 2};
    ClientToScreen(session.mainWindow, &middle);
    const std::string base = folder + "\\drop-" + std::to_string(++session.drops);
    const std::string request = std::to_string(session.waitMs / 1000) + " " + std::to_string(middle.x) + " " +
                                std::to_string(middle.y) + " " + args[0] + "\n";
    DeleteFileW(widen(base + ".dropped").c_str());
    if (!writeTextFile(base + ".tmp", request) ||
        !MoveFileW(widen(base + ".tmp").c_str(), widen(base + ".drop").c_str())) {
        failure = "cannot write " + base + ".drop";
        return false;
    }
    std::string answer;
    if (!waitUntil(2 * session.waitMs, [&] { return readWholeFile(base + ".dropped", answer) && !answer.empty(); })) {
        failure = "the file was not dropped (is the runner watching " + folder + "?)";
        return false;
    }
    if (answer.compare(0, 2, "ok") == 0) return true;
    failure = "the drop on " + std::to_string(middle.x) + ", " + std::to_string(middle.y) +
              " failed: " + answer.substr(0, answer.find('\n')) + stateNote(session);
    return false;
}

std::string rectangleWords(const RECT& r) {
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " +
           std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top);
}

// screenshot NAME [EXPECTED]: once the window is painted, asks the runner
// (tests/e2e/session.sh) through NAME.req in %E2E_SHOTS% to photograph the
// window, and the dialog or box that is open; with EXPECTED, a BMP file,
// the runner waits until the client area shows exactly that picture. Its
// answer arrives in NAME.done.
bool stepScreenshot(Session& session, const Arguments& args, std::string& failure) {
    if (!requireRunning(session, failure)) return false;
    std::string folder;
    if (!expandVariables("%E2E_SHOTS%", folder, failure)) return false;
    if (!waitUntil(session.waitMs, [&] { return !GetUpdateRect(session.mainWindow, nullptr, FALSE); }) ||
        !waitForIdle(session, failure)) {
        if (failure.empty()) failure = "the window was not painted within " + seconds(session);
        return false;
    }
    RECT client = {}, window = {}, dialog = {};
    GetClientRect(session.mainWindow, &client);
    MapWindowPoints(session.mainWindow, nullptr, reinterpret_cast<POINT*>(&client), 2);
    GetWindowRect(session.mainWindow, &window);
    // A dialog or box that is open is photographed too, wherever it stands.
    HWND open = findAnyDialog(session.process.dwProcessId);
    if (open != nullptr) GetWindowRect(open, &dialog);
    const std::string base = folder + "\\" + args[0];
    const std::string request = args[0] + " " + std::to_string(session.waitMs / 1000) + " " +
                                rectangleWords(client) + " " + rectangleWords(window) + " " +
                                rectangleWords(dialog) + (args.size() > 1 ? " " + args[1] : "") + "\n";
    DeleteFileW(widen(base + ".done").c_str());
    if (!writeTextFile(base + ".req.tmp", request) ||
        !MoveFileW(widen(base + ".req.tmp").c_str(), widen(base + ".req").c_str())) {
        failure = "cannot write " + base + ".req";
        return false;
    }
    // The runner may wait as long for the picture to settle, and then
    // photograph it: give it twice as long.
    const DWORD answerMs = 2 * session.waitMs;
    std::string answer;
    if (!waitUntil(answerMs, [&] { return readWholeFile(base + ".done", answer) && !answer.empty(); })) {
        failure = "no screenshot was taken (is the runner watching " + folder + "?)";
        return false;
    }
    if (answer.compare(0, 2, "ok") == 0) return true;
    failure = "screenshot " + args[0] + ": " + answer.substr(0, answer.find('\n'));
    return false;
}

// The steps of a script (texts are UTF-8, compared exactly). A command, a
// menu or a Preferences control goes by the program's own name for it, as
// its tables give it (program_tables.h); a bar by its name here.
//   start [ARGUMENTS...]             start the program, wait for its window
//   run [ARGUMENTS...]               a run that ends by itself, no window
//   expect-printed TEXT              what the run printed on standard output
//   expect-printed-error TEXT        and on standard error
//   drop FILE                        a file dragged and dropped on the window
//   command NAME                     a menu command, then wait until idle
//   close / expect-exit CODE         the close box; the process's exit code
//   timeout SECONDS                  the limit of the waits that follow
//   expect-message TEXT CAPTION      a box with these texts; OK closes it
//   expect-no-dialog                 no dialog or box is (or comes) open
//   expect-status TEXT               the status bar's text
//   expect-client W H                the main window's client area
//   expect-progress POS MIN MAX      the progress bar's position and range
//   expect-child-at BAR X Y          a bar's place in the client area
//                                    (progress-bar or status-bar)
//   choose-file PATH / cancel-file   answer the open or save dialog
//   prefs-set NAME TEXT, prefs-click NAME, prefs-expect NAME TEXT,
//   prefs-expect-check NAME STATE, prefs-key escape|enter
//                                    the Preferences dialog's controls
//   dialog-set NAME TEXT, dialog-click NAME, dialog-expect NAME TEXT
//                                    the same for the text depth map
//                                    dialog (either step works either)
//   expect-same-file A B             two files hold the same bytes
//   screenshot NAME [EXPECTED]       a screenshot, see stepScreenshot
//   open-menu TITLE / close-menu     a menu of the menu bar, open on screen
//   expect-code-page N               the session's ANSI code page
//   long-session COMMANDS REPORT     many commands; the program must not grow
//   expect-program-file VERSION MAX_BYTES
//                                    size, version resource and manifest
//   capture-status NAME              what the status text shows on screen
//   expect-bars-moving SHOT COMMAND STATUS...
//                                    the bars move while the command works
struct StepKind {
    const char* name;
    size_t minArguments;
    size_t maxArguments;
    bool (*perform)(Session&, const Arguments&, std::string&);
};

const StepKind Steps[] = {
    {"start", 0, 20, stepStart},
    {"run", 0, 20, stepRun},
    {"expect-printed", 1, 1, stepExpectPrinted},
    {"expect-printed-error", 1, 1, stepExpectPrintedError},
    {"drop", 1, 1, stepDrop},
    {"command", 1, 1, stepCommand},
    {"close", 0, 0, stepClose},
    {"expect-exit", 1, 1, stepExpectExit},
    {"timeout", 1, 1, stepTimeout},
    {"expect-message", 2, 2, stepExpectMessage},
    {"expect-no-dialog", 0, 0, stepExpectNoDialog},
    {"expect-status", 1, 1, stepExpectStatus},
    {"expect-client", 2, 2, stepExpectClient},
    {"expect-progress", 3, 3, stepExpectProgress},
    {"expect-child-at", 3, 3, stepExpectChildAt},
    {"choose-file", 1, 1, stepChooseFile},
    {"cancel-file", 0, 0, stepCancelFile},
    {"prefs-set", 2, 2, stepPrefsSet},
    {"prefs-click", 1, 1, stepPrefsClick},
    {"prefs-expect", 2, 2, stepPrefsExpect},
    {"prefs-expect-check", 2, 2, stepPrefsExpectCheck},
    {"prefs-key", 1, 1, stepPrefsKey},
    {"dialog-set", 2, 2, stepPrefsSet},
    {"dialog-click", 1, 1, stepPrefsClick},
    {"dialog-expect", 2, 2, stepPrefsExpect},
    {"expect-same-file", 2, 2, stepExpectSameFile},
    {"screenshot", 1, 2, stepScreenshot},
    {"capture-status", 1, 1, stepCaptureStatus},
    {"open-menu", 1, 1, stepOpenMenu},
    {"expect-code-page", 1, 1, stepExpectCodePage},
    {"expect-program-file", 2, 2, stepExpectProgramFile},
    {"long-session", 2, 2, stepLongSession},
    {"close-menu", 0, 0, stepCloseMenu},
    {"expect-bars-moving", 3, 20, stepExpectBarsMoving},
};

}  // namespace

bool expandArguments(std::vector<std::string>& words, std::string& failure) {
    for (size_t i = 1; i < words.size(); ++i) {
        std::string expanded;
        if (!expandVariables(words[i], expanded, failure)) return false;
        words[i] = expanded;
    }
    return true;
}

bool performStep(Session& session, const std::vector<std::string>& words, std::string& failure) {
    const Arguments args(words.begin() + 1, words.end());
    for (const StepKind& step : Steps) {
        if (words[0] != step.name) continue;
        if (args.size() < step.minArguments || args.size() > step.maxArguments) {
            failure = "wrong number of arguments";
            return false;
        }
        return step.perform(session, args, failure);
    }
    failure = "unknown step";
    return false;
}

void endProgram(Session& session) {
    if (!session.started) return;
    if (!programEnded(session)) {
        TerminateProcess(session.process.hProcess, 1);
        WaitForSingleObject(session.process.hProcess, 5000);
    }
    CloseHandle(session.process.hThread);
    CloseHandle(session.process.hProcess);
    session.process = PROCESS_INFORMATION{};
    session.started = false;
    session.mainWindow = nullptr;
}
