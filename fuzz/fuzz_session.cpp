// Reads its input as a session of menu commands on one Workspace, given
// through the same dispatch as the menu (handleCommand). The recording
// platform layer answers the file dialogs with files made from the input
// (valid 24-bit files of fuzzed sizes, headers and contents, or raw bytes;
// OBJ models of a few vertices and faces, or raw bytes, for the model's
// dialog) and the Preferences and text depth map dialogs with field texts
// from the input, which the dialogs' own rules read. After every command the session checks what
// must always hold, and stops the process at the first breach:
// - every raster has the size the Workspace gives it (a Pattern may keep
//   another height: it is refused at use), the image size is positive;
// - the picture on show holds imageWidth x imageHeight and its header
//   says so; it is there whenever a depth map or stereogram is;
// - the random state moves only in the commands that draw;
// - every text shown is one of the program's; the program ends only after
//   an allocation failed, and then with -1;
// - a save that reports nothing wrote the picture on show, byte for byte.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "bmp_samples.h"
#include "fuzz_input.h"
#include "shell/preferences_form.h"
#include "shell/text_depth_dialog.h"
#include "recording_platform.h"
#include "shell/commands.h"
#include "texts/user_texts.h"
#include "picture/little_endian.h"
#include "workspace_samples.h"

namespace {

[[noreturn]] void breach(const std::string& what) {
    std::fprintf(stderr, "session breach: %s\n", what.c_str());
    std::abort();
}

void require(bool holds, const char* what) {
    if (!holds) breach(what);
}

void removeScratchFolder();

// A folder of this process for the files the dialogs answer with; it goes
// when the process ends.
const std::filesystem::path& scratchFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path f = std::filesystem::temp_directory_path() /
                                  ("tavrelic-fuzz-session-" + std::to_string(static_cast<long>(getpid())));
        std::filesystem::create_directories(f);
        return f;
    }();
    // Registered once the folder stands, so that it runs before the path
    // itself is destroyed.
    static const bool removedAtExit = std::atexit(removeScratchFolder) == 0;
    (void)removedAtExit;
    return folder;
}

void removeScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(scratchFolder(), ignored);
}

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A valid 24-bit file: its size, header kind, row order and contents come
// from the input. Widths up to 300 reach several candidate strip widths.
std::vector<uint8_t> generatedBmp(FuzzInput& in) {
    SampleShape shape;
    shape.width = 1 + static_cast<int32_t>(in.number16() % 300);
    shape.height = 1 + in.byte() % 48;
    const uint8_t flags = in.byte();
    const uint32_t infoSizes[] = {40, 40, 108, 124};
    shape.infoSize = infoSizes[flags & 3];
    shape.topDown = (flags & 4) != 0;
    shape.gapBeforeRows = shape.infoSize == 40 ? 0 : (flags >> 3) & 7;
    shape.paddingValue = in.byte();
    // Few greys make runs and repeats; a repeating row makes strips that
    // decoding can find.
    const uint32_t greys = 1 + in.byte();
    const int32_t period = 1 + in.byte();
    uint32_t seed = in.number16() | 1u;
    std::vector<uint8_t> row(static_cast<size_t>(shape.width));
    for (uint8_t& v : row) {
        seed ^= seed << 13;
        seed ^= seed >> 17;
        seed ^= seed << 5;
        v = static_cast<uint8_t>(seed % greys);
    }
    return makeBmp(shape, [&row, period](int32_t x, int32_t y) {
        const uint8_t grey = row[static_cast<size_t>((x % period + y) % static_cast<int32_t>(row.size()))];
        return SamplePixel{grey, static_cast<uint8_t>(grey + y), grey};
    });
}

// An OBJ model of up to 8 vertices of small whole coordinates and up to 6
// faces of 3 or 4 vertex numbers, some of which may be out of range.
std::vector<uint8_t> generatedModel(FuzzInput& in) {
    std::string text;
    const int vertices = in.byte() % 9;
    for (int v = 0; v < vertices; ++v)
        text += "v " + std::to_string(int(in.byte() % 9) - 4) + " " + std::to_string(int(in.byte() % 9) - 4) + " " +
                std::to_string(int(in.byte() % 9) - 4) + "\n";
    const int faces = in.byte() % 7;
    for (int f = 0; f < faces; ++f) {
        text += "f";
        const int corners = 3 + in.byte() % 2;
        for (int c = 0; c < corners; ++c) text += " " + std::to_string(int(in.byte() % 11) - 1);
        text += "\n";
    }
    return std::vector<uint8_t>(text.begin(), text.end());
}

