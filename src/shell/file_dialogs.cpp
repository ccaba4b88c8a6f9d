#include "shell/file_dialogs.h"

#include <cctype>
#include <system_error>

#include "texts/user_texts.h"

namespace {

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

const FileFilter FileFilters[FileFilterCount] = {
    {BmpFilterName, BmpFilterPattern},
    {PicturesFilterName, PicturesFilterPattern},
    {PngFilterName, PngFilterPattern},
    {JpegFilterName, JpegFilterPattern},
};

const FileFilter ModelFileFilters[ModelFileFilterCount] = {
    {ModelsFilterName, ModelsFilterPattern},
    {StlFilterName, StlFilterPattern},
    {ObjFilterName, ObjFilterPattern},
    {PlyFilterName, PlyFilterPattern},
};

std::vector<std::string> patternsOf(const FileFilter& filter) {
    std::vector<std::string> patterns;
    std::string rest = filter.patterns;
    for (size_t end; (end = rest.find(';')) != std::string::npos; rest.erase(0, end + 1))
        patterns.push_back(rest.substr(0, end));
    patterns.push_back(rest);
    return patterns;
}

std::string filterInBothCases(const FileFilter& filter) {
    std::string patterns;
    for (const std::string& pattern : patternsOf(filter))
        patterns += (patterns.empty() ? "" : " ") + pattern + " " + lowerCase(pattern);
    return std::string(filter.name) + " (" + patterns + ")";
}

void enterFolderOf(const std::filesystem::path& fileName) {
    std::error_code ignored;
    std::filesystem::current_path(fileName.parent_path(), ignored);
}
