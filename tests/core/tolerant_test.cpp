// The tolerant decoder: on a clean stereogram it reads what the exact
// decoder reads; through JPEG's losses it still reads the depth; its width
// detection finds the strip under noise and nothing in noise that never
// repeats; occluded points take the farther depth; colour is matched on
// every channel; progress, stopping and the threads behave as in the exact
// decoder; and the helpers that compare eight costs at a time give what
// their plain loops give.
#include <gtest/gtest.h>

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "engine/cost_lanes.h"
#include "engine/engine.h"
#include "engine/random_batch.h"
#include "files/pictures.h"
#include "files/stb_codecs.h"
#include "test_runtime.h"
#include "told_progress.h"

namespace {

// A depth map and the strip its stereogram is made with, at the initial
// repeat count of 5.
struct Scene {
    int32_t width;
    int32_t height;
    std::vector<uint8_t> depth;

    int32_t strip() const { return width / 5; }
    uint8_t at(int32_t x, int32_t y) const { return depth[static_cast<size_t>(y) * width + x]; }
};

constexpr int32_t Width = 320;
constexpr int32_t Height = 120;
constexpr int32_t Strip = Width / 5;

// Two domes over flat ground, and a raised block with sharp edges.
Scene domesAndBlock() {
    Scene s{Width, Height, {}};
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x = 0; x < Width; ++x) {
            const double a = std::pow((x - 90) / 45.0, 2) + std::pow((y - 50) / 40.0, 2);
            const double b = std::pow((x - 165) / 30.0, 2) + std::pow((y - 80) / 30.0, 2);
            double value = x >= 200 && x < 240 && y >= 20 && y < 100 ? 160.0 : 0.0;
            if (a < 1) value = std::fmax(value, 255 * (1 - a) * (1 - a));
            if (b < 1) value = std::fmax(value, 200 * (1 - b) * (1 - b));
            s.depth.push_back(static_cast<uint8_t>(value));
        }
    return s;
}

// A slope rising from the left edge to the right, with a step in the
// middle rows.
Scene slope(int32_t width, int32_t height) {
    Scene s{width, height, {}};
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            s.depth.push_back(static_cast<uint8_t>(
                std::min(255, x * 255 / (width - 1) + (y >= height / 3 && y < 2 * height / 3 ? 40 : 0))));
    return s;
}

Preferences settingsOf(int32_t depthBits, bool wallEyed) {
    Preferences prefs;
    storeDepthBits(prefs, depthBits);
    prefs.wallEyed = wallEyed;
    return prefs;
}

// The program's stereogram of the scene, with a pattern generated for it.
Picture generated(const Scene& scene, const Preferences& prefs) {
    uint32_t state = FirstRandomState;
    Picture pattern;
    Picture stereogram;
    EXPECT_EQ(makePattern(testRuntime(), scene.strip(), scene.height, prefs, state, pattern).kind, OutcomeKind::Done);
    EXPECT_EQ(makeStereogram(testRuntime(), pictureOf(scene.width, scene.height, scene.depth), pattern, prefs, state,
                             Progress{}, stereogram)
                  .kind,
              OutcomeKind::Done);
    return stereogram;
}

// The picture as a JPEG file of that quality gives it back.
Picture throughJpeg(const Picture& picture, int32_t quality) {
    std::vector<uint8_t> file;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto& bytes = *static_cast<std::vector<uint8_t>*>(context);
            bytes.insert(bytes.end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        },
        &file, picture.width, picture.height, picture.channels, picture.pixels.get(), quality);
    Picture back;
    BmpFrame frame;
    EXPECT_EQ(readPictureBytes(testRuntime(), file.data(), file.size(), ReadRequest{picture.channels}, back, frame).kind,
              OutcomeKind::Done);
    return back;
}

Picture decodedTolerantly(const Picture& stereogram, const Preferences& prefs, int32_t stripWidth = Strip,
                          Picture* certainty = nullptr, int32_t threads = 0) {
    Picture depth;
    EXPECT_EQ(decodeRowsTolerant(testRuntime(), stereogram, stripWidth, prefs,
                                 Progress{nullptr, nullptr, nullptr, threads}, depth, certainty)
                  .kind,
              OutcomeKind::Done);
    return depth;
}

Picture decodedExactly(const Picture& stereogram, const Preferences& prefs) {
    uint32_t state = FirstRandomState;
    Picture depth;
    EXPECT_EQ(decodeRows(testRuntime(), stereogram, Strip, prefs, state, Progress{}, depth).kind, OutcomeKind::Done);
    return depth;
}

