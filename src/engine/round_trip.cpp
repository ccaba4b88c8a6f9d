#include <cstdio>

#include "engine/engine.h"
#include "texts/user_texts.h"

namespace {

void showPassStatus(const char* format, int pass) {
    char text[64];
    std::snprintf(text, sizeof text, format, pass);
    setStatusText(text);
}

}  // namespace

void runRoundTrip(Workspace& ws, WindowHandle mainWindow) {
    for (int pass = 1; pass <= 5; ++pass) {
        showPassStatus(GeneratingPassFormat, pass);
        generateStereogram(ws, mainWindow);
        showPassStatus(DecodingPassFormat, pass);
        decodeStereogram(ws, mainWindow);
    }
}
