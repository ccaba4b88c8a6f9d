// What tavrelic-cli was asked to do, read from its arguments.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/engine.h"
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

struct CliRequest {
    CliCommand command = CliCommand::Help;
    std::vector<std::filesystem::path> inputs;
    std::filesystem::path output;
    PreferenceOptions preferences;
    std::filesystem::path pattern;  // empty: a pattern is generated
    std::optional<SavedView> view;
};

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
