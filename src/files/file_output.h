// Files written whole or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>

// Writes head, then body, whole or not at all: a new or plain file is
// written beside its place and renamed over it; anything else (a device
// such as /dev/full) is written where it is. False when it could not.
bool writeFileWhole(const std::filesystem::path& fileName, const uint8_t* head, size_t headSize, const uint8_t* body,
                    size_t bodySize);

// A file written beside its place, under the place's name and a suffix,
// and renamed over it once whole. Until then its owner removes it when it
// goes: a file left unfinished leaves nothing behind.
struct PartFile {
    std::fstream stream;
    std::filesystem::path place;
    // Empty when there is no part file (any more).
    std::filesystem::path path;

    PartFile() = default;
    PartFile(PartFile&& other) noexcept;
    PartFile& operator=(PartFile&& other) noexcept;
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;
    ~PartFile();
};

// Makes a new, empty part file for `place`, open for writing and reading
// back. False when it could not.
bool openPartFile(const std::filesystem::path& place, const char* suffix, PartFile& file);

// Closes the part file and renames it over its place. False, and the part
// file removed, when a write to it or the rename failed.
bool keepPartFile(PartFile& file);

// Closes the part file and removes it.
void dropPartFile(PartFile& file);
