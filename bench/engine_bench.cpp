// Timings of the engine, the BMP loader, the views and the PNG and GIF
// writers on 640 x 480, 1920 x 1080 and 3840 x 2160 pictures, each next to
// the plain version that the unit tests compare against ("reference/...";
// for PNG, stb_image_write): the core's work alone, without the window's
// share of a command. Generation, decoding (the exact and the tolerant
// decoder) and the batch run on every core, and again on one ("/1core").
// Every benchmark reports the wall time, and per_px, the time per pixel of
// its input; the writers also report the size of the file they made
// (bytes).
//
//   tavrelic_bench [Google Benchmark's flags]
//   tavrelic_bench --write-depth-map FILE WIDTH HEIGHT
//     writes the smooth depth map that the benchmarks start from as a 24-bit
//     BMP file (a grey PNG when FILE ends in .png), so that the wait of the
//     real window and tavrelic-cli's frames are measured on the same
//     picture;
//   tavrelic_bench --write-moving-sphere PREFIX WIDTH HEIGHT COUNT
//     writes the COUNT frames of a sphere crossing the picture as the BMP
//     files PREFIX01.bmp, PREFIX02.bmp and so on.
#include <benchmark/benchmark.h>
#include <stb_image_write.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_samples.h"
#include "bmp_samples.h"
#include "engine/engine.h"
#include "engine/random_batch.h"
#include "files/gif_encoder.h"
#include "files/pictures.h"
#include "files/png_encoder.h"
#include "reference_decoding.h"
#include "reference_generation.h"
#include "test_runtime.h"
#include "views/views.h"

