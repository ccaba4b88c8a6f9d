// What every reader of pictures is asked and what it tells of a file.
#pragma once

#include <cstdint>

#include "picture/picture.h"

// What a read is to give.
struct ReadRequest {
    // GreyChannels: the grey of every pixel, (red + green + blue) / 3;
    // ColourChannels: red, green and blue as they are.
    int32_t channels = GreyChannels;
    // A file of another height is refused ("Wysokość wzorca różni się...");
    // 0 takes any height.
    int32_t requiredHeight = 0;
    // Told the picture's size once the file is taken, just before the
    // picture is replaced, so that the caller can make way for it; may be
    // null.
    void (*taking)(void* context, int32_t width, int32_t height) = nullptr;
    void* context = nullptr;
};

inline void tellTaking(const ReadRequest& request, int32_t width, int32_t height) {
    if (request.taking != nullptr) request.taking(request.context, width, height);
}

// What a picture file is, from its headers alone: its format's name for
// the user and its size.
struct PictureFacts {
    const char* format = nullptr;
    int32_t width = 0;
    int32_t height = 0;
};

