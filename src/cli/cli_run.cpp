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
#include "files/pictures.h"
#include "texts/user_texts.h"
#include "views/views.h"

namespace fs = std::filesystem;

namespace {

enum class InputResult { Written, Refused, OutOfMemory, Stopped };

// What the workers share.
struct Run {
    const CliRequest& request;
    CliReport report;
    // Set once any input ran out of memory: the others stop between rows.
    std::atomic<bool> stop{false};
};

bool stopRequestedOf(void* context) {
    return static_cast<Run*>(context)->stop.load();
}

// One input's fresh start of the program.
struct Job {
    Run& run;
    const fs::path& input;
    Workspace ws;
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

bool patternMade(Job& job) {
    const fs::path& pattern = job.run.request.pattern;
    if (pattern.empty()) return carriedOut(job, makePattern(job.ws));
    return carriedOut(job, readPictureFile(job.ws, pattern, SourceKind::Pattern));
}

bool stereogramMade(Job& job) {
    return carriedOut(job, makeStereogram(job.ws, progressOf(job.run)));
}

bool stereogramDecoded(Job& job) {
    const DecodingStart start = startDecoding(job.ws);
    return carriedOut(job, start.outcome) && carriedOut(job, decodeRows(job.ws, start.stripWidth, progressOf(job.run)));
}

// The commands after the load, as their menu items run them; the view they
// leave on show, unless --view names another.
bool workDone(Job& job, ViewChoice& shown) {
    switch (job.run.request.command) {
        case CliCommand::Generate:
            shown = {SourceKind::Stereogram, ViewKind::StereogramWithDots};
            return patternMade(job) && stereogramMade(job);
        case CliCommand::Decode:
            shown = {SourceKind::DepthMap, ViewKind::DepthOriginal};
            return stereogramDecoded(job);
        case CliCommand::Batch:
            shown = {SourceKind::DepthMap, ViewKind::DepthOriginal};
            if (!patternMade(job)) return false;
            for (int pass = 1; pass <= 5; ++pass)
                if (!stereogramMade(job) || !stereogramDecoded(job)) return false;
            return true;
        default:
            break;
    }
    return false;
}

// Load, Preferences, the work, the view, the save: what the window saves
// after the same commands from a fresh start.
InputResult runJob(Run& run, const fs::path& input, const fs::path& output) {
    Job job{run, input, Workspace{}};
    const SourceKind kind = run.request.command == CliCommand::Decode ? SourceKind::Stereogram : SourceKind::DepthMap;
    if (!carriedOut(job, readPictureFile(job.ws, input, kind))) return job.result;
    applyPreferenceOptions(run.request.preferences, job.ws.preferences);
    ViewChoice shown{};
    if (!workDone(job, shown)) return job.result;
    if (run.request.view) shown = *run.request.view;
    if (!carriedOut(job, drawView(job.ws, shown.source, shown.view)) ||
        !carriedOut(job, writeDisplayedPicture(job.ws, output)))
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

// The Preferences dialog's rules for the values the options give, with the
// dialog's message: the depth first, then the repeat count against each
// input's width, which is what the dialog would check once it is loaded.
bool optionsAllowed(const CliRequest& request, std::string& error) {
    const PreferenceOptions& options = request.preferences;
    Outcome check = checkDepthBits(options.depthBits.value_or(Preferences{}.depthBits));
    for (size_t i = 0; check.kind == OutcomeKind::Done && options.repeatCount && i < request.inputs.size(); ++i) {
        PictureFacts facts;
        Workspace loaded;
        if (!probePictureFile(request.inputs[i], facts)) continue;  // refused when it is loaded
        loaded.imageWidth = facts.width;
        check = checkRepeatCount(loaded, *options.repeatCount);
    }
    if (check.kind == OutcomeKind::Done) return true;
    error = check.refusal.caption[0] != '\0' ? std::string(check.refusal.caption) + ": " + check.refusal.text
                                             : check.refusal.text;
    return false;
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

int runInfo(const CliRequest& request) {
    CliReport report;
    int code = CliAllWritten;
    for (const fs::path& input : request.inputs) {
        Workspace ws;
        PictureFacts facts;
        const Outcome loaded = readPictureFile(ws, input, SourceKind::Stereogram);
        if (loaded.kind == OutcomeKind::Done && probePictureFile(input, facts)) {
            char text[1024];
            std::snprintf(text, sizeof text, CliInfoFormat, input.u8string().c_str(), facts.format, ws.imageWidth,
                          ws.imageHeight);
            std::printf("%s\n", text);
            continue;
        }
        code = loaded.kind == OutcomeKind::OutOfMemory ? CliOutOfMemory : CliSomeRefused;
        reportMessage(report, input, isMessage(loaded.refusal) ? loaded.refusal : Message{CliUnreadableText, NoCaption});
    }
    return code;
}

}  // namespace

int runCliRequest(const CliRequest& request) {
    if (request.command == CliCommand::Info) return runInfo(request);
    Run run{request, {}, {}};
    std::string error;
    std::vector<fs::path> outputs;
    if (!optionsAllowed(request, error) || !outputsFor(request, outputs, error)) {
        reportLine(run.report, error);
        return CliBadUsage;
    }
    run.report.toTerminal = standardErrorIsTerminal();
    run.report.total = static_cast<int>(request.inputs.size());
    const std::vector<InputResult> results = runAll(run, outputs);
    finishReport(run.report);
    return exitCodeOf(results);
}
