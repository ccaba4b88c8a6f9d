#include "files/file_output.h"

#include <system_error>
#include <utility>

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

template <class Stream>
void writeBoth(Stream& file, const uint8_t* head, size_t headSize, const uint8_t* body, size_t bodySize) {
    file.write(reinterpret_cast<const char*>(head), static_cast<std::streamsize>(headSize));
    file.write(reinterpret_cast<const char*>(body), static_cast<std::streamsize>(bodySize));
}

bool writeStream(const std::filesystem::path& fileName, const uint8_t* head, size_t headSize, const uint8_t* body,
                 size_t bodySize) {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    writeBoth(file, head, headSize, body, bodySize);
    file.close();
    // A full disk shows only here, when the buffered bytes are flushed.
    return !file.fail();
}

}  // namespace

bool writeFileWhole(const std::filesystem::path& fileName, const uint8_t* head, size_t headSize, const uint8_t* body,
                    size_t bodySize) {
    if (writtenInPlace(fileName)) return writeStream(fileName, head, headSize, body, bodySize);
    PartFile file;
    if (!openPartFile(fileName, ".part", file)) return false;
    writeBoth(file.stream, head, headSize, body, bodySize);
    return keepPartFile(file);
}

PartFile::PartFile(PartFile&& other) noexcept
    : stream(std::move(other.stream)), place(std::move(other.place)), path(std::move(other.path)) {
    other.path.clear();
}

PartFile& PartFile::operator=(PartFile&& other) noexcept {
    if (this != &other) {
        dropPartFile(*this);
        stream = std::move(other.stream);
        place = std::move(other.place);
        path = std::move(other.path);
        other.path.clear();
    }
    return *this;
}

PartFile::~PartFile() {
    dropPartFile(*this);
}

bool openPartFile(const std::filesystem::path& place, const char* suffix, PartFile& file) {
    dropPartFile(file);
    file.place = place;
    file.path = place;
    file.path += suffix;
    file.stream.open(file.path, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc);
    if (file.stream.is_open()) return true;
    file.path.clear();
    return false;
}

bool keepPartFile(PartFile& file) {
    file.stream.close();
    std::error_code error;
    if (!file.stream.fail()) std::filesystem::rename(file.path, file.place, error);
    if (file.stream.fail() || error) {
        dropPartFile(file);
        return false;
    }
    file.path.clear();
    return true;
}

void dropPartFile(PartFile& file) {
    if (file.path.empty()) return;
    if (file.stream.is_open()) file.stream.close();
    removePartialFile(file.path);
    file.path.clear();
}
