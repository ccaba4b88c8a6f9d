// What tavrelic-cli was asked to do, read from its arguments.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "files/animation.h"
#include "engine/preferences.h"
#include "views/views.h"
#include "workspace/preferences_table.h"

enum class CliCommand { Generate, Decode, Batch, Info, Help, Version };

// A Preference an option names, and the value it gives.
struct PreferenceSetting {
    const PreferenceRow* row;
    int32_t value;
};

// The Preferences the options name, in the order given (a later one of the
// same row wins); the others keep their start values.
using PreferenceOptions = std::vector<PreferenceSetting>;

// The value the options give a row, if they name it.
std::optional<int32_t> optionValueOf(const PreferenceOptions& options, const PreferenceRow& row);

// What is saved: one of the window's views, or the depth map's stereo pair
// side by side.
struct SavedView {
    ViewKind view;
    bool pair;
    PairForm form;
};

// How depth maps are drawn from models (.stl, .obj, .ply inputs) and from
// --text: the picture's size, and the model's turn in degrees about X,
// then Y, then Z.
struct DrawnDepth {
    int32_t width = 640;
    int32_t height = 480;
    double rotate[3] = {0, 0, 0};
    // --text: the depth map is the text's, instead of an input file's.
    std::optional<std::string> text;
};

// --animate: every input a frame of one animated PNG or GIF, in order.
struct Animation {
    bool wanted = false;
    int32_t framesPerSecond = DefaultFramesPerSecond;
};

struct CliRequest {
    CliCommand command = CliCommand::Help;
    std::vector<std::filesystem::path> inputs;
    std::filesystem::path output;
    PreferenceOptions preferences;
    std::filesystem::path pattern;  // empty: a pattern is generated
    std::optional<SavedView> view;
    DrawnDepth drawn;
    Animation animation;
    // --fresh-dots: every frame draws new dots (frame i starts the random
    // source at freshDotsState(i)) rather than the same ones.
    bool freshDots = false;
};

// The number of frames: one for --text, the inputs otherwise.
size_t frameCount(const CliRequest& request);

// The random state frame `index` (from 0) starts at with --fresh-dots: the
// first frame where every frame would, each next one a golden-ratio step
// (2654435769, modulo 2^32) further into the random sequence's one cycle.
uint32_t freshDotsState(size_t index);

// Reads the arguments after the program's name. False, with the reason in
// `error` (Polish, for standard error), when they make no sense.
bool parseCliArguments(const std::vector<std::string>& arguments, CliRequest& request, std::string& error);

// Sets what the options name on a fresh start's Preferences, as the dialog
// stores them.
void applyPreferenceOptions(const PreferenceOptions& options, Preferences& prefs);

// --help: the usage, with a line for each Preferences option.
std::string cliUsageText();

// The manual page's entries for the Preferences options, in roff.
std::string manualPreferenceOptions();
