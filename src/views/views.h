// Turning one raster into the grey picture on show.
#pragma once

#include "workspace/workspace.h"

// Writes the view of the source raster into the pixel rows of the
// DisplayDib and presents it. An absent source shows "Sorki, ale nie ma co
// wyświetlać" and changes nothing.
void renderView(Workspace& ws, WindowHandle mainWindow, SourceKind source, ViewKind view);
