#include "workspace/session.h"

#include <utility>

#include "engine/engine.h"
#include "files/pictures.h"
#include "models/model_files.h"
#include "models/render_model.h"
#include "models/text_depth.h"
#include "texts/user_texts.h"

namespace {

bool refused(const Outcome& outcome) {
    return outcome.kind != OutcomeKind::Done;
}

// Where a file is read to, and what its reading changes on the way.
struct Loading {
    Workspace& ws;
    SourceKind kind;
};

// Once a file is taken, before its picture is made: the sizes it brings,
// and the picture it makes stale. Running out of memory for the new picture
// leaves them so.
void makeWayFor(void* context, int32_t width, int32_t height) {
    const Loading& loading = *static_cast<Loading*>(context);
    Workspace& ws = loading.ws;
    if (loading.kind == SourceKind::Pattern) {
        // A pattern wider than the image leaves repeatCount 0; generation
        // refuses it.
        ws.patternWidth = width;
        ws.preferences.repeatCount = ws.imageWidth / width;
        return;
    }
    ws.imageWidth = width;
    ws.imageHeight = height;
    releasePicture(loading.kind == SourceKind::DepthMap ? ws.stereogram : ws.depthMap);
    releasePicture(ws.certainty);
}

// A depth map is depth, so it is always grey; a pattern is read at the
// picture's height unless colour tiles it down the rows.
ReadRequest requestFor(Loading& loading) {
    const Workspace& ws = loading.ws;
    ReadRequest request;
    request.channels = loading.kind == SourceKind::DepthMap ? GreyChannels : channelsKept(ws.preferences);
    request.requiredHeight = loading.kind == SourceKind::Pattern && !ws.preferences.colour ? ws.imageHeight : 0;
    request.taking = makeWayFor;
    request.context = &loading;
    return request;
}

// A picture read into the field of its kind: for a depth map or stereogram
// the frame of the picture on show. A colour picture all of whose pixels
// are grey is kept as grey; with no memory for that it stays in colour.
void takeRead(Workspace& ws, SourceKind kind, BmpFrame& frame) {
    dropColourWhereGrey(*ws.runtime, rasterOf(ws, kind));
    if (kind == SourceKind::Pattern) return;
    ws.displayDib.present = true;
    ws.displayDib.frame = std::move(frame);
    releasePicture(ws.displayDib.picture);
}

// A depth map drawn into `drawn`, once it is done, becomes the workspace's
// as a loaded one would.
Outcome takeDrawnDepthMap(Workspace& ws, const Outcome& drawing, Picture& drawn) {
    if (refused(drawing)) return drawing;
    ws.imageWidth = drawn.width;
    ws.imageHeight = drawn.height;
    releasePicture(ws.stereogram);
    releasePicture(ws.certainty);
    ws.depthMap = std::move(drawn);
    ws.displayDib.present = true;
    makePlainFrame(ws.displayDib.frame, ws.imageWidth, ws.imageHeight);
    releasePicture(ws.displayDib.picture);
    return drawing;
}

// A pattern is loaded only onto a depth map: the refusal, if it is absent.
Outcome depthMapRefusal(const Workspace& ws, SourceKind kind) {
    if (kind != SourceKind::Pattern || isPresent(ws.depthMap)) return doneOutcome();
    return refusedOutcome(LoadDepthMapFirstText, NoCaption);
}

template <class Read>
Outcome readInto(Workspace& ws, SourceKind kind, const Read& read) {
    const Outcome notReady = depthMapRefusal(ws, kind);
    if (refused(notReady)) return notReady;
    BmpFrame frame;
    Loading loading{ws, kind};
    const Outcome outcome = read(requestFor(loading), rasterOf(ws, kind), frame);
    if (outcome.kind == OutcomeKind::Done) takeRead(ws, kind, frame);
    return outcome;
}

// A stereogram taken from a file is lossy when the file is (JPEG).
template <class IsLossy>
void noteLossiness(Workspace& ws, SourceKind kind, const Outcome& read, const IsLossy& isLossy) {
    if (kind == SourceKind::Stereogram && read.kind == OutcomeKind::Done) ws.stereogramIsLossy = isLossy();
}

// Makes the depth map repeatCount strips of stripWidth wide, with a picture
// on show of the new width. The stereogram of the old width no longer fits
// and is released.
Outcome widenToWholeStrips(Workspace& ws, int32_t stripWidth) {
    // The picture on show is there whenever a depth map is, except on the
    // way out after running out of memory; without it there is no header.
    if (!ws.displayDib.present) return silentRefusal();
    const int32_t newWidth = ws.preferences.repeatCount * stripWidth;
    BmpFrame frame = std::move(ws.displayDib.frame);
    ws.displayDib = DisplayDib{};
    if (!widenDepthMap(*ws.runtime, ws.depthMap, newWidth)) return outOfMemoryOutcome();
    widenFrame(frame, newWidth);
    ws.displayDib.present = true;
    ws.displayDib.frame = std::move(frame);
    releasePicture(ws.stereogram);
    ws.imageWidth = newWidth;
    Outcome widened;
    widened.notice = Message{DepthMapWidenedText, WarningCaption};
    return widened;
}

ViewInputs viewInputsOf(const Workspace& ws, SourceKind source) {
    return ViewInputs{&rasterOf(ws, source), ws.imageWidth, ws.imageHeight, ws.patternWidth,
                      ws.preferences.depthStep};
}

// Whether the chosen view can still be drawn: its picture there and fitting.
bool shownViewDrawable(const Workspace& ws) {
    return ws.shownView.chosen && rasterFitsImage(ws, ws.shownView.source);
}

uint32_t inputsOf(ViewKind view) {
    switch (view) {
        case ViewKind::Anaglyph: return ReadsAnaglyph;
        case ViewKind::StereogramWithDots: return ReadsStereogram | ReadsPatternWidth;
        case ViewKind::StereogramPlain: return ReadsStereogram;
        case ViewKind::DepthQuantised: return ReadsDepthMap | ReadsDepthStep;
        case ViewKind::DepthOriginal: return ReadsDepthMap;
        // The decoding that replaces the depth map replaces it too.
        case ViewKind::Certainty: return ReadsDepthMap;
        case ViewKind::PatternTiled:
        case ViewKind::PatternStrip: break;
    }
    return ReadsPattern | ReadsPatternWidth;
}

}  // namespace

