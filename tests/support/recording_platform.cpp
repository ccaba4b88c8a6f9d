#include "recording_platform.h"

RecordingUi recordedUi;

void recordCall(UiCallKind kind, std::string text, std::string caption, int32_t value) {
    recordedUi.calls.push_back(UiCall{kind, std::move(text), std::move(caption), value, 0, 0});
}

void resetRecordedUi() {
    recordedUi = RecordingUi{};
}

std::vector<UiCall> recordedCalls(UiCallKind kind) {
    std::vector<UiCall> result;
    for (const UiCall& call : recordedUi.calls)
        if (call.kind == kind) result.push_back(call);
    return result;
}

std::vector<std::string> recordedMessages() {
    std::vector<std::string> texts;
    for (const UiCall& call : recordedCalls(UiCallKind::Message)) texts.push_back(call.text);
    return texts;
}

std::vector<std::string> recordedCaptions() {
    std::vector<std::string> captions;
    for (const UiCall& call : recordedCalls(UiCallKind::Message)) captions.push_back(call.caption);
    return captions;
}

std::vector<std::string> recordedStatusTexts() {
    std::vector<std::string> texts;
    for (const UiCall& call : recordedCalls(UiCallKind::Status)) texts.push_back(call.text);
    return texts;
}

int countRecorded(UiCallKind kind) {
    return static_cast<int>(recordedCalls(kind).size());
}

std::vector<UiCallKind> recordedKinds() {
    std::vector<UiCallKind> kinds;
    for (const UiCall& call : recordedUi.calls) kinds.push_back(call.kind);
    return kinds;
}

void showMessage(WindowHandle, const char* text, const char* caption) {
    recordCall(UiCallKind::Message, text, caption);
    recordedUi.screenDrawsAtBoxes.push_back(recordedUi.screenDraws);
}

void requestQuit(int32_t exitCode) {
    recordCall(UiCallKind::Quit, {}, {}, exitCode);
}

void setStatusText(const char* text) {
    recordCall(UiCallKind::Status, text);
}

void stepProgress() {
    recordCall(UiCallKind::StepProgress);
}

void resetProgress() {
    recordCall(UiCallKind::ResetProgress);
}

void fitWindowToImage(int32_t width, int32_t height) {
    recordCall(UiCallKind::FitWindow);
    recordedUi.calls.back().width = width;
    recordedUi.calls.back().height = height;
}

uint32_t* pictureBuffer(WindowHandle, int32_t width, int32_t height) {
    ++recordedUi.screenDraws;
    recordedUi.screenWidth = width;
    recordedUi.screenPicture.assign(static_cast<size_t>(width) * static_cast<size_t>(height), WindowWhite);
    return recordedUi.screenPicture.data();
}

void showPicture(WindowHandle, int32_t width, int32_t height) {
    recordCall(UiCallKind::Present);
    recordedUi.calls.back().width = width;
    recordedUi.calls.back().height = height;
}
