// The platform layer for the benchmarks: every call does nothing, so only
// the core's own work is timed.
#include "shell/ui.h"

void showMessage(WindowHandle, const char*, const char*) {}
void requestQuit(int32_t) {}
void setStatusText(const char*) {}
void stepProgress() {}
void resetProgress() {}
void fitWindowToImage(const Workspace&) {}
void presentPicture(const Workspace&, WindowHandle) {}
void repaintWithErase(WindowHandle) {}
bool chooseFileToOpen(WindowHandle, std::filesystem::path&) { return false; }
bool chooseFileToSave(WindowHandle, std::filesystem::path&) { return false; }
void runPreferencesDialog(Workspace&, WindowHandle) {}
void requestClose(WindowHandle) {}
