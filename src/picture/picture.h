// The one picture type: width x height pixels of one channel (grey) or
// three (red, green, blue), row after row, top row first, no gaps. A grey
// picture stays one channel all the way; code that only makes sense for
// grey says so. Conversions between the two are explicit calls.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture/bytes.h"
#include "picture/runtime.h"

constexpr int32_t GreyChannels = 1;
constexpr int32_t ColourChannels = 3;

// Absent while pixels is null. The recorded size is the size it was made
// with, so a picture left over from another image size is recognised before
// it is read.
struct Picture {
    OwnedBytes pixels;
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = GreyChannels;
};

inline bool isPresent(const Picture& picture) {
    return picture.pixels != nullptr;
}

inline bool isColour(const Picture& picture) {
    return picture.channels == ColourChannels;
}

inline size_t rowBytes(const Picture& picture) {
    return static_cast<size_t>(picture.width) * static_cast<size_t>(picture.channels);
}

inline uint8_t* rowOf(Picture& picture, int32_t y) {
    return picture.pixels.get() + static_cast<size_t>(y) * rowBytes(picture);
}

inline const uint8_t* rowOf(const Picture& picture, int32_t y) {
    return picture.pixels.get() + static_cast<size_t>(y) * rowBytes(picture);
}

// Replacement is release first, allocate second: after a failed
// allocation the picture is absent. False when out of memory or for a
// negative size.
bool replacePicture(Runtime& runtime, Picture& picture, int32_t width, int32_t height, int32_t channels);
void releasePicture(Picture& picture);

// The grey of a red, green and blue pixel: their average, as the program
// has always read colour files.
inline uint8_t greyOf(const uint8_t* rgb) {
    return static_cast<uint8_t>((rgb[0] + rgb[1] + rgb[2]) / 3);
}

// The greys of a row of `width` colour pixels.
inline void greyRowOf(const uint8_t* rgb, int32_t width, uint8_t* grey) {
    for (int32_t x = 0; x < width; ++x, rgb += ColourChannels) grey[x] = greyOf(rgb);
}

// Replaces `grey` with the one-channel picture of `picture`: a copy of a
// grey one, the average of the three channels of a colour one. False when
// out of memory.
bool makeGreyPicture(Runtime& runtime, const Picture& picture, Picture& grey);

// True when every pixel of a colour picture has three equal channels (and
// for every grey picture).
bool everyPixelGrey(const Picture& picture);

// A colour picture whose every pixel is grey becomes the grey picture of
// the same pixels, so that it is read at the speed of grey; false when out
// of memory (the picture is then as it was).
bool dropColourWhereGrey(Runtime& runtime, Picture& picture);
