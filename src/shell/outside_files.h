// Files that come from outside the program: the one named on its command
// line and those dropped on its window. Both windows' entry points read the
// command line here, and both load such a file through the menu's own
// operation, so a damaged file shows the same box as from the open dialog.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "workspace/workspace.h"

// How a file from outside is to be read: as the picture shows itself to be,
// or as the user said.
enum class FileKindChoice { Detect, DepthMap, Stereogram };

enum class StartAction { OpenWindow, PrintHelp, PrintVersion, RefuseUsage };

struct StartRequest {
    StartAction action = StartAction::OpenWindow;
    FileKindChoice kind = FileKindChoice::Detect;
    // As given, in the encoding of the platform's arguments (UTF-8 on
    // Windows); empty when the window starts with no file.
    std::string file;
    // Why the arguments were refused (RefuseUsage), a line for the user.
    std::string refusal;
};

// Exit codes of the runs that end without a window.
constexpr int StartPrintedExitCode = 0;
constexpr int StartUsageExitCode = 2;

// Reads the arguments after the program's name: at most one file, which
// --depth-map or --stereogram may precede ("--" ends the options), or
// --help or --version alone.
StartRequest readStartArguments(const std::vector<std::string>& arguments);

// What a run that ends without a window prints, where, and its exit code:
// the help or the version on standard output, a refusal and the usage line
// on standard error. For every action but OpenWindow.
struct StartReply {
    std::string text;
    bool toStandardError = false;
    int exitCode = StartPrintedExitCode;
};
StartReply replyWithoutWindow(const StartRequest& request, const char* version);

// The kind a file from outside loads as. Detect reads the file once for a
// look at its pixels (the engine's looksLikeStereogram); a file that cannot
// be read loads as a depth map, whose load then says why.
SourceKind kindToLoad(Runtime& runtime, const std::filesystem::path& file, FileKindChoice choice);

// Loads a file from outside as the menu's load commands do (loadBmp, then
// the window fitted to the image; a 3D model, by its name's .stl, .obj or
// .ply, is drawn as "Ładuj model 3D" draws it, unless --stereogram said
// otherwise) and says in the status bar what it became: "Wczytano jako stereogram", "Wczytano jako mapę głębokości", or
// "Nie wczytano pliku" after a refusal, which shows its box as ever.
void openOutsideFile(Workspace& ws, WindowHandle mainWindow, const std::filesystem::path& file, FileKindChoice kind);
