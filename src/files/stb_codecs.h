// The parts of stb_image the program uses, compiled in one place
// (stb_codecs.cpp) with only the PNG and JPEG readers and no file access of
// their own.
#pragma once

#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR

#include <stb_image.h>

#include "picture/runtime.h"

// While one lives, the library's blocks on this thread come from the
// runtime, so that running out of memory while a picture is coded is seen
// as such (the tests' out-of-memory hook reaches it too); otherwise they
// come from malloc.
struct CodecAllocations {
    explicit CodecAllocations(Runtime& runtime);
    ~CodecAllocations();
    CodecAllocations(const CodecAllocations&) = delete;
    CodecAllocations& operator=(const CodecAllocations&) = delete;
    Runtime* previous;
};