Outcome readPictureFile(Workspace& ws, const std::filesystem::path& fileName, SourceKind kind) {
    const Outcome read = readInto(ws, kind, [&](const ReadRequest& request, Picture& picture, BmpFrame& frame) {
        return readPictureFile(*ws.runtime, fileName, request, picture, frame);
    });
    noteLossiness(ws, kind, read, [&] { return isLossyPictureFile(fileName); });
    return read;
}

Outcome readPictureBytes(Workspace& ws, const uint8_t* bytes, size_t size, SourceKind kind) {
    const Outcome read = readInto(ws, kind, [&](const ReadRequest& request, Picture& picture, BmpFrame& frame) {
        return readPictureBytes(*ws.runtime, bytes, size, request, picture, frame);
    });
    noteLossiness(ws, kind, read, [&] { return isLossyPictureBytes(bytes, size); });
    return read;
}

Outcome drawModelDepthMap(Workspace& ws, const std::filesystem::path& fileName) {
    Mesh mesh;
    const Outcome read = readModelFile(*ws.runtime, fileName, mesh);
    if (refused(read)) return read;
    Picture drawn;
    const ModelView view{ws.imageWidth, ws.imageHeight, 0, 0, 0};
    return takeDrawnDepthMap(ws, renderDepthMap(*ws.runtime, mesh, view, drawn), drawn);
}