// The level generation gives depth d, which decodes back as stripWidth +
// levels - separation: (d + 1) / step wall-eyed, (256 - d) / step
// cross-eyed.
int32_t levelOfDepth(uint8_t d, const Preferences& prefs) {
    return (prefs.wallEyed ? d + 1 : 256 - d) / prefs.depthStep;
}

int32_t levelOfGrey(uint8_t grey, const Preferences& prefs) {
    return (grey + 1) / prefs.depthStep;
}

// Of the points whose partners all lie in the row (before the last strip
// and its levels), the share in percent whose decoded level is within
// `slack` of the depth's; off the background only, if asked.
double shareAtLevel(const Picture& decoded, const Scene& scene, const Preferences& prefs, int32_t slack,
                    bool offBackground) {
    int64_t counted = 0, right = 0;
    for (int32_t y = 0; y < scene.height; ++y)
        for (int32_t x = 0; x + scene.strip() + levelCount(prefs) < scene.width; ++x) {
            const int32_t level = levelOfDepth(scene.at(x, y), prefs);
            if (offBackground && level == levelOfDepth(0, prefs)) continue;
            ++counted;
            right += std::abs(levelOfGrey(rowOf(decoded, y)[x], prefs) - level) <= slack;
        }
    return counted > 0 ? 100.0 * static_cast<double>(right) / static_cast<double>(counted) : 0;
}

struct Setting {
    int32_t depthBits;
    bool wallEyed;
};

std::string nameOf(const Setting& s) {
    return std::to_string(1 << s.depthBits) + " levels, " + (s.wallEyed ? "wall-eyed" : "cross-eyed");
}

const Setting Settings[] = {{3, true}, {3, false}, {4, true}, {4, false}};

// Where the level stays the same from `reach` points to the left to
// `reach` points past the farthest partner, in the row and in the `reach`
// rows above and below: no edge for either decoder to settle differently.
bool awayFromEdges(const Scene& scene, const Preferences& prefs, int32_t x, int32_t y, int32_t reach) {
    const int32_t level = levelOfDepth(scene.at(x, y), prefs);
    for (int32_t row = std::max(0, y - reach); row <= std::min(scene.height - 1, y + reach); ++row)
        for (int32_t i = std::max(0, x - reach); i <= x + scene.strip() + levelCount(prefs) + reach; ++i)
            if (levelOfDepth(scene.at(i, row), prefs) != level) return false;
    return true;
}

TEST(TolerantDecoder, ReadsACleanStereogramAsTheExactDecoderDoesAwayFromEdgesAndTheLastStrip) {
    const Scene scene = domesAndBlock();
    const int32_t reach = 3;
    for (const Setting& s : Settings) {
        SCOPED_TRACE(nameOf(s));
        const Preferences prefs = settingsOf(s.depthBits, s.wallEyed);
        const Picture stereogram = generated(scene, prefs);
        const Picture exact = decodedExactly(stereogram, prefs);
        const Picture tolerant = decodedTolerantly(stereogram, prefs);
        int64_t compared = 0;
        for (int32_t y = 0; y < Height; ++y)
            for (int32_t x = 0; x + Strip + levelCount(prefs) + reach < Width; ++x) {
                if (!awayFromEdges(scene, prefs, x, y, reach)) continue;
                ++compared;
                ASSERT_EQ(rowOf(tolerant, y)[x], rowOf(exact, y)[x]) << x << "," << y;
            }
        EXPECT_GT(compared, int64_t{Width - Strip} * Height / 5);
        // Beside the edges too, nearly every point is at its level.
        EXPECT_GT(shareAtLevel(tolerant, scene, prefs, 0, false), 95.0);
    }
}

// JPEG's losses at quality 75 leave the exact decoder few points at their
// level; the tolerant decoder still reads nearly all.
TEST(TolerantDecoder, ReadsTheDepthThroughJpeg) {
    const Scene scene = domesAndBlock();
    for (const Setting& s : Settings) {
        SCOPED_TRACE(nameOf(s));
        const Preferences prefs = settingsOf(s.depthBits, s.wallEyed);
        const Picture jpeg = throughJpeg(generated(scene, prefs), 75);
        const Picture tolerant = decodedTolerantly(jpeg, prefs);
        EXPECT_GT(shareAtLevel(tolerant, scene, prefs, 0, true), 85.0);
        EXPECT_GT(shareAtLevel(tolerant, scene, prefs, 1, false), 98.0);
        EXPECT_LT(shareAtLevel(decodedExactly(jpeg, prefs), scene, prefs, 0, true), 50.0);
    }
}

