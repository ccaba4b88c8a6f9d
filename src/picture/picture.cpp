#include "picture/picture.h"

#include <cstring>
#include <utility>

#include "picture/parallel_rows.h"

void releasePicture(Picture& picture) {
    picture = Picture{};
}

bool replacePicture(Runtime& runtime, Picture& picture, int32_t width, int32_t height, int32_t channels) {
    releasePicture(picture);
    if (width < 0 || height < 0) return false;
    OwnedBytes pixels =
        allocateBytes(runtime, static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels));
    if (pixels == nullptr) return false;
    picture.pixels = std::move(pixels);
    picture.width = width;
    picture.height = height;
    picture.channels = channels;
    return true;
}

bool makeGreyPicture(Runtime& runtime, const Picture& picture, Picture& grey) {
    if (!replacePicture(runtime, grey, picture.width, picture.height, GreyChannels)) return false;
    if (!isColour(picture)) {
        std::memcpy(grey.pixels.get(), picture.pixels.get(), rowBytes(grey) * static_cast<size_t>(grey.height));
        return true;
    }
    forEachRowRunOnEveryCore(runtime, picture.height, [&](int32_t begin, int32_t end) {
        for (int32_t y = begin; y < end; ++y) greyRowOf(rowOf(picture, y), picture.width, rowOf(grey, y));
    });
    return true;
}

bool everyPixelGrey(const Picture& picture) {
    if (!isColour(picture)) return true;
    const size_t count = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    const uint8_t* pixel = picture.pixels.get();
    for (size_t i = 0; i < count; ++i, pixel += ColourChannels)
        if (pixel[0] != pixel[1] || pixel[1] != pixel[2]) return false;
    return true;
}

bool dropColourWhereGrey(Runtime& runtime, Picture& picture) {
    if (!isColour(picture) || !everyPixelGrey(picture)) return true;
    Picture grey;
    if (!makeGreyPicture(runtime, picture, grey)) return false;
    picture = std::move(grey);
    return true;
}
