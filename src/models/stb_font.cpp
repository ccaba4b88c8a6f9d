// The library's code, compiled without the program's warnings.
#include <cstddef>
#include <cstdlib>

#include "picture/bytes.h"
#include "picture/runtime.h"

namespace {

void* allocateForFont(size_t size, void* context);

}  // namespace

#define STBTT_malloc(size, context) allocateForFont(size, context)
#define STBTT_free(block, context) ((void)(context), std::free(block))
#define STB_TRUETYPE_IMPLEMENTATION

#include "models/stb_font.h"

namespace {

void* allocateForFont(size_t size, void* context) {
    FontAllocations* allocations = static_cast<FontAllocations*>(context);
    if (allocations == nullptr) return std::malloc(size);
    void* block = allocateBytes(*allocations->runtime, size).release();
    if (block == nullptr) allocations->failed = true;
    return block;
}

}  // namespace
