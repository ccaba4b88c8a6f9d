// The file dialogs of the expected-files tool answer from the replayed
// script. Its Preferences dialog closes as if cancelled, so scenarios
// whose files are compared keep the initial preferences.
#include "replay.h"
#include "shell/ui.h"

bool chooseFileToOpen(WindowHandle, std::filesystem::path& fileName) { return nextFileChoice(fileName); }
bool chooseFileToSave(WindowHandle, std::filesystem::path& fileName) { return nextFileChoice(fileName); }
