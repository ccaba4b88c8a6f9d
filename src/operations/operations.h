// The window's operations: each runs the core on the workspace and shows
// what happened through the platform layer, the boxes in the order the
// work met them, the progress of its rows, and the picture it leaves on
// show. Both windows share them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "engine/engine.h"
#include "platform/platform.h"
#include "workspace/workspace.h"

// "Brak pamięci!" and a request to end the program with exit code -1.
void reportOutOfMemory(WindowHandle owner);

// Reads a 24-bit BMP file as a depth map, a stereogram or a pattern strip
// and shows it. Returns 1 when the file was taken into the workspace, 0
// when it was refused (with a message, or silently for a file that cannot
// be opened or is no BMP).
int32_t loadBmp(Workspace& ws, const std::filesystem::path& fileName, WindowHandle mainWindow,
                SourceKind kind);

// The same load from the whole file's bytes held in memory.
int32_t loadBmpBytes(Workspace& ws, const uint8_t* bytes, size_t size, WindowHandle mainWindow,
                     SourceKind kind);

// Draws a depth map from the model in the file (at the image's size), or
// from the request's text, and shows it as a loaded depth map is shown.
// Returns 1 when it was taken, 0 when it was refused (with a message, or
// silently for a file that cannot be opened).
int32_t loadModel(Workspace& ws, const std::filesystem::path& fileName, WindowHandle mainWindow);
int32_t makeTextDepthMap(Workspace& ws, const TextDepthRequest& request, WindowHandle mainWindow);

// Writes the picture on show as a BMP file. Returns 1 when the whole file
// was written, 0 otherwise (with a message; nothing partial is left).
int32_t saveDisplayedPicture(Workspace& ws, const std::filesystem::path& fileName, WindowHandle mainWindow);

// Writes the stereo pair of the depth map side by side as a picture file.
// Returns 1 when the whole file was written, 0 otherwise (with a message;
// nothing partial is left).
int32_t saveStereoPair(Workspace& ws, const std::filesystem::path& fileName, WindowHandle mainWindow, PairForm form);

// Makes the view of the source raster the picture on show and asks the
// window to repaint; the pixels are made when it paints (or a save wants
// them), so a view that another replaces first is never drawn. An absent
// source shows "Sorki, ale nie ma co wyświetlać" and changes nothing.
void renderView(Workspace& ws, WindowHandle mainWindow, SourceKind source, ViewKind view);

// Draws the view chosen last into the window's picture, if it is not there
// yet: the window's paint asks for it, and so does every command before it
// starts, since its work may change what the view is made of.
void showChosenPicture(Workspace& ws, WindowHandle mainWindow);

// A new Pattern strip; a depth map whose width is no multiple of the strip
// is widened first, which a box tells before the window takes the new
// width and shows the widened depth map.
void generatePattern(Workspace& ws, WindowHandle mainWindow);

// A new Stereogram, its rows stepping the progress bar, shown with its two
// convergence squares.
void generateStereogram(Workspace& ws, WindowHandle mainWindow);

// A new DepthMap decoded from the Stereogram, shown as it is.
void decodeStereogram(Workspace& ws, WindowHandle mainWindow);

// Five passes of generation followed by decoding, with their status texts.
void runRoundTrip(Workspace& ws, WindowHandle mainWindow);
