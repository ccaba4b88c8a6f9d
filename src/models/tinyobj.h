// tinyobjloader, read with doubles, so that a coordinate beyond the floats
// reaches the program's own check instead of an overflowing conversion.
// Its code is compiled once, in tinyobj.cpp.
#pragma once

#define TINYOBJLOADER_USE_DOUBLE

#include <tiny_obj_loader.h>
