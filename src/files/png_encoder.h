// PNG files as the program writes them: 8-bit grey or 8-bit colour, not
// interlaced, every row unfiltered (a row filter would turn the repeats a
// strip's width apart into differences that no longer repeat), compressed
// by the program's own deflate (deflate.h).
//
// A file is the signature, the header chunk IHDR, the image data in IDAT
// chunks and the closing IEND chunk; each chunk is its data's length
// (4 bytes, big-endian), its type (4 letters), its data and the CRC-32 of
// type and data. Animated PNG adds acTL after IHDR and, before each
// frame's data, fcTL; frames after the first carry their data in fdAT
// chunks, each a sequence number and then the data (see animation.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture/bytes.h"
#include "picture/picture.h"

// The first eight bytes of every PNG file.
constexpr uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};

// Bytes made in memory.
struct EncodedBytes {
    OwnedBytes bytes;
    size_t size = 0;
};

// The signature and the IHDR chunk.
constexpr size_t PngHeaderSize = 8 + 12 + 13;
// A chunk's length, type and CRC around its data.
constexpr size_t PngChunkFrame = 12;

// The channels a picture is written in: grey when every pixel is grey.
int32_t pngChannelsOf(const Picture& picture);

// False when a picture of this size in `channels` channels cannot be
// written as PNG: its rows do not fit in memory's sizes.
bool fitsPng(int32_t width, int32_t height, int32_t channels);

// The zlib stream of the picture's rows as PNG image data in `channels`
// channels: each row a filter byte 0 and the pixels, a grey picture's
// widened to three equal channels, a colour one's narrowed to its red
// (for a picture whose every pixel is grey). False when out of memory.
bool compressImageData(Runtime& runtime, const Picture& picture, int32_t channels, EncodedBytes& stream);

// Writes the signature and IHDR at `at`; gives where they end.
uint8_t* putPngHeader(uint8_t* at, int32_t width, int32_t height, int32_t channels);

// Writes a chunk's length and type at `at`; its data follows. endPngChunk
// then writes the CRC of the chunk that starts at `chunk`, whose data ends
// at `end`, and gives where the chunk ends.
uint8_t* startPngChunk(uint8_t* at, const char* type, size_t dataSize);
uint8_t* endPngChunk(uint8_t* chunk, uint8_t* end);

// The chunks that carry a zlib stream: IDAT chunks, or, with a sequence
// number, fdAT chunks numbered from it on (it is left at the next one).
size_t imageDataChunksSize(size_t streamSize, bool numbered);
uint8_t* putImageDataChunks(uint8_t* at, const EncodedBytes& stream, uint32_t* sequence);

uint8_t* putPngEnd(uint8_t* at);
constexpr size_t PngEndSize = PngChunkFrame;

// The whole PNG file of the picture in `channels` channels (see
// compressImageData). False when out of memory.
bool encodePng(Runtime& runtime, const Picture& picture, int32_t channels, EncodedBytes& png);
