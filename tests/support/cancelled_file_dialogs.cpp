// File dialogs that are always cancelled, for programs that never choose
// a file through the platform layer.
#include "shell/ui.h"

bool chooseFileToOpen(WindowHandle, std::filesystem::path&) { return false; }
bool chooseFileToSave(WindowHandle, std::filesystem::path&) { return false; }
