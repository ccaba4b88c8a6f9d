// How well the exact and the tolerant decoder read stereograms back: the
// program's own (the sample depth maps and a few more, random and ramp
// patterns, wall- and cross-eyed, 8 and 16 levels, grey and colour) and
// netpbm's pamstereogram's (random dots, and a colour pattern strip), each
// as made (lossless, as a PNG holds it) and through JPEG at qualities 95,
// 85 and 75. For each, with each decoder after its own width detection:
//
//   at level  of the points off the background, the share decoded to the
//             level the lossless file holds;
//   within 1  of all points, the share within one level of it;
//   rho       the rank correlation (Spearman) of the decoded map with the
//             true depth map.
//
// Points are counted away from the last strip (no partner to the right)
// and, in the program's stereograms, the rows of the convergence squares.
// The level a lossless file holds is the depth map quantised as generation
// quantises it; for pamstereogram's, the level of the separation its
// formula gives (with -planes=near,far: far pixels at depth 0, near at the
// top), put at the left point of each pair, half a separation to the left
// of the depth map's point (it links pixels symmetrically about a point;
// left points that pairs of two levels land on are not counted).
// Colour rows also give how many points decode to the same level as their
// grey twin (the same depth map and settings in grey).
//
//   tavrelic_decoder_quality SAMPLES WORK [ONLY]
// SAMPLES holds the sample depth maps (samples/make_samples.py writes
// them); WORK takes pamstereogram's files. With ONLY, just the cases whose
// name ("kind depth pattern eye levels", e.g. "ours ramp ramp cross 16")
// contains it.
#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/random_batch.h"
#include "files/pictures.h"
#include "files/stb_codecs.h"
#include "test_runtime.h"
#include "views/views.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t ConvergenceRowsFirst = 20;
constexpr int32_t ConvergenceRowsEnd = 40;
const int32_t Qualities[] = {0, 95, 85, 75};  // 0: lossless

std::string fileName(int32_t quality) {
    return quality == 0 ? "PNG" : "JPEG " + std::to_string(quality);
}

// --- Pictures

Picture readSample(const fs::path& folder, const std::string& name) {
    Picture picture;
    BmpFrame frame;
    if (readPictureFile(testRuntime(), folder / name, ReadRequest{}, picture, frame).kind != OutcomeKind::Done) {
        std::fprintf(stderr, "cannot read %s\n", (folder / name).string().c_str());
        std::exit(1);
    }
    return picture;
}

// Terraces with sharp edges both ways: bands of depth across the columns,
// in the opposite order in the lower half.
Picture stepsDepth(int32_t width, int32_t height) {
    const uint8_t terraces[] = {0, 200, 80, 240, 40, 160, 120};
    std::vector<uint8_t> pixels;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const int32_t band = x * 7 / width;
            pixels.push_back(terraces[y < height / 2 ? band : 6 - band]);
        }
    return pictureOf(width, height, pixels);
}

// The spheres at another size, as make_samples.py draws them.
Picture spheresDepth(int32_t width, int32_t height) {
    const double balls[3][3] = {{0.28, 0.55, 0.30}, {0.62, 0.35, 0.22}, {0.75, 0.72, 0.18}};
    std::vector<uint8_t> pixels;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            double value = 0;
            for (const auto& b : balls) {
                const double dx = (x - b[0] * width) / (b[2] * height);
                const double dy = (y - b[1] * height) / (b[2] * height);
                if (dx * dx + dy * dy < 1) value = std::max(value, 255 * std::sqrt(1 - dx * dx - dy * dy));
            }
            pixels.push_back(static_cast<uint8_t>(value + 0.5));
        }
    return pictureOf(width, height, pixels);
}

Picture copyOf(const Picture& picture) {
    return pictureOf(picture.width, picture.height, bytesOf(picture), picture.channels);
}

