#include "shell/commands.h"

#include <cstdio>
#include <filesystem>
#include <string>

#include "operations/operations.h"
#include "shell/shell_platform.h"
#include "texts/user_texts.h"

namespace {

// Loads a file chosen in the open dialog. After a confirmed name the
// window is refitted (for depth maps and stereograms) whatever the load
// made of the file; a cancelled dialog leaves the command's status text.
void loadChosenFile(Workspace& ws, WindowHandle mainWindow, const char* statusText, SourceKind kind) {
    setStatusText(statusText);
    std::filesystem::path fileName;
    if (!chooseFileToOpen(mainWindow, fileName)) return;
    loadBmp(ws, fileName, mainWindow, kind);
    if (kind != SourceKind::Pattern) fitWindowToImage(ws.imageWidth, ws.imageHeight);
    setStatusText(ReadyText);
    repaintWithErase(mainWindow);
}

// A depth map drawn from a model or text is fitted to as a loaded one is,
// whatever came of the drawing. Unlike a load, a cancelled dialog ends the
// command with "Gotów!": nothing is being loaded any more.
void fitToDrawing(Workspace& ws, WindowHandle mainWindow) {
    fitWindowToImage(ws.imageWidth, ws.imageHeight);
    repaintWithErase(mainWindow);
}

void loadChosenModel(Workspace& ws, WindowHandle mainWindow) {
    setStatusText(LoadingModelText);
    std::filesystem::path fileName;
    if (chooseModelToOpen(mainWindow, fileName)) {
        loadModel(ws, fileName, mainWindow);
        fitToDrawing(ws, mainWindow);
    }
    setStatusText(ReadyText);
}

void drawAskedText(Workspace& ws, WindowHandle mainWindow) {
    setStatusText(DrawingTextDepthMapText);
    TextDepthRequest request = ws.lastTextRequest;
    if (askForTextDepthMap(mainWindow, request)) {
        makeTextDepthMap(ws, request, mainWindow);
        fitToDrawing(ws, mainWindow);
    }
    setStatusText(ReadyText);
}

bool saveChosenFile(Workspace& ws, WindowHandle mainWindow) {
    setStatusText(SavingPictureText);
    if (!ws.displayDib.present) {
        showMessage(mainWindow, NothingToSaveText, NoCaption);
        return false;
    }
    std::filesystem::path fileName;
    if (!chooseFileToSave(mainWindow, fileName)) return true;
    saveDisplayedPicture(ws, fileName, mainWindow);
    setStatusText(ReadyText);
    return true;
}

// Saves the depth map's stereo pair, side by side, under a name the save
// dialog gives; without a depth map the user is told so before any dialog.
void saveChosenPair(Workspace& ws, WindowHandle mainWindow, PairForm form) {
    setStatusText(SavingPairText);
    if (!rasterFitsImage(ws, SourceKind::DepthMap)) {
        showMessage(mainWindow, NoDepthMapText, NoCaption);
        setStatusText(ReadyText);
        return;
    }
    std::filesystem::path fileName;
    if (chooseFileToSave(mainWindow, fileName)) saveStereoPair(ws, fileName, mainWindow, form);
    setStatusText(ReadyText);
}

void runAction(Workspace& ws, WindowHandle mainWindow, const char* statusText,
               void (*operation)(Workspace&, WindowHandle)) {
    if (statusText != nullptr) setStatusText(statusText);
    operation(ws, mainWindow);
    setStatusText(ReadyText);
}

std::string formatted(const char* format, int32_t first, int32_t second) {
    char text[128];
    std::snprintf(text, sizeof text, format, first, second);
    return text;
}

}  // namespace

