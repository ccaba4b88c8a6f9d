// What a call of the core did, for its caller to show: the window shows a
// box, the command line prints a line. The core itself shows nothing.
#pragma once

#include <cstdint>

// A text for the user and its caption (empty for none). A null text is no
// message at all.
struct Message {
    const char* text = nullptr;
    const char* caption = nullptr;
};

inline bool isMessage(const Message& message) {
    return message.text != nullptr;
}

enum class OutcomeKind : uint8_t {
    Done,
    // Nothing was changed; `refusal` says why, or is no message for the
    // refusals that say nothing (a file that is no picture at all).
    Refused,
    // A buffer could not be allocated; what the call was to replace is left
    // as the failing step found it, and the program is to end.
    OutOfMemory,
    // The caller asked the work to stop before it was done.
    Stopped,
};

struct Outcome {
    OutcomeKind kind = OutcomeKind::Done;
    Message refusal;
    // Information the user is given on the way, whatever the kind: the
    // work goes on after it.
    Message notice;
};

inline Outcome doneOutcome() {
    return Outcome{};
}

inline Outcome refusedOutcome(const char* text, const char* caption) {
    return Outcome{OutcomeKind::Refused, Message{text, caption}, Message{}};
}

inline Outcome silentRefusal() {
    return Outcome{OutcomeKind::Refused, Message{}, Message{}};
}

inline Outcome outOfMemoryOutcome() {
    return Outcome{OutcomeKind::OutOfMemory, Message{}, Message{}};
}

inline Outcome stoppedOutcome() {
    return Outcome{OutcomeKind::Stopped, Message{}, Message{}};
}

// Row loops report a step after every RowsPerProgressStep-th row (rows 0,
// 10, 20, ...).
constexpr int32_t RowsPerProgressStep = 10;

// How long work tells its caller how far it has come, and how the caller
// asks it to stop. Both functions are called on the caller's own thread,
// the steps in row order, whatever threads do the rows; either may be null.
struct Progress {
    void* context = nullptr;
    // One step of the progress bar.
    void (*step)(void* context) = nullptr;
    // Asked between rows; true ends the work with Stopped.
    bool (*stopRequested)(void* context) = nullptr;
    // How many threads may share the rows; 0 for the runtime's number.
    int32_t threads = 0;
};

inline void reportStep(const Progress& progress) {
    if (progress.step != nullptr) progress.step(progress.context);
}

inline bool stopRequested(const Progress& progress) {
    return progress.stopRequested != nullptr && progress.stopRequested(progress.context);
}
