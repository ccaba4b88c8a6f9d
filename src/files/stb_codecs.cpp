// The library's code, with its blocks from the runtime of the call that
// codes a picture.
#include <cstdlib>

#include "picture/bytes.h"
#include "picture/runtime.h"

namespace {

// The runtime of the picture being coded on this thread, if any: the
// library's allocation macros take no context of their own.
thread_local Runtime* codecRuntime = nullptr;

void* allocateForCodec(size_t size) {
    if (codecRuntime == nullptr) return std::malloc(size);
    return allocateBytes(*codecRuntime, size).release();
}

}  // namespace

#define STBI_MALLOC(size) allocateForCodec(size)
#define STBI_REALLOC(block, size) std::realloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STB_IMAGE_IMPLEMENTATION

#include "files/stb_codecs.h"

CodecAllocations::CodecAllocations(Runtime& runtime) : previous(codecRuntime) {
    codecRuntime = &runtime;
}

CodecAllocations::~CodecAllocations() {
    codecRuntime = previous;
}
