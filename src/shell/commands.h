// The menu commands of the main window, portable: every call to the window
// system goes through the platform layer or shell/shell_platform.h.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "workspace/workspace.h"

// The menu commands and their numbers, which the test scenarios use too.
enum CommandId : int32_t {
    CmdLoadDepthMap = 40001,
    CmdLoadStereogram = 40020,
    CmdLoadPattern = 40011,
    CmdLoadModel = 40025,
    CmdTextDepthMap = 40026,
    CmdSavePicture = 40016,
    CmdPreferences = 40007,
    CmdExit = 40003,
    CmdGeneratePattern = 40010,
    CmdGenerateStereogram = 40002,
    CmdDecodeStereogram = 40018,
    CmdRoundTrip = 40021,
    CmdShowStereogramWithDots = 40004,
    CmdShowStereogramPlain = 40005,
    CmdShowDepthQuantised = 40006,
    CmdShowDepthOriginal = 40009,
    CmdShowPatternStrip = 40012,
    CmdShowPatternTiled = 40013,
    CmdShowAnaglyph = 40022,
    CmdShowCertainty = 40027,
    CmdSaveParallelPair = 40023,
    CmdSaveCrossedPair = 40024,
    CmdPictureInfo = 40015,
    CmdAbout = 40014,
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
