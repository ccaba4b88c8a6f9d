// The one way blocks of bytes are allocated and owned: every picture and
// every working row. An owner frees its block when it goes, and can be
// moved but never copied, so a block has one owner. Blocks come from a
// Runtime, which keeps released blocks of a picture's size for the next
// one of about that size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct Runtime;

struct ReleaseBytes {
    Runtime* runtime = nullptr;
    void operator()(uint8_t* bytes) const;
};

// A block of bytes, or none (null).
using OwnedBytes = std::unique_ptr<uint8_t[], ReleaseBytes>;

// A block of `size` bytes, not cleared; null when out of memory.
OwnedBytes allocateBytes(Runtime& runtime, size_t size);
