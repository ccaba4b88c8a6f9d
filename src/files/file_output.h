// Files written whole or not at all.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

// Writes head, then body, whole or not at all: a new or plain file is
// written beside its place and renamed over it; anything else (a device
// such as /dev/full) is written where it is. False when it could not.
bool writeFileWhole(const std::filesystem::path& fileName, const uint8_t* head, size_t headSize, const uint8_t* body,
                    size_t bodySize);
