// The platform layer of the programs that run the core without a window
// (the fuzz target, the benchmarks, the expected-files tool of the
// end-to-end tests): boxes, bars, repaints and the Preferences dialog do
// nothing. Each program brings its own file dialogs.
#include "shell/ui.h"

void showMessage(WindowHandle, const char*, const char*) {}
void requestQuit(int32_t) {}
void setStatusText(const char*) {}
void stepProgress() {}
void resetProgress() {}
void fitWindowToImage(const Workspace&) {}
void presentPicture(const Workspace&, WindowHandle) {}
void repaintWithErase(WindowHandle) {}
void runPreferencesDialog(Workspace&, WindowHandle) {}
void requestClose(WindowHandle) {}
