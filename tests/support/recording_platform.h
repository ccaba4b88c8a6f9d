// A recording implementation of the platform layer and of the shell's own
// requests: every call is kept in order, so tests can assert what the user
// was shown and in which order. The file dialogs, the Preferences dialog
// and the text depth map dialog answer as a test scripts them.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "workspace/workspace.h"

enum class UiCallKind {
    Message,
    Quit,
    Status,
    StepProgress,
    ResetProgress,
    FitWindow,
    Present,
    RepaintWithErase,
    ChooseOpen,
    ChooseSave,
    ChooseModel,
    PreferencesDialog,
    TextDepthDialog,
    Close,
};

struct UiCall {
    UiCallKind kind;
    std::string text;     // message text or status text
    std::string caption;  // message caption
    int32_t value = 0;    // exit code; image size at FitWindow/Present is in width/height
    int32_t width = 0;
    int32_t height = 0;
};

struct RecordingUi {
    std::vector<UiCall> calls;
    // Answers for the file dialogs, taken front first (the model's dialog
    // takes the open answers); an empty optional, or an empty queue, is a
    // cancelled dialog.
    std::deque<std::optional<std::filesystem::path>> openAnswers;
    std::deque<std::optional<std::filesystem::path>> saveAnswers;
    // What the Preferences dialog does while it is shown.
    std::function<void(Workspace&, WindowHandle)> preferencesDialog;
    // What the text depth map dialog answers; without one it is cancelled.
    std::function<bool(TextDepthRequest&, WindowHandle)> textDepthDialog;
    // The window's picture as last drawn, 0xFFRRGGBB, top row first; each
    // new one starts white.
    std::vector<uint32_t> screenPicture;
    int32_t screenWidth = 0;
    // How many times a view was drawn for the screen, and the count at
    // each box shown (in order).
    int32_t screenDraws = 0;
    std::vector<int32_t> screenDrawsAtBoxes;
};

constexpr uint32_t WindowWhite = 0xFFFFFFFFu;

extern RecordingUi recordedUi;

// Adds a call to the record.
void recordCall(UiCallKind kind, std::string text = {}, std::string caption = {}, int32_t value = 0);

// Forgets every recorded call and scripted answer.
void resetRecordedUi();

std::vector<UiCall> recordedCalls(UiCallKind kind);
// The texts and captions of the message boxes shown, in order.
std::vector<std::string> recordedMessages();
std::vector<std::string> recordedCaptions();
std::vector<std::string> recordedStatusTexts();
int countRecorded(UiCallKind kind);
// The kinds of the recorded calls, in order.
std::vector<UiCallKind> recordedKinds();
