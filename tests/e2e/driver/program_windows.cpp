#include "program_windows.h"

#include <utility>
#include <vector>

#include "script.h"
#include "shell/text_depth_dialog.h"
#include "workspace/preferences_table.h"

namespace {

// The file-name box of the explorer-style file dialogs (cmb13).
constexpr int FileNameComboId = 0x47C;
// The text of a message box.
constexpr int MessageTextId = 0xFFFF;

struct WindowSearch {
    DWORD processId = 0;
    const wchar_t* className = nullptr;
    std::vector<HWND> found;
};

BOOL CALLBACK collectWindow(HWND window, LPARAM parameter) {
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !IsWindowVisible(window)) return TRUE;
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (lstrcmpiW(className, search.className) == 0) search.found.push_back(window);
    return TRUE;
}

std::vector<HWND> topLevelWindows(DWORD processId, const wchar_t* className) {
    WindowSearch search;
    search.processId = processId;
    search.className = className;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Only the program's own dialogs, the Preferences and the text depth map
// one, have their OK buttons' numbers.
bool isOwnDialog(HWND dialog) {
    return GetDlgItem(dialog, PreferencesOkId) != nullptr || GetDlgItem(dialog, TextDepthOkId) != nullptr;
}
bool isFileDialog(HWND dialog) { return GetDlgItem(dialog, FileNameComboId) != nullptr; }
bool isMessageBox(HWND dialog) {
    return GetDlgItem(dialog, MessageTextId) != nullptr && !isOwnDialog(dialog) && !isFileDialog(dialog);
}

// Of several matching dialogs the enabled one is in front: a message box
// disables the dialog that owns it.
HWND findDialog(DWORD processId, bool (*matches)(HWND)) {
    HWND found = nullptr;
    for (HWND dialog : topLevelWindows(processId, L"#32770")) {
        if (!matches(dialog)) continue;
        if (IsWindowEnabled(dialog)) return dialog;
        found = dialog;
    }
    return found;
}

bool anyDialog(HWND) { return true; }

BOOL CALLBACK countButton(HWND child, LPARAM parameter) {
    wchar_t className[16] = {};
    GetClassNameW(child, className, 16);
    if (lstrcmpiW(className, L"Button") == 0 && IsWindowVisible(child))
        ++*reinterpret_cast<int*>(parameter);
    return TRUE;
}

}  // namespace

std::wstring widen(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                           nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &wide[0], length);
    return wide;
}

std::string narrow(const std::wstring& utf16) {
    if (utf16.empty()) return std::string();
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), &bytes[0], length,
                        nullptr, nullptr);
    return bytes;
}

HWND findMainWindow(DWORD processId) {
    const std::vector<HWND> windows = topLevelWindows(processId, L"TavrelicClassWin");
    return windows.empty() ? nullptr : windows.front();
}

HWND findMessageBox(DWORD processId) { return findDialog(processId, isMessageBox); }
HWND findOwnDialog(DWORD processId) { return findDialog(processId, isOwnDialog); }
HWND findFileDialog(DWORD processId) { return findDialog(processId, isFileDialog); }
HWND findAnyDialog(DWORD processId) { return findDialog(processId, anyDialog); }

bool sendWithTimeout(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs,
                     DWORD_PTR& result) {
    result = 0;
    return SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result) != 0;
}

bool readWindowText(HWND window, DWORD timeoutMs, std::wstring& text) {
    DWORD_PTR length = 0;
    if (!sendWithTimeout(window, WM_GETTEXTLENGTH, 0, 0, timeoutMs, length)) return false;
    std::vector<wchar_t> buffer(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!sendWithTimeout(window, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()),
                         timeoutMs, copied))
        return false;
    text.assign(buffer.data(), copied < buffer.size() ? copied : buffer.size() - 1);
    return true;
}

bool writeWindowText(HWND window, DWORD timeoutMs, const std::wstring& text) {
    DWORD_PTR result = 0;
    return sendWithTimeout(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), timeoutMs,
                           result) &&
           result != 0;
}

int countVisibleButtons(HWND dialog) {
    int count = 0;
    EnumChildWindows(dialog, countButton, reinterpret_cast<LPARAM>(&count));
    return count;
}

