// The Win32 side of the shell's own requests (shell/shell_platform.h).
#include <windows.h>
#include <commdlg.h>

#include <string>

#include "shell/file_dialogs.h"
#include "shell/resources/resource_ids.h"
#include "shell/shell_platform.h"
#include "shell/win32/main_window.h"
#include "shell/win32/preferences_dialog.h"
#include "shell/win32/text_depth_dialog.h"
#include "shell/win32/text_conversion.h"
#include "texts/user_texts.h"

namespace {

// The file-name dialogs keep the program's 256-character limit.
constexpr DWORD FileNameCapacity = 256;

HWND asWindow(WindowHandle handle)
{
    return static_cast<HWND>(handle);
}

// The filters as the dialogs take them: each name and its patterns
// zero-terminated, the list closed by a second zero. Windows matches them
// whatever the case.
std::wstring dialogFilters(const FileFilter* list, size_t count)
{
    std::wstring filters;
    for (const FileFilter* filter = list; filter != list + count; ++filter) {
        filters += widen(filter->name);
        filters += L'\0';
        filters += widen(filter->patterns);
        filters += L'\0';
    }
    return filters;
}

// The filters a file-name dialog offers, and the one selected as it opens.
struct DialogFilters {
    const FileFilter* list;
    size_t count;
    size_t selected;
};

constexpr DWORD OpenFlags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;

// Runs one of the file-name dialogs; false when it was cancelled.
bool chooseFile(WindowHandle owner, DWORD flags, const DialogFilters& filters,
                BOOL(APIENTRY* dialog)(LPOPENFILENAMEW), std::filesystem::path& fileName)
{
    const std::wstring filter = dialogFilters(filters.list, filters.count);
    wchar_t file[FileNameCapacity] = {};
    wchar_t currentDirectory[FileNameCapacity] = {};
    DWORD directoryLength = GetCurrentDirectoryW(FileNameCapacity, currentDirectory);
    bool directoryFits = directoryLength > 0 && directoryLength < FileNameCapacity;

    OPENFILENAMEW request = {};
    request.lStructSize = sizeof(request);
    request.hwndOwner = asWindow(owner);
    request.lpstrFilter = filter.c_str();
    // The dialog counts its filters from 1.
    request.nFilterIndex = static_cast<DWORD>(filters.selected + 1);
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

HINSTANCE instanceOf(WindowHandle owner)
{
    MainWindow* record = mainWindowRecordOf(asWindow(owner));
    return record != nullptr ? record->instance : GetModuleHandleW(nullptr);
}

}  // namespace

bool chooseFileToOpen(WindowHandle owner, std::filesystem::path& fileName)
{
    return chooseFile(owner, OpenFlags, DialogFilters{FileFilters, FileFilterCount, OpenDialogFilter},
                      GetOpenFileNameW, fileName);
}

bool chooseFileToSave(WindowHandle owner, std::filesystem::path& fileName)
{
    return chooseFile(owner, OFN_EXPLORER | OFN_PATHMUSTEXIST,
                      DialogFilters{FileFilters, FileFilterCount, SaveDialogFilter}, GetSaveFileNameW, fileName);
}

bool chooseModelToOpen(WindowHandle owner, std::filesystem::path& fileName)
{
    return chooseFile(owner, OpenFlags, DialogFilters{ModelFileFilters, ModelFileFilterCount, 0}, GetOpenFileNameW,
                      fileName);
}

void runPreferencesDialog(Workspace& ws, WindowHandle owner)
{
    showPreferencesDialog(instanceOf(owner), asWindow(owner), ws);
}

bool askForTextDepthMap(WindowHandle owner, TextDepthRequest& request)
{
    return showTextDepthDialog(instanceOf(owner), asWindow(owner), request);
}

void requestClose(WindowHandle owner)
{
    SendMessageW(asWindow(owner), WM_CLOSE, 0, 0);
}

void repaintWithErase(WindowHandle owner)
{
    InvalidateRect(asWindow(owner), nullptr, TRUE);
}
