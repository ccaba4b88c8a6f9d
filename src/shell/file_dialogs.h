// What the open and save file-name dialogs share on every platform, beside
// the dialogs themselves.
#pragma once

#include <filesystem>
#include <string>

// The one filter, "Pliki BMP" for *.BMP, written for a dialog that takes
// "name (patterns)": the pattern in both cases, so that where file names
// are case-sensitive a .bmp file shows too.
std::string bmpFilterInBothCases();

// A confirmed dialog leaves the current directory at the chosen file's
// folder, so the next dialog of either kind starts there. A folder that
// cannot be entered leaves the current directory as it was.
void enterFolderOf(const std::filesystem::path& fileName);