TEST(TolerantDecoder, FollowsASlope) {
    const Scene scene = slope(Width, Height);
    for (const Setting& s : Settings) {
        SCOPED_TRACE(nameOf(s));
        const Preferences prefs = settingsOf(s.depthBits, s.wallEyed);
        const Picture stereogram = generated(scene, prefs);
        EXPECT_GT(shareAtLevel(decodedTolerantly(stereogram, prefs), scene, prefs, 1, false), 97.0);
        EXPECT_GT(shareAtLevel(decodedTolerantly(throughJpeg(stereogram, 85), prefs), scene, prefs, 1, false), 97.0);
    }
}

// 256 levels go in groups of neighbouring separations, and each point
// takes the best of its group's: the slope still comes out within a level
// or two. (A strip and its 256 levels need a wide picture.)
TEST(TolerantDecoder, ReadsTwoHundredAndFiftySixLevels) {
    const Scene scene = slope(1200, 40);
    const Preferences prefs = settingsOf(8, true);
    const Picture stereogram = generated(scene, prefs);
    EXPECT_GT(shareAtLevel(decodedTolerantly(stereogram, prefs, scene.strip()), scene, prefs, 2, false), 95.0);
    EXPECT_GT(shareAtLevel(decodedTolerantly(throughJpeg(stereogram, 85), prefs, scene.strip()), scene, prefs, 2, false),
              90.0);
}

// A raised block on flat ground, wall-eyed: the points just left of the
// block copied themselves to where the block's own points then copied
// theirs, so they have no partner. They take the ground's depth, the
// farther side, and the certainty there is dark. (The one point beside the
// block shares its window with the block's first and may go either way.)
TEST(TolerantDecoder, OccludedPointsTakeTheFartherDepth) {
    Scene scene{Width, Height, std::vector<uint8_t>(static_cast<size_t>(Width) * Height, 0)};
    const int32_t left = 150, right = 210;
    for (int32_t y = 30; y < 90; ++y)
        for (int32_t x = left; x < right; ++x) scene.depth[static_cast<size_t>(y) * Width + x] = 255;
    const Preferences prefs = settingsOf(4, true);
    const Picture stereogram = generated(scene, prefs);
    Picture certainty;
    const Picture decoded = decodedTolerantly(stereogram, prefs, Strip, &certainty);
    // The block is 16 separations nearer: the 16 points before it are hidden.
    const int32_t hidden = levelOfDepth(255, prefs) - levelOfDepth(0, prefs);
    ASSERT_EQ(hidden, 16);
    int64_t darkHidden = 0;
    for (int32_t y = 32; y < 88; ++y) {
        for (int32_t x = left - hidden; x < left - 1; ++x) {
            EXPECT_EQ(rowOf(decoded, y)[x], 0) << x << "," << y;
            darkHidden += rowOf(certainty, y)[x] < 64;
        }
        EXPECT_EQ(rowOf(decoded, y)[left + 1], 255) << y;
        EXPECT_EQ(rowOf(decoded, y)[left - hidden - 2], 0) << y;
    }
    EXPECT_GT(darkHidden, 56 * (hidden - 1) * 9 / 10);
}

// Certainty is light where the repeats are clear, dark in the last strip,
// where no point has a partner to tell its separation by; there the depth
// carries on from the left, here the ground.
TEST(TolerantDecoder, CertaintyIsLightWhereTheRepeatsAreClearAndDarkInTheLastStrip) {
    const Preferences prefs = settingsOf(3, true);
    const Picture stereogram = throughJpeg(generated(domesAndBlock(), prefs), 85);
    Picture certainty;
    const Picture decoded = decodedTolerantly(stereogram, prefs, Strip, &certainty);
    int64_t groundCarriedOn = 0;
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x = Width - Strip - levelCount(prefs); x < Width; ++x) groundCarriedOn += rowOf(decoded, y)[x] == 0;
    EXPECT_GT(groundCarriedOn * 100, int64_t{Strip + 8} * Height * 95);
    ASSERT_EQ(certainty.width, Width);
    ASSERT_EQ(certainty.channels, GreyChannels);
    int64_t inside = 0, insideLight = 0, lastStrip = 0, lastStripDark = 0;
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x = 0; x < Width; ++x) {
            const uint8_t c = rowOf(certainty, y)[x];
            if (x + Strip + levelCount(prefs) < Width) {
                ++inside;
                insideLight += c >= 192;
            } else if (x >= Width - Strip) {
                ++lastStrip;
                lastStripDark += c < 64;
            }
        }
    EXPECT_GT(insideLight * 100, inside * 90);
    EXPECT_GT(lastStripDark * 100, lastStrip * 90);
}

