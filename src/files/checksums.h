// The two checksums of PNG files: CRC-32 over each chunk's type and data,
// Adler-32 over the uncompressed bytes of a zlib stream.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t FirstCrc32 = 0;
constexpr uint32_t FirstAdler32 = 1;

// The CRC-32 (the polynomial of PNG, zlib and Ethernet) of the bytes that
// gave `crc`, followed by `size` more.
uint32_t updateCrc32(uint32_t crc, const uint8_t* bytes, size_t size);

// The Adler-32 of the bytes that gave `adler`, followed by `size` more.
uint32_t updateAdler32(uint32_t adler, const uint8_t* bytes, size_t size);

// The same sum one byte at a time, which updateAdler32 is held to where it
// reads sixteen bytes at once.
uint32_t updateAdler32Plain(uint32_t adler, const uint8_t* bytes, size_t size);
