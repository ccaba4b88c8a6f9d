// What the open and save file-name dialogs share on every platform, beside
// the dialogs themselves.
#pragma once

#include <filesystem>
#include <string>

#include <cstddef>
#include <vector>

// A filter of the file dialogs: its name and its patterns ("*.BMP;*.PNG").
struct FileFilter {
    const char* name;
    const char* patterns;
};

// "Pliki BMP" first, then every picture the program reads, then one for
// each other format.
constexpr size_t FileFilterCount = 4;
extern const FileFilter FileFilters[FileFilterCount];

// The open dialog of a 3D model: every model the program reads first, then
// one for each format.
constexpr size_t ModelFileFilterCount = 4;
extern const FileFilter ModelFileFilters[ModelFileFilterCount];

// The filter selected when a dialog opens: every picture the program reads
// when it opens a file (Qt's dialog takes no typed name its filter hides),
// BMP when it saves one.
constexpr size_t OpenDialogFilter = 1;
constexpr size_t SaveDialogFilter = 0;

// The patterns of a filter one by one, as given ("*.BMP").
std::vector<std::string> patternsOf(const FileFilter& filter);

// A filter written for a dialog that takes "name (patterns)": each pattern
// in both cases, so that where file names are case-sensitive a .bmp file
// shows too.
std::string filterInBothCases(const FileFilter& filter);

// A confirmed dialog leaves the current directory at the chosen file's
// folder, so the next dialog of either kind starts there. A folder that
// cannot be entered leaves the current directory as it was.
void enterFolderOf(const std::filesystem::path& fileName);
