// Reading the Stereogram row by row, shared by detection and decoding.
#pragma once

#include <cstddef>
#include <cstdint>

#include "workspace/workspace.h"

// Row `row` of the Stereogram, or null when there is no such row. A
// Stereogram left over from another image size counts as absent.
inline const uint8_t* stereogramRow(const Workspace& ws, int32_t row) {
    if (!rasterFitsImage(ws, SourceKind::Stereogram) || row < 0 || row >= ws.imageHeight) return nullptr;
    return ws.stereogram.pixels.get() + static_cast<size_t>(row) * static_cast<size_t>(ws.imageWidth);
}