// The width under JPEG's noise, in grey and in colour, wall- and
// cross-eyed; none in noise that never repeats, nor in a flat picture,
// nor in a picture too narrow to have strips: then the fallback with the
// exact decoder's notice.
TEST(TolerantWidthDetection, FindsTheStripUnderNoise) {
    const Scene scene = domesAndBlock();
    for (const Setting& s : Settings) {
        for (const bool colour : {false, true}) {
            SCOPED_TRACE(nameOf(s) + (colour ? ", colour" : ""));
            Preferences prefs = settingsOf(s.depthBits, s.wallEyed);
            prefs.colour = colour;
            for (const int32_t quality : {95, 75}) {
                const StripWidth found =
                    findStripWidthTolerant(testRuntime(), throughJpeg(generated(scene, prefs), quality), prefs, 7);
                EXPECT_EQ(found.width, Strip) << quality;
                EXPECT_FALSE(isMessage(found.notice));
            }
        }
    }
}

void expectNotFound(const Picture& picture) {
    const StripWidth found = findStripWidthTolerant(testRuntime(), picture, Preferences{}, 77);
    EXPECT_EQ(found.width, 77);
    EXPECT_EQ(found.notice.text, std::string("Nie znaleziono szerokosci patternu\nJako szerokość patternu zostanie "
                                             "wzięta wartość z preferencji"));
    EXPECT_EQ(found.notice.caption, std::string(""));
}

TEST(TolerantWidthDetection, FindsNoneWhereNothingRepeats) {
    uint32_t state = 99;
    std::vector<uint8_t> noise(static_cast<size_t>(Width) * Height * 3);
    for (uint8_t& v : noise) v = static_cast<uint8_t>(nextRandom(state) >> 7);
    expectNotFound(pictureOf(Width, Height, noise));
    expectNotFound(throughJpeg(pictureOf(Width, Height, noise), 75));
    expectNotFound(pictureOf(Width, Height, noise, ColourChannels));
    expectNotFound(pictureOf(Width, Height, std::vector<uint8_t>(static_cast<size_t>(Width) * Height, 128)));
    expectNotFound(pictureOf(29, Height, noise));
    expectNotFound(Picture{});
}

// A colour stereogram made from a pattern of the given colours, random
// fill off, so that every pixel is one of them.
Picture colourStereogram(const Scene& scene, const std::vector<uint8_t>& pattern, const Preferences& prefs) {
    uint32_t unused = FirstRandomState;
    Picture stereogram;
    EXPECT_EQ(makeStereogram(testRuntime(), pictureOf(scene.width, scene.height, scene.depth),
                             pictureOf(scene.strip(), scene.height, pattern, ColourChannels), prefs, unused, Progress{},
                             stereogram)
                  .kind,
              OutcomeKind::Done);
    return stereogram;
}

// Colours whose grey averages are all the same: the grey twin is flat and
// says nothing, the colours say everything.
TEST(TolerantDecoder, TellsColoursOfTheSameGreyApart) {
    std::vector<uint8_t> pattern;
    uint32_t state = 5;
    for (int32_t i = 0; i < Strip * Height; ++i) {
        const int32_t red = 50 + nextRandom(state) % 101;
        const int32_t green = 50 + nextRandom(state) % 101;
        const uint8_t rgb[3] = {static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                                static_cast<uint8_t>(300 - red - green)};
        pattern.insert(pattern.end(), rgb, rgb + 3);
    }
    Preferences prefs = settingsOf(3, true);
    prefs.colour = true;
    prefs.randomFill = false;
    const Scene scene = domesAndBlock();
    const Picture stereogram = colourStereogram(scene, pattern, prefs);
    Picture grey;
    ASSERT_TRUE(makeGreyPicture(testRuntime(), stereogram, grey));
    ASSERT_EQ(bytesOf(grey), std::vector<uint8_t>(static_cast<size_t>(Width) * Height, 100));

    EXPECT_EQ(findStripWidthTolerant(testRuntime(), stereogram, prefs, 7).width, Strip);
    EXPECT_GT(shareAtLevel(decodedTolerantly(stereogram, prefs), scene, prefs, 0, true), 90.0);
    EXPECT_GT(shareAtLevel(decodedTolerantly(throughJpeg(stereogram, 90), prefs), scene, prefs, 0, true), 85.0);
    EXPECT_LT(shareAtLevel(decodedTolerantly(grey, prefs), scene, prefs, 0, true), 50.0);
}

