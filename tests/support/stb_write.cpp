// stb_image_write, for the tests and benchmarks alone: PNG and JPEG files
// made apart from the program, which writes its PNG files itself.
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
