// tavrelic_expected: the native helper of the end-to-end tests.
//
//   tavrelic_expected depth-map FILE WIDTH HEIGHT
//     writes a 24-bit BMP depth map of a few spheres over a flat ground;
//   tavrelic_expected noise-stereogram FILE WIDTH HEIGHT
//     writes a stereogram of noise whose top row alone repeats, at the
//     period of a flat background with 5 strips and 8 levels, so that
//     decoding finds the strip width and then searches every other row
//     in vain;
//   tavrelic_expected replay SCRIPT [SCENARIO]
//     replays the commands of a scenario script (or of its one scenario
//     SCENARIO) on the portable core, from
//     the state the program starts in, so that the files it saves are the
//     files tavrelic.exe must save for the same commands. Its commands and
//     Preferences controls go by their names in the two tables below (a
//     name they lack fails the replay). The file names
//     come from the script's choose-file steps (its %VARIABLES% expanded
//     from this process's environment), and "screenshot NAME EXPECTED"
//     saves the picture on show as EXPECTED. "start ARGUMENTS..." starts
//     as the program does with those arguments (a file they name is loaded
//     as the program loads it), "drop FILE" loads the file as a drop on the
//     window does. Every other step is an expectation of the driver's (or,
//     as "run", a run that ends without a window) and is skipped;
//   tavrelic_expected picture-as-bmp PICTURE BMP
//     writes the 24-bit BMP of a PNG or JPEG file's pixels, decoded,
//     rounded to 8 bits and laid over black by this tool's own code; the
//     replay loads such a twin (PICTURE.bmp beside PICTURE) in place of its
//     picture;
//   tavrelic_expected animation-frames APNG PREFIX
//     writes each frame of an animated PNG, read by the tests' own reader
//     (zlib, apart from the program's deflate), as the 24-bit BMP
//     PREFIX1.bmp, PREFIX2.bmp and so on; a frame that is not the whole
//     picture, or a file the reader refuses, fails with the reason;
//   tavrelic_expected menu-table
//     prints the program's menu items, one a line: ID<TAB>NAME<TAB>MENU<TAB>ITEM;
//   tavrelic_expected dialog-fields
//     prints the controls of the program's own dialogs, the Preferences
//     first and then the text depth map dialog, one a line:
//     ID<TAB>NAME<TAB>KIND<TAB>LABEL, KIND one of number, text, check, radio,
//     button. NAME is the program's own word for the command or control,
//     by which the scenarios call it (prefs-set, prefs-click and their
//     twins dialog-set, dialog-click work either dialog).
//   Both drivers read these two tables: the Win32 driver turns a name into
//   its ID, the driver of the native program finds the menu item or control
//   by its texts (UTF-8).
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <optional>
#include <string>
#include <vector>

#include "apng_reader.h"
#include "bmp_samples.h"
#include "operations/operations.h"
#include "files/stb_codecs.h"
#include "recording_platform.h"
#include "script.h"
#include "shell/commands.h"
#include "shell/menu_table.h"
#include "shell/outside_files.h"
#include "shell/preferences_form.h"
#include "shell/text_depth_dialog.h"
#include "texts/user_texts.h"
#include "workspace_samples.h"

