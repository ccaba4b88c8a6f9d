// GIF files as the program writes them, for animations: GIF89a, each frame
// full-size with its own 256-colour palette, compressed with the format's
// LZW. A grey frame takes the palette of the 256 greys and keeps every
// level exactly. A colour frame takes a palette made for it by median cut
// and every pixel the colour of its box, without dithering: a colour then
// always becomes the same palette entry, so the repeats of a stereogram
// stay exact repeats, where dithering would make every copy of the strip
// differ.
//
// Layout: "GIF89a"; the logical screen (width, height, 2 bytes each,
// little-endian; flags; background; aspect); the NETSCAPE2.0 application
// extension with the loop count (0, forever); per frame a graphic control
// extension (disposal, delay in 1/100 s), an image descriptor, its colour
// table and the LZW data in sub-blocks of at most 255 bytes; the trailer
// 0x3B.
#pragma once

#include <cstddef>
#include <cstdint>

#include "files/png_encoder.h"
#include "picture/picture.h"

// Widths and heights are 16-bit fields.
constexpr int32_t MostGifSide = 65535;

// The signature, the logical screen and the looping extension.
constexpr size_t GifHeaderSize = 6 + 7 + 19;
void putGifHeader(uint8_t* at, int32_t width, int32_t height);

constexpr uint8_t GifTrailer = 0x3B;

// One frame of the picture, shown for delay hundredths of a second: its
// graphic control extension, image descriptor, palette and data. False when
// out of memory.
bool encodeGifFrame(Runtime& runtime, const Picture& picture, int32_t delay, EncodedBytes& frame);