void appendBytes(void* context, void* data, int size) {
    auto& out = *static_cast<std::vector<uint8_t>*>(context);
    out.insert(out.end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

// The picture as a JPEG file of that quality would give it back.
Picture throughJpeg(const Picture& picture, int32_t quality) {
    if (quality == 0) return copyOf(picture);
    std::vector<uint8_t> file;
    stbi_write_jpg_to_func(appendBytes, &file, picture.width, picture.height, picture.channels,
                           picture.pixels.get(), quality);
    Picture back;
    BmpFrame frame;
    readPictureBytes(testRuntime(), file.data(), file.size(), ReadRequest{picture.channels, 0, nullptr, nullptr},
                     back, frame);
    return back;
}

Preferences settingsOf(int32_t levels, bool wallEyed, bool randomFill, bool colour) {
    Preferences prefs;
    storeDepthBits(prefs, levels == 16 ? 4 : 3);
    prefs.wallEyed = wallEyed;
    prefs.randomFill = randomFill;
    prefs.colour = colour;
    return prefs;
}

// The program's stereogram of the depth map, with its convergence squares,
// as the window saves it; the strip width it was made with.
Picture ourStereogram(const Picture& depth, const Preferences& prefs, int32_t& stripWidth) {
    uint32_t state = FirstRandomState;
    Picture pattern;
    Picture stereogram;
    stripWidth = depth.width / prefs.repeatCount;
    makePattern(testRuntime(), stripWidth, depth.height, prefs, state, pattern);
    makeStereogram(testRuntime(), depth, pattern, prefs, state, Progress{}, stereogram);
    Picture shown;
    drawView(testRuntime(), ViewKind::StereogramWithDots,
             ViewInputs{&stereogram, depth.width, depth.height, stripWidth, prefs.depthStep}, shown);
    return shown;
}

// --- pamstereogram

bool writePnm(const fs::path& path, const Picture& picture) {
    std::ofstream out(path, std::ios::binary);
    out << (isColour(picture) ? "P6\n" : "P5\n") << picture.width << " " << picture.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(picture.pixels.get()),
              static_cast<std::streamsize>(rowBytes(picture) * picture.height));
    return static_cast<bool>(out);
}

Picture readPnm(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int32_t width = 0, height = 0, most = 0;
    in >> magic >> width >> height >> most;
    in.get();
    const int32_t channels = magic == "P6" ? ColourChannels : GreyChannels;
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * channels);
    in.read(reinterpret_cast<char*>(pixels.data()), static_cast<std::streamsize>(pixels.size()));
    if (!in || (magic != "P5" && magic != "P6") || most != 255) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        std::exit(1);
    }
    return pictureOf(width, height, pixels, channels);
}

struct Planes {
    int32_t nearest;
    int32_t farthest;
};

// pamstereogram's separation for a depth value (0 far, 255 near) with
// -planes=near,far: its formula (1 - mu z) E / (2 - mu z), E = 2 far,
// mu = 2 (far - near) / (2 far - near), rounded.
int32_t pamSeparation(Planes planes, uint8_t depth) {
    const double far = planes.farthest, near = planes.nearest, z = depth / 255.0;
    const double mu = 2 * (far - near) / (2 * far - near);
    return static_cast<int32_t>(std::lround((1 - mu * z) * 2 * far / (2 - mu * z)));
}

// A colour strip for -patfile: soft blobs of colour, so that it is neither
// noise nor flat.
Picture colourStrip(int32_t width, int32_t height) {
    std::vector<uint8_t> pixels;
    uint32_t state = 12345;
    std::vector<double> phase(9);
    for (double& p : phase) p = (nextRandom(state) % 1000) / 159.0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t c = 0; c < 3; ++c) {
                const double v = std::sin(x * (0.21 + 0.07 * c) + phase[c]) * std::cos(y * (0.17 + 0.05 * c) + phase[3 + c]) +
                                 0.5 * std::sin((x + 2 * y) * 0.43 + phase[6 + c]);
                const int32_t noise = static_cast<int32_t>(nextRandom(state) % 41) - 20;
                pixels.push_back(static_cast<uint8_t>(std::min(255.0, std::max(0.0, 128 + 80 * v + noise))));
            }
    return pictureOf(width, height, pixels, ColourChannels);
}

