#include "operations/operations.h"

#include <cstdio>

#include "engine/engine.h"
#include "files/bmp.h"
#include "texts/user_texts.h"
#include "views/views.h"

namespace {

void showMessageOf(const Message& message, WindowHandle owner) {
    if (isMessage(message)) showMessage(owner, message.text, message.caption);
}

// Shows why the work was not done, if it was not; true when it was.
bool shownAsDone(const Outcome& outcome, WindowHandle owner) {
    switch (outcome.kind) {
        case OutcomeKind::Done:
            return true;
        case OutcomeKind::Refused:
            showMessageOf(outcome.refusal, owner);
            return false;
        case OutcomeKind::OutOfMemory:
            reportOutOfMemory(owner);
            return false;
        case OutcomeKind::Stopped:
            break;
    }
    return false;
}

void stepTheBar(void*) {
    stepProgress();
}

// The rows of long work step the window's progress bar.
const Progress ProgressBar{nullptr, stepTheBar, nullptr};

// The shows that end a row loop: the bar back at 0, the new picture.
void showRowsDone(Workspace& ws, WindowHandle mainWindow, SourceKind source, ViewKind view) {
    resetProgress();
    renderView(ws, mainWindow, source, view);
}

void showPassStatus(const char* format, int pass) {
    char text[64];
    std::snprintf(text, sizeof text, format, pass);
    setStatusText(text);
}

}  // namespace

void reportOutOfMemory(WindowHandle owner) {
    showMessage(owner, OutOfMemoryText, NoCaption);
    requestQuit(-1);
}

int32_t loadBmp(Workspace& ws, const std::filesystem::path& fileName, WindowHandle mainWindow,
                SourceKind kind) {
    if (!shownAsDone(readPictureFile(ws, fileName, kind), mainWindow)) return 0;
    renderView(ws, mainWindow, kind, viewShownAfterLoading(kind));
    return 1;
}

int32_t loadBmpBytes(Workspace& ws, const uint8_t* bytes, size_t size, WindowHandle mainWindow,
                     SourceKind kind) {
    if (!shownAsDone(readPictureBytes(ws, bytes, size, kind), mainWindow)) return 0;
    renderView(ws, mainWindow, kind, viewShownAfterLoading(kind));
    return 1;
}

int32_t saveDisplayedPicture(const Workspace& ws, const std::filesystem::path& fileName,
                             WindowHandle mainWindow) {
    return shownAsDone(writeDisplayedPicture(ws, fileName), mainWindow) ? 1 : 0;
}

void renderView(Workspace& ws, WindowHandle mainWindow, SourceKind source, ViewKind view) {
    if (!shownAsDone(drawView(ws, source, view), mainWindow)) return;
    presentPicture(mainWindow, ws.displayDib.bytes.get() + DibHeaderSize, ws.imageWidth, ws.imageHeight);
}

void generatePattern(Workspace& ws, WindowHandle mainWindow) {
    const Outcome outcome = makePattern(ws);
    // The notice says that the depth map was widened; running out of memory
    // for the pattern itself comes after the widened map is on show.
    if (isMessage(outcome.notice)) {
        showMessageOf(outcome.notice, mainWindow);
        fitWindowToImage(ws.imageWidth, ws.imageHeight);
        renderView(ws, mainWindow, SourceKind::DepthMap, ViewKind::DepthOriginal);
    }
    shownAsDone(outcome, mainWindow);
}

void generateStereogram(Workspace& ws, WindowHandle mainWindow) {
    if (!shownAsDone(makeStereogram(ws, ProgressBar), mainWindow)) return;
    showRowsDone(ws, mainWindow, SourceKind::Stereogram, ViewKind::StereogramWithDots);
}

void decodeStereogram(Workspace& ws, WindowHandle mainWindow) {
    const DecodingStart start = startDecoding(ws);
    if (!shownAsDone(start.outcome, mainWindow)) return;
    showMessageOf(start.outcome.notice, mainWindow);
    if (!shownAsDone(decodeRows(ws, start.stripWidth, ProgressBar), mainWindow)) return;
    showRowsDone(ws, mainWindow, SourceKind::DepthMap, ViewKind::DepthOriginal);
}

void runRoundTrip(Workspace& ws, WindowHandle mainWindow) {
    for (int pass = 1; pass <= 5; ++pass) {
        showPassStatus(GeneratingPassFormat, pass);
        generateStereogram(ws, mainWindow);
        showPassStatus(DecodingPassFormat, pass);
        decodeStereogram(ws, mainWindow);
    }
}