bool handleCommand(Workspace& ws, WindowHandle mainWindow, int32_t commandId) {
    // The window may not have painted since the last command chose its
    // picture; this command's work may change what it is made of.
    showChosenPicture(ws, mainWindow);
    switch (commandId) {
        case CmdLoadDepthMap:
            loadChosenFile(ws, mainWindow, LoadingDepthMapText, SourceKind::DepthMap);
            break;
        case CmdLoadStereogram:
            loadChosenFile(ws, mainWindow, LoadingStereogramText, SourceKind::Stereogram);
            break;
        case CmdLoadPattern:
            loadChosenFile(ws, mainWindow, LoadingPatternText, SourceKind::Pattern);
            break;
        case CmdLoadModel:
            loadChosenModel(ws, mainWindow);
            break;
        case CmdTextDepthMap:
            drawAskedText(ws, mainWindow);
            break;
        case CmdSavePicture:
            return saveChosenFile(ws, mainWindow);
        case CmdSaveParallelPair:
            saveChosenPair(ws, mainWindow, PairForm::SideBySide);
            break;
        case CmdSaveCrossedPair:
            saveChosenPair(ws, mainWindow, PairForm::CrossView);
            break;
        case CmdPreferences:
            setStatusText(ChangingPreferencesText);
            runPreferencesDialog(ws, mainWindow);
            setStatusText(ReadyText);
            break;
        case CmdExit:
            requestClose(mainWindow);
            break;
        case CmdGeneratePattern:
            runAction(ws, mainWindow, GeneratingPatternText, generatePattern);
            break;
        case CmdGenerateStereogram:
            runAction(ws, mainWindow, GeneratingStereogramText, generateStereogram);
            break;
        case CmdDecodeStereogram:
            runAction(ws, mainWindow, DecodingStereogramText, decodeStereogram);
            break;
        case CmdRoundTrip:
            runAction(ws, mainWindow, nullptr, runRoundTrip);
            break;
        case CmdShowStereogramWithDots:
            renderView(ws, mainWindow, SourceKind::Stereogram, ViewKind::StereogramWithDots);
            break;
        case CmdShowStereogramPlain:
            renderView(ws, mainWindow, SourceKind::Stereogram, ViewKind::StereogramPlain);
            break;
        case CmdShowDepthQuantised:
            renderView(ws, mainWindow, SourceKind::DepthMap, ViewKind::DepthQuantised);
            break;
        case CmdShowDepthOriginal:
            renderView(ws, mainWindow, SourceKind::DepthMap, ViewKind::DepthOriginal);
            break;
        case CmdShowPatternStrip:
            renderView(ws, mainWindow, SourceKind::Pattern, ViewKind::PatternStrip);
            break;
        case CmdShowPatternTiled:
            renderView(ws, mainWindow, SourceKind::Pattern, ViewKind::PatternTiled);
            break;
        case CmdShowAnaglyph:
            renderView(ws, mainWindow, SourceKind::Anaglyph, ViewKind::Anaglyph);
            break;
        case CmdShowCertainty:
            renderView(ws, mainWindow, SourceKind::Certainty, ViewKind::Certainty);
            break;
        case CmdPictureInfo:
            showPictureInfo(ws, mainWindow);
            break;
        case CmdAbout:
            showAbout(mainWindow);
            break;
        default:
            break;
    }
    return true;
}

void closeWorkspace(Workspace& ws) {
    releaseAll(ws);
    requestQuit(0);
}

void showPictureInfo(const Workspace& ws, WindowHandle mainWindow) {
    std::string text;
    const Picture& stereogram = ws.stereogram;
    text += isPresent(stereogram) ? formatted(isColour(stereogram) ? StereogramColourSizeFormat : StereogramSizeFormat,
                                              ws.imageWidth, ws.imageHeight)
                                  : NoStereogramInfoText;
    text += isPresent(ws.depthMap) ? formatted(DepthMapSizeFormat, ws.imageWidth, ws.imageHeight) : NoDepthMapInfoText;
    const Picture& pattern = ws.pattern;
    text += isPresent(pattern) ? formatted(isColour(pattern) ? PatternColourSizeFormat : PatternSizeFormat,
                                           ws.patternWidth, ws.imageHeight)
                               : NoPatternInfoText;
    text += formatted(LevelCountFormat, levelCount(ws.preferences), 0);
    showMessage(mainWindow, text.c_str(), PictureInfoCaption);
}

void showAbout(WindowHandle mainWindow) {
    showMessage(mainWindow, AboutText, AboutCaption);
}
