// The one way blocks of bytes are allocated and owned: every raster, the
// picture on show and every working row. An owner frees its block when it
// goes, and can be moved but never copied, so a block has one owner.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct ReleaseBytes {
    void operator()(uint8_t* bytes) const;
};

// A block of bytes, or none (null).
using OwnedBytes = std::unique_ptr<uint8_t[], ReleaseBytes>;

// A block of `size` bytes, not cleared; null when out of memory.
OwnedBytes allocateBytes(size_t size);

// Lets tests reach the out-of-memory paths: after `count` more successful
// allocations the next ones fail. A negative count turns this off.
void failAllocationsAfter(int32_t count);
