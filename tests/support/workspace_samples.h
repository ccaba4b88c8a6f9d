// Workspaces for the engine tests: rasters and a picture on show put in
// place directly, and snapshots that show whether an operation changed
// anything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recording_platform.h"
#include "test_runtime.h"
#include "workspace/session.h"
#include "workspace/workspace.h"

// A workspace as the program starts with it, on the tests' runtime.
Workspace freshWorkspace();

// Sets the image size and gives the workspace a picture on show of that
// size: a valid 40-byte header of a 24-bit picture (with biSizeImage and
// resolution fields filled in, so a rebuilt header shows what it kept) and
// pixels and padding that all hold `fill`.
void putPictureOnShow(Workspace& ws, int32_t width, int32_t height, uint8_t fill = 0xAB);

// Replaces the raster with one of the given size holding `pixels`.
void putRaster(Picture& image, int32_t width, int32_t height, const std::vector<uint8_t>& pixels);

// A Pattern of `width` columns and `height` rows, with patternWidth set as a
// load or a generation would leave it.
void putPattern(Workspace& ws, int32_t width, int32_t height, const std::vector<uint8_t>& pixels);
// A Stereogram of the given pixels, and the image size to match.
void putStereogram(Workspace& ws, int32_t width, int32_t height, const std::vector<uint8_t>& pixels);

// depthBits and the depthStep that goes with it, as the Preferences dialog
// stores them.
void setDepthBits(Preferences& prefs, int32_t depthBits);

std::vector<uint8_t> rasterBytes(const Picture& image);
// The picture on show's bytes as a BMP file holds them after its file
// header (its 40-byte header, then the rows bottom first, each padded),
// with the view chosen last written into it as a save would.
std::vector<uint8_t> dibBytes(Workspace& ws);

// Little-endian 32-bit field of the picture on show's header at `offset`.
int32_t dibHeaderField(const Workspace& ws, size_t offset);

// The grey value on show at column x of row y (counted from the top), read
// from the picture on show as a save writes it; -1 when its colours differ.
int shownGrey(Workspace& ws, int32_t x, int32_t y);

// Everything of a workspace that an operation could change, the buffers'
// addresses included, so that a refusal can be shown to change nothing.
struct WorkspaceSnapshot {
    int32_t imageWidth = 0;
    int32_t imageHeight = 0;
    int32_t patternWidth = 0;
    uint32_t randomState = 0;
    Preferences preferences;
    const void* buffers[4] = {};
    int32_t rasterSizes[9] = {};
    std::vector<uint8_t> depthMap;
    std::vector<uint8_t> pattern;
    std::vector<uint8_t> stereogram;
    std::vector<uint8_t> displayDib;
};

WorkspaceSnapshot snapshotOf(Workspace& ws);
// Names the first field in which two snapshots differ, or "" when none does.
std::string firstDifference(const WorkspaceSnapshot& before, const WorkspaceSnapshot& after);

// The engine's reading of the Workspace's stereogram, as the decoding
// commands see it: nothing of a stereogram left from another image size.
int32_t matchRunLeft(const Workspace& ws, int32_t x, int32_t row, int32_t distance);
int32_t matchRunRight(const Workspace& ws, int32_t x, int32_t row, int32_t separation);
int32_t detectPatternWidth(const Workspace& ws);

// The Preferences dialog's form by its controls' names: the text of a
// field, the tick of a check box or radio button.
void setFormText(PreferencesForm& form, const std::string& name, const std::string& text);
void setFormTick(PreferencesForm& form, const std::string& name, bool ticked);
std::string formText(const PreferencesForm& form, const std::string& name);
bool formTick(const PreferencesForm& form, const std::string& name);
