#include "shell/outside_files.h"

#include <cstdio>

#include "engine/engine.h"
#include "files/pictures.h"
#include "models/model_files.h"
#include "operations/operations.h"
#include "shell/shell_platform.h"
#include "texts/user_texts.h"

namespace {

std::string formatted(const char* format, const std::string& value) {
    char text[512];
    std::snprintf(text, sizeof text, format, value.c_str());
    return text;
}

StartRequest refused(std::string why) {
    StartRequest request;
    request.action = StartAction::RefuseUsage;
    request.refusal = std::move(why);
    return request;
}

bool isKindOption(const std::string& word) {
    return word == "--depth-map" || word == "--stereogram";
}

// --help and --version stand alone.
bool isAloneOption(const std::string& word) {
    return word == "--help" || word == "--version";
}

const char* loadedText(SourceKind kind) {
    return kind == SourceKind::Stereogram ? LoadedAsStereogramText : LoadedAsDepthMapText;
}

// A 3D model, told by its name, is drawn as a depth map unless the user
// said it is a stereogram.
bool isModelToDraw(const std::filesystem::path& file, FileKindChoice choice) {
    return choice != FileKindChoice::Stereogram && modelFormatNamed(file) != ModelFormat::Unknown;
}

}  // namespace

StartRequest readStartArguments(const std::vector<std::string>& arguments) {
    StartRequest request;
    std::string kindOption;
    bool optionsEnded = false;
    for (const std::string& word : arguments) {
        const bool option = !optionsEnded && word.size() > 1 && word[0] == '-';
        if (option && word == "--") {
            optionsEnded = true;
        } else if (option && isAloneOption(word)) {
            if (arguments.size() != 1) return refused(formatted(StartAloneOptionFormat, word));
            request.action = word == "--help" ? StartAction::PrintHelp : StartAction::PrintVersion;
        } else if (option && isKindOption(word)) {
            if (!kindOption.empty()) return refused(StartTwoKindsText);
            kindOption = word;
            request.kind = word == "--depth-map" ? FileKindChoice::DepthMap : FileKindChoice::Stereogram;
        } else if (option) {
            return refused(formatted(StartUnknownOptionFormat, word));
        } else if (!request.file.empty()) {
            return refused(StartOneFileText);
        } else {
            request.file = word;
        }
    }
    if (!kindOption.empty() && request.file.empty()) return refused(formatted(StartKindWithoutFileFormat, kindOption));
    return request;
}

StartReply replyWithoutWindow(const StartRequest& request, const char* version) {
    StartReply reply;
    switch (request.action) {
        case StartAction::PrintHelp:
            reply.text = StartHelpText;
            break;
        case StartAction::PrintVersion:
            reply.text = formatted(StartVersionFormat, version);
            break;
        case StartAction::RefuseUsage:
        case StartAction::OpenWindow:
            reply.text = "tavrelic: " + request.refusal + "\n" + StartUsageText;
            reply.toStandardError = true;
            reply.exitCode = StartUsageExitCode;
            break;
    }
    return reply;
}

SourceKind kindToLoad(Runtime& runtime, const std::filesystem::path& file, FileKindChoice choice) {
    switch (choice) {
        case FileKindChoice::DepthMap:
            return SourceKind::DepthMap;
        case FileKindChoice::Stereogram:
            return SourceKind::Stereogram;
        case FileKindChoice::Detect:
            break;
    }
    Picture picture;
    BmpFrame frame;
    if (readPictureFile(runtime, file, ReadRequest{}, picture, frame).kind != OutcomeKind::Done)
        return SourceKind::DepthMap;
    return looksLikeStereogram(picture) ? SourceKind::Stereogram : SourceKind::DepthMap;
}

void openOutsideFile(Workspace& ws, WindowHandle mainWindow, const std::filesystem::path& file, FileKindChoice choice) {
    setStatusText(LoadingFileText);
    const bool model = isModelToDraw(file, choice);
    const SourceKind kind = model ? SourceKind::DepthMap : kindToLoad(*ws.runtime, file, choice);
    const bool loaded = (model ? loadModel(ws, file, mainWindow) : loadBmp(ws, file, mainWindow, kind)) == 1;
    fitWindowToImage(ws.imageWidth, ws.imageHeight);
    setStatusText(loaded ? loadedText(kind) : NotLoadedText);
    repaintWithErase(mainWindow);
}
