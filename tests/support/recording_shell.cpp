// The recording side of the shell's own requests: the file dialogs, the
// Preferences dialog and the text depth map dialog answer as the test
// scripted them in recordedUi.
#include "recording_platform.h"
#include "shell/shell_platform.h"

namespace {

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

void repaintWithErase(WindowHandle) {
    recordCall(UiCallKind::RepaintWithErase);
}

bool chooseFileToOpen(WindowHandle, std::filesystem::path& fileName) {
    recordCall(UiCallKind::ChooseOpen);
    return answerDialog(recordedUi.openAnswers, fileName);
}

bool chooseFileToSave(WindowHandle, std::filesystem::path& fileName) {
    recordCall(UiCallKind::ChooseSave);
    return answerDialog(recordedUi.saveAnswers, fileName);
}

bool chooseModelToOpen(WindowHandle, std::filesystem::path& fileName) {
    recordCall(UiCallKind::ChooseModel);
    return answerDialog(recordedUi.openAnswers, fileName);
}

bool askForTextDepthMap(WindowHandle owner, TextDepthRequest& request) {
    recordCall(UiCallKind::TextDepthDialog);
    return recordedUi.textDepthDialog && recordedUi.textDepthDialog(request, owner);
}

void runPreferencesDialog(Workspace& ws, WindowHandle owner) {
    recordCall(UiCallKind::PreferencesDialog);
    if (recordedUi.preferencesDialog) recordedUi.preferencesDialog(ws, owner);
}

void requestClose(WindowHandle) {
    recordCall(UiCallKind::Close);
}