namespace {

// The initial preferences, as the plain versions take them.
constexpr int32_t RepeatCount = 5;
constexpr int32_t DepthBits = 3;
constexpr int32_t MinMatch = 2;
constexpr int32_t SearchRange = 165;

// On noise the plain decoding takes over a microsecond per pixel; at the
// largest size it is timed on this many rows from the top.
constexpr int32_t ReferenceNoiseRows = 54;

struct Samples {
    int32_t width;
    int32_t height;
    std::string name;
    std::vector<uint8_t> depth;
    std::vector<uint8_t> stereogram;
    std::vector<uint8_t> noise;
};

int64_t pixelsOf(int32_t width, int32_t height) { return static_cast<int64_t>(width) * height; }

// The inverted rate of pixels per second of CPU time: the time per pixel.
void countPixels(benchmark::State& state, int64_t pixels) {
    state.counters["per_px"] = benchmark::Counter(
        static_cast<double>(pixels), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

UnresolvedPolicy policyOf(int32_t policy) {
    const UnresolvedPolicy policies[] = {UnresolvedPolicy::KeepPrevious, UnresolvedPolicy::Random,
                                         UnresolvedPolicy::Background};
    return policies[policy];
}

const char* policyName(int32_t policy) {
    const char* names[] = {"keep", "random", "background"};
    return names[policy];
}

// The top `rows` rows of a picture.
std::vector<uint8_t> topRows(const std::vector<uint8_t>& pixels, int32_t width, int32_t rows) {
    return std::vector<uint8_t>(pixels.begin(), pixels.begin() + pixelsOf(width, rows));
}

// What the engine's work is done on: the pictures of a session, as plain
// pictures, with the initial preferences (colour as asked) and a pattern
// generated for the depth map.
struct Session {
    Runtime& runtime = testRuntime();
    Preferences prefs;
    uint32_t randomState = FirstRandomState;
    Picture depth;
    Picture pattern;
    Picture stereogram;
    int32_t stripWidth = 0;
};

void prepare(Session& session, const Samples& s, const std::vector<uint8_t>& depth, bool colour) {
    session.prefs.colour = colour;
    session.depth = pictureOf(s.width, s.height, depth);
    session.stripWidth = s.width / RepeatCount;
    makePattern(session.runtime, session.stripWidth, s.height, session.prefs, session.randomState, session.pattern);
}

// The engine's work for the commands that make and read stereograms: the
// core alone, without the picture a window would then show (the view/ and
// screen/ benchmarks time that).
Outcome generateOnce(Session& session) {
    return makeStereogram(session.runtime, session.depth, session.pattern, session.prefs, session.randomState,
                          Progress{}, session.stereogram);
}

Outcome decodeOnce(Session& session) {
    const StripWidth found = findStripWidth(session.stereogram, session.prefs, session.stripWidth);
    return decodeRows(session.runtime, session.stereogram, found.width, session.prefs, session.randomState, Progress{},
                      session.depth);
}

// The tolerant decoder's work for the same command: its width detection,
// then its decoding (no certainty picture, as the depth map alone is shown).
Outcome decodeTolerantlyOnce(Session& session) {
    const StripWidth found = findStripWidthTolerant(session.runtime, session.stereogram, session.prefs,
                                                    session.stripWidth);
    return decodeRowsTolerant(session.runtime, session.stereogram, found.width, session.prefs, Progress{},
                              session.depth, nullptr);
}

// The batch's five passes of generating and decoding.
Outcome roundTripOnce(Session& session) {
    for (int pass = 1; pass <= 5; ++pass) {
        Outcome outcome = generateOnce(session);
        if (outcome.kind == OutcomeKind::Done) outcome = decodeOnce(session);
        if (outcome.kind != OutcomeKind::Done) return outcome;
    }
    return doneOutcome();
}

// Times the engine's work on the pictures as a user reaches them: a depth
// map and a pattern generated for it, grey or in colour. Work that does not
// get done stops the benchmark, rather than timing a refusal.
void benchWithPattern(benchmark::State& state, const Samples& s, const std::vector<uint8_t>& depth,
                      Outcome (*work)(Session&), bool colour = false) {
    Session session;
    prepare(session, s, depth, colour);
    for (auto _ : state) {
        if (work(session).kind != OutcomeKind::Done) {
            state.SkipWithError("the work was not done");
            break;
        }
        benchmark::ClobberMemory();
    }
    countPixels(state, pixelsOf(s.width, s.height));
}

void benchReferenceGenerate(benchmark::State& state, const Samples& s, const std::vector<uint8_t>& depth) {
    GenerationInputs in;
    in.width = s.width;
    in.height = s.height;
    in.repeatCount = RepeatCount;
    in.depthBits = DepthBits;
    in.depth = depth;
    in.patternWidth = s.width / RepeatCount;
    in.pattern = referencePattern(in.patternWidth, s.height, true, in.randomState);
    for (auto _ : state) {
        GeneratedStereogram out = referenceGenerate(in);
        benchmark::DoNotOptimize(out.pixels.data());
    }
    countPixels(state, pixelsOf(s.width, s.height));
}

void benchPattern(benchmark::State& state, const Samples& s) {
    Session session;
    for (auto _ : state) {
        makePattern(session.runtime, s.width / RepeatCount, s.height, session.prefs, session.randomState,
                    session.pattern);
        benchmark::DoNotOptimize(session.pattern.pixels.get());
    }
    countPixels(state, pixelsOf(s.width / RepeatCount, s.height));
}

void benchReferencePattern(benchmark::State& state, const Samples& s) {
    uint32_t randomState = 1;
    for (auto _ : state) {
        std::vector<uint8_t> pattern = referencePattern(s.width / RepeatCount, s.height, true, randomState);
        benchmark::DoNotOptimize(pattern.data());
    }
    countPixels(state, pixelsOf(s.width / RepeatCount, s.height));
}

void benchDetect(benchmark::State& state, const Samples& s, const std::vector<uint8_t>& pixels) {
    const Picture stereogram = pictureOf(s.width, s.height, pixels);
    for (auto _ : state) benchmark::DoNotOptimize(detectPatternWidth(stereogram, MinMatch));
    countPixels(state, pixelsOf(s.width, s.height));
}

void benchReferenceDetect(benchmark::State& state, const Samples& s, const std::vector<uint8_t>& pixels) {
    for (auto _ : state) benchmark::DoNotOptimize(referenceDetectWidth(pixels, s.width, s.height, MinMatch));
    countPixels(state, pixelsOf(s.width, s.height));
}

void benchDecode(benchmark::State& state, const Samples& s, const std::vector<uint8_t>& pixels, int32_t policy) {
    Session session;
    session.stereogram = pictureOf(s.width, s.height, pixels);
    session.stripWidth = s.width / RepeatCount;
    session.prefs.unresolvedPolicy = policyOf(policy);
    for (auto _ : state) {
        decodeOnce(session);
        benchmark::DoNotOptimize(session.depth.pixels.get());
    }
    countPixels(state, pixelsOf(s.width, s.height));
}

// The stereogram (made with 8 levels) decoded as having 2^depthBits levels:
// the time grows with the candidates a point has.
void benchDecodeTolerantly(benchmark::State& state, const Samples& s, const std::vector<uint8_t>& pixels,
                           int32_t depthBits = DepthBits) {
    Session session;
    storeDepthBits(session.prefs, depthBits);
    session.stereogram = pictureOf(s.width, s.height, pixels);
    session.stripWidth = s.width / RepeatCount;
    for (auto _ : state) {
        if (decodeTolerantlyOnce(session).kind != OutcomeKind::Done) {
            state.SkipWithError("the work was not done");
            break;
        }
        benchmark::DoNotOptimize(session.depth.pixels.get());
    }
    countPixels(state, pixelsOf(s.width, s.height));
}

void benchDetectTolerantly(benchmark::State& state, const Samples& s, const std::vector<uint8_t>& pixels) {
    const Picture stereogram = pictureOf(s.width, s.height, pixels);
    const Preferences prefs;
    for (auto _ : state) benchmark::DoNotOptimize(findStripWidthTolerant(testRuntime(), stereogram, prefs, 0).width);
    countPixels(state, pixelsOf(s.width, s.height));
}

void benchReferenceDecode(benchmark::State& state, const Samples& s, const std::vector<uint8_t>& pixels,
                          int32_t rows, int32_t policy) {
    ReferenceSettings settings;
    settings.depthBits = DepthBits;
    settings.minMatch = MinMatch;
    settings.searchRange = SearchRange;
    settings.policy = policy;
    settings.patternWidth = s.width / RepeatCount;
    const std::vector<uint8_t> slice = topRows(pixels, s.width, rows);
    for (auto _ : state) {
        ReferenceDecoding out = referenceDecode(slice, s.width, rows, settings, 1);
        benchmark::DoNotOptimize(out.depthMap.data());
    }
    countPixels(state, pixelsOf(s.width, rows));
}

void benchLoadBmp(benchmark::State& state, const Samples& s) {
    const std::filesystem::path file = std::filesystem::temp_directory_path() / ("tavrelic_bench_" + s.name + ".bmp");
    writeSampleFile(file, makeGreyBmp(s.width, s.height, [&s](int32_t x, int32_t y) {
                        return s.stereogram[static_cast<size_t>(y) * static_cast<size_t>(s.width) + x];
                    }));
    Picture picture;
    BmpFrame frame;
    for (auto _ : state)
        benchmark::DoNotOptimize(readPictureFile(testRuntime(), file, ReadRequest{}, picture, frame));
    countPixels(state, pixelsOf(s.width, s.height));
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

// The stereo pair of the depth map, in one of its forms, at the automatic
// parallax.
void benchStereoPair(benchmark::State& state, const Samples& s, PairForm form) {
    const Picture depth = pictureOf(s.width, s.height, s.depth);
    Picture pair;
    for (auto _ : state) {
        makeStereoPair(testRuntime(), depth, parallaxFor(0, s.width), form, pair);
        benchmark::DoNotOptimize(pair.pixels.get());
    }
    countPixels(state, pixelsOf(s.width, s.height));
}

// The stereogram of the samples' depth map, grey or in colour.
Picture stereogramOf(const Samples& s, bool colour) {
    Session session;
    prepare(session, s, s.depth, colour);
    generateOnce(session);
    return std::move(session.stereogram);
}

// The size of the file each pass made, beside the time.
void countBytes(benchmark::State& state, size_t bytes) {
    state.counters["bytes"] = static_cast<double>(bytes);
}

void benchPng(benchmark::State& state, const Samples& s, bool colour) {
    const Picture stereogram = stereogramOf(s, colour);
    EncodedBytes png;
    for (auto _ : state) {
        if (!encodePng(testRuntime(), stereogram, stereogram.channels, png)) {
            state.SkipWithError("out of memory");
            break;
        }
        benchmark::DoNotOptimize(png.bytes.get());
    }
    countBytes(state, png.size);
    countPixels(state, pixelsOf(s.width, s.height));
}

void keepStbPng(void* context, void* data, int size) {
    *static_cast<size_t*>(context) += static_cast<size_t>(size);
    benchmark::DoNotOptimize(data);
}

// The PNG files of stb_image_write, which the program wrote before it had
// its own writer.
void benchStbPng(benchmark::State& state, const Samples& s, bool colour) {
    const Picture stereogram = stereogramOf(s, colour);
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        stbi_write_png_to_func(keepStbPng, &bytes, s.width, s.height, stereogram.channels,
                               stereogram.pixels.get(), static_cast<int>(rowBytes(stereogram)));
    }
    countBytes(state, bytes);
    countPixels(state, pixelsOf(s.width, s.height));
}

void benchGifFrame(benchmark::State& state, const Samples& s, bool colour) {
    const Picture stereogram = stereogramOf(s, colour);
    EncodedBytes frame;
    for (auto _ : state) {
        if (!encodeGifFrame(testRuntime(), stereogram, 8, frame)) {
            state.SkipWithError("out of memory");
            break;
        }
        benchmark::DoNotOptimize(frame.bytes.get());
    }
    countBytes(state, frame.size);
    countPixels(state, pixelsOf(s.width, s.height));
}

// A view written into the picture on show, as a save wants it, or for the
// screen, as the window paints it.
enum class ViewTarget { PictureOnShow, Screen };

void benchView(benchmark::State& state, const Samples& s, ViewKind view, ViewTarget target) {
    const Picture stereogram = pictureOf(s.width, s.height, s.stereogram);
    const Picture depth = pictureOf(s.width, s.height, s.depth);
    const int32_t patternWidth = s.width / RepeatCount;
    const Picture pattern = pictureOf(patternWidth, s.height, topRows(s.noise, patternWidth, s.height));
    const Picture* rasters[] = {&stereogram, &stereogram, &depth, &depth, &pattern, &pattern};
    const ViewInputs inputs{rasters[static_cast<int32_t>(view) - 1], s.width, s.height, patternWidth, 32};
    Picture shown;
    std::vector<uint32_t> screen(static_cast<size_t>(pixelsOf(s.width, s.height)));
    for (auto _ : state) {
        if (target == ViewTarget::Screen)
            drawViewForScreen(testRuntime(), view, inputs, screen.data());
        else
            drawView(testRuntime(), view, inputs, shown);
        benchmark::DoNotOptimize(shown.pixels.get());
        benchmark::DoNotOptimize(screen.data());
    }
    countPixels(state, pixelsOf(s.width, s.height));
}

// The same work on one core: what every core gains.
template <class Body>
auto onOneCore(Body body) {
    return [body](benchmark::State& st) {
        Runtime& runtime = testRuntime();
        const int32_t threads = runtime.threads.exchange(1);
        body(st);
        runtime.threads = threads;
    };
}

struct ViewBench {
    const char* name;
    ViewKind view;
};

const ViewBench ViewBenches[] = {
    {"stereogram_dots", ViewKind::StereogramWithDots}, {"stereogram_plain", ViewKind::StereogramPlain},
    {"depth_quantised", ViewKind::DepthQuantised},     {"depth_original", ViewKind::DepthOriginal},
    {"pattern_strip", ViewKind::PatternStrip},         {"pattern_tiled", ViewKind::PatternTiled},
};

template <class Body>
void add(const std::string& name, Body body) {
    benchmark::RegisterBenchmark(name.c_str(), body)->Unit(benchmark::kMillisecond)->UseRealTime();
}

void registerFor(const Samples& s) {
    const std::string at = "/" + s.name;
    const auto generate = [&s](benchmark::State& st) { benchWithPattern(st, s, s.depth, generateOnce); };
    add("generate" + at, generate);
    add("generate/1core" + at, onOneCore(generate));
    // In colour: a colour pattern and colour random fill, three channels a
    // pixel where grey has one.
    const auto colour = [&s](benchmark::State& st) { benchWithPattern(st, s, s.depth, generateOnce, true); };
    add("generate/colour" + at, colour);
    add("generate/colour/1core" + at, onOneCore(colour));
    add("reference/generate" + at, [&s](benchmark::State& st) { benchReferenceGenerate(st, s, s.depth); });
    // A noisy depth map: the separation changes at nearly every pixel.
    add("generate/noise_depth" + at,
        [&s](benchmark::State& st) { benchWithPattern(st, s, s.noise, generateOnce); });
    add("reference/generate/noise_depth" + at,
        [&s](benchmark::State& st) { benchReferenceGenerate(st, s, s.noise); });
    add("pattern" + at, [&s](benchmark::State& st) { benchPattern(st, s); });
    add("reference/pattern" + at, [&s](benchmark::State& st) { benchReferencePattern(st, s); });
    add("detect/stereogram" + at, [&s](benchmark::State& st) { benchDetect(st, s, s.stereogram); });
    add("reference/detect/stereogram" + at, [&s](benchmark::State& st) { benchReferenceDetect(st, s, s.stereogram); });
    add("detect/noise" + at, [&s](benchmark::State& st) { benchDetect(st, s, s.noise); });
    add("reference/detect/noise" + at, [&s](benchmark::State& st) { benchReferenceDetect(st, s, s.noise); });
    const int32_t noiseRows = s.height > 1000 ? ReferenceNoiseRows : s.height;
    for (int32_t policy = 0; policy < 3; ++policy) {
        const std::string kind = std::string("decode/") + policyName(policy);
        add(kind + "/stereogram" + at, [&s, policy](benchmark::State& st) { benchDecode(st, s, s.stereogram, policy); });
        add("reference/" + kind + "/stereogram" + at, [&s, policy](benchmark::State& st) {
            benchReferenceDecode(st, s, s.stereogram, s.height, policy);
        });
        add(kind + "/noise" + at, [&s, policy](benchmark::State& st) { benchDecode(st, s, s.noise, policy); });
        add("reference/" + kind + "/noise" + at, [&s, policy, noiseRows](benchmark::State& st) {
            benchReferenceDecode(st, s, s.noise, noiseRows, policy);
        });
    }
    const auto decode = [&s](benchmark::State& st) { benchDecode(st, s, s.stereogram, 0); };
    add("decode/keep/stereogram/1core" + at, onOneCore(decode));
    // The tolerant decoder: width detection and decoding, as for a JPEG.
    const auto tolerant = [&s](benchmark::State& st) { benchDecodeTolerantly(st, s, s.stereogram); };
    add("decode_tolerant/stereogram" + at, tolerant);
    add("decode_tolerant/stereogram/1core" + at, onOneCore(tolerant));
    for (const int32_t depthBits : {4, 8})
        add("decode_tolerant/" + std::to_string(1 << depthBits) + "levels" + at,
            [&s, depthBits](benchmark::State& st) { benchDecodeTolerantly(st, s, s.stereogram, depthBits); });
    add("detect_tolerant/stereogram" + at, [&s](benchmark::State& st) { benchDetectTolerantly(st, s, s.stereogram); });
    add("detect_tolerant/noise" + at, [&s](benchmark::State& st) { benchDetectTolerantly(st, s, s.noise); });
    add("load_bmp" + at, [&s](benchmark::State& st) { benchLoadBmp(st, s); });
    const auto roundTrip = [&s](benchmark::State& st) { benchWithPattern(st, s, s.depth, roundTripOnce); };
    add("round_trip" + at, roundTrip);
    add("round_trip/1core" + at, onOneCore(roundTrip));
    const std::pair<const char*, PairForm> pairs[] = {
        {"anaglyph", PairForm::Anaglyph}, {"side_by_side", PairForm::SideBySide}, {"cross_view", PairForm::CrossView}};
    for (const auto& [name, form] : pairs) {
        const PairForm chosen = form;
        const auto pair = [&s, chosen](benchmark::State& st) { benchStereoPair(st, s, chosen); };
        add(std::string("stereo_pair/") + name + at, pair);
        add(std::string("stereo_pair/") + name + "/1core" + at, onOneCore(pair));
    }
    // Writing a stereogram as PNG, and as a frame of a GIF, on one core.
    for (const bool colour : {false, true}) {
        const std::string kind = colour ? "/colour" : "";
        add("png" + kind + "/1core" + at, onOneCore([&s, colour](benchmark::State& st) { benchPng(st, s, colour); }));
        add("reference/stb_png" + kind + "/1core" + at,
            onOneCore([&s, colour](benchmark::State& st) { benchStbPng(st, s, colour); }));
        add("gif_frame" + kind + "/1core" + at,
            onOneCore([&s, colour](benchmark::State& st) { benchGifFrame(st, s, colour); }));
    }
    for (const ViewBench& v : ViewBenches) {
        add(std::string("view/") + v.name + at,
            [&s, &v](benchmark::State& st) { benchView(st, s, v.view, ViewTarget::PictureOnShow); });
        add(std::string("screen/") + v.name + at,
            [&s, &v](benchmark::State& st) { benchView(st, s, v.view, ViewTarget::Screen); });
    }
}

// A grey depth map written by the program's own writers, as BMP or PNG by
// the name; 0 when it was written.
int writeGrey(const std::filesystem::path& fileName, int32_t width, int32_t height, const std::vector<uint8_t>& depth) {
    const Picture picture = pictureOf(width, height, depth);
    BmpFrame frame;
    makePlainFrame(frame, width, height);
    return writePictureFile(testRuntime(), fileName, picture, frame).kind == OutcomeKind::Done ? 0 : 1;
}

int writeMovingSphere(const std::string& prefix, int32_t width, int32_t height, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%02d", static_cast<int>(i + 1));
        if (writeGrey(prefix + number + ".bmp", width, height, movingSphereDepthMap(width, height, i, count)) != 0)
            return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--write-depth-map")
        return writeGrey(argv[2], std::atoi(argv[3]), std::atoi(argv[4]),
                         smoothDepthMap(std::atoi(argv[3]), std::atoi(argv[4])));
    if (argc == 6 && std::string(argv[1]) == "--write-moving-sphere")
        return writeMovingSphere(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    benchmark::Initialize(&argc, argv);
    // A deque keeps every sample where it is while more are added.
    std::deque<Samples> samples;
    for (const auto& [width, height] : {std::pair<int32_t, int32_t>{640, 480}, {1920, 1080}, {3840, 2160}}) {
        samples.push_back({width, height, std::to_string(width) + "x" + std::to_string(height),
                           smoothDepthMap(width, height), generatedStereogram(width, height),
                           noiseImage(width, height, static_cast<uint32_t>(width))});
        registerFor(samples.back());
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
