// The progress bar's state, kept by the program rather than by the control:
// the position, the range, and when the bar was last shown. A large picture
// steps the bar hundreds of times a second and every showing costs a
// repaint, so a step is shown only once a display frame has passed since
// the last showing ended; a reset is always shown at once.
#pragma once

#include <cstdint>
#include <limits>

// About one frame of the display.
constexpr double ProgressFrameMs = 15.0;

struct ProgressCounter {
    int32_t position = 0;
    int32_t maximum = 0;  // the range is 0 to maximum
    double shownAtMs = -std::numeric_limits<double>::infinity();  // never yet
};

// The range for an image `imageHeight` rows high: 0 to imageHeight /
// RowsPerProgressStep, kept to the 16 bits that the bar takes.
void setProgressRange(ProgressCounter& progress, int32_t imageHeight);

// One step of 1; past the maximum the bar starts over from 0. True when the
// bar is to be shown now, at `nowMs`: a frame has passed since it last was.
bool stepProgressCounter(ProgressCounter& progress, double nowMs);

// Back to 0; the bar is to be shown now, at `nowMs`.
void resetProgressCounter(ProgressCounter& progress, double nowMs);

// The showing of the bar ended at `nowMs`: the next frame counts from
// there, so that painting a wide bar, which takes milliseconds, never
// crowds out the work it shows.
void progressShownUntil(ProgressCounter& progress, double nowMs);

// Milliseconds of a steady clock, for `nowMs`.
double monotonicMs();
