#include "cli/cli_run.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <map>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/cli_report.h"
#include "engine/engine.h"
#include "engine/random_batch.h"
#include "files/animation.h"
#include "files/pictures.h"
#include "models/model_files.h"
#include "models/render_model.h"
#include "models/text_depth.h"
#include "picture/whole_file.h"
#include "texts/user_texts.h"
#include "workspace/preferences_table.h"

namespace fs = std::filesystem;

namespace {

enum class InputResult { Written, Refused, OutOfMemory, Stopped };

// What the workers share.
struct Run {
    Runtime& runtime;
    const CliRequest& request;
    CliReport report;
    // Set once any input ran out of memory: the others stop between rows.
    std::atomic<bool> stop{false};
};

bool stopRequestedOf(void* context) {
    return static_cast<Run*>(context)->stop.load();
}

// One input's fresh start of the program: what the window's session record
// would hold, as plain pictures.
struct Job {
    Run& run;
    fs::path input;
    Preferences prefs;
    uint32_t randomState = FirstRandomState;
    Picture depth;
    Picture pattern;
    Picture stereogram;
    // How sure the tolerant decoder was of each point of `depth`.
    Picture certainty;
    // The stereogram came from a lossy (JPEG) file, which the automatic
    // choice of decoder reads with the tolerant one.
    bool stereogramIsLossy = false;
    // The frame of the picture on show: the loaded file's, or a widened one.
    BmpFrame frame;
    int32_t patternWidth = 0;
    InputResult result = InputResult::Written;
};

// Tells what the window would have shown of an outcome; true when the work
// was done and the input goes on.
bool carriedOut(Job& job, const Outcome& outcome) {
    if (isMessage(outcome.notice)) reportMessage(job.run.report, job.input, outcome.notice);
    switch (outcome.kind) {
        case OutcomeKind::Done:
            return true;
        case OutcomeKind::Refused:
            // The window says nothing of a file that is no picture at all;
            // here the user is told why no file came of it.
            reportMessage(job.run.report, job.input,
                          isMessage(outcome.refusal) ? outcome.refusal : Message{CliUnreadableText, NoCaption});
            job.result = InputResult::Refused;
            return false;
        case OutcomeKind::OutOfMemory:
            reportMessage(job.run.report, job.input, Message{OutOfMemoryText, NoCaption});
            job.result = InputResult::OutOfMemory;
            job.run.stop = true;
            return false;
        case OutcomeKind::Stopped:
            break;
    }
    job.result = InputResult::Stopped;
    return false;
}

// Several inputs already keep every core busy, one each: their rows then
// stay on their worker's thread.
Progress progressOf(Run& run) {
    return Progress{&run, nullptr, stopRequestedOf, run.request.inputs.size() > 1 ? 1 : 0};
}

// The width and height of the image: those of the picture loaded, or of the
// depth map once a pattern widened it.
int32_t imageWidthOf(const Job& job) {
    return isPresent(job.depth) ? job.depth.width : job.stereogram.width;
}

int32_t imageHeightOf(const Job& job) {
    return isPresent(job.depth) ? job.depth.height : job.stereogram.height;
}

// A depth map drawn from a model or text, taken as the window takes a
// loaded one, in a plain frame.
bool depthDrawn(Job& job, const Outcome& drawn) {
    if (!carriedOut(job, drawn)) return false;
    makePlainFrame(job.frame, job.depth.width, job.depth.height);
    return true;
}

// A model file read and drawn at --size, turned by --rotate. A model is no
// stereogram: decoding refuses it.
bool modelDrawn(Job& job, bool asStereogram) {
    if (asStereogram) return carriedOut(job, refusedOutcome(CliModelNotStereogramText, NoCaption));
    const DrawnDepth& drawn = job.run.request.drawn;
    Mesh mesh;
    if (!carriedOut(job, readModelFile(job.run.runtime, job.input, mesh))) return false;
    const ModelView view{drawn.width, drawn.height, drawn.rotate[0], drawn.rotate[1], drawn.rotate[2]};
    return depthDrawn(job, renderDepthMap(job.run.runtime, mesh, view, job.depth));
}

// The input, as a depth map (always grey) or as the stereogram to decode
// (in colour with --colour, as if colour was on before it was loaded); a
// model and --text are drawn as depth maps.
bool inputLoaded(Job& job, bool asStereogram) {
    Runtime& runtime = job.run.runtime;
    const DrawnDepth& drawn = job.run.request.drawn;
    if (drawn.text) return depthDrawn(job, renderTextDepthMap(runtime, *drawn.text, drawn.width, drawn.height, job.depth));
    if (modelFormatNamed(job.input) != ModelFormat::Unknown) return modelDrawn(job, asStereogram);
    ReadRequest request;
    request.channels = asStereogram ? channelsKept(job.prefs) : GreyChannels;
    Picture& picture = asStereogram ? job.stereogram : job.depth;
    if (!carriedOut(job, readPictureFile(runtime, job.input, request, picture, job.frame))) return false;
    dropColourWhereGrey(runtime, picture);
    job.stereogramIsLossy = asStereogram && isLossyPictureFile(job.input);
    return true;
}

// A pattern loaded from the file --pattern names, as the window's load does.
bool patternLoaded(Job& job, const fs::path& file) {
    Runtime& runtime = job.run.runtime;
    ReadRequest request;
    request.channels = channelsKept(job.prefs);
    request.requiredHeight = job.prefs.colour ? 0 : imageHeightOf(job);
    BmpFrame unused;
    if (!carriedOut(job, readPictureFile(runtime, file, request, job.pattern, unused))) return false;
    dropColourWhereGrey(runtime, job.pattern);
    job.patternWidth = job.pattern.width;
    job.prefs.repeatCount = imageWidthOf(job) / job.pattern.width;
    return true;
}

// A new pattern, as "Generuj wzorzec" makes it: a depth map whose width is
// no multiple of the strip is widened first, and the window says so.
bool patternGenerated(Job& job) {
    Runtime& runtime = job.run.runtime;
    const int32_t width = imageWidthOf(job);
    if (!repeatCountMakesStrips(width, job.prefs.repeatCount))
        return carriedOut(job, refusedOutcome(BadRepeatCountText, WarningCaption));
    const int32_t stripWidth = newPatternWidth(width, job.prefs.repeatCount);
    const int32_t wholeWidth = job.prefs.repeatCount * stripWidth;
    if (wholeWidth != width) {
        if (!widenDepthMap(runtime, job.depth, wholeWidth)) return carriedOut(job, outOfMemoryOutcome());
        widenFrame(job.frame, wholeWidth);
        releasePicture(job.stereogram);
        reportMessage(job.run.report, job.input, Message{DepthMapWidenedText, WarningCaption});
    }
    job.patternWidth = stripWidth;
    return carriedOut(job, makePattern(runtime, stripWidth, imageHeightOf(job), job.prefs, job.randomState, job.pattern));
}

bool patternMade(Job& job) {
    const fs::path& pattern = job.run.request.pattern;
    return pattern.empty() ? patternGenerated(job) : patternLoaded(job, pattern);
}

bool stereogramMade(Job& job) {
    job.stereogramIsLossy = false;
    return carriedOut(job, makeStereogram(job.run.runtime, job.depth, job.pattern, job.prefs, job.randomState,
                                          progressOf(job.run), job.stereogram));
}

// Decodes by the decoder the Preferences choose, as the window does.
bool stereogramDecoded(Job& job) {
    Runtime& runtime = job.run.runtime;
    const bool tolerant = decodesTolerantly(job.prefs.decoder, job.stereogramIsLossy);
    const StripWidth found = tolerant ? findStripWidthTolerant(runtime, job.stereogram, job.prefs, job.patternWidth)
                                      : findStripWidth(job.stereogram, job.prefs, job.patternWidth);
    Outcome start;
    start.notice = found.notice;
    if (!carriedOut(job, start)) return false;
    if (tolerant)
        return carriedOut(job, decodeRowsTolerant(runtime, job.stereogram, found.width, job.prefs,
                                                  progressOf(job.run), job.depth, &job.certainty));
    releasePicture(job.certainty);
    return carriedOut(job, decodeRows(runtime, job.stereogram, found.width, job.prefs, job.randomState,
                                      progressOf(job.run), job.depth));
}

// The commands after the load, as their menu items run them; the view they
// leave on show, unless --view names another.
bool workDone(Job& job, ViewKind& shown) {
    switch (job.run.request.command) {
        case CliCommand::Generate:
            shown = ViewKind::StereogramWithDots;
            return patternMade(job) && stereogramMade(job);
        case CliCommand::Decode:
            shown = ViewKind::DepthOriginal;
            return stereogramDecoded(job);
        case CliCommand::Batch:
            shown = ViewKind::DepthOriginal;
            if (!patternMade(job)) return false;
            for (int pass = 1; pass <= 5; ++pass)
                if (!stereogramMade(job) || !stereogramDecoded(job)) return false;
            return true;
        default:
            break;
    }
    return false;
}

// The picture a view is made of; the anaglyph is made from the depth map
// into `made`, as the window makes it when it is chosen.
const Picture* viewedPicture(Job& job, ViewKind view, Picture& made) {
    switch (view) {
        case ViewKind::StereogramWithDots:
        case ViewKind::StereogramPlain: return &job.stereogram;
        case ViewKind::DepthQuantised:
        case ViewKind::DepthOriginal: return &job.depth;
        case ViewKind::PatternTiled:
        case ViewKind::PatternStrip: return &job.pattern;
        case ViewKind::Certainty: return &job.certainty;
        case ViewKind::Anaglyph: break;
    }
    if (!isPresent(job.depth)) return &job.depth;
    const Outcome anaglyph = makeStereoPair(job.run.runtime, job.depth, parallaxFor(job.prefs.parallax, imageWidthOf(job)),
                                            PairForm::Anaglyph, made);
    return carriedOut(job, anaglyph) ? &made : nullptr;
}

// The view the window would show, refused as the window refuses it.
bool viewDrawn(Job& job, ViewKind view, Picture& shown) {
    Picture made;
    const Picture* raster = viewedPicture(job, view, made);
    if (raster == nullptr) return false;
    if (!isPresent(*raster)) return carriedOut(job, refusedOutcome(NothingToShowText, ViewWarningCaption));
    const ViewInputs inputs{raster, imageWidthOf(job), imageHeightOf(job), job.patternWidth, job.prefs.depthStep};
    return drawView(job.run.runtime, view, inputs, shown) || carriedOut(job, outOfMemoryOutcome());
}

// The picture a frame leaves to be saved, and the frame of the file.
struct Made {
    Picture picture;
    BmpFrame frame;
};

// The depth map's stereo pair side by side, as the window's save of a pair
// makes it, in a plain frame.
bool pairMade(Job& job, PairForm form, Made& made) {
    if (!carriedOut(job, makeStereoPair(job.run.runtime, job.depth, parallaxFor(job.prefs.parallax, imageWidthOf(job)),
                                        form, made.picture)))
        return false;
    makePlainFrame(made.frame, made.picture.width, made.picture.height);
    return true;
}

// The picture the window would save after the same commands from a fresh
// start (load, Preferences, the work, the view): the view on show, or the
// pair --view names.
bool outputMade(Job& job, Made& made) {
    const CliRequest& request = job.run.request;
    ViewKind view = ViewKind::DepthOriginal;
    if (!inputLoaded(job, request.command == CliCommand::Decode) || !workDone(job, view)) return false;
    if (request.view && request.view->pair) return pairMade(job, request.view->form, made);
    if (request.view) view = request.view->view;
    if (!viewDrawn(job, view, made.picture)) return false;
    made.frame = std::move(job.frame);
    return true;
}

// What frame `index` is called in what is told about it: its input file,
// or --text.
fs::path frameName(const CliRequest& request, size_t index) {
    return request.drawn.text ? fs::u8path("--text") : request.inputs[index];
}

// Makes frame `index` and hands it on (its file written, or its place in
// the animation taken); what came of it.
InputResult runFrame(Run& run, size_t index, const std::function<Outcome(const fs::path&, Made&)>& handOn) {
    Job job{run, frameName(run.request, index), startPreferences(), FirstRandomState, {}, {}, {}, {}, false, {}, 0,
            InputResult::Written};
    applyPreferenceOptions(run.request.preferences, job.prefs);
    if (run.request.freshDots) job.randomState = freshDotsState(index);
    Made made;
    if (!outputMade(job, made) || !carriedOut(job, handOn(job.input, made))) return job.result;
    return InputResult::Written;
}

// An output in a folder keeps its input's name; a picture that came as PNG
// or JPEG is written as PNG, any other as BMP.
fs::path outputNameFor(const fs::path& input) {
    const std::string extension = lowerCaseExtension(input);
    fs::path name = input.filename();
    name.replace_extension(extension == ".png" || extension == ".jpg" || extension == ".jpeg" ? ".png" : ".bmp");
    return name;
}

// -o is a folder for several inputs, and for one when it is a folder
// already; an animation and --text's depth map are one file.
bool writesIntoFolder(const CliRequest& request) {
    std::error_code error;
    if (request.animation.wanted || request.drawn.text) return false;
    return request.inputs.size() > 1 || fs::is_directory(request.output, error);
}

// Where each input's file goes; false, with the reason, when two inputs
// would write one file or the folder cannot be made.
bool outputsFor(const CliRequest& request, std::vector<fs::path>& outputs, std::string& error) {
    outputs.clear();
    if (!writesIntoFolder(request)) {
        outputs.push_back(request.output);
        return true;
    }
    std::error_code made;
    fs::create_directories(request.output, made);
    if (!fs::is_directory(request.output, made)) {
        error = std::string(request.output.u8string()) + ": " + CliOutputNotFolderText;
        return false;
    }
    std::map<fs::path, size_t> taken;
    for (size_t i = 0; i < request.inputs.size(); ++i) {
        outputs.push_back(request.output / outputNameFor(request.inputs[i]));
        const auto [place, isNew] = taken.emplace(outputs.back(), i);
        if (!isNew) {
            char text[2048];
            std::snprintf(text, sizeof text, CliSameOutputFormat, request.inputs[place->second].u8string().c_str(),
                          request.inputs[i].u8string().c_str(), outputs.back().u8string().c_str());
            error = text;
            return false;
        }
    }
    return true;
}

// The dialog's message for a refused value, as a line.
std::string refusalLine(const Outcome& check) {
    return check.refusal.caption[0] != '\0' ? std::string(check.refusal.caption) + ": " + check.refusal.text
                                             : check.refusal.text;
}

// The Preferences dialog's rules for the values the options give, with the
// dialog's message, in the dialog's order: first every value that no
// picture could take, before any input is read; then a value that depends
// on the picture (the repeat count) against each input's width, which is
// what the dialog would check once it is loaded.
bool optionsAllowed(Runtime& runtime, const CliRequest& request, std::string& error) {
    for (const PreferenceRow& row : preferenceRows()) {
        const std::optional<int32_t> value = optionValueOf(request.preferences, row);
        if (!value) continue;
        const Outcome check = checkPreferenceValueForAnyPicture(row, *value);
        if (check.kind == OutcomeKind::Done) continue;
        error = refusalLine(check);
        return false;
    }
    for (const PreferenceRow& row : preferenceRows()) {
        const std::optional<int32_t> value = optionValueOf(request.preferences, row);
        if (!value || row.rule == nullptr || row.rule->perWidth == 0) continue;
        for (const std::filesystem::path& input : request.inputs) {
            PictureFacts facts;
            if (!probePictureFile(runtime, input, facts)) continue;  // refused when it is loaded
            const Outcome check = checkPreferenceValue(row, *value, facts.width);
            if (check.kind == OutcomeKind::Done) continue;
            error = refusalLine(check);
            return false;
        }
    }
    return true;
}

int exitCodeOf(const std::vector<InputResult>& results) {
    if (std::count(results.begin(), results.end(), InputResult::OutOfMemory) > 0) return CliOutOfMemory;
    if (std::count(results.begin(), results.end(), InputResult::Written) ==
        static_cast<std::ptrdiff_t>(results.size()))
        return CliAllWritten;
    return CliSomeRefused;
}

// Calls work(i) for every frame on a worker per core, each taking the next
// frame until none is left or the run stops; the results are the same in
// any order, since every frame starts afresh.
void onEveryWorker(Run& run, const std::function<void(size_t)>& work) {
    const size_t count = frameCount(run.request);
    std::atomic<size_t> next{0};
    auto take = [&] {
        for (size_t i = next++; i < count && !run.stop; i = next++) work(i);
    };
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (size_t w = 1; w < std::min(cores, count); ++w) workers.emplace_back(take);
    take();
    for (std::thread& worker : workers) worker.join();
}

// Every frame its own file.
std::vector<InputResult> writeEveryFrame(Run& run, const std::vector<fs::path>& outputs) {
    std::vector<InputResult> results(frameCount(run.request), InputResult::Stopped);
    onEveryWorker(run, [&](size_t i) {
        results[i] = runFrame(run, i, [&](const fs::path&, Made& made) {
            return writePictureFile(run.runtime, outputs[i], made.picture, made.frame);
        });
        reportInputDone(run.report);
    });
    return results;
}

// The frames of an animation on their way to the file: made on every core,
// written in order. A frame waits to be made until fewer than Ahead frames
// before it are still unwritten, so memory holds a few frames, not the
// sequence.
struct FrameQueue {
    std::mutex lock;
    std::condition_variable changed;
    std::map<size_t, Made> ready;
    size_t nextToWrite = 0;
    size_t ahead = 2;
    bool refused = false;
    // Every worker has stopped: a frame not ready by now never will be.
    bool allMade = false;
};

// Hands a made frame to the writer, waiting for room; the animation
// refused meanwhile, the frame is dropped.
Outcome queueFrame(FrameQueue& queue, size_t index, Made& made) {
    std::unique_lock<std::mutex> hold(queue.lock);
    queue.changed.wait(hold, [&] { return queue.refused || index < queue.nextToWrite + queue.ahead; });
    if (!queue.refused) queue.ready.emplace(index, std::move(made));
    queue.changed.notify_all();
    return doneOutcome();
}

// Writes the frames in order as they come; false once one is refused (by
// the writer, or by its making), which ends the animation with no file.
bool writeFramesInOrder(Run& run, FrameQueue& queue, AnimationWriter& writer) {
    const size_t count = frameCount(run.request);
    std::unique_lock<std::mutex> hold(queue.lock);
    while (queue.nextToWrite < count) {
        const size_t index = queue.nextToWrite;
        queue.changed.wait(hold, [&] { return queue.refused || queue.allMade || queue.ready.count(index) != 0; });
        if (queue.refused || queue.ready.count(index) == 0) return false;
        Made made = std::move(queue.ready.at(index));
        queue.ready.erase(index);
        hold.unlock();
        const Outcome added = addAnimationFrame(writer, made.picture);
        hold.lock();
        if (added.kind != OutcomeKind::Done) {
            reportMessage(run.report, frameName(run.request, index),
                          added.kind == OutcomeKind::OutOfMemory ? Message{OutOfMemoryText, NoCaption}
                                                                  : added.refusal);
            queue.refused = true;
            run.stop = true;
            queue.changed.notify_all();
            return false;
        }
        ++queue.nextToWrite;
        queue.changed.notify_all();
    }
    return true;
}

// The size a frame will have, from its file's headers (or --size for
// what is drawn); false when its headers cannot be read, which its load
// will then say.
bool frameSize(Run& run, size_t index, int32_t& width, int32_t& height) {
    const CliRequest& request = run.request;
    if (request.drawn.text || modelFormatNamed(request.inputs[index]) != ModelFormat::Unknown) {
        width = request.drawn.width;
        height = request.drawn.height;
        return true;
    }
    PictureFacts facts;
    if (!probePictureFile(run.runtime, request.inputs[index], facts)) return false;
    width = facts.width;
    height = facts.height;
    return true;
}

// Frames of different sizes cannot make one animation: said before
// anything is made.
bool framesOfOneSize(Run& run) {
    int32_t firstWidth = 0, firstHeight = 0;
    size_t first = 0;
    bool known = false;
    for (size_t i = 0; i < frameCount(run.request); ++i) {
        int32_t width = 0, height = 0;
        if (!frameSize(run, i, width, height)) continue;
        if (!known) {
            first = i;
            firstWidth = width;
            firstHeight = height;
            known = true;
        } else if (width != firstWidth || height != firstHeight) {
            char text[2048];
            std::snprintf(text, sizeof text, CliFrameSizesFormat, frameName(run.request, first).u8string().c_str(),
                          firstWidth, firstHeight, frameName(run.request, i).u8string().c_str(), width, height);
            reportLine(run.report, text);
            return false;
        }
    }
    return true;
}

// Every frame into one animated PNG or GIF; a frame refused stops it, and
// no file is written.
std::vector<InputResult> writeAnimation(Run& run) {
    std::vector<InputResult> results(frameCount(run.request), InputResult::Stopped);
    if (!framesOfOneSize(run)) {
        results.assign(results.size(), InputResult::Refused);
        return results;
    }
    AnimationFormat format = AnimationFormat::Png;
    animationFormatOf(run.request.output, format);
    AnimationWriter writer =
        beginAnimation(run.runtime, run.request.output, format, run.request.animation.framesPerSecond);
    FrameQueue queue;
    queue.ahead = 2 * std::max(1u, std::thread::hardware_concurrency());
    std::thread making([&] {
        onEveryWorker(run, [&](size_t i) {
            results[i] = runFrame(run, i, [&](const fs::path&, Made& made) { return queueFrame(queue, i, made); });
            reportInputDone(run.report);
            if (results[i] != InputResult::Written) {
                std::lock_guard<std::mutex> hold(queue.lock);
                queue.refused = true;
                run.stop = true;
                queue.changed.notify_all();
            }
        });
        std::lock_guard<std::mutex> hold(queue.lock);
        queue.allMade = true;
        queue.changed.notify_all();
    });
    const bool written = writeFramesInOrder(run, queue, writer);
    making.join();
    if (!written) {
        for (InputResult& result : results)
            if (result == InputResult::Written) result = InputResult::Stopped;
        if (std::count(results.begin(), results.end(), InputResult::Stopped) ==
            static_cast<std::ptrdiff_t>(results.size()))
            results.front() = InputResult::Refused;
        return results;
    }
    const Outcome finished = finishAnimation(writer);
    if (finished.kind != OutcomeKind::Done) {
        reportMessage(run.report, run.request.output, finished.refusal);
        results.assign(results.size(), InputResult::Refused);
    }
    return results;
}

int runInfo(Runtime& runtime, const CliRequest& request) {
    CliReport report;
    int code = CliAllWritten;
    for (const fs::path& input : request.inputs) {
        PictureFacts facts;
        Picture picture;
        BmpFrame frame;
        const Outcome loaded = readPictureFile(runtime, input, ReadRequest{ColourChannels}, picture, frame);
        if (loaded.kind == OutcomeKind::Done && probePictureFile(runtime, input, facts)) {
            char text[1024];
            std::snprintf(text, sizeof text, everyPixelGrey(picture) ? CliInfoFormat : CliInfoColourFormat,
                          input.u8string().c_str(), facts.format, picture.width, picture.height);
            std::printf("%s\n", text);
            continue;
        }
        code = loaded.kind == OutcomeKind::OutOfMemory ? CliOutOfMemory : CliSomeRefused;
        reportMessage(report, input, isMessage(loaded.refusal) ? loaded.refusal : Message{CliUnreadableText, NoCaption});
    }
    return code;
}

}  // namespace

int runCliRequest(Runtime& runtime, const CliRequest& request) {
    if (request.command == CliCommand::Info) return runInfo(runtime, request);
    Run run{runtime, request, {}, {}};
    std::string error;
    std::vector<fs::path> outputs;
    if (!optionsAllowed(runtime, request, error) || !outputsFor(request, outputs, error)) {
        reportLine(run.report, error);
        return CliBadUsage;
    }
    run.report.toTerminal = standardErrorIsTerminal();
    run.report.total = static_cast<int>(frameCount(request));
    const std::vector<InputResult> results =
        request.animation.wanted ? writeAnimation(run) : writeEveryFrame(run, outputs);
    finishReport(run.report);
    return exitCodeOf(results);
}
