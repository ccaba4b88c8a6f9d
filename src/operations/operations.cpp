#include "operations/operations.h"

#include <cstdio>

#include "texts/user_texts.h"
#include "workspace/session.h"

namespace {

// A box about the work: while it is open the window paints, so the picture
// chosen last is put on the screen first.
void showBox(Workspace& ws, WindowHandle owner, const Message& message) {
    if (!isMessage(message)) return;
    showChosenPicture(ws, owner);
    showMessage(owner, message.text, message.caption);
}

// Shows why the work was not done, if it was not; true when it was.
bool shownAsDone(Workspace& ws, const Outcome& outcome, WindowHandle owner) {
    switch (outcome.kind) {
        case OutcomeKind::Done:
            return true;
        case OutcomeKind::Refused:
            showBox(ws, owner, outcome.refusal);
            return false;
        case OutcomeKind::OutOfMemory:
            showChosenPicture(ws, owner);
            reportOutOfMemory(owner);
            return false;
        case OutcomeKind::Stopped:
            break;
    }
    return false;
}

// Before work that changes what the chosen picture is made of, it is made
// as it was chosen: on the screen and in the DisplayDib.
void keepChosenPicture(Workspace& ws, WindowHandle owner, uint32_t inputs) {
    if (!shownViewWaitsOn(ws, inputs)) return;
    showChosenPicture(ws, owner);
    settleShownView(ws);
}

void stepTheBar(void*) {
    stepProgress();
}

// The rows of long work step the window's progress bar.
const Progress ProgressBar{nullptr, stepTheBar, nullptr, 0};

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

int32_t loaded(Workspace& ws, const Outcome& outcome, WindowHandle mainWindow, SourceKind kind) {
    if (!shownAsDone(ws, outcome, mainWindow)) return 0;
    renderView(ws, mainWindow, kind, viewShownAfterLoading(kind));
    return 1;
}

// A pattern changes what the pattern views and the squares are made of. A
// depth map or a stereogram changes nothing until it is taken, and then
// brings a picture on show of its own.
uint32_t inputsChangedByLoading(SourceKind kind) {
    return kind == SourceKind::Pattern ? ReadsPattern | ReadsPatternWidth : 0;
}

}  // namespace

void reportOutOfMemory(WindowHandle owner) {
    showMessage(owner, OutOfMemoryText, NoCaption);
    requestQuit(-1);
}

void showChosenPicture(Workspace& ws, WindowHandle mainWindow) {
    ShownView& shown = ws.shownView;
    if (!shown.chosen || shown.onScreen) return;
    shown.onScreen = true;
    uint32_t* pixels = pictureBuffer(mainWindow, ws.imageWidth, ws.imageHeight);
    if (pixels != nullptr) drawShownViewForScreen(ws, pixels);
}

int32_t loadBmp(Workspace& ws, const std::filesystem::path& fileName, WindowHandle mainWindow,
                SourceKind kind) {
    keepChosenPicture(ws, mainWindow, inputsChangedByLoading(kind));
    return loaded(ws, readPictureFile(ws, fileName, kind), mainWindow, kind);
}

int32_t loadBmpBytes(Workspace& ws, const uint8_t* bytes, size_t size, WindowHandle mainWindow,
                     SourceKind kind) {
    keepChosenPicture(ws, mainWindow, inputsChangedByLoading(kind));
    return loaded(ws, readPictureBytes(ws, bytes, size, kind), mainWindow, kind);
}

int32_t loadModel(Workspace& ws, const std::filesystem::path& fileName, WindowHandle mainWindow) {
    keepChosenPicture(ws, mainWindow, inputsChangedByLoading(SourceKind::DepthMap));
    return loaded(ws, drawModelDepthMap(ws, fileName), mainWindow, SourceKind::DepthMap);
}

int32_t makeTextDepthMap(Workspace& ws, const TextDepthRequest& request, WindowHandle mainWindow) {
    keepChosenPicture(ws, mainWindow, inputsChangedByLoading(SourceKind::DepthMap));
    return loaded(ws, drawTextDepthMap(ws, request), mainWindow, SourceKind::DepthMap);
}

int32_t saveDisplayedPicture(Workspace& ws, const std::filesystem::path& fileName, WindowHandle mainWindow) {
    return shownAsDone(ws, writeDisplayedPicture(ws, fileName), mainWindow) ? 1 : 0;
}

int32_t saveStereoPair(Workspace& ws, const std::filesystem::path& fileName, WindowHandle mainWindow, PairForm form) {
    return shownAsDone(ws, writeStereoPair(ws, fileName, form), mainWindow) ? 1 : 0;
}

void renderView(Workspace& ws, WindowHandle mainWindow, SourceKind source, ViewKind view) {
    if (!shownAsDone(ws, chooseView(ws, source, view), mainWindow)) return;
    showPicture(mainWindow, ws.imageWidth, ws.imageHeight);
}

void generatePattern(Workspace& ws, WindowHandle mainWindow) {
    // A widened depth map comes with a picture on show of its own.
    keepChosenPicture(ws, mainWindow, ReadsPattern | ReadsPatternWidth);
    const Outcome outcome = makePattern(ws);
    // The notice says that the depth map was widened; running out of memory
    // for the pattern itself comes after the widened map is on show.
    if (isMessage(outcome.notice)) {
        showBox(ws, mainWindow, outcome.notice);
        fitWindowToImage(ws.imageWidth, ws.imageHeight);
        renderView(ws, mainWindow, SourceKind::DepthMap, ViewKind::DepthOriginal);
    }
    shownAsDone(ws, outcome, mainWindow);
}

void generateStereogram(Workspace& ws, WindowHandle mainWindow) {
    keepChosenPicture(ws, mainWindow, ReadsStereogram);
    if (!shownAsDone(ws, makeStereogram(ws, ProgressBar), mainWindow)) return;
    showRowsDone(ws, mainWindow, SourceKind::Stereogram, ViewKind::StereogramWithDots);
}

void decodeStereogram(Workspace& ws, WindowHandle mainWindow) {
    keepChosenPicture(ws, mainWindow, ReadsDepthMap);
    const DecodingStart start = startDecoding(ws);
    if (!shownAsDone(ws, start.outcome, mainWindow)) return;
    showBox(ws, mainWindow, start.outcome.notice);
    if (!shownAsDone(ws, decodeRows(ws, start.stripWidth, ProgressBar), mainWindow)) return;
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
