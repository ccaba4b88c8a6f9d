// Depth maps of raised text.
#pragma once

#include <cstdint>
#include <string>

#include "picture/outcome.h"
#include "picture/picture.h"

// The depth of the letters' faces, and how many pixels inside a letter's
// edge the depth takes to rise from the ground to it.
constexpr int32_t TextDepth = 200;
constexpr int32_t TextBevelPixels = 4;

// Replaces `depth` with a grey depth map of width x height holding the
// text's letters raised from the ground: 0 outside the letters, rising
// inside each letter's edge to TextDepth at TextBevelPixels from it,
// 200 * d / 4 with d the distance from the pixel to the nearest pixel
// outside (so 50 on the edge), and TextDepth beyond. The letters, in DejaVu
// Sans Bold, are as large as fits within 5 % of the width and of the
// height on each side; the lines ('\n' ends one) are each centred, and the
// ink of the whole centred in the picture. Control characters other than
// '\n' are not drawn; a character the font lacks is drawn as its box.
// Refused, changing nothing, with "Napis nie jest poprawnym tekstem UTF-8!"
// (caption "Błąd") for text that is not UTF-8, "Napis jest pusty!"
// (caption "Uwaga!") for text with nothing to draw, and "Nieprawidłowe
// wymiary mapy głębokości!" (caption "Uwaga!") for a width or height
// outside 1 .. MostDepthMapSide.
Outcome renderTextDepthMap(Runtime& runtime, const std::string& utf8Text, int32_t width, int32_t height,
                           Picture& depth);
