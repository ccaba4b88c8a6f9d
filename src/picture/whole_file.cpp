#include "picture/whole_file.h"

#include <cctype>

#include "texts/user_texts.h"

OwnedBytes readWholeFile(Runtime& runtime, std::istream& file, uint64_t length, uint64_t largest,
                         const char* tooLargeText, Outcome& outcome) {
    if (length > largest) {
        outcome = refusedOutcome(tooLargeText, ErrorCaption);
        return nullptr;
    }
    OwnedBytes bytes = allocateBytes(runtime, static_cast<size_t>(length));
    if (bytes == nullptr) {
        outcome = outOfMemoryOutcome();
        return nullptr;
    }
    file.clear();
    file.seekg(0);
    file.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(length));
    if (static_cast<uint64_t>(file.gcount()) != length) {
        outcome = silentRefusal();
        return nullptr;
    }
    return bytes;
}

std::string lowerCaseExtension(const std::filesystem::path& fileName) {
    std::string extension = fileName.extension().u8string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}