Picture greyTwin(const Picture& picture) {
    Picture grey;
    makeGreyPicture(testRuntime(), picture, grey);
    return grey;
}

// pamstereogram's stereogram of the depth map: random grey dots, or the
// pattern strip.
Picture pamStereogram(const fs::path& work, const Picture& depth, Planes planes, const Picture* strip) {
    const fs::path in = work / "depth.pgm", out = work / "stereogram.pnm", pattern = work / "strip.pnm";
    writePnm(in, depth);
    std::string command = "pamstereogram -quiet -planes=" + std::to_string(planes.nearest) + "," +
                          std::to_string(planes.farthest);
    if (strip != nullptr) {
        writePnm(pattern, *strip);
        command += " -patfile=" + pattern.string();
    } else {
        command += " -grayscale -randomseed=7";
    }
    command += " " + in.string() + " | pamtopnm > " + out.string();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "pamstereogram failed: %s\n", command.c_str());
        std::exit(1);
    }
    return readPnm(out);
}

// --- Measures

struct Reading {
    int32_t stripWidth = 0;
    Picture depth;
};

Reading readExactly(const Picture& stereogram, const Preferences& prefs, int32_t fallback) {
    Reading r;
    r.stripWidth = findStripWidth(stereogram, prefs, fallback).width;
    uint32_t state = FirstRandomState;
    decodeRows(testRuntime(), stereogram, r.stripWidth, prefs, state, Progress{}, r.depth);
    return r;
}

Reading readTolerantly(const Picture& stereogram, const Preferences& prefs, int32_t fallback) {
    Reading r;
    r.stripWidth = findStripWidthTolerant(testRuntime(), stereogram, prefs, fallback).width;
    decodeRowsTolerant(testRuntime(), stereogram, r.stripWidth, prefs, Progress{}, r.depth, nullptr);
    return r;
}

int32_t levelOfGrey(uint8_t grey, int32_t depthStep) {
    return (grey + 1) / depthStep;
}

// One point measured: the level the lossless file holds there, the true
// depth as the decoder should rise with it, and the decoded level.
struct Point {
    int32_t expected;
    int32_t background;
    uint8_t truth;
    int32_t decoded;
};

// Average ranks of values 0 .. 255 (ties share their mean rank).
std::vector<double> ranksOf(const std::vector<int32_t>& values) {
    std::vector<double> count(257, 0), rank(257, 0);
    for (int32_t v : values) count[static_cast<size_t>(std::min(std::max(v, 0), 256))] += 1;
    double below = 0;
    for (size_t v = 0; v < count.size(); ++v) {
        rank[v] = below + (count[v] + 1) / 2;
        below += count[v];
    }
    std::vector<double> out;
    for (int32_t v : values) out.push_back(rank[static_cast<size_t>(std::min(std::max(v, 0), 256))]);
    return out;
}

double spearman(const std::vector<int32_t>& a, const std::vector<int32_t>& b) {
    const std::vector<double> ra = ranksOf(a), rb = ranksOf(b);
    const double n = static_cast<double>(ra.size());
    double ma = 0, mb = 0;
    for (size_t i = 0; i < ra.size(); ++i) ma += ra[i], mb += rb[i];
    ma /= n, mb /= n;
    double sab = 0, saa = 0, sbb = 0;
    for (size_t i = 0; i < ra.size(); ++i) {
        sab += (ra[i] - ma) * (rb[i] - mb);
        saa += (ra[i] - ma) * (ra[i] - ma);
        sbb += (rb[i] - mb) * (rb[i] - mb);
    }
    return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : 0;
}

struct Scores {
    double atLevel = 0;
    double withinOne = 0;
    double rho = 0;
};

