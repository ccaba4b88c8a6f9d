// Little-endian fields of the BMP layout, read and written byte by byte,
// whatever the byte order of the processor.
#pragma once

#include <cstdint>

inline uint32_t readLe16(const uint8_t* at) {
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8;
}

inline uint32_t readLe32(const uint8_t* at) {
    return readLe16(at) | readLe16(at + 2) << 16;
}

inline void writeLe16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

inline void writeLe32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}
