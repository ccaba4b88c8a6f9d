#include "recording_ui.h"

RecordingUi recordedUi;

namespace {
void record(UiCallKind kind, std::string text = {}, std::string caption = {}, int32_t value = 0) {
    recordedUi.calls.push_back(UiCall{kind, std::move(text), std::move(caption), value, 0, 0});
}

bool answerDialog(std::deque<std::optional<std::filesystem::path>>& answers,
                  std::filesystem::path& fileName) {
    if (answers.empty()) return false;
    std::optional<std::filesystem::path> answer = answers.front();
    answers.pop_front();
    if (!answer) return false;
    fileName = *answer;
    return true;
}
}  // namespace

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
    record(UiCallKind::Message, text, caption);
}

void requestQuit(int32_t exitCode) {
    record(UiCallKind::Quit, {}, {}, exitCode);
}

void setStatusText(const char* text) {
    record(UiCallKind::Status, text);
}

void stepProgress() {
    record(UiCallKind::StepProgress);
}

void resetProgress() {
    record(UiCallKind::ResetProgress);
}

void fitWindowToImage(const Workspace& ws) {
    record(UiCallKind::FitWindow);
    recordedUi.calls.back().width = ws.imageWidth;
    recordedUi.calls.back().height = ws.imageHeight;
}

void presentPicture(const Workspace& ws, WindowHandle) {
    record(UiCallKind::Present);
    recordedUi.calls.back().width = ws.imageWidth;
    recordedUi.calls.back().height = ws.imageHeight;
}

void repaintWithErase(WindowHandle) {
    record(UiCallKind::RepaintWithErase);
}

bool chooseFileToOpen(WindowHandle, std::filesystem::path& fileName) {
    record(UiCallKind::ChooseOpen);
    return answerDialog(recordedUi.openAnswers, fileName);
}

bool chooseFileToSave(WindowHandle, std::filesystem::path& fileName) {
    record(UiCallKind::ChooseSave);
    return answerDialog(recordedUi.saveAnswers, fileName);
}

void runPreferencesDialog(Workspace& ws, WindowHandle owner) {
    record(UiCallKind::PreferencesDialog);
    if (recordedUi.preferencesDialog) recordedUi.preferencesDialog(ws, owner);
}

void requestClose(WindowHandle) {
    record(UiCallKind::Close);
}
