// The parts of stb_image and stb_image_write the program uses, compiled in
// one place (stb_codecs.cpp) with only the PNG and JPEG readers and no file
// access of their own.
#pragma once

#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_WRITE_NO_STDIO

#include <stb_image.h>
#include <stb_image_write.h>