// The text depth map dialog as a user fills it: a text, and sizes either
// typed at random or small enough to draw quickly; confirmed with OK (by
// the dialog's rules) or cancelled.
void answerTextDepthDialog(FuzzInput& in) {
    TextDepthForm form;
    form.texts[0] = in.text(16);
    const bool typedAtRandom = (in.byte() & 1) != 0;
    form.texts[1] = typedAtRandom ? in.text(6) : std::to_string(1 + in.byte() % 300);
    form.texts[2] = typedAtRandom ? in.text(6) : std::to_string(1 + in.byte() % 48);
    if (typedAtRandom && form.texts[1].size() * form.texts[2].size() > 6) form.texts[1] = "9";
    const bool confirm = (in.byte() & 1) != 0;
    recordedUi.textDepthDialog = [form, confirm](TextDepthRequest& request, WindowHandle dialog) {
        return confirm && confirmTextDepthForm(form, request, dialog);
    };
}

// Answers the dialog of a command that the identifiers beyond the menu's
// reached: the model's open dialog with a model file, the text dialog with
// a form.
void answerDrawingDialog(FuzzInput& in, int32_t command, const std::filesystem::path& folder) {
    if (command == CmdTextDepthMap) {
        answerTextDepthDialog(in);
        return;
    }
    if (command != CmdLoadModel) return;
    const char* const names[] = {"in.obj", "in.stl", "in.ply"};
    const std::filesystem::path model = folder / names[in.byte() % 3];
    writeFile(model, (in.byte() & 1) != 0 ? generatedModel(in) : in.bytes(in.number16() % 2048));
    recordedUi.openAnswers.push_back(model);
}

const int32_t LoadCommands[] = {CmdLoadDepthMap, CmdLoadStereogram, CmdLoadPattern};
const int32_t ViewCommands[] = {CmdShowStereogramWithDots, CmdShowStereogramPlain, CmdShowDepthQuantised,
                                CmdShowDepthOriginal,      CmdShowPatternStrip,    CmdShowPatternTiled};

// The Preferences dialog as a user fills it: every field, check box and
// radio button from the input (colour among them), confirmed with OK (by
// the dialog's rules) or cancelled.
void answerPreferences(FuzzInput& in, bool confirm) {
    PreferencesForm form = preferencesFormFrom(startPreferences());
    const std::vector<PreferencesControl>& controls = preferencesControls();
    for (size_t i = 0; i < controls.size(); ++i) {
        if (holdsText(controls[i]))
            form.texts[i] = in.text(12);
        else
            form.ticks[i] = (in.byte() & 1) != 0;
    }
    recordedUi.preferencesDialog = [form, confirm](Workspace& ws, WindowHandle owner) {
        if (confirm) confirmPreferences(ws, form, owner);
    };
}

bool drawsRandomValues(int32_t command) {
    return command == CmdGeneratePattern || command == CmdGenerateStereogram || command == CmdDecodeStereogram ||
           command == CmdRoundTrip;
}

const std::set<std::string>& programTexts() {
    static std::set<std::string> texts = {
        ReadyText, LoadingDepthMapText, LoadingStereogramText, LoadingPatternText, SavingPictureText,
        SavingPairText, ChangingPreferencesText, GeneratingPatternText, GeneratingStereogramText, DecodingStereogramText,
        OutOfMemoryText, LoadDepthMapFirstText, PatternHeightText, Only24BitText, CorruptBmpText,
        CorruptPngText, CorruptJpegText, PictureTooLargeText, LoadingModelText, DrawingTextDepthMapText,
        CorruptStlText, CorruptObjText, CorruptPlyText, UnknownModelText, NoTrianglesText, ModelTooLargeText,
        BadDepthMapSizeText, BadTextEncodingText, EmptyTextText, NothingToSaveText, WriteErrorText, NoPatternText, NoStereogramText, NoDepthMapText, BadRepeatCountText,
        DepthMapWidenedText, PatternWidthNotFoundText, NothingToShowText, BadDepthBitsText,
        BadRepeatCountRangeText, PatternWidthChangedText, AboutText};
    static const bool withRules = [] {
        // The Preferences' own refusals, one a rule.
        for (const PreferenceRow& row : preferenceRows())
            if (row.rule != nullptr) texts.insert(row.rule->text);
        return true;
    }();
    (void)withRules;
    return texts;
}

bool isPassText(const std::string& text) {
    for (int pass = 1; pass <= 5; ++pass) {
        char generating[64];
        char decoding[64];
        std::snprintf(generating, sizeof generating, GeneratingPassFormat, pass);
        std::snprintf(decoding, sizeof decoding, DecodingPassFormat, pass);
        if (text == generating || text == decoding) return true;
    }
    return false;
}

void checkTextsShown() {
    for (const UiCall& call : recordedUi.calls) {
        if (call.kind == UiCallKind::Status && !programTexts().count(call.text) && !isPassText(call.text))
            breach("unknown status text: " + call.text);
        if (call.kind == UiCallKind::Message && call.caption != PictureInfoCaption &&
            !programTexts().count(call.text))
            breach("unknown message: " + call.text);
    }
}

