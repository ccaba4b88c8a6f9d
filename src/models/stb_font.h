// stb_truetype, compiled once (stb_font.cpp), its blocks taken from the
// runtime named by the font's userdata.
#pragma once

#include <stb_truetype.h>

#include "picture/runtime.h"

// A font's userdata: where its blocks come from, and whether one could not
// be had (the library then leaves the glyph undrawn and says nothing).
struct FontAllocations {
    Runtime* runtime = nullptr;
    bool failed = false;
};
