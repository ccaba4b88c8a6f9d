// The library's code. Its blocks come from the program's own allocator, so
// that running out of memory while a picture is decoded is seen as such,
// and the tests' out-of-memory hook reaches it too.
#include <cstdlib>

#include "workspace/buffers.h"

namespace {

void* allocateForCodec(size_t size) {
    return allocateBytes(size).release();
}

}  // namespace

#define STBI_MALLOC(size) allocateForCodec(size)
#define STBI_REALLOC(block, size) std::realloc(block, size)
#define STBI_FREE(block) std::free(block)
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION

#include "files/stb_codecs.h"