Scores scoresOf(const std::vector<Point>& points) {
    int64_t off = 0, offRight = 0, near = 0;
    std::vector<int32_t> truth, decoded;
    for (const Point& p : points) {
        if (p.expected != p.background) {
            ++off;
            offRight += p.decoded == p.expected;
        }
        near += std::abs(p.decoded - p.expected) <= 1;
        truth.push_back(p.truth);
        decoded.push_back(p.decoded);
    }
    Scores s;
    s.atLevel = off > 0 ? 100.0 * offRight / off : 0;
    s.withinOne = points.empty() ? 0 : 100.0 * near / static_cast<double>(points.size());
    s.rho = spearman(truth, decoded);
    return s;
}

// The program's stereograms: the level of depth d by the generation's
// separations, which decodes back as stripWidth + levels - separation.
int32_t ourLevel(uint8_t d, const Preferences& prefs) {
    return (prefs.wallEyed ? d + 1 : 256 - d) / prefs.depthStep;
}

std::vector<Point> ourPoints(const Picture& truth, const Picture& decoded, int32_t stripWidth,
                             const Preferences& prefs) {
    std::vector<Point> points;
    for (int32_t y = 0; y < truth.height; ++y) {
        if (y >= ConvergenceRowsFirst && y < ConvergenceRowsEnd) continue;
        for (int32_t x = 0; x + stripWidth < truth.width; ++x) {
            const uint8_t d = rowOf(truth, y)[x];
            points.push_back(Point{ourLevel(d, prefs), ourLevel(0, prefs),
                                   static_cast<uint8_t>(prefs.wallEyed ? d : 255 - d),
                                   levelOfGrey(rowOf(decoded, y)[x], prefs.depthStep)});
        }
    }
    return points;
}

// Each left point of a pair with the depth of the point the pair is
// linked about. Left points that pairs of different levels land on (beside
// an edge, where the symmetric links overlap) are left out: which of them
// the file keeps is pamstereogram's choice, not the decoder's.
std::vector<Point> pamPoints(const Picture& truth, const Picture& decoded, Planes planes, const Preferences& prefs) {
    const int32_t levels = levelCount(prefs);
    const int32_t background = planes.nearest + levels - planes.farthest;
    std::vector<Point> points;
    for (int32_t y = 0; y < truth.height; ++y) {
        std::vector<Point> byLeft(static_cast<size_t>(truth.width), Point{-1, background, 0, 0});
        std::vector<bool> overlapped(static_cast<size_t>(truth.width), false);
        for (int32_t x = 0; x < truth.width; ++x) {
            const uint8_t d = rowOf(truth, y)[x];
            const int32_t separation = pamSeparation(planes, d);
            const int32_t left = x - separation / 2;
            if (left < 0 || left + planes.farthest >= truth.width) continue;
            Point& p = byLeft[static_cast<size_t>(left)];
            const int32_t level = planes.nearest + levels - separation;
            overlapped[static_cast<size_t>(left)] = overlapped[static_cast<size_t>(left)] || (p.expected >= 0 && p.expected != level);
            p = Point{level, background, d, levelOfGrey(rowOf(decoded, y)[left], prefs.depthStep)};
        }
        for (int32_t left = 0; left < truth.width; ++left)
            if (byLeft[static_cast<size_t>(left)].expected >= 0 && !overlapped[static_cast<size_t>(left)])
                points.push_back(byLeft[static_cast<size_t>(left)]);
    }
    return points;
}

double sameShare(const Picture& a, const Picture& b, int32_t stripWidth) {
    int64_t same = 0, all = 0;
    for (int32_t y = 0; y < a.height; ++y)
        for (int32_t x = 0; x + stripWidth < a.width; ++x) {
            if (y >= ConvergenceRowsFirst && y < ConvergenceRowsEnd) continue;
            ++all;
            same += rowOf(a, y)[x] == rowOf(b, y)[x];
        }
    return all > 0 ? 100.0 * same / all : 0;
}

// --- The table