namespace {

bool scriptPath(const std::string& word, std::filesystem::path& path) {
    std::string expanded, error;
    if (!expandVariables(word, expanded, error)) {
        std::fprintf(stderr, "tavrelic_expected: %s\n", error.c_str());
        return false;
    }
    for (char& c : expanded) {
        if (c == '\\') c = '/';
    }
    path = std::filesystem::u8path(expanded);
    return true;
}

// Depth 0 on the ground; each sphere rises to 255 at its centre.
uint8_t sphereDepth(int x, int y, int width, int height) {
    struct Sphere {
        double cx, cy, r;
    };
    const Sphere spheres[] = {{0.28 * width, 0.55 * height, 0.3 * height},
                              {0.62 * width, 0.35 * height, 0.22 * height},
                              {0.75 * width, 0.72 * height, 0.18 * height}};
    double depth = 0;
    for (const Sphere& s : spheres) {
        const double dx = (x - s.cx) / s.r, dy = (y - s.cy) / s.r, d2 = dx * dx + dy * dy;
        if (d2 < 1) depth = std::fmax(depth, 255 * std::sqrt(1 - d2));
    }
    return static_cast<uint8_t>(depth + 0.5);
}

// Noise, the same in every run: a hash of the place. The top row repeats.
uint8_t noiseStereogramGrey(int x, int y, int width) {
    const int period = width / 5 + 8;
    uint32_t v = static_cast<uint32_t>(y) << 16 ^ static_cast<uint32_t>(y == 0 ? x % period : x);
    v = (v ^ v >> 16) * 0x7FEB352Du;
    v = (v ^ v >> 15) * 0x846CA68Bu;
    return static_cast<uint8_t>(v ^ v >> 16);
}

int writePicture(const std::string& mode, const std::string& fileName, int width, int height) {
    if (width < 1 || height < 1 || width > 4000 || height > 4000) {
        std::fprintf(stderr, "tavrelic_expected: a size of 1 to 4000 pixels each way\n");
        return 2;
    }
    const std::vector<uint8_t> bytes = makeGreyBmp(width, height, [&mode, width, height](int32_t x, int32_t y) {
        return mode == "depth-map" ? sphereDepth(x, y, width, height) : noiseStereogramGrey(x, y, width);
    });
    std::ofstream file(std::filesystem::u8path(fileName), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file) return 0;
    std::fprintf(stderr, "tavrelic_expected: cannot write %s\n", fileName.c_str());
    return 1;
}

// A PNG or JPEG input with a twin beside it (NAME.bmp next to NAME, the
// BMP of its pixels as picture-as-bmp decodes them) is loaded from the
// twin: the files the program must save then come from pixels decoded and
// converted apart from the program's own reader.
std::filesystem::path twinOf(const std::filesystem::path& fileName) {
    std::filesystem::path twin = fileName;
    twin += ".bmp";
    std::error_code error;
    return std::filesystem::is_regular_file(twin, error) ? twin : fileName;
}

// 16-bit samples rounded to 8 bits, and a colour over black through its
// alpha, as the program's readers are to take them.
uint8_t eightBits(uint16_t sample) {
    return static_cast<uint8_t>((sample * 255u + 32767u) / 65535u);
}

uint8_t overBlack(uint8_t colour, uint8_t alpha) {
    return static_cast<uint8_t>((colour * alpha + 127u) / 255u);
}

// Writes the BMP of a PNG or JPEG file's pixels: decoded (16 bits per
// sample where the PNG has them), rounded, laid over black.
int writePictureAsBmp(const std::string& input, const std::string& output) {
    std::ifstream in(std::filesystem::u8path(input), std::ios::binary);
    const std::vector<uint8_t> file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int size = static_cast<int>(file.size());
    int width = 0, height = 0, channels = 0;
    std::vector<uint16_t> samples;
    if (stbi_is_16_bit_from_memory(file.data(), size)) {
        uint16_t* pixels = stbi_load_16_from_memory(file.data(), size, &width, &height, &channels, 0);
        if (pixels != nullptr) samples.assign(pixels, pixels + size_t(width) * height * channels);
        stbi_image_free(pixels);
    } else {
        uint8_t* pixels = stbi_load_from_memory(file.data(), size, &width, &height, &channels, 0);
        if (pixels != nullptr)
            for (size_t i = 0; i < size_t(width) * height * channels; ++i) samples.push_back(pixels[i] * 257u);
        stbi_image_free(pixels);
    }
    if (samples.empty()) {
        std::fprintf(stderr, "tavrelic_expected: cannot decode %s\n", input.c_str());
        return 1;
    }
    const std::vector<uint8_t> bytes = makeBmp(width, height, [&](int32_t x, int32_t y) {
        const uint16_t* pixel = samples.data() + (size_t(y) * width + x) * channels;
        uint8_t rgb[3];
        for (int c = 0; c < 3; ++c) rgb[c] = eightBits(pixel[channels >= 3 ? c : 0]);
        if (channels == 2 || channels == 4)
            for (uint8_t& value : rgb) value = overBlack(value, eightBits(pixel[channels - 1]));
        return SamplePixel{rgb[2], rgb[1], rgb[0]};
    });
    std::ofstream out(std::filesystem::u8path(output), std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return out ? 0 : 1;
}

std::vector<uint8_t> fileBytes(const std::string& fileName) {
    std::ifstream in(std::filesystem::u8path(fileName), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

int writeAnimationFrames(const std::string& input, const std::string& prefix) {
    const Apng apng = readApng(fileBytes(input));
    if (!apng.error.empty()) {
        std::fprintf(stderr, "tavrelic_expected: %s: %s\n", input.c_str(), apng.error.c_str());
        return 1;
    }
    for (size_t i = 0; i < apng.frames.size(); ++i) {
        const ApngFrame& frame = apng.frames[i];
        if (frame.x != 0 || frame.y != 0 || frame.width != apng.width || frame.height != apng.height) {
            std::fprintf(stderr, "tavrelic_expected: %s: frame %zu is not the whole picture\n", input.c_str(), i + 1);
            return 1;
        }
        const size_t channels = static_cast<size_t>(apng.channels);
        const auto pixelAt = [&frame, channels](int32_t x, int32_t y) {
            const uint8_t* pixel = &frame.pixels[(static_cast<size_t>(y) * frame.width + static_cast<size_t>(x)) * channels];
            return channels == 1 ? SamplePixel{pixel[0], pixel[0], pixel[0]} : SamplePixel{pixel[2], pixel[1], pixel[0]};
        };
        writeSampleFile(std::filesystem::u8path(prefix + std::to_string(i + 1) + ".bmp"),
                        makeBmp(static_cast<int32_t>(frame.width), static_cast<int32_t>(frame.height), pixelAt));
    }
    return 0;
}

// The menu command that the scenarios call by this name.
bool commandNamed(const std::string& name, int32_t& id) {
    for (const Menu& menu : MenuBar) {
        for (size_t i = 0; i < menu.itemCount; ++i) {
            if (isSeparator(menu.items[i]) || name != menu.items[i].name) continue;
            id = menu.items[i].command;
            return true;
        }
    }
    return false;
}

// The Preferences control, field or push button, that the scenarios call by
// this name.
bool preferencesControlNamed(const std::string& name, int32_t& id) {
    for (const PreferencesControl& control : preferencesControls()) {
        if (name != control.name) continue;
        id = control.controlId;
        return true;
    }
    for (const PreferencesButton& button : PreferencesButtons) {
        if (name != button.name) continue;
        id = button.controlId;
        return true;
    }
    return false;
}

// The text depth map dialog's control that the scenarios call by this
// name: its index in TextDepthControls.
bool textDepthControlNamed(const std::string& name, size_t& index) {
    for (index = 0; index < TextDepthControlCount; ++index)
        if (name == TextDepthControls[index].name) return true;
    return false;
}

// The step's word with a dialog- step read as its prefs- twin: both work
// whichever of the program's dialogs is open.
std::string dialogStep(const std::string& word) {
    return word.rfind("dialog-", 0) == 0 ? "prefs-" + word.substr(7) : word;
}

// A step that names a command or a dialog's control names one that the
// tables know; false with the reason otherwise.
bool namesKnown(const std::vector<std::string>& words, std::string& error) {
    int32_t id = 0;
    if (words[0] == "command" && words.size() == 2 && !commandNamed(words[1], id)) {
        error = "the menu table has no command " + words[1];
        return false;
    }
    const std::string step = dialogStep(words[0]);
    const bool worksDialog = step == "prefs-set" || step == "prefs-click" || step == "prefs-expect" ||
                            step == "prefs-expect-check";
    size_t index = 0;
    if (worksDialog && words.size() >= 2 && !preferencesControlNamed(words[1], id) &&
        !textDepthControlNamed(words[1], index)) {
        error = "the program's dialogs have no control " + words[1];
        return false;
    }
    return true;
}

// The Preferences dialog as the scenario's prefs-set and prefs-click steps
// work it: fields take their texts, a click on a check box or radio button
// ticks it as the dialog would, OK stores what the rules accept (a refusal
// leaves the dialog open for the next steps) and Anuluj closes it.
void workPreferencesDialog(Workspace& ws, const std::vector<ScriptLine>& steps) {
    PreferencesForm form = preferencesFormFrom(ws.preferences);
    const std::vector<PreferencesControl>& controls = preferencesControls();
    for (const ScriptLine& step : steps) {
        const std::vector<std::string>& words = step.words;
        const std::string kind = dialogStep(words[0]);
        int32_t id = 0;
        if (words.size() < 2 || !preferencesControlNamed(words[1], id)) continue;
        if (kind == "prefs-click" && (id == PreferencesCancelId || (id == PreferencesOkId &&
                                                                        confirmPreferences(ws, form, nullptr))))
            return;
        for (size_t i = 0; i < controls.size(); ++i) {
            const PreferencesControl& control = controls[i];
            if (control.controlId != id) continue;
            if (kind == "prefs-set" && words.size() == 3 && holdsText(control)) form.texts[i] = words[2];
            if (kind != "prefs-click" || holdsText(control)) continue;
            if (control.kind == ControlKind::CheckBox) {
                form.ticks[i] = !form.ticks[i];
                continue;
            }
            for (size_t other = 0; other < controls.size(); ++other)
                if (controls[other].row == control.row) form.ticks[other] = false;
            form.ticks[i] = true;
        }
    }
}

// The text depth map dialog as the scenario's dialog-set and dialog-click
// steps work it: fields take their texts, OK takes what the dialog accepts
// (a refusal leaves it open), Anuluj cancels; a dialog the steps leave
// open counts as cancelled.
bool workTextDepthDialog(TextDepthRequest& request, WindowHandle dialog, const std::vector<ScriptLine>& steps) {
    TextDepthForm form = textDepthFormFrom(request);
    for (const ScriptLine& step : steps) {
        const std::vector<std::string>& words = step.words;
        size_t index = 0;
        if (words.size() < 2 || !textDepthControlNamed(words[1], index)) continue;
        const std::string kind = dialogStep(words[0]);
        if (kind == "prefs-set" && words.size() == 3 && index < TextDepthFieldCount) form.texts[index] = words[2];
        if (kind != "prefs-click") continue;
        if (TextDepthControls[index].controlId == TextDepthCancelId) return false;
        if (TextDepthControls[index].controlId == TextDepthOkId && confirmTextDepthForm(form, request, dialog))
            return true;
    }
    return false;
}

// The file steps after a command answer the dialog that the command opens,
// whichever of the three it is; a command that opens none leaves them
// unused. The Preferences and text depth map dialogs are worked by the
// prefs- and dialog- steps that follow them.
bool scriptFileAnswers(const std::vector<ScriptLine>& lines, size_t next) {
    recordedUi = RecordingUi{};
    const size_t first = next;
    for (; next < lines.size() && lines[next].words[0] != "command" && lines[next].words[0] != "start"; ++next) {
        const std::vector<std::string>& words = lines[next].words;
        std::optional<std::filesystem::path> answer;
        if (words[0] == "choose-file" && words.size() == 2) {
            std::filesystem::path fileName;
            if (!scriptPath(words[1], fileName)) return false;
            answer = fileName;
        } else if (words[0] != "cancel-file") {
            continue;
        }
        recordedUi.openAnswers.push_back(answer ? twinOf(*answer) : answer);
        recordedUi.saveAnswers.push_back(answer);
    }
    const std::vector<ScriptLine> steps(lines.begin() + static_cast<std::ptrdiff_t>(first),
                                        lines.begin() + static_cast<std::ptrdiff_t>(next));
    recordedUi.preferencesDialog = [steps](Workspace& ws, WindowHandle) { workPreferencesDialog(ws, steps); };
    recordedUi.textDepthDialog = [steps](TextDepthRequest& request, WindowHandle dialog) {
        return workTextDepthDialog(request, dialog, steps);
    };
    return true;
}

// A start with arguments, as the program reads them: the file they name,
// if any, loads as it would. Arguments the program refuses start nothing.
bool replayStart(Workspace& ws, WindowHandle mainWindow, const std::vector<std::string>& words) {
    releaseAll(ws);
    ws = freshWorkspace();
    std::vector<std::string> arguments;
    for (size_t i = 1; i < words.size(); ++i) {
        std::filesystem::path word;
        if (!scriptPath(words[i], word)) return false;
        arguments.push_back(word.u8string());
    }
    const StartRequest request = readStartArguments(arguments);
    if (request.action == StartAction::OpenWindow && !request.file.empty())
        openOutsideFile(ws, mainWindow, std::filesystem::u8path(request.file), request.kind);
    return true;
}

bool replayLine(Workspace& ws, const ScriptLine& line) {
    // The one main window the core hands back to the platform layer.
    static int windowToken = 0;
    WindowHandle mainWindow = &windowToken;
    const std::vector<std::string>& words = line.words;
    int32_t id = 0;
    if (words[0] == "start") {
        if (!replayStart(ws, mainWindow, words)) return false;
    } else if (words[0] == "drop" && words.size() == 2) {
        std::filesystem::path fileName;
        if (!scriptPath(words[1], fileName)) return false;
        openOutsideFile(ws, mainWindow, fileName, FileKindChoice::Detect);
    } else if (words[0] == "command" && words.size() == 2 && commandNamed(words[1], id)) {
        handleCommand(ws, mainWindow, id);
    } else if (words[0] == "close") {
        closeWorkspace(ws);
    } else if (words[0] == "screenshot" && words.size() == 3) {
        std::filesystem::path fileName;
        if (!scriptPath(words[2], fileName) || saveDisplayedPicture(ws, fileName, mainWindow) != 1)
            return false;
    }
    return true;
}

int replay(const std::string& scriptName, const std::string& only) {
    std::string error;
    std::vector<ScriptLine> lines;
    if (!readScript(scriptName, lines, error)) {
        std::fprintf(stderr, "tavrelic_expected: %s\n", error.c_str());
        return 2;
    }
    Workspace ws = freshWorkspace();
    bool skipping = false;
    for (size_t next = 0; next < lines.size(); ++next) {
        const ScriptLine& line = lines[next];
        if (line.words[0] == "scenario") skipping = !only.empty() && (line.words.size() < 2 || line.words[1] != only);
        if (skipping) continue;
        if (!namesKnown(line.words, error)) {
            std::fprintf(stderr, "tavrelic_expected: %s:%d: %s\n", scriptName.c_str(), line.number, error.c_str());
            return 1;
        }
        if ((line.words[0] == "command" && !scriptFileAnswers(lines, next + 1)) || !replayLine(ws, line)) {
            std::fprintf(stderr, "tavrelic_expected: %s:%d failed\n", scriptName.c_str(), line.number);
            return 1;
        }
    }
    releaseAll(ws);
    return 0;
}

int printMenuTable() {
    for (const Menu& menu : MenuBar) {
        for (size_t i = 0; i < menu.itemCount; ++i) {
            const MenuItem& item = menu.items[i];
            if (!isSeparator(item))
                std::printf("%d\t%s\t%s\t%s\n", static_cast<int>(item.command), item.name, menu.title, item.text);
        }
    }
    return 0;
}

const char* controlKindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Number: return "number";
        case ControlKind::Text: return "text";
        case ControlKind::CheckBox: return "check";
        case ControlKind::RadioButton: return "radio";
    }
    return "unknown";
}

const char* controlKindName(TextDepthControlKind kind) {
    switch (kind) {
        case TextDepthControlKind::Number: return "number";
        case TextDepthControlKind::Text: return "text";
        case TextDepthControlKind::Button: break;
    }
    return "button";
}

int printDialogFields() {
    for (const PreferencesControl& control : preferencesControls())
        std::printf("%d\t%s\t%s\t%s\n", static_cast<int>(control.controlId), control.name.c_str(),
                    controlKindName(control.kind), control.label);
    for (const PreferencesButton& button : PreferencesButtons)
        std::printf("%d\t%s\tbutton\t%s\n", static_cast<int>(button.controlId), button.name, button.label);
    for (const TextDepthControl& control : TextDepthControls)
        std::printf("%d\t%s\t%s\t%s\n", static_cast<int>(control.controlId), control.name,
                    controlKindName(control.kind), control.label);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    long long width = 0, height = 0;
    if ((mode == "depth-map" || mode == "noise-stereogram") && argc == 5 && parseInteger(argv[3], width) &&
        parseInteger(argv[4], height))
        return writePicture(mode, argv[2], static_cast<int>(width), static_cast<int>(height));
    if (mode == "replay" && (argc == 3 || argc == 4)) return replay(argv[2], argc == 4 ? argv[3] : "");
    if (mode == "menu-table" && argc == 2) return printMenuTable();
    if (mode == "picture-as-bmp" && argc == 4) return writePictureAsBmp(argv[2], argv[3]);
    if (mode == "animation-frames" && argc == 4) return writeAnimationFrames(argv[2], argv[3]);
    if (mode == "dialog-fields" && argc == 2) return printDialogFields();
    std::fprintf(stderr,
                 "usage: tavrelic_expected depth-map|noise-stereogram FILE WIDTH HEIGHT\n"
                 "       tavrelic_expected replay SCRIPT [SCENARIO]\n"
                 "       tavrelic_expected menu-table|dialog-fields\n"
                 "       tavrelic_expected picture-as-bmp PICTURE BMP\n"
                 "       tavrelic_expected animation-frames APNG PREFIX\n");
    return 2;
}