Outcome drawTextDepthMap(Workspace& ws, const TextDepthRequest& request) {
    ws.lastTextRequest = request;
    Picture drawn;
    return takeDrawnDepthMap(
        ws, renderTextDepthMap(*ws.runtime, request.text, request.width, request.height, drawn), drawn);
}

ViewKind viewShownAfterLoading(SourceKind kind) {
    switch (kind) {
        case SourceKind::DepthMap: return ViewKind::DepthOriginal;
        case SourceKind::Stereogram: return ViewKind::StereogramPlain;
        case SourceKind::Anaglyph: return ViewKind::Anaglyph;
        case SourceKind::Certainty: return ViewKind::Certainty;
        case SourceKind::Pattern: break;
    }
    return ViewKind::PatternStrip;
}

Outcome writeDisplayedPicture(Workspace& ws, const std::filesystem::path& fileName) {
    if (!ws.displayDib.present) return refusedOutcome(NothingToSaveText, NoCaption);
    if (!settleShownView(ws)) return outOfMemoryOutcome();
    // A picture on show that does not hold the whole image (left by a load
    // that ran out of memory) is not written.
    if (!pictureFitsImage(ws)) return refusedOutcome(WriteErrorText, ErrorCaption);
    return writePictureFile(*ws.runtime, fileName, ws.displayDib.picture, ws.displayDib.frame);
}

Outcome writeStereoPair(Workspace& ws, const std::filesystem::path& fileName, PairForm form) {
    if (!rasterFitsImage(ws, SourceKind::DepthMap)) return refusedOutcome(NoDepthMapText, NoCaption);
    Picture pair;
    const Outcome made =
        makeStereoPair(*ws.runtime, ws.depthMap, parallaxFor(ws.preferences.parallax, ws.imageWidth), form, pair);
    if (refused(made)) return made;
    BmpFrame frame;
    makePlainFrame(frame, pair.width, pair.height);
    return writePictureFile(*ws.runtime, fileName, pair, frame);
}

Outcome makePattern(Workspace& ws) {
    if (!isPresent(ws.depthMap)) return refusedOutcome(NoDepthMapText, NoCaption);
    const int32_t repeatCount = ws.preferences.repeatCount;
    if (!repeatCountMakesStrips(ws.imageWidth, repeatCount)) return refusedOutcome(BadRepeatCountText, WarningCaption);
    // A width that is no multiple of the strip is widened to the next one,
    // and patternWidth changes only once the depth map has that width.
    const int32_t stripWidth = newPatternWidth(ws.imageWidth, repeatCount);
    Outcome outcome;
    if (repeatCount * stripWidth != ws.imageWidth) {
        outcome = widenToWholeStrips(ws, stripWidth);
        if (refused(outcome)) return outcome;
    }
    ws.patternWidth = stripWidth;
    const Outcome made = makePattern(*ws.runtime, stripWidth, ws.imageHeight, ws.preferences, ws.randomState, ws.pattern);
    outcome.kind = made.kind;
    return outcome;
}

Outcome makeStereogram(Workspace& ws, const Progress& progress) {
    // The window's order of refusals, which reads the repeat count against
    // the image's width also when there is no depth map.
    const Outcome refusal = generationRefusal(ws.imageWidth, ws.depthMap, ws.pattern, ws.preferences);
    if (refused(refusal)) return refusal;
    if (!rasterFitsImage(ws, SourceKind::Pattern)) return refusedOutcome(PatternHeightText, NoCaption);
    const Outcome made = makeStereogram(*ws.runtime, ws.depthMap, ws.pattern, ws.preferences, ws.randomState,
                                        progress, ws.stereogram);
    if (made.kind == OutcomeKind::Done) ws.stereogramIsLossy = false;
    return made;
}

