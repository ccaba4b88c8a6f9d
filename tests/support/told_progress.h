// What a caller of the core was told through its Progress: the steps,
// whether one came on another thread than the caller's, and a stop asked
// for after a number of steps.
#pragma once

#include <cstdint>
#include <thread>

#include "picture/outcome.h"

struct Told {
    int steps = 0;
    int stopAfter = -1;  // steps before the caller asks to stop; -1: never
    std::thread::id thread = std::this_thread::get_id();
    bool otherThread = false;
};

inline void countStep(void* context) {
    Told& told = *static_cast<Told*>(context);
    ++told.steps;
    told.otherThread |= std::this_thread::get_id() != told.thread;
}

inline bool stopWanted(void* context) {
    const Told& told = *static_cast<Told*>(context);
    return told.stopAfter >= 0 && told.steps >= told.stopAfter;
}

// The progress that tells `told`, from the calling thread, on `threads`
// threads (0: the runtime's number).
inline Progress progressTo(Told& told, int32_t threads = 0) {
    told.thread = std::this_thread::get_id();
    return Progress{&told, countStep, stopWanted, threads};
}
