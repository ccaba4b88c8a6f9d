// What the tests run the core on: one runtime for the whole test program,
// sharing rows among as many threads as TAVRELIC_THREADS names, as the
// programs do, so that a test preset can run them all on 1, 2 or 8
// threads; and pictures put in place from plain bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "picture/picture.h"
#include "picture/runtime.h"

Runtime& testRuntime();

// A picture of the given size and channels holding `bytes`.
Picture pictureOf(int32_t width, int32_t height, const std::vector<uint8_t>& bytes,
                  int32_t channels = GreyChannels);

// The picture's bytes, row after row; empty when it is absent.
std::vector<uint8_t> bytesOf(const Picture& picture);

// Running out of memory on the tests' runtime: after `count` more
// successful allocations the next ones fail; negative turns it off.
inline void failAllocationsAfter(int32_t count) {
    failAllocationsAfter(testRuntime(), count);
}

// Replaces the picture with a grey one of width x height on the tests'
// runtime, released first; false when out of memory.
inline bool replaceGreyImage(Picture& picture, int32_t width, int32_t height) {
    return replacePicture(testRuntime(), picture, width, height, GreyChannels);
}
