#include "shell/progress_counter.h"

#include <chrono>

#include "picture/outcome.h"

void setProgressRange(ProgressCounter& progress, int32_t imageHeight) {
    progress.maximum = static_cast<uint16_t>(imageHeight / RowsPerProgressStep);
}

bool stepProgressCounter(ProgressCounter& progress, double nowMs) {
    progress.position = progress.position < progress.maximum ? progress.position + 1 : 0;
    if (nowMs - progress.shownAtMs < ProgressFrameMs) return false;
    progress.shownAtMs = nowMs;
    return true;
}

void resetProgressCounter(ProgressCounter& progress, double nowMs) {
    progress.position = 0;
    progress.shownAtMs = nowMs;
}

void progressShownUntil(ProgressCounter& progress, double nowMs) {
    progress.shownAtMs = nowMs;
}

double monotonicMs() {
    using Milliseconds = std::chrono::duration<double, std::milli>;
    return Milliseconds(std::chrono::steady_clock::now().time_since_epoch()).count();
}