void checkWorkspace(const Workspace& ws) {
    require(ws.imageWidth > 0 && ws.imageHeight > 0, "the image size is not positive");
    for (SourceKind kind : {SourceKind::DepthMap, SourceKind::Stereogram}) {
        const Picture& raster = rasterOf(ws, kind);
        require(raster.pixels.get() == nullptr || (raster.width == ws.imageWidth && raster.height == ws.imageHeight),
                "a depth map or stereogram of another size than the image");
    }
    require(ws.pattern.pixels.get() == nullptr || ws.pattern.width == ws.patternWidth,
            "a pattern of another width than patternWidth");
    const bool rasterShown = ws.depthMap.pixels.get() != nullptr || ws.stereogram.pixels.get() != nullptr;
    require(!rasterShown || ws.displayDib.present, "a depth map or stereogram without a picture on show");
    if (!ws.displayDib.present) return;
    require(pictureFitsImage(ws), "the picture on show does not hold the image");
    const uint8_t* header = ws.displayDib.frame.header;
    require(readLe32(header) == DibHeaderSize && readLe32(header + 4) == static_cast<uint32_t>(ws.imageWidth) &&
                readLe32(header + 8) == static_cast<uint32_t>(ws.imageHeight) && readLe16(header + 14) == 24,
            "the header of the picture on show does not describe the image");
}

// A save that showed no message wrote the file header and the picture on
// show; one that failed left no file.
void checkSavedFile(Workspace& ws, const std::filesystem::path& path) {
    const bool failed = !recordedCalls(UiCallKind::Message).empty();
    const std::vector<uint8_t> bytes = readFile(path);
    if (failed) {
        require(bytes.empty(), "a failed save left a file");
        return;
    }
    const uint64_t pictureSize = displayDibSize(ws.imageWidth, ws.imageHeight);
    require(bytes.size() == 14 + pictureSize, "the saved file has the wrong length");
    require(bytes[0] == 'B' && bytes[1] == 'M' && readLe32(bytes.data() + 2) == bytes.size() &&
                readLe32(bytes.data() + 10) == 54,
            "the saved file header is wrong");
    require(std::vector<uint8_t>(bytes.begin() + 14, bytes.end()) == dibBytes(ws), "the saved pixels differ");
}

// One command; false when the program has ended.
bool runCommand(Workspace& ws, FuzzInput& in, bool& allocationsMayFail) {
    static int windowToken = 0;
    WindowHandle mainWindow = &windowToken;
    resetRecordedUi();
    const std::filesystem::path file = scratchFolder() / "in.bmp";
    const std::filesystem::path saved = scratchFolder() / "out.bmp";
    std::filesystem::remove(saved);
    const uint32_t stateBefore = ws.randomState;
    int32_t command = 0;
    const uint8_t opcode = in.byte() % 15;
    switch (opcode) {
        case 0:
        case 1:
            command = LoadCommands[in.byte() % 3];
            writeFile(file, opcode == 0 ? generatedBmp(in) : in.bytes(in.number16() % 4096));
            recordedUi.openAnswers.push_back(file);
            break;
        case 2:
            command = LoadCommands[in.byte() % 3];
            break;
        case 3: command = CmdGeneratePattern; break;
        case 4: command = CmdGenerateStereogram; break;
        case 5: command = CmdDecodeStereogram; break;
        case 6:
            // Five passes are many: only on small pictures.
            command = ws.imageWidth * static_cast<int64_t>(ws.imageHeight) <= 20000 ? CmdRoundTrip : CmdShowDepthOriginal;
            break;
        case 7: command = ViewCommands[in.byte() % 6]; break;
        case 8:
            command = CmdSavePicture;
            recordedUi.saveAnswers.push_back(saved);
            break;
        case 9: command = CmdSavePicture; break;
        case 10:
        case 11:
            command = CmdPreferences;
            answerPreferences(in, opcode == 10);
            break;
        case 12: command = in.byte() % 2 == 0 ? CmdPictureInfo : CmdAbout; break;
        case 13:
            // From now on every allocation after the next few fails.
            failAllocationsAfter(in.byte() % 8);
            allocationsMayFail = true;
            return true;
        default:
            // An identifier of no menu item does nothing; those of the
            // drawn depth maps get their dialogs answered.
            command = 40000 + in.byte();
            answerDrawingDialog(in, command, scratchFolder());
            break;
    }
    handleCommand(ws, mainWindow, command);

    checkTextsShown();
    // The batch goes on after a failed allocation, so a command may ask
    // more than once.
    const std::vector<UiCall> quits = recordedCalls(UiCallKind::Quit);
    if (!quits.empty()) {
        require(allocationsMayFail, "the program ended without running out of memory");
        for (const UiCall& quit : quits) require(quit.value == -1, "the program ended with another code than -1");
        return false;
    }
    checkWorkspace(ws);
    if (!drawsRandomValues(command)) require(ws.randomState == stateBefore, "the random state moved");
    if (opcode == 8) checkSavedFile(ws, saved);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    Workspace ws = freshWorkspace();
    bool allocationsMayFail = false;
    for (int commands = 0; commands < 64 && !in.finished(); ++commands)
        if (!runCommand(ws, in, allocationsMayFail)) break;
    failAllocationsAfter(-1);
    releaseAll(ws);
    resetRecordedUi();
    return 0;
}
