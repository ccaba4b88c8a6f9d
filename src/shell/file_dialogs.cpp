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

std::string bmpFilterInBothCases() {
    const std::string pattern = BmpFilterPattern;
    return std::string(BmpFilterName) + " (" + pattern + " " + lowerCase(pattern) + ")";
}

void enterFolderOf(const std::filesystem::path& fileName) {
    std::error_code ignored;
    std::filesystem::current_path(fileName.parent_path(), ignored);
}
