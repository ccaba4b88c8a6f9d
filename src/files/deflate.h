// The program's own deflate compressor, for the PNG files it writes.
//
// A stereogram's row is a strip of dots and then copies of what lies one
// separation to the left, the separation changing only where the depth
// does; a depth map is long runs of one grey. So the match finder first
// tries the distances of the last matches, which on a stereogram are
// almost always right, and only then one hashed candidate; there are no
// hash chains and no lazy matching. Each block is written with the codes
// that cost it fewest bits: its own Huffman codes, the fixed ones, or
// stored as it is.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture/runtime.h"

// The most bytes the zlib stream of `size` bytes may take.
uint64_t zlibBound(uint64_t size);

// Compresses `size` bytes into a zlib stream (RFC 1950: a deflate stream,
// RFC 1951, after a two-byte header and before the Adler-32 of the bytes)
// in `out`, which has room for zlibBound(size) bytes. Gives the stream's
// length; 0 when its working tables could not be allocated.
size_t compressZlib(Runtime& runtime, const uint8_t* bytes, size_t size, uint8_t* out);

// The code lengths of a complete prefix code of at most `limit` bits for
// the frequencies of `symbols` symbols (at most 288), 0 for those that
// never occur, of which there are two at least: the Huffman code's, or
// where those run over the limit, lengths close to them. The compressor
// codes its blocks with such codes.
void huffmanCodeLengths(const uint32_t* frequency, int symbols, int limit, uint8_t* lengths);