struct Row {
    std::string kind, depth, pattern, eye, file;
    int32_t levels;
    int32_t widths[2];
    Scores scores[2];
    double twin = -1;  // colour rows: agreement with the grey twin, tolerant
};

std::vector<Row> rows;
std::string only;

bool chosen(const std::string& kind, const std::string& depth, const std::string& pattern, const std::string& eye,
            int32_t levels) {
    return (kind + " " + depth + " " + pattern + " " + eye + " " + std::to_string(levels)).find(only) !=
           std::string::npos;
}

void printRow(const Row& r) {
    std::printf("%-6s %-10s %-7s %-5s %3d %-8s |%4d %6.1f %6.1f %6.3f |%4d %6.1f %6.1f %6.3f", r.kind.c_str(),
                r.depth.c_str(), r.pattern.c_str(), r.eye.c_str(), r.levels, r.file.c_str(), r.widths[0],
                r.scores[0].atLevel, r.scores[0].withinOne, r.scores[0].rho, r.widths[1], r.scores[1].atLevel,
                r.scores[1].withinOne, r.scores[1].rho);
    if (r.twin >= 0) std::printf(" | twin %5.1f", r.twin);
    std::printf("\n");
    std::fflush(stdout);
}

void printHeader() {
    std::printf("%-6s %-10s %-7s %-5s %3s %-8s |%4s %6s %6s %6s |%4s %6s %6s %6s\n", "kind", "depth", "pattern",
                "eye", "lv", "file", "w", "level", "near", "rho", "w", "level", "near", "rho");
    std::printf("%-42s |%-26s |%-26s\n", "", " exact decoder", " tolerant decoder");
}

struct Ours {
    std::string name;
    const Picture* depth;
};

void measureOurs(const Ours& map, const std::string& pattern, bool wallEyed, int32_t levels, bool colour,
                 const std::vector<int32_t>& qualities) {
    if (!chosen(colour ? "ours-c" : "ours", map.name, pattern, wallEyed ? "wall" : "cross", levels)) return;
    const Preferences prefs = settingsOf(levels, wallEyed, pattern == "random", colour);
    int32_t stripWidth = 0;
    const Picture stereogram = ourStereogram(*map.depth, prefs, stripWidth);
    Picture twinDecoded;
    if (colour) {
        int32_t unused = 0;
        const Picture twin = ourStereogram(*map.depth, settingsOf(levels, wallEyed, pattern == "random", false), unused);
        twinDecoded = readTolerantly(twin, prefs, stripWidth).depth;
    }
    for (int32_t quality : qualities) {
        const Picture file = throughJpeg(stereogram, quality);
        Row row{colour ? "ours-c" : "ours", map.name, pattern, wallEyed ? "wall" : "cross", fileName(quality), levels,
                {0, 0}, {}, -1};
        const Reading readings[2] = {readExactly(file, prefs, stripWidth), readTolerantly(file, prefs, stripWidth)};
        for (int32_t i = 0; i < 2; ++i) {
            row.widths[i] = readings[i].stripWidth;
            row.scores[i] = scoresOf(ourPoints(*map.depth, readings[i].depth, stripWidth, prefs));
        }
        if (colour) row.twin = sameShare(readings[1].depth, twinDecoded, stripWidth);
        rows.push_back(row);
        printRow(row);
    }
}

