// What the model fuzz targets share: the input read as one format (and as
// whatever its content shows), and every mesh accepted drawn small, turned
// by angles taken from the input, with the depth map's promise checked:
// ground 0, a surface between 64 and 255.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "models/model_files.h"
#include "models/render_model.h"
#include "test_runtime.h"

inline void drawAndCheck(const Mesh& mesh, const uint8_t* data, size_t size) {
    const double angle = size > 0 ? data[size - 1] * 360.0 / 256 : 0;
    Picture depth;
    if (renderDepthMap(testRuntime(), mesh, ModelView{48, 32, angle, 2 * angle, -angle}, depth).kind !=
        OutcomeKind::Done)
        std::abort();
    for (size_t i = 0; i < static_cast<size_t>(depth.width) * depth.height; ++i)
        if (depth.pixels[i] != 0 && depth.pixels[i] < 64) std::abort();
}

inline void readAndDraw(ModelFormat format, const uint8_t* data, size_t size) {
    for (const ModelFormat read : {format, modelFormatOf(data, size)}) {
        Mesh mesh;
        if (readModelBytesAs(testRuntime(), read, data, size, mesh).kind == OutcomeKind::Done)
            drawAndCheck(mesh, data, size);
    }
}