// Each channel in turn is the only one that varies: a decoder that left
// any channel out would read one of them as a flat picture.
TEST(TolerantDecoder, MatchesOnEveryChannel) {
    Preferences prefs = settingsOf(3, true);
    prefs.colour = true;
    prefs.randomFill = false;
    const Scene scene = domesAndBlock();
    for (int32_t channel = 0; channel < 3; ++channel) {
        SCOPED_TRACE("channel " + std::to_string(channel));
        std::vector<uint8_t> pattern(static_cast<size_t>(Strip) * Height * 3, 128);
        uint32_t state = 11;
        for (size_t i = static_cast<size_t>(channel); i < pattern.size(); i += 3)
            pattern[i] = static_cast<uint8_t>(nextRandom(state) >> 7);
        const Picture stereogram = colourStereogram(scene, pattern, prefs);
        EXPECT_EQ(findStripWidthTolerant(testRuntime(), stereogram, prefs, 7).width, Strip);
        EXPECT_GT(shareAtLevel(decodedTolerantly(stereogram, prefs), scene, prefs, 0, true), 90.0);
    }
}

// As in the exact decoder: a step after every tenth row on the caller's
// thread, and a stopped decoding leaves both pictures cleared.
TEST(TolerantDecoder, StepsAndStopsAsTheExactDecoderDoes) {
    const Preferences prefs = settingsOf(3, true);
    const Picture stereogram = generated(domesAndBlock(), prefs);
    for (const int32_t threads : {1, 2, 8}) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        Told told;
        Picture depth;
        Picture certainty;
        ASSERT_EQ(decodeRowsTolerant(testRuntime(), stereogram, Strip, prefs,
                                     progressTo(told, threads), depth, &certainty)
                      .kind,
                  OutcomeKind::Done);
        EXPECT_EQ(told.steps, 12);
        EXPECT_FALSE(told.otherThread);

        Told stopping;
        stopping.stopAfter = threads == 1 ? 4 : 0;
        ASSERT_EQ(decodeRowsTolerant(testRuntime(), stereogram, Strip, prefs,
                                     progressTo(stopping, threads), depth, &certainty)
                      .kind,
                  OutcomeKind::Stopped);
        EXPECT_LT(stopping.steps, 12);
        EXPECT_EQ(bytesOf(depth), std::vector<uint8_t>(static_cast<size_t>(Width) * Height, 0));
        EXPECT_EQ(bytesOf(certainty), std::vector<uint8_t>(static_cast<size_t>(Width) * Height, 0));
    }
}

// Noise too, where every choice is a close call that any difference in
// the work (a band of other rows, another order) would tip.
TEST(TolerantDecoder, GivesTheSameBytesOnAnyNumberOfThreads) {
    uint32_t state = 17;
    std::vector<uint8_t> noise(static_cast<size_t>(Width) * Height);
    for (uint8_t& v : noise) v = static_cast<uint8_t>(nextRandom(state) >> 7);
    for (const int32_t depthBits : {3, 8}) {
        const Preferences prefs = settingsOf(depthBits, true);
        for (const Picture& stereogram : {throughJpeg(generated(domesAndBlock(), prefs), 85), pictureOf(Width, Height, noise)}) {
            Picture firstCertainty;
            const std::vector<uint8_t> first = bytesOf(decodedTolerantly(stereogram, prefs, Strip, &firstCertainty, 1));
            for (const int32_t threads : {2, 8}) {
                Picture certainty;
                EXPECT_EQ(bytesOf(decodedTolerantly(stereogram, prefs, Strip, &certainty, threads)), first)
                    << depthBits << " bits, " << threads << " threads";
                EXPECT_EQ(bytesOf(certainty), bytesOf(firstCertainty)) << depthBits << " bits, " << threads << " threads";
            }
        }
    }
}

