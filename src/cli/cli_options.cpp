#include "cli/cli_options.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "engine/random_batch.h"
#include "files/animation.h"
#include "models/render_model.h"
#include "texts/user_texts.h"

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
    SavedView view;
};

constexpr NamedView Views[] = {
    {"stereogram", {ViewKind::StereogramWithDots, false, PairForm::Anaglyph}},
    {"stereogram-plain", {ViewKind::StereogramPlain, false, PairForm::Anaglyph}},
    {"depth", {ViewKind::DepthQuantised, false, PairForm::Anaglyph}},
    {"depth-original", {ViewKind::DepthOriginal, false, PairForm::Anaglyph}},
    {"pattern", {ViewKind::PatternStrip, false, PairForm::Anaglyph}},
    {"pattern-tiled", {ViewKind::PatternTiled, false, PairForm::Anaglyph}},
    {"anaglyph", {ViewKind::Anaglyph, false, PairForm::Anaglyph}},
    {"certainty", {ViewKind::Certainty, false, PairForm::Anaglyph}},
    {"side-by-side", {ViewKind::Anaglyph, true, PairForm::SideBySide}},
    {"cross-view", {ViewKind::Anaglyph, true, PairForm::CrossView}},
};

std::string formatted(const char* format, const std::string& first, const std::string& second = {}) {
    char text[1024];
    std::snprintf(text, sizeof text, format, first.c_str(), second.c_str());
    return text;
}

