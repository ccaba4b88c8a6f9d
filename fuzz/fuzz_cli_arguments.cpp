// Feeds arbitrary command lines to tavrelic-cli's argument reader: the
// words, each ended by a zero byte. Whatever it accepts must be a request
// that can be carried out, and what it refuses must say why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "workspace/preferences_table.h"

namespace {

std::vector<std::string> wordsOf(const uint8_t* data, size_t size) {
    std::vector<std::string> words(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            words.emplace_back();
        else
            words.back().push_back(static_cast<char>(data[i]));
    }
    if (words.back().empty()) words.pop_back();
    return words;
}

bool holdsWork(const CliRequest& request) {
    switch (request.command) {
        case CliCommand::Help:
        case CliCommand::Version:
            return true;
        case CliCommand::Info:
            return !request.inputs.empty() && !request.drawn.text;
        case CliCommand::Decode:
            if (!request.pattern.empty() || request.drawn.text) return false;
            break;
        default:
            break;
    }
    // Either input files or --text, never both.
    return request.inputs.empty() == request.drawn.text.has_value() && !request.output.empty();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CliRequest request;
    std::string error;
    if (!parseCliArguments(wordsOf(data, size), request, error)) {
        if (error.empty()) std::abort();
        return 0;
    }
    if (!holdsWork(request)) std::abort();
    // The command line stores only what the dialog's rules accept; every
    // value it stores reads back as the last one given for its row.
    for (const PreferenceSetting& setting : request.preferences)
        if (checkPreferenceValueForAnyPicture(*setting.row, setting.value).kind != OutcomeKind::Done) return 0;
    Preferences prefs = startPreferences();
    applyPreferenceOptions(request.preferences, prefs);
    for (const PreferenceRow& row : preferenceRows()) {
        const std::optional<int32_t> value = optionValueOf(request.preferences, row);
        if (value && row.read(prefs) != *value) std::abort();
    }
    return 0;
}
