// What tavrelic-cli was asked to do, read from its arguments.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "engine/preferences.h"
#include "views/views.h"

enum class CliCommand { Generate, Decode, Batch, Info, Help, Version };

// The Preferences the options name; the others keep their start values.
struct PreferenceOptions {
    std::optional<int32_t> depthBits;
    std::optional<int32_t> repeatCount;
    std::optional<int32_t> minMatch;
    std::optional<int32_t> searchRange;
    bool crossEyed = false;
    bool noRandomFill = false;
    std::optional<UnresolvedPolicy> unresolved;
};

struct CliRequest {
    CliCommand command = CliCommand::Help;
    std::vector<std::filesystem::path> inputs;
    std::filesystem::path output;
    PreferenceOptions preferences;
    std::filesystem::path pattern;  // empty: a pattern is generated
    std::optional<ViewKind> view;
};

// Reads the arguments after the program's name. False, with the reason in
// `error` (Polish, for standard error), when they make no sense.
bool parseCliArguments(const std::vector<std::string>& arguments, CliRequest& request, std::string& error);

// Sets what the options name on a fresh start's Preferences, as the dialog
// stores them.
void applyPreferenceOptions(const PreferenceOptions& options, Preferences& prefs);
