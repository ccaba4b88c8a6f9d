// The menu commands of the main window, portable: every call to the window
// system goes through the platform layer or shell/shell_platform.h.
#pragma once

#include <cstdint>

#include "shell/resources/resource_ids.h"
#include "workspace/workspace.h"

enum CommandId : int32_t {
    CmdLoadDepthMap = ID_LOAD_DEPTH_MAP,
    CmdLoadStereogram = ID_LOAD_STEREOGRAM,
    CmdLoadPattern = ID_LOAD_PATTERN,
    CmdSavePicture = ID_SAVE_PICTURE,
    CmdPreferences = ID_PREFERENCES,
    CmdExit = ID_EXIT,
    CmdGeneratePattern = ID_GENERATE_PATTERN,
    CmdGenerateStereogram = ID_GENERATE_STEREOGRAM,
    CmdDecodeStereogram = ID_DECODE_STEREOGRAM,
    CmdRoundTrip = ID_ROUND_TRIP,
    CmdShowStereogramWithDots = ID_SHOW_STEREOGRAM_WITH_DOTS,
    CmdShowStereogramPlain = ID_SHOW_STEREOGRAM_PLAIN,
    CmdShowDepthQuantised = ID_SHOW_DEPTH_QUANTISED,
    CmdShowDepthOriginal = ID_SHOW_DEPTH_ORIGINAL,
    CmdShowPatternStrip = ID_SHOW_PATTERN_STRIP,
    CmdShowPatternTiled = ID_SHOW_PATTERN_TILED,
    CmdPictureInfo = ID_PICTURE_INFO,
    CmdAbout = ID_ABOUT,
};

// Carries out one menu command. Returns false only when the command ended
// early and must not go on to the platform's default handling (a save with
// no picture on show).
bool handleCommand(Workspace& ws, WindowHandle mainWindow, int32_t commandId);

// What the main window's close does with the workspace: releases every
// buffer and asks the event loop to end with 0.
void closeWorkspace(Workspace& ws);

void showPictureInfo(const Workspace& ws, WindowHandle mainWindow);
void showAbout(WindowHandle mainWindow);
