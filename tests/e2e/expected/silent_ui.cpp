// The platform layer of the expected-files tool: no window. Boxes, bars
// and repaints have no effect on the workspace, so they do nothing; the
// file dialogs answer from the replayed script. The Preferences dialog
// closes as if cancelled: scenarios whose files are compared keep the
// initial preferences.
#include "replay.h"
#include "shell/ui.h"

void showMessage(WindowHandle, const char*, const char*) {}
void requestQuit(int32_t) {}
void setStatusText(const char*) {}
void stepProgress() {}
void resetProgress() {}
void fitWindowToImage(const Workspace&) {}
void presentPicture(const Workspace&, WindowHandle) {}
void repaintWithErase(WindowHandle) {}

bool chooseFileToOpen(WindowHandle, std::filesystem::path& fileName) { return nextFileChoice(fileName); }
bool chooseFileToSave(WindowHandle, std::filesystem::path& fileName) { return nextFileChoice(fileName); }

void runPreferencesDialog(Workspace&, WindowHandle) {}
void requestClose(WindowHandle) {}
