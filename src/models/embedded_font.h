// The font that raised text is drawn in, DejaVu Sans Bold, built into the
// program from its TrueType file (the build writes the array), so that
// every program draws the same letters with no file to look up.
#pragma once

#include <cstddef>

extern const unsigned char EmbeddedFontBytes[];
extern const size_t EmbeddedFontSize;
