#include "test_runtime.h"

#include <algorithm>
#include <cstring>

Runtime& testRuntime() {
    // Made at the first test and never ended, so that no picture a test
    // keeps until the program's end outlives it.
    static Runtime* runtime = new Runtime(threadsNamedByEnvironment());
    return *runtime;
}

Picture pictureOf(int32_t width, int32_t height, const std::vector<uint8_t>& bytes, int32_t channels) {
    Picture picture;
    if (replacePicture(testRuntime(), picture, width, height, channels) && !bytes.empty())
        std::memcpy(picture.pixels.get(), bytes.data(),
                    std::min(bytes.size(), rowBytes(picture) * static_cast<size_t>(height)));
    return picture;
}

std::vector<uint8_t> bytesOf(const Picture& picture) {
    if (!isPresent(picture)) return {};
    return std::vector<uint8_t>(picture.pixels.get(), picture.pixels.get() + rowBytes(picture) * picture.height);
}