// A number field of the dialog, written as digits alone; read as the
// dialog reads it, so that the same rules then apply to it.
bool readNumber(const std::string& option, const std::string& text, int32_t& value, std::string& error) {
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

// The value a Preferences option gives its row: a flag's own, a number
// as the dialog reads it, a choice by its name.
bool readPreferenceValue(ArgumentReader& reader, const std::string& option, const PreferenceRow& row, int32_t& value,
                         std::string& error) {
    if (row.kind == PreferenceKind::Flag) {
        value = row.optionSets;
        return true;
    }
    std::string text;
    if (!reader.value(option, text, error)) return false;
    if (row.kind != PreferenceKind::Choice) return readNumber(option, text, value, error);
    if (choiceValueNamed(row, text, value)) return true;
    error = formatted(CliBadChoiceFormat, option, text);
    return false;
}

// --size WxH: two whole numbers of 1 .. MostDepthMapSide.
bool readSize(const std::string& option, const std::string& text, DrawnDepth& drawn, std::string& error) {
    const size_t by = text.find('x');
    int32_t width = 0, height = 0;
    const bool digits = by != std::string::npos && readNumber(option, text.substr(0, by), width, error) &&
                        readNumber(option, text.substr(by + 1), height, error);
    if (!digits || width < 1 || height < 1 || width > MostDepthMapSide || height > MostDepthMapSide) {
        error = formatted(CliBadSizeFormat, option, text);
        return false;
    }
    drawn.width = width;
    drawn.height = height;
    return true;
}

// --rotate X,Y,Z: three finite numbers of degrees.
bool readRotation(const std::string& option, const std::string& text, DrawnDepth& drawn, std::string& error) {
    std::istringstream words(text);
    std::string angle;
    int32_t count = 0;
    for (; std::getline(words, angle, ',') && count < 3; ++count) {
        char* end = nullptr;
        const double value = std::strtod(angle.c_str(), &end);
        if (angle.empty() || end == nullptr || *end != '\0' || !std::isfinite(value)) break;
        drawn.rotate[count] = value;
    }
    if (count == 3 && words.eof()) return true;
    error = formatted(CliBadRotationFormat, option, text);
    return false;
}

// --fps N: 1 .. MostFramesPerSecond.
bool readFramesPerSecond(const std::string& option, const std::string& text, Animation& animation,
                         std::string& error) {
    int32_t value = 0;
    if (!readNumber(option, text, value, error)) return false;
    if (value < 1 || value > MostFramesPerSecond) {
        error = formatted(CliBadFramesPerSecondFormat, option, text);
        return false;
    }
    animation.framesPerSecond = value;
    return true;
}

// The options of drawn depth maps and of animations.
bool readDrawingOption(ArgumentReader& reader, const std::string& option, CliRequest& request, std::string& error) {
    if (option == "--animate" || option == "--fresh-dots") {
        (option == "--animate" ? request.animation.wanted : request.freshDots) = true;
        return true;
    }
    std::string text;
    if (option == "--size") return reader.value(option, text, error) && readSize(option, text, request.drawn, error);
    if (option == "--rotate")
        return reader.value(option, text, error) && readRotation(option, text, request.drawn, error);
    if (option == "--fps")
        return reader.value(option, text, error) && readFramesPerSecond(option, text, request.animation, error);
    if (option == "--text") {
        if (!reader.value(option, text, error)) return false;
        if (request.command != CliCommand::Generate && request.command != CliCommand::Batch) {
            error = formatted(CliOptionNotForCommandFormat, option, nameOf(request.command));
            return false;
        }
        request.drawn.text = text;
        return true;
    }
    error = formatted(CliUnknownOptionFormat, option);
    return false;
}

// One option and its value into the request; false with the reason.
bool readOption(ArgumentReader& reader, const std::string& option, CliRequest& request, std::string& error) {
    for (const PreferenceRow& row : preferenceRows()) {
        if (option != row.option) continue;
        int32_t value = 0;
        if (!readPreferenceValue(reader, option, row, value, error)) return false;
        request.preferences.push_back(PreferenceSetting{&row, value});
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
    if (option == "--view")
        return reader.value(option, text, error) && readNamed(Views, &NamedView::view, option, text, request.view, error);
    return readDrawingOption(reader, option, request, error);
}

bool requestComplete(const CliRequest& request, std::string& error) {
    if (request.drawn.text && !request.inputs.empty()) {
        error = CliTextAndInputsText;
        return false;
    }
    if (frameCount(request) == 0) {
        error = CliNoInputsText;
        return false;
    }
    AnimationFormat format = AnimationFormat::Png;
    if (request.animation.wanted && !animationFormatOf(request.output, format)) {
        error = CliAnimationNameText;
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

size_t frameCount(const CliRequest& request) {
    return request.drawn.text ? 1 : request.inputs.size();
}

uint32_t freshDotsState(size_t index) {
    return FirstRandomState + static_cast<uint32_t>(index) * 2654435769u;
}

std::optional<int32_t> optionValueOf(const PreferenceOptions& options, const PreferenceRow& row) {
    std::optional<int32_t> value;
    for (const PreferenceSetting& setting : options)
        if (setting.row == &row) value = setting.value;
    return value;
}

void applyPreferenceOptions(const PreferenceOptions& options, Preferences& prefs) {
    for (const PreferenceSetting& setting : options) setting.row->store(prefs, setting.value);
}

namespace {

// Where the help text of an option's line begins.
constexpr size_t HelpColumn = 22;

std::string choiceNames(const PreferenceRow& row, const char* between) {
    std::string names;
    for (size_t i = 0; i < row.choiceCount; ++i) names += (i == 0 ? "" : between) + std::string(row.choices[i].name);
    return names;
}

// What follows the option: the value's name, a choice's names.
std::string valueWords(const PreferenceRow& row) {
    if (row.kind == PreferenceKind::Choice) return choiceNames(row, "|");
    return row.valueName != nullptr ? row.valueName : "";
}

// The start value as the option writes it.
std::string startWords(const PreferenceRow& row) {
    for (size_t i = 0; i < row.choiceCount; ++i)
        if (row.choices[i].value == row.start) return row.choices[i].name;
    return std::to_string(row.start);
}

// The range a rule allows, in the words of --help: "1-8", "3 - szerokość/10".
std::string ruleWords(const NumberRule& rule) {
    if (rule.perWidth != 0)
        return std::to_string(rule.least) + " - " + CliWidthWord + "/" + std::to_string(rule.perWidth);
    return std::to_string(rule.least) + "-" + std::to_string(rule.most);
}

std::string helpLine(const PreferenceRow& row) {
    std::string line = std::string("  ") + row.option;
    const std::string value = valueWords(row);
    if (!value.empty()) line += " " + value;
    line += line.size() < HelpColumn ? std::string(HelpColumn - line.size(), ' ') : "\n" + std::string(HelpColumn, ' ');
    line += row.help;
    if (row.kind != PreferenceKind::Flag)
        line += " (" + (row.rule != nullptr ? ruleWords(*row.rule) + "; " : std::string()) + startWords(row) + ")";
    return line + "\n";
}

// roff's minus signs and hyphens in an option's name.
std::string roffWords(const std::string& words) {
    std::string escaped;
    for (char c : words) escaped += c == '-' ? std::string("\\-") : std::string(1, c);
    return escaped;
}

std::string manualEntry(const PreferenceRow& row) {
    const std::string value = valueWords(row);
    std::string entry = ".TP\n";
    entry += value.empty() ? ".B " + roffWords(row.option) + "\n"
                           : ".BI " + roffWords(row.option) + " \" " + roffWords(value) + "\"\n";
    entry += row.manual;
    if (row.rule != nullptr) {
        const NumberRule& rule = *row.rule;
        entry += rule.perWidth != 0 ? " From " + std::to_string(rule.least) + " to the picture's width divided by " +
                                          std::to_string(rule.perWidth) + "."
                                    : " From " + std::to_string(rule.least) + " to " + std::to_string(rule.most) + ".";
    }
    if (row.kind != PreferenceKind::Flag) entry += " At start: \\fB" + roffWords(startWords(row)) + "\\fP.";
    return entry + "\n";
}

}  // namespace

std::string cliUsageText() {
    std::string text = CliUsageHeadText;
    for (const PreferenceRow& row : preferenceRows()) text += helpLine(row);
    return text + CliUsageTailText;
}

std::string manualPreferenceOptions() {
    std::string roff;
    for (const PreferenceRow& row : preferenceRows()) roff += manualEntry(row);
    return roff;
}
