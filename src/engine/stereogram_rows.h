// Reading the Stereogram row by row, shared by detection and decoding.
#pragma once

#include <cstddef>
#include <cstdint>

#include "workspace/workspace.h"

// A Stereogram is read only when it was made for the present image size;
// one left over from another size counts as absent.
inline bool stereogramFitsImage(const Workspace& ws) {
    const GreyImage& s = ws.stereogram;
    return s.pixels != nullptr && s.width == ws.imageWidth && s.height == ws.imageHeight;
}

// Row `row` of the Stereogram, or null when there is no such row.
inline const uint8_t* stereogramRow(const Workspace& ws, int32_t row) {
    if (!stereogramFitsImage(ws) || row < 0 || row >= ws.imageHeight) return nullptr;
    return ws.stereogram.pixels + static_cast<size_t>(row) * static_cast<size_t>(ws.imageWidth);
}
