#include "shell/win32/console_output.h"

#include <windows.h>

#include "shell/win32/text_conversion.h"

namespace {

bool usable(HANDLE handle)
{
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// The console of the parent process, opened for writing. A console a
// process is already attached to answers ERROR_ACCESS_DENIED.
HANDLE openParentConsole()
{
    if (!AttachConsole(ATTACH_PARENT_PROCESS) && GetLastError() != ERROR_ACCESS_DENIED) {
        return INVALID_HANDLE_VALUE;
    }
    return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, 0, nullptr);
}

bool writeText(HANDLE handle, const std::string& text)
{
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = widen(text.c_str());
        return WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
    }
    return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0 &&
           written == text.size();
}

}  // namespace

// A handle that a program of the Windows subsystem was given may be a
// console's that it is not attached to, which takes no text: the parent's
// console is tried then.
bool printToStartingConsole(const std::string& text, bool toStandardError)
{
    HANDLE given = GetStdHandle(toStandardError ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    if (usable(given) && writeText(given, text)) {
        return true;
    }
    HANDLE console = openParentConsole();
    if (!usable(console)) {
        return false;
    }
    const bool written = writeText(console, text);
    CloseHandle(console);
    return written;
}
