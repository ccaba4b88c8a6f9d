#include "workspace/workspace.h"

void releaseAll(Workspace& ws) {
    releasePicture(ws.pattern);
    releasePicture(ws.stereogram);
    releasePicture(ws.depthMap);
    releasePicture(ws.anaglyph);
    releasePicture(ws.certainty);
    ws.displayDib = DisplayDib{};
}

const Picture& rasterOf(const Workspace& ws, SourceKind kind) {
    switch (kind) {
        case SourceKind::Stereogram: return ws.stereogram;
        case SourceKind::DepthMap: return ws.depthMap;
        case SourceKind::Anaglyph: return ws.anaglyph;
        case SourceKind::Certainty: return ws.certainty;
        case SourceKind::Pattern: break;
    }
    return ws.pattern;
}

Picture& rasterOf(Workspace& ws, SourceKind kind) {
    return const_cast<Picture&>(rasterOf(static_cast<const Workspace&>(ws), kind));
}

bool rasterFitsImage(const Workspace& ws, SourceKind kind) {
    const Picture& raster = rasterOf(ws, kind);
    if (!isPresent(raster)) return false;
    if (kind == SourceKind::Pattern)
        return ws.patternWidth > 0 && raster.width == ws.patternWidth && raster.height > 0 &&
               (raster.height == ws.imageHeight || ws.preferences.colour);
    return ws.imageWidth > 0 && raster.width == ws.imageWidth && raster.height == ws.imageHeight;
}

bool pictureFitsImage(const Workspace& ws) {
    const DisplayDib& dib = ws.displayDib;
    return dib.present && frameWidth(dib.frame) == ws.imageWidth && frameHeight(dib.frame) == ws.imageHeight;
}
