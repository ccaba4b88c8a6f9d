// The library's code, compiled without the program's warnings.
#define TINYOBJLOADER_IMPLEMENTATION

#include "models/tinyobj.h"
