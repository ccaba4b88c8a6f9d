// tavrelic_expected: the native helper of the end-to-end tests.
//
//   tavrelic_expected depth-map FILE WIDTH HEIGHT
//     writes a 24-bit BMP depth map of a few spheres over a flat ground;
//   tavrelic_expected replay SCRIPT
//     replays the commands of a scenario script on the portable core, from
//     the state the program starts in, so that the files it saves are the
//     files tavrelic.exe must save for the same commands. The file names
//     come from the script's choose-file steps (its %VARIABLES% expanded
//     from this process's environment), and "screenshot NAME EXPECTED"
//     saves the picture on show as EXPECTED. Every other step is an
//     expectation of the driver's and is skipped.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "bmp_samples.h"
#include "replay.h"
#include "script.h"
#include "shell/commands.h"

namespace {

std::vector<ScriptLine> replayedLines;
size_t nextLine = 0;  // the first line not yet replayed

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

int writeDepthMap(const std::string& fileName, int width, int height) {
    if (width < 1 || height < 1 || width > 4000 || height > 4000) {
        std::fprintf(stderr, "tavrelic_expected: a size of 1 to 4000 pixels each way\n");
        return 2;
    }
    const std::vector<uint8_t> bytes =
        makeGreyBmp(width, height, [width, height](int32_t x, int32_t y) { return sphereDepth(x, y, width, height); });
    std::ofstream file(std::filesystem::u8path(fileName), std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (file) return 0;
    std::fprintf(stderr, "tavrelic_expected: cannot write %s\n", fileName.c_str());
    return 1;
}

bool replayLine(Workspace& ws, const ScriptLine& line) {
    // The one main window the core hands back to the platform layer.
    static int windowToken = 0;
    WindowHandle mainWindow = &windowToken;
    const std::vector<std::string>& words = line.words;
    long long id = 0;
    if (words[0] == "start") {
        releaseAll(ws);
        ws = Workspace();
    } else if (words[0] == "command" && words.size() == 2 && parseInteger(words[1], id)) {
        handleCommand(ws, mainWindow, static_cast<int32_t>(id));
    } else if (words[0] == "close") {
        closeWorkspace(ws);
    } else if (words[0] == "screenshot" && words.size() == 3) {
        std::filesystem::path fileName;
        if (!scriptPath(words[2], fileName) || saveDisplayedPicture(ws, fileName, mainWindow) != 1)
            return false;
    }
    return true;
}

int replay(const std::string& scriptName) {
    std::string error;
    if (!readScript(scriptName, replayedLines, error)) {
        std::fprintf(stderr, "tavrelic_expected: %s\n", error.c_str());
        return 2;
    }
    Workspace ws;
    while (nextLine < replayedLines.size()) {
        const ScriptLine& line = replayedLines[nextLine++];
        if (!replayLine(ws, line)) {
            std::fprintf(stderr, "tavrelic_expected: %s:%d failed\n", scriptName.c_str(), line.number);
            return 1;
        }
    }
    releaseAll(ws);
    return 0;
}

}  // namespace

// File steps answer the dialog that the command just replayed opened; a
// command that opens no dialog leaves them for the next one, as in the
// program.
bool nextFileChoice(std::filesystem::path& fileName) {
    while (nextLine < replayedLines.size()) {
        const ScriptLine& line = replayedLines[nextLine];
        if (line.words[0] == "command" || line.words[0] == "start") return false;
        ++nextLine;
        if (line.words[0] == "cancel-file") return false;
        if (line.words[0] == "choose-file" && line.words.size() == 2)
            return scriptPath(line.words[1], fileName);
    }
    return false;
}

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    long long width = 0, height = 0;
    if (mode == "depth-map" && argc == 5 && parseInteger(argv[3], width) && parseInteger(argv[4], height))
        return writeDepthMap(argv[2], static_cast<int>(width), static_cast<int>(height));
    if (mode == "replay" && argc == 3) return replay(argv[2]);
    std::fprintf(stderr,
                 "usage: tavrelic_expected depth-map FILE WIDTH HEIGHT\n"
                 "       tavrelic_expected replay SCRIPT\n");
    return 2;
}