DecodingStart startDecoding(Workspace& ws) {
    DecodingStart start;
    if (!rasterFitsImage(ws, SourceKind::Stereogram)) {
        start.outcome = refusedOutcome(NoStereogramText, NoCaption);
        return start;
    }
    if (!replacePicture(*ws.runtime, ws.depthMap, ws.imageWidth, ws.imageHeight, GreyChannels)) {
        start.outcome = outOfMemoryOutcome();
        return start;
    }
    const StripWidth found = decodesTolerantly(ws.preferences.decoder, ws.stereogramIsLossy)
                                 ? findStripWidthTolerant(*ws.runtime, ws.stereogram, ws.preferences, ws.patternWidth)
                                 : findStripWidth(ws.stereogram, ws.preferences, ws.patternWidth);
    start.outcome.notice = found.notice;
    start.stripWidth = found.width;
    return start;
}

Outcome decodeRows(Workspace& ws, int32_t stripWidth, const Progress& progress) {
    // Only after startDecoding: a stereogram, and a depth map made for it.
    if (!rasterFitsImage(ws, SourceKind::Stereogram) || !rasterFitsImage(ws, SourceKind::DepthMap))
        return refusedOutcome(NoStereogramText, NoCaption);
    if (decodesTolerantly(ws.preferences.decoder, ws.stereogramIsLossy))
        return decodeRowsTolerant(*ws.runtime, ws.stereogram, stripWidth, ws.preferences, progress, ws.depthMap,
                                  &ws.certainty);
    // The exact decoder tells no certainty: the last one no longer fits.
    releasePicture(ws.certainty);
    return decodeRows(*ws.runtime, ws.stereogram, stripWidth, ws.preferences, ws.randomState, progress, ws.depthMap);
}

// The anaglyph is made from the depth map when it is chosen, at the
// Preferences' parallax, and stays what it was made of.
Outcome makeAnaglyph(Workspace& ws) {
    if (!rasterFitsImage(ws, SourceKind::DepthMap)) return refusedOutcome(NothingToShowText, ViewWarningCaption);
    if (!pictureFitsImage(ws)) return silentRefusal();
    return makeStereoPair(*ws.runtime, ws.depthMap, parallaxFor(ws.preferences.parallax, ws.imageWidth),
                          PairForm::Anaglyph, ws.anaglyph);
}

Outcome chooseView(Workspace& ws, SourceKind source, ViewKind view) {
    if (source == SourceKind::Anaglyph) {
        const Outcome made = makeAnaglyph(ws);
        if (refused(made)) return made;
    }
    const bool fits = rasterFitsImage(ws, source);
    // A pattern made for an image of another height is kept but not shown;
    // a stereogram of another size counts as absent.
    if (source == SourceKind::Pattern && !fits && isPresent(rasterOf(ws, source)))
        return refusedOutcome(PatternHeightText, NoCaption);
    if (!fits) return refusedOutcome(NothingToShowText, ViewWarningCaption);
    if (!pictureFitsImage(ws)) return silentRefusal();
    ws.shownView = ShownView{true, source, view, false, false};
    return doneOutcome();
}

bool settleShownView(Workspace& ws) {
    ShownView& shown = ws.shownView;
    if (shown.inDisplayDib) return true;
    shown.inDisplayDib = true;
    if (!shownViewDrawable(ws) || !pictureFitsImage(ws)) return true;
    return drawView(*ws.runtime, shown.view, viewInputsOf(ws, shown.source), ws.displayDib.picture);
}

Outcome drawView(Workspace& ws, SourceKind source, ViewKind view) {
    const Outcome chosen = chooseView(ws, source, view);
    if (chosen.kind == OutcomeKind::Done && !settleShownView(ws)) return outOfMemoryOutcome();
    return chosen;
}

void drawShownViewForScreen(const Workspace& ws, uint32_t* pixels) {
    if (!shownViewDrawable(ws)) return;
    drawViewForScreen(*ws.runtime, ws.shownView.view, viewInputsOf(ws, ws.shownView.source), pixels);
}

bool shownViewWaitsOn(const Workspace& ws, uint32_t inputs) {
    const ShownView& shown = ws.shownView;
    return shown.chosen && !(shown.inDisplayDib && shown.onScreen) && (inputsOf(shown.view) & inputs) != 0;
}
