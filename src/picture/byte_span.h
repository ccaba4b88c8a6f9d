// Bytes that came from outside (a file's), read only after a check that
// the read stays inside them.
#pragma once

#include <cstddef>
#include <cstdint>

struct ByteSpan {
    const uint8_t* data;
    size_t size;
};

// True when `count` bytes from `offset` lie inside the span; neither sum
// can overflow.
inline bool holds(ByteSpan bytes, size_t offset, size_t count) {
    return offset <= bytes.size && bytes.size - offset >= count;
}