void measurePam(const fs::path& work, const Ours& map, int32_t levels, bool colourStripOn) {
    if (!chosen("pam", map.name, colourStripOn ? "strip-c" : "dots", "wall", levels)) return;
    const Preferences prefs = settingsOf(levels, true, true, colourStripOn);
    const Planes planes{map.depth->width / 5, map.depth->width / 5 + levels};
    const Picture strip = colourStrip(planes.farthest, 64);
    const Picture stereogram = pamStereogram(work, *map.depth, planes, colourStripOn ? &strip : nullptr);
    Picture twinDecoded;
    if (colourStripOn) {
        const Picture greyStrip = greyTwin(strip);
        twinDecoded = readTolerantly(pamStereogram(work, *map.depth, planes, &greyStrip), prefs, planes.nearest).depth;
    }
    for (int32_t quality : Qualities) {
        const Picture file = throughJpeg(stereogram, quality);
        Row row{"pam", map.name, colourStripOn ? "strip-c" : "dots", "wall", fileName(quality), levels, {0, 0}, {}, -1};
        const Reading readings[2] = {readExactly(file, prefs, planes.nearest),
                                     readTolerantly(file, prefs, planes.nearest)};
        for (int32_t i = 0; i < 2; ++i) {
            row.widths[i] = readings[i].stripWidth;
            row.scores[i] = scoresOf(pamPoints(*map.depth, readings[i].depth, planes, prefs));
        }
        if (colourStripOn && quality == 0) row.twin = sameShare(readings[1].depth, twinDecoded, planes.farthest);
        rows.push_back(row);
        printRow(row);
    }
}

// Means (and the worst) of the rows of each kind and file.
void printSummary() {
    std::printf("\nBy kind and file: the mean over the rows above (the worst in brackets)\n");
    std::printf("%-24s %4s | %-31s | %-31s\n", "", "rows", "exact: level / near / rho", "tolerant: level / near / rho");
    std::map<std::string, std::vector<const Row*>> groups;
    std::vector<std::string> order;
    for (const Row& r : rows) {
        const std::string key = r.kind + " " + r.pattern + " " + r.file;
        if (groups[key].empty()) order.push_back(key);
        groups[key].push_back(&r);
    }
    for (const std::string& key : order) {
        const auto& group = groups[key];
        std::printf("%-24s %4zu |", key.c_str(), group.size());
        for (int32_t i = 0; i < 2; ++i) {
            double level = 0, near = 0, rho = 0, worstLevel = 100, worstNear = 100, worstRho = 1;
            for (const Row* r : group) {
                level += r->scores[i].atLevel, near += r->scores[i].withinOne, rho += r->scores[i].rho;
                worstLevel = std::min(worstLevel, r->scores[i].atLevel);
                worstNear = std::min(worstNear, r->scores[i].withinOne);
                worstRho = std::min(worstRho, r->scores[i].rho);
            }
            const double n = static_cast<double>(group.size());
            std::printf(" %5.1f(%5.1f) %5.1f(%5.1f) %5.3f(%5.3f) |", level / n, worstLevel, near / n, worstNear,
                        rho / n, worstRho);
        }
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: %s SAMPLES WORK [ONLY]\n", argv[0]);
        return 2;
    }
    if (argc == 4) only = argv[3];
    const fs::path samples = argv[1], work = argv[2];
    fs::create_directories(work);
    const Picture spheres = readSample(samples, "kule-640x480.bmp");
    const Picture ramp = readSample(samples, "rampa-640x480.bmp");
    const Picture text = readSample(samples, "napis-640x480.bmp");
    const Picture steps = stepsDepth(640, 480);
    const Picture small = spheresDepth(320, 200);
    const Ours maps[] = {{"spheres", &spheres}, {"ramp", &ramp}, {"text", &text}, {"steps", &steps}};
    const std::vector<int32_t> qualities(std::begin(Qualities), std::end(Qualities));

    printHeader();
    for (const Ours& map : maps)
        for (const char* pattern : {"random", "ramp"})
            for (bool wallEyed : {true, false})
                for (int32_t levels : {8, 16}) measureOurs(map, pattern, wallEyed, levels, false, qualities);
    measureOurs(Ours{"spheres320", &small}, "random", true, 8, false, {0, 98, 95});
    for (const Ours& map : maps) measureOurs(map, "random", true, 8, true, {0});
    for (const Ours& map : maps)
        for (bool colourStripOn : {false, true})
            for (int32_t levels : {8, 16}) measurePam(work, map, levels, colourStripOn);
    printSummary();
    return 0;
}
