// A view of one raster as the picture on show: its grey values written
// into the pixel rows of the DisplayDib. Showing it is the caller's.
#pragma once

#include "workspace/workspace.h"

// Writes the view of the source raster into the DisplayDib's pixel rows.
// Refused, changing nothing, when the source is absent ("Sorki, ale nie ma
// co wyświetlać"), a pattern no longer fits the image, or there is no
// picture on show to write into (silently).
Outcome drawView(Workspace& ws, SourceKind source, ViewKind view);
