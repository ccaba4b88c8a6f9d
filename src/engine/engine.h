// The stereogram engine: patterns, generation, width detection, telling a
// stereogram from a depth map, and decoding. Each call takes pictures and
// settings and returns a picture and what happened; it shows nothing and
// asks nothing of a window.
#pragma once

#include <cstdint>

#include "engine/preferences.h"
#include "picture/outcome.h"
#include "picture/picture.h"

// --- Patterns

// True when repeatCount strips of at least one column fit across `width`.
// A pattern wider than the image, once loaded, leaves repeatCount 0.
bool repeatCountMakesStrips(int32_t width, int32_t repeatCount);

// The width of a new pattern strip for a depth map `width` columns wide:
// width / repeatCount, one more when that leaves columns over. The depth
// map is then widened to whole strips first.
int32_t newPatternWidth(int32_t width, int32_t repeatCount);

// Widens the depth map to newWidth columns: the old rows on the left, the
// added columns holding the old top-left value. False, the depth map
// unchanged, when out of memory.
bool widenDepthMap(Runtime& runtime, Picture& depth, int32_t newWidth);

// Replaces `pattern` with a strip of width x height: random dots, or a grey
// ramp with random fill off. One random value is drawn for every pixel, the
// ramp's too; with colour on, random dots draw three, red, green and blue.
Outcome makePattern(Runtime& runtime, int32_t width, int32_t height, const Preferences& prefs,
                    uint32_t& randomState, Picture& pattern);

// --- Stereograms

// Why a stereogram cannot be made, in this order: no pattern, a repeat
// count that makes no strips across imageWidth, no depth map, or a pattern
// of another height than the depth map (with colour on such a pattern is
// tiled down the rows instead). Done when it can.
Outcome generationRefusal(int32_t imageWidth, const Picture& depth, const Picture& pattern, const Preferences& prefs);

// Replaces `stereogram` with one of the depth map's size, from the depth
// map and the pattern strip, repeating width / repeatCount columns. Refused,
// changing nothing, as generationRefusal says for the depth map's width
// (without a depth map, for want of one).
// With colour on the stereogram is in colour when the pattern is or random
// fill draws colour dots. Progress steps come after every tenth row.
Outcome makeStereogram(Runtime& runtime, const Picture& depth, const Picture& pattern, const Preferences& prefs,
                       uint32_t& randomState, const Progress& progress, Picture& stereogram);

// --- Reading stereograms

// The strip width that the stereogram's rows repeat, from its pixels alone
// (every channel); 0 when none is found or the picture is absent.
int32_t detectPatternWidth(const Picture& stereogram, int32_t minMatch);

// Whether a picture, as loaded, is a stereogram rather than a depth map: a
// stereogram's texture recurs a strip width away, a depth map's does not
// (flat and mostly black ones have hardly any texture). A picture narrower
// than 30 columns is a depth map. Colour pictures are judged by their grey.
bool looksLikeStereogram(const Picture& picture);

// How many pixels from column x of the row each equal the pixel `distance`
// to their left (at most `distance`); 0 below minMatch.
int32_t matchRunLeft(const Picture& stereogram, int32_t minMatch, int32_t x, int32_t row, int32_t distance);

// How many pixels from column x of the row each equal the pixel
// `separation` to their right (at most `separation`); 0 below minMatch.
int32_t matchRunRight(const Picture& stereogram, int32_t minMatch, int32_t x, int32_t row, int32_t separation);

// The strip width a decoding goes by: the one detected, or, when none is
// found, `fallbackWidth` with a notice that says so.
struct StripWidth {
    int32_t width = 0;
    Message notice;
};

StripWidth findStripWidth(const Picture& stereogram, const Preferences& prefs, int32_t fallbackWidth);

// Decodes the stereogram's rows at that strip width into `depth`, one grey
// channel of the stereogram's size (made so first when it is not). Pixels
// match when all their channels are equal. Refused without a stereogram.
// Progress steps come after every tenth row; a decoding stopped part way
// leaves the depth map cleared.
Outcome decodeRows(Runtime& runtime, const Picture& stereogram, int32_t stripWidth, const Preferences& prefs,
                   uint32_t& randomState, const Progress& progress, Picture& depth);

// --- The tolerant decoder: for stereograms whose repeats are no longer
// exact (JPEG files, colour textures, smoothed pictures)

// The strip width, from costs that tolerate noise: the periods the
// stereogram's blocks clearly repeat at, over every channel, with the
// levels of the preferences spanning them; a divisor of the width where one
// fits, otherwise the one that puts the largest period at level 0
// (wall-eyed) or the smallest at the top level (cross-eyed). When none is
// convincing (noise that never repeats, a flat picture, a picture narrower
// than 30 columns), `fallbackWidth` with the same notice as findStripWidth.
StripWidth findStripWidthTolerant(Runtime& runtime, const Picture& stereogram, const Preferences& prefs,
                                  int32_t fallbackWidth);

// Decodes the stereogram at that strip width into `depth`, one grey
// channel of the stereogram's size (made so first when it is not), by
// semi-global matching: points match when their windows are close on every
// channel, and separations change smoothly along and across the rows.
// Points without a partner (occlusions) take the larger separation of the
// points beside them. Separations become levels as in decodeRows, held to
// 0 .. levels; the levels come from depthBits held to 0 .. 8. When
// `certainty` is not null it becomes a grey picture of the same size:
// dark where the picture cannot tell one separation from another (the last
// strip, occlusions), light where it is sure. Refused without a
// stereogram; with a strip width below 1 or not below the picture's width
// the pictures stay cleared. Progress steps come after every tenth row;
// a decoding stopped part way leaves both pictures cleared.
Outcome decodeRowsTolerant(Runtime& runtime, const Picture& stereogram, int32_t stripWidth, const Preferences& prefs,
                           const Progress& progress, Picture& depth, Picture* certainty);

// --- Stereo pairs

// How the two eyes' pictures are put together: an anaglyph for red/cyan
// glasses (red from the left eye, green and blue from the right; the
// picture's size), or side by side, twice as wide: left | right for
// parallel viewing and 3D screens, right | left for crossed eyes.
enum class PairForm { Anaglyph, SideBySide, CrossView };

// The largest parallax, in pixels, for a picture `width` wide: the setting,
// or, when it is 0 (automatic), 3 % of the width.
int32_t parallaxFor(int32_t setting, int32_t width);

// Replaces `pair` with the form of the two eyes' pictures of the depth
// map's relief: each point moves sideways by half of `parallax` x depth /
// 255, in opposite directions for the two eyes; a nearer point hides a
// farther one; a gap beside a near edge takes the farther side's shade; the
// surface is shaded by a light from the upper left. Refused without a
// depth map.
Outcome makeStereoPair(Runtime& runtime, const Picture& depth, int32_t parallax, PairForm form, Picture& pair);
