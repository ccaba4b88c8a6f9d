#include "cli/cli_options.h"

#include <cstdio>

#include "texts/user_texts.h"
#include "workspace/preferences_table.h"

namespace {

struct NamedCommand {
    const char* name;
    CliCommand command;
};

constexpr NamedCommand Commands[] = {
    {"generate", CliCommand::Generate},
    {"decode", CliCommand::Decode},
    {"batch", CliCommand::Batch},
    {"info", CliCommand::Info},
};

struct NamedView {
    const char* name;
    ViewKind view;
};

constexpr NamedView Views[] = {
    {"stereogram", ViewKind::StereogramWithDots},
    {"stereogram-plain", ViewKind::StereogramPlain},
    {"depth", ViewKind::DepthQuantised},
    {"depth-original", ViewKind::DepthOriginal},
    {"pattern", ViewKind::PatternStrip},
    {"pattern-tiled", ViewKind::PatternTiled},
};

struct NamedPolicy {
    const char* name;
    UnresolvedPolicy policy;
};

constexpr NamedPolicy Policies[] = {
    {"keep", UnresolvedPolicy::KeepPrevious},
    {"random", UnresolvedPolicy::Random},
    {"background", UnresolvedPolicy::Background},
};

std::string formatted(const char* format, const std::string& first, const std::string& second = {}) {
    char text[1024];
    std::snprintf(text, sizeof text, format, first.c_str(), second.c_str());
    return text;
}

// A number field of the dialog, written as digits alone; read as the
// dialog reads it, so that the same rules then apply to it.
bool readNumber(const std::string& option, const std::string& text, std::optional<int32_t>& value,
                std::string& error) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) {
        error = formatted(CliBadNumberFormat, option, text);
        return false;
    }
    value = readFieldNumber(text);
    return true;
}

// The value a word names in a table of names; false, with the reason, when
// the table has no such name.
template <class Named, size_t Count, class Value>
bool readNamed(const Named (&table)[Count], Value Named::*value, const std::string& option, const std::string& text,
               std::optional<Value>& chosen, std::string& error) {
    for (const Named& named : table) {
        if (text == named.name) {
            chosen = named.*value;
            return true;
        }
    }
    error = formatted(CliBadChoiceFormat, option, text);
    return false;
}

bool readCommand(const std::string& word, CliCommand& command) {
    for (const NamedCommand& named : Commands) {
        if (word == named.name) {
            command = named.command;
            return true;
        }
    }
    return false;
}

const char* nameOf(CliCommand command) {
    for (const NamedCommand& named : Commands)
        if (named.command == command) return named.name;
    return "";
}

// The arguments in order, with "--name=value" split into the name and its
// value, which the option then takes before the next argument.
struct ArgumentReader {
    const std::vector<std::string>& arguments;
    size_t next = 0;
    std::optional<std::string> attached;

    bool atEnd() const { return next >= arguments.size(); }

    std::string take() {
        const std::string& argument = arguments[next++];
        const size_t equals = argument.find('=');
        attached.reset();
        if (argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            attached = argument.substr(equals + 1);
            return argument.substr(0, equals);
        }
        return argument;
    }

    bool value(const std::string& option, std::string& text, std::string& error) {
        if (attached) {
            text = *attached;
            attached.reset();
            return true;
        }
        if (atEnd()) {
            error = formatted(CliMissingValueFormat, option);
            return false;
        }
        text = arguments[next++];
        return true;
    }
};

// One option and its value into the request; false with the reason.
bool readOption(ArgumentReader& reader, const std::string& option, CliRequest& request, std::string& error) {
    PreferenceOptions& prefs = request.preferences;
    if (option == "--cross-eyed" || option == "--no-random-fill") {
        (option == "--cross-eyed" ? prefs.crossEyed : prefs.noRandomFill) = true;
        return true;
    }
    std::string text;
    if (option == "-o" || option == "--output") {
        if (!reader.value(option, text, error)) return false;
        request.output = std::filesystem::u8path(text);
        return true;
    }
    if (option == "--pattern") {
        if (!reader.value(option, text, error)) return false;
        if (request.command != CliCommand::Generate && request.command != CliCommand::Batch) {
            error = formatted(CliOptionNotForCommandFormat, option, nameOf(request.command));
            return false;
        }
        request.pattern = std::filesystem::u8path(text);
        return true;
    }
    struct NumberOption {
        const char* name;
        std::optional<int32_t> PreferenceOptions::*field;
    };
    static const NumberOption numbers[] = {
        {"--depth-bits", &PreferenceOptions::depthBits},
        {"--repeat", &PreferenceOptions::repeatCount},
        {"--min-match", &PreferenceOptions::minMatch},
        {"--search-range", &PreferenceOptions::searchRange},
    };
    for (const NumberOption& number : numbers)
        if (option == number.name) return reader.value(option, text, error) && readNumber(option, text, prefs.*number.field, error);
    if (option == "--unresolved")
        return reader.value(option, text, error) &&
               readNamed(Policies, &NamedPolicy::policy, option, text, prefs.unresolved, error);
    if (option == "--view")
        return reader.value(option, text, error) && readNamed(Views, &NamedView::view, option, text, request.view, error);
    error = formatted(CliUnknownOptionFormat, option);
    return false;
}

bool requestComplete(const CliRequest& request, std::string& error) {
    if (request.inputs.empty()) {
        error = CliNoInputsText;
        return false;
    }
    if (request.command != CliCommand::Info && request.output.empty()) {
        error = CliNoOutputText;
        return false;
    }
    return true;
}

}  // namespace

bool parseCliArguments(const std::vector<std::string>& arguments, CliRequest& request, std::string& error) {
    request = CliRequest{};
    if (arguments.empty()) {
        error = CliNoInputsText;
        return false;
    }
    const std::string& first = arguments[0];
    if (first == "--help" || first == "-h") {
        request.command = CliCommand::Help;
        return true;
    }
    if (first == "--version") {
        request.command = CliCommand::Version;
        return true;
    }
    if (!readCommand(first, request.command)) {
        error = formatted(CliUnknownCommandFormat, first);
        return false;
    }
    ArgumentReader reader{arguments, 1, {}};
    bool optionsEnded = false;
    while (!reader.atEnd()) {
        const std::string word = reader.take();
        const bool isOption = !optionsEnded && word.size() > 1 && word[0] == '-';
        if (!optionsEnded && word == "--") {
            optionsEnded = true;
        } else if (!isOption) {
            // A "=" in a plain name belongs to the name.
            request.inputs.push_back(std::filesystem::u8path(reader.attached ? word + "=" + *reader.attached : word));
        } else if (request.command == CliCommand::Info) {
            error = formatted(CliOptionNotForCommandFormat, word, nameOf(request.command));
            return false;
        } else if (!readOption(reader, word, request, error)) {
            return false;
        }
    }
    return requestComplete(request, error);
}

void applyPreferenceOptions(const PreferenceOptions& options, Preferences& prefs) {
    if (options.depthBits) storeDepthBits(prefs, *options.depthBits);
    if (options.repeatCount) prefs.repeatCount = *options.repeatCount;
    if (options.minMatch) prefs.minMatch = *options.minMatch;
    if (options.searchRange) prefs.searchRange = *options.searchRange;
    if (options.crossEyed) prefs.wallEyed = false;
    if (options.noRandomFill) prefs.randomFill = false;
    if (options.unresolved) prefs.unresolvedPolicy = *options.unresolved;
}
