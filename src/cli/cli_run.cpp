#include "cli/cli_run.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <map>
#include <system_error>
#include <thread>
#include <vector>

#include "cli/cli_report.h"
#include "engine/engine.h"
#include "engine/random_batch.h"
#include "files/pictures.h"
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
    const fs::path& input;
    Preferences prefs;
    uint32_t randomState = FirstRandomState;
    Picture depth;
    Picture pattern;
    Picture stereogram;
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

// The input, as a depth map (always grey) or as the stereogram to decode
// (in colour with --colour, as if colour was on before it was loaded).
bool inputLoaded(Job& job, bool asStereogram) {
    Runtime& runtime = job.run.runtime;
    ReadRequest request;
    request.channels = asStereogram ? channelsKept(job.prefs) : GreyChannels;
    Picture& picture = asStereogram ? job.stereogram : job.depth;
    if (!carriedOut(job, readPictureFile(runtime, job.input, request, picture, job.frame))) return false;
    dropColourWhereGrey(runtime, picture);
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
    return carriedOut(job, makeStereogram(job.run.runtime, job.depth, job.pattern, job.prefs, job.randomState,
                                          progressOf(job.run), job.stereogram));
}

bool stereogramDecoded(Job& job) {
    const StripWidth found = findStripWidth(job.stereogram, job.prefs, job.patternWidth);
    Outcome start;
    start.notice = found.notice;
    return carriedOut(job, start) && carriedOut(job, decodeRows(job.run.runtime, job.stereogram, found.width, job.prefs,
                                                                job.randomState, progressOf(job.run), job.depth));
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

// The depth map's stereo pair side by side, as the window's save of a pair
// writes it.
bool pairWritten(Job& job, PairForm form, const fs::path& output) {
    Picture pair;
    if (!carriedOut(job, makeStereoPair(job.run.runtime, job.depth, parallaxFor(job.prefs.parallax, imageWidthOf(job)),
                                        form, pair)))
        return false;
    BmpFrame frame;
    makePlainFrame(frame, pair.width, pair.height);
    return carriedOut(job, writePictureFile(job.run.runtime, output, pair, frame));
}

// Load, Preferences, the work, the view, the save: what the window saves
// after the same commands from a fresh start.
InputResult runJob(Run& run, const fs::path& input, const fs::path& output) {
    Job job{run, input, startPreferences(), FirstRandomState, {}, {}, {}, {}, 0, InputResult::Written};
    applyPreferenceOptions(run.request.preferences, job.prefs);
    if (!inputLoaded(job, run.request.command == CliCommand::Decode)) return job.result;
    ViewKind view = ViewKind::DepthOriginal;
    if (!workDone(job, view)) return job.result;
    if (run.request.view && run.request.view->pair)
        return pairWritten(job, run.request.view->form, output) ? InputResult::Written : job.result;
    if (run.request.view) view = run.request.view->view;
    Picture shown;
    if (!viewDrawn(job, view, shown) || !carriedOut(job, writePictureFile(run.runtime, output, shown, job.frame)))
        return job.result;
    return InputResult::Written;
}

std::string lowerCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// An output in a folder keeps its input's name; a picture that came as PNG
// or JPEG is written as PNG, any other as BMP.
fs::path outputNameFor(const fs::path& input) {
    const std::string extension = lowerCase(input.extension().u8string());
    fs::path name = input.filename();
    name.replace_extension(extension == ".png" || extension == ".jpg" || extension == ".jpeg" ? ".png" : ".bmp");
    return name;
}

// -o is a folder for several inputs, and for one when it is a folder already.
bool writesIntoFolder(const CliRequest& request) {
    std::error_code error;
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

// A worker per core, each taking the next input; the files are the same in
// any order, since every input starts afresh.
std::vector<InputResult> runAll(Run& run, const std::vector<fs::path>& outputs) {
    const std::vector<fs::path>& inputs = run.request.inputs;
    std::vector<InputResult> results(inputs.size(), InputResult::Stopped);
    std::atomic<size_t> next{0};
    auto work = [&] {
        for (size_t i = next++; i < inputs.size() && !run.stop; i = next++) {
            results[i] = runJob(run, inputs[i], outputs[i]);
            reportInputDone(run.report);
        }
    };
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (size_t w = 1; w < std::min(cores, inputs.size()); ++w) workers.emplace_back(work);
    work();
    for (std::thread& worker : workers) worker.join();
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
    run.report.total = static_cast<int>(request.inputs.size());
    const std::vector<InputResult> results = runAll(run, outputs);
    finishReport(run.report);
    return exitCodeOf(results);
}
