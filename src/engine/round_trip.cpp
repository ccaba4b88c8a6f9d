#include <string>

#include "engine/engine.h"
#include "shell/ui.h"

void runRoundTrip(Workspace& ws, WindowHandle mainWindow) {
    for (int pass = 1; pass <= 5; ++pass) {
        const std::string number = std::to_string(pass);
        setStatusText(("Generowanie #" + number + "...").c_str());
        generateStereogram(ws, mainWindow);
        setStatusText(("Dekodowanie #" + number + "...").c_str());
        decodeStereogram(ws, mainWindow);
    }
}
