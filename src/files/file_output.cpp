#include "files/file_output.h"

#include <fstream>
#include <system_error>

namespace {

// Removes what a failed save left, but never anything that is not a plain
// file (a device such as /dev/full, or the target of a link).
void removePartialFile(const std::filesystem::path& fileName) {
    std::error_code error;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(fileName, error)))
        std::filesystem::remove(fileName, error);
}

// A file that is new or a plain file is written beside its place and then
// renamed over it; anything else (a device such as /dev/full) is written
// where it is.
bool writtenInPlace(const std::filesystem::path& fileName) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(fileName, error);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

bool writeStream(const std::filesystem::path& fileName, const uint8_t* head, size_t headSize, const uint8_t* body,
                 size_t bodySize) {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(head), static_cast<std::streamsize>(headSize));
    file.write(reinterpret_cast<const char*>(body), static_cast<std::streamsize>(bodySize));
    file.close();
    // A full disk shows only here, when the buffered bytes are flushed.
    return !file.fail();
}

}  // namespace

bool writeFileWhole(const std::filesystem::path& fileName, const uint8_t* head, size_t headSize, const uint8_t* body,
                    size_t bodySize) {
    if (writtenInPlace(fileName)) return writeStream(fileName, head, headSize, body, bodySize);
    std::filesystem::path beside = fileName;
    beside += ".part";
    std::error_code error;
    if (writeStream(beside, head, headSize, body, bodySize)) {
        std::filesystem::rename(beside, fileName, error);
        if (!error) return true;
    }
    removePartialFile(beside);
    return false;
}