std::vector<uint32_t> captureScreen(const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return {};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint32_t> pixels;
    if (bitmap != nullptr) {
        HGDIOBJ before = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) {
            const uint32_t* first = static_cast<const uint32_t*>(bits);
            pixels.assign(first, first + static_cast<size_t>(width) * height);
            for (uint32_t& pixel : pixels) pixel &= 0xFFFFFFu;
        }
        SelectObject(memory, before);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool writeCapture(const std::wstring& fileName, const std::vector<uint32_t>& pixels, int width, int height) {
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<size_t>(width) * height) return false;
    const size_t stride = (3 * static_cast<size_t>(width) + 3) / 4 * 4;
    std::vector<uint8_t> file(54 + stride * height, 0);
    auto put32 = [&file](size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<uint8_t>(value >> (8 * i));
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(width));
    put32(22, static_cast<uint32_t>(height));
    file[26] = 1;
    file[28] = 24;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = file.data() + 54 + stride * static_cast<size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = pixels[static_cast<size_t>(y) * width + x];
            row[3 * x] = static_cast<uint8_t>(pixel);
            row[3 * x + 1] = static_cast<uint8_t>(pixel >> 8);
            row[3 * x + 2] = static_cast<uint8_t>(pixel >> 16);
        }
    }
    HANDLE out = CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(out, file.data(), static_cast<DWORD>(file.size()), &written, nullptr);
    CloseHandle(out);
    return ok && written == file.size();
}

namespace {

// The GDI handle table as 64-bit Windows (and Wine) lay it out: 0x10000
// entries of 24 bytes, the owner's process id at byte 8 and the object's
// type at byte 14 (0 for a free entry). The PEB points to it at 0xF8.
constexpr size_t GdiHandleCount = 0x10000;
constexpr size_t GdiEntrySize = 24;
constexpr size_t PebGdiTableOffset = 0xF8;

struct ProcessBasics {
    LONG_PTR exitStatus;
    void* pebBaseAddress;
    ULONG_PTR affinityMask;
    LONG_PTR basePriority;
    ULONG_PTR uniqueProcessId;
    ULONG_PTR parentProcessId;
};

DWORD countGdiTableEntries(HANDLE process, DWORD processId) {
    using QueryProcess = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
    const auto query = reinterpret_cast<QueryProcess>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryInformationProcess")));
    ProcessBasics basics = {};
    ULONG length = 0;
    if (query == nullptr || query(process, 0, &basics, sizeof basics, &length) != 0) return 0;
    UINT64 table = 0;
    SIZE_T read = 0;
    if (!ReadProcessMemory(process, static_cast<char*>(basics.pebBaseAddress) + PebGdiTableOffset, &table,
                           sizeof table, &read) ||
        table == 0)
        return 0;
    std::vector<uint8_t> entries(GdiHandleCount * GdiEntrySize);
    if (!ReadProcessMemory(process, reinterpret_cast<void*>(table), entries.data(), entries.size(), &read)) return 0;
    DWORD count = 0;
    for (size_t i = 0; i < GdiHandleCount; ++i) {
        const uint8_t* entry = entries.data() + i * GdiEntrySize;
        const DWORD owner = entry[8] | static_cast<DWORD>(entry[9]) << 8;
        // Windows shares one table between processes; Wine gives each its own.
        if (entry[14] != 0 && (owner == 0 || owner == (processId & 0xFFFF))) ++count;
    }
    return count;
}

BOOL CALLBACK countWindowAndChildren(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<std::pair<DWORD, DWORD>*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.first) return TRUE;
    ++search.second;
    EnumChildWindows(window, [](HWND, LPARAM count) -> BOOL {
        ++*reinterpret_cast<DWORD*>(count);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search.second));
    return TRUE;
}

}  // namespace

DWORD countGdiObjects(HANDLE process, DWORD processId) {
    const DWORD counted = GetGuiResources(process, GR_GDIOBJECTS);
    return counted != 0 ? counted : countGdiTableEntries(process, processId);
}

DWORD countUserObjects(HANDLE process, DWORD processId) {
    const DWORD counted = GetGuiResources(process, GR_USEROBJECTS);
    if (counted != 0) return counted;
    std::pair<DWORD, DWORD> search{processId, 0};
    EnumWindows(countWindowAndChildren, reinterpret_cast<LPARAM>(&search));
    return search.second;
}

std::string describeOpenDialog(DWORD processId, DWORD timeoutMs) {
    HWND dialog = findAnyDialog(processId);
    if (dialog == nullptr) return std::string();
    std::wstring caption;
    readWindowText(dialog, timeoutMs, caption);
    std::string description = "; open dialog " + quoted(narrow(caption));
    HWND messageText = isMessageBox(dialog) ? GetDlgItem(dialog, MessageTextId) : nullptr;
    std::wstring text;
    if (messageText != nullptr && readWindowText(messageText, timeoutMs, text))
        description += " with the text " + quoted(narrow(text));
    return description;
}
