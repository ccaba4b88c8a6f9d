// The Preferences' rules, which the dialog and the command line's options
// both follow.
#pragma once

#include <cstdint>
#include <string>

#include "engine/preferences.h"
#include "picture/outcome.h"

// 1 to 8 bits of depth; a repeat count of 3 to a tenth of the image width.
// A refused value comes with the dialog's message.
Outcome checkDepthBits(int32_t depthBits);
Outcome checkRepeatCount(int32_t imageWidth, int32_t repeatCount);

// Reads a number as the Preferences dialog reads its fields: leading spaces
// skipped, then decimal digits up to the first other character; no digits,
// or a value above 4294967295, give 0. The unsigned result is taken as
// signed 32-bit.
int32_t readFieldNumber(const std::string& text);