// Without a stereogram the exact decoder's refusal; with a strip of no
// columns or of the whole width, cleared pictures of the stereogram's size
// and all the steps; out of memory, the outcome that says so.
TEST(TolerantDecoder, RefusesAndClearsAsTheExactDecoderDoes) {
    Picture depth;
    const Outcome refused = decodeRowsTolerant(testRuntime(), Picture{}, Strip, Preferences{}, Progress{}, depth, nullptr);
    EXPECT_EQ(refused.kind, OutcomeKind::Refused);
    EXPECT_EQ(refused.refusal.text, std::string("Hej, nie ma wygenerowanego stereogramu!"));
    EXPECT_FALSE(isPresent(depth));

    const Picture stereogram = generated(domesAndBlock(), Preferences{});
    for (const int32_t strip : {0, -5, Width, Width + 40}) {
        Told told;
        depth = pictureOf(Width, Height, std::vector<uint8_t>(static_cast<size_t>(Width) * Height, 0xEE));
        Picture certainty;
        EXPECT_EQ(decodeRowsTolerant(testRuntime(), stereogram, strip, Preferences{}, Progress{&told, countStep},
                                     depth, &certainty)
                      .kind,
                  OutcomeKind::Done);
        EXPECT_EQ(told.steps, 12);
        EXPECT_EQ(bytesOf(depth), std::vector<uint8_t>(static_cast<size_t>(Width) * Height, 0)) << strip;
        EXPECT_EQ(bytesOf(certainty), bytesOf(depth)) << strip;
    }

    failAllocationsAfter(2);  // the depth map and the certainty, not the working memory
    Picture certainty;
    depth = Picture{};
    EXPECT_EQ(decodeRowsTolerant(testRuntime(), stereogram, Strip, Preferences{}, Progress{}, depth, &certainty).kind,
              OutcomeKind::OutOfMemory);
    failAllocationsAfter(-1);
}

// The helpers compare eight costs (or sixteen bytes) at a time where the
// processor can, and must give what their plain loops give.
TEST(CostLanes, GiveWhatThePlainLoopsGive) {
    uint32_t state = 3;
    for (int round = 0; round < 200; ++round) {
        uint8_t bytes[32];
        for (uint8_t& b : bytes) b = static_cast<uint8_t>(nextRandom(state));
        const uint8_t value = bytes[31];
        for (const bool adding : {false, true}) {
            int16_t fast[BlockLanes], plain[BlockLanes];
            for (int32_t i = 0; i < BlockLanes; ++i) fast[i] = plain[i] = static_cast<int16_t>(nextRandom(state) % 500);
            byteDifferences(bytes, value, fast, adding);
            byteDifferencesPlain(bytes, value, plain, adding);
            ASSERT_EQ(std::vector<int16_t>(fast, fast + BlockLanes), std::vector<int16_t>(plain, plain + BlockLanes));
        }
        EXPECT_EQ(blockDifference(bytes, bytes + 16, 1), blockDifferencePlain(bytes, bytes + 16, 1));
        EXPECT_EQ(blockDifference(bytes, bytes + 13, 1), blockDifferencePlain(bytes, bytes + 13, 1));

        int16_t lanes[CostLanes];
        for (int16_t& lane : lanes) lane = static_cast<int16_t>(nextRandom(state) % 3000);
        const CostVector costs = loadCosts(lanes);
        int16_t out[CostLanes];
        const int32_t first = static_cast<int32_t>(nextRandom(state) % 12) - 2;
        const int32_t last = static_cast<int32_t>(nextRandom(state) % 12) - 2;
        storeCosts(out, replaceLanesBetween(costs, first, last, MostCost));
        for (int32_t i = 0; i < CostLanes; ++i)
            ASSERT_EQ(out[i], i >= first && i <= last ? MostCost : lanes[i]) << first << ".." << last << " lane " << i;
        storeCosts(out, thirdOfCosts(costs));
        for (int32_t i = 0; i < CostLanes; ++i) ASSERT_EQ(out[i], lanes[i] / 3);
        const int16_t least = *std::min_element(lanes, lanes + CostLanes);
        EXPECT_EQ(leastLane(costs), least);
        EXPECT_EQ(firstLaneHolding(costs, least), std::min_element(lanes, lanes + CostLanes) - lanes);
        EXPECT_EQ(firstLaneHolding(costs, -1), CostLanes);
        storeCosts(out, addCosts(costs, splatCost(MostCost)));
        for (int32_t i = 0; i < CostLanes; ++i) ASSERT_EQ(out[i], MostCost);
        storeCosts(out, subtractCosts(costs, splatCost(1000)));
        for (int32_t i = 0; i < CostLanes; ++i) ASSERT_EQ(out[i], subtractCostsPlain(lanes[i], 1000));
    }
}

}  // namespace
