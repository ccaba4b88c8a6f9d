// Stereograms in colour: generation against the plain version, the repeats
// holding in every channel, decoding to the depth of the grey twin, and
// colour patterns from every format giving one stereogram.
#include <gtest/gtest.h>

#include <stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/random_batch.h"
#include "files/pictures.h"
#include "files/stb_codecs.h"
#include "reference_generation.h"
#include "test_runtime.h"

namespace fs = std::filesystem;

namespace {

constexpr int32_t Width = 300;
constexpr int32_t Height = 64;

// Two spheres over flat ground, and a ramp on the right.
std::vector<uint8_t> spheresDepth() {
    std::vector<uint8_t> depth;
    for (int32_t y = 0; y < Height; ++y) {
        for (int32_t x = 0; x < Width; ++x) {
            const double a = 1.0 - std::pow((x - 90) / 40.0, 2) - std::pow((y - 30) / 25.0, 2);
            const double b = 1.0 - std::pow((x - 170) / 30.0, 2) - std::pow((y - 40) / 20.0, 2);
            double value = x > 220 ? (x - 220) * 3.0 : 0.0;
            if (a > 0) value = std::fmax(value, 255 * std::sqrt(a));
            if (b > 0) value = std::fmax(value, 200 * std::sqrt(b));
            depth.push_back(static_cast<uint8_t>(std::fmin(255.0, value)));
        }
    }
    return depth;
}

// A colour texture whose channels differ, so a channel mixed up shows.
std::vector<uint8_t> colourTexture(int32_t width, int32_t height) {
    std::vector<uint8_t> pixels;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            for (int32_t k = 0; k < 3; ++k) pixels.push_back(static_cast<uint8_t>((x * (7 + k) + y * (3 + 5 * k)) ^ (k * 85)));
    return pixels;
}

class Colour : public ::testing::Test {
protected:
    Colour() { prefs.colour = true; }

    Picture generated(const Picture& depth, const Picture& pattern, const Preferences& settings) {
        uint32_t state = FirstRandomState;
        Picture stereogram;
        EXPECT_EQ(makeStereogram(runtime, depth, pattern, settings, state, Progress{}, stereogram).kind,
                  OutcomeKind::Done);
        return stereogram;
    }

    Picture decoded(const Picture& stereogram, const Preferences& settings) {
        const StripWidth found = findStripWidth(stereogram, settings, 0);
        EXPECT_EQ(found.width, Width / settings.repeatCount);
        uint32_t state = FirstRandomState;
        Picture depth;
        EXPECT_EQ(decodeRows(runtime, stereogram, found.width, settings, state, Progress{}, depth).kind,
                  OutcomeKind::Done);
        return depth;
    }

    Runtime& runtime = testRuntime();
    Preferences prefs;
    const std::vector<uint8_t> depthBytes = spheresDepth();
    const Picture depth = pictureOf(Width, Height, depthBytes);
};

// Every way the channels can come: a colour or a grey pattern, of the
// picture's height or tiled down it, with random fill on or off.
TEST_F(Colour, GenerationAgreesWithThePlainVersion) {
    struct Case {
        int32_t patternChannels;
        int32_t patternHeight;
        bool randomFill;
        int32_t channels;
    };
    for (const Case c : {Case{3, Height, true, 3}, Case{3, 17, true, 3}, Case{3, Height, false, 3},
                         Case{1, Height, true, 3}, Case{1, 9, false, 1}}) {
        const std::string where = std::to_string(c.patternChannels) + " channels, " +
                                  std::to_string(c.patternHeight) + " rows, random fill " +
                                  std::to_string(c.randomFill);
        GenerationInputs in;
        in.width = Width;
        in.height = Height;
        in.depth = depthBytes;
        in.patternWidth = 60;
        in.patternHeight = c.patternHeight;
        in.patternChannels = c.patternChannels;
        in.pattern = c.patternChannels == 3 ? colourTexture(60, c.patternHeight)
                                            : std::vector<uint8_t>(60 * static_cast<size_t>(c.patternHeight), 77);
        in.randomFill = c.randomFill;
        in.colour = true;
        const GeneratedStereogram plain = referenceGenerate(in);
        Preferences settings = prefs;
        settings.randomFill = c.randomFill;
        uint32_t state = FirstRandomState;
        Picture stereogram;
        ASSERT_EQ(makeStereogram(runtime, depth, pictureOf(60, c.patternHeight, in.pattern, c.patternChannels),
                                 settings, state, Progress{}, stereogram)
                      .kind,
                  OutcomeKind::Done)
            << where;
        EXPECT_EQ(stereogram.channels, c.channels) << where;
        EXPECT_EQ(plain.channels, c.channels) << where;
        EXPECT_EQ(bytesOf(stereogram), plain.pixels) << where;
        EXPECT_EQ(state, plain.randomState) << where;
    }
}

// Where no pixel further right lands on the same place, a pixel's copy at
// its separation is its own colour, in all three channels.
TEST_F(Colour, EveryPixelEqualsItsCopyAtItsSeparationInAllThreeChannels) {
    uint32_t state = FirstRandomState;
    Picture pattern;
    ASSERT_EQ(makePattern(runtime, Width / prefs.repeatCount, Height, prefs, state, pattern).kind, OutcomeKind::Done);
    ASSERT_EQ(pattern.channels, 3);
    const Picture stereogram = generated(depth, pattern, prefs);
    ASSERT_EQ(stereogram.channels, 3);
    const int32_t strip = Width / prefs.repeatCount;
    const int32_t levels = levelCount(prefs);
    int64_t checked = 0, differingChannels = 0;
    for (int32_t y = 0; y < Height; ++y) {
        const uint8_t* row = rowOf(stereogram, y);
        const uint8_t* depthRow = rowOf(depth, y);
        // The last pixel that copies itself onto each place.
        std::vector<int32_t> lastCopied(static_cast<size_t>(Width + levels + strip), -1);
        for (int32_t x = 0; x < Width; ++x) lastCopied[static_cast<size_t>(x + strip + levels - (depthRow[x] + 1) / prefs.depthStep)] = x;
        for (int32_t x = 0; x < Width; ++x) {
            const int32_t to = x + strip + levels - (depthRow[x] + 1) / prefs.depthStep;
            if (to >= Width || lastCopied[static_cast<size_t>(to)] != x) continue;
            ++checked;
            for (int32_t k = 0; k < 3; ++k) differingChannels += row[3 * x + k] != row[3 * to + k];
            ASSERT_EQ(0, differingChannels) << "at " << x << "," << y;
        }
        // The colours differ from channel to channel: it is no grey picture.
        EXPECT_NE(row[3 * 5], row[3 * 5 + 1]);
    }
    EXPECT_GT(checked, int64_t{Width} * Height / 2);
}

// 256 colours, each a grey index i in colour: red i, and green and blue
// as far above and below i as they can be, so that their average is i.
void paletteColour(uint8_t index, uint8_t* rgb) {
    const int32_t spread = std::min<int32_t>({index, 255 - index, 60}) * (index % 2 == 0 ? 1 : -1);
    rgb[0] = index;
    rgb[1] = static_cast<uint8_t>(index + spread);
    rgb[2] = static_cast<uint8_t>(index - spread);
}

// A colour stereogram and its grey twin, made of the same links: a pattern
// of 256 colours and the pattern of their indices, random fill off. Their
// pixels are equal exactly where the twin's are, so decoding reads the same
// separations from the colours, from the twin, and from the grey average of
// the colours (which is the twin).
TEST_F(Colour, DecodingGivesTheDepthMapOfItsGreyTwin) {
    std::vector<uint8_t> indices;
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x = 0; x < 60; ++x)
            indices.push_back(static_cast<uint8_t>((x * 151 + y * 97 + (x * y) % 13) % 256));
    std::vector<uint8_t> colours(indices.size() * 3);
    for (size_t i = 0; i < indices.size(); ++i) paletteColour(indices[i], &colours[3 * i]);
    Preferences settings = prefs;
    settings.randomFill = false;
    Preferences grey = settings;
    grey.colour = false;
    const Picture colourStereogram = generated(depth, pictureOf(60, Height, colours, ColourChannels), settings);
    const Picture twin = generated(depth, pictureOf(60, Height, indices), grey);
    ASSERT_EQ(colourStereogram.channels, 3);
    Picture averaged;
    ASSERT_TRUE(makeGreyPicture(runtime, colourStereogram, averaged));
    ASSERT_EQ(bytesOf(averaged), bytesOf(twin));

    const std::vector<uint8_t> fromColour = bytesOf(decoded(colourStereogram, settings));
    EXPECT_EQ(fromColour, bytesOf(decoded(twin, grey)));
    EXPECT_EQ(fromColour, bytesOf(decoded(averaged, grey)));
    // And it is the depth: nine points in ten before the last strip at their
    // level, as the quantised depth view shows it (the slope on the right
    // reads badly).
    int64_t atLevel = 0;
    const int32_t walked = Width - Width / prefs.repeatCount;
    for (int32_t y = 0; y < Height; ++y)
        for (int32_t x = 0; x < walked; ++x) {
            const size_t i = static_cast<size_t>(y) * Width + x;
            atLevel += fromColour[i] == greyOfLevel((depthBytes[i] + 1) / prefs.depthStep, prefs.depthStep);
        }
    EXPECT_GT(atLevel, int64_t{walked} * Height * 90 / 100);
}

// With random colour dots the colours are the stereogram's own, and decoding
// still finds the depth its grey twin (the same depth map with grey dots)
// gives, but for a few points beside the edges of objects, where what an
// exact decoder finds depends on the dots themselves.
TEST_F(Colour, RandomColourDotsDecodeAsGreyDotsDo) {
    uint32_t state = FirstRandomState;
    Picture pattern;
    ASSERT_EQ(makePattern(runtime, 60, Height, prefs, state, pattern).kind, OutcomeKind::Done);
    Preferences grey;
    state = FirstRandomState;
    Picture greyPattern;
    ASSERT_EQ(makePattern(runtime, 60, Height, grey, state, greyPattern).kind, OutcomeKind::Done);
    const std::vector<uint8_t> fromColour = bytesOf(decoded(generated(depth, pattern, prefs), prefs));
    const std::vector<uint8_t> fromGrey = bytesOf(decoded(generated(depth, greyPattern, grey), grey));
    int64_t differing = 0;
    for (size_t i = 0; i < fromColour.size(); ++i) differing += fromColour[i] != fromGrey[i];
    EXPECT_LT(differing, int64_t{Width} * Height / 1000);
}

// A colour pattern read from BMP, PNG or JPEG keeps its colours: the BMP
// and PNG of one picture, and a JPEG and the BMP of its decoded pixels,
// give one stereogram each.
TEST_F(Colour, PatternsFromEveryFormatGiveTheSameStereogram) {
    const fs::path folder = fs::path(TAVRELIC_TEST_TMP) / "colour-patterns";
    fs::create_directories(folder);
    const Picture tile = pictureOf(60, 40, colourTexture(60, 40), ColourChannels);
    BmpFrame frame;
    makePlainFrame(frame, 60, 40);
    ASSERT_EQ(writePictureFile(runtime, folder / "tile.bmp", tile, frame).kind, OutcomeKind::Done);
    ASSERT_EQ(writePictureFile(runtime, folder / "tile.png", tile, frame).kind, OutcomeKind::Done);
    std::vector<uint8_t> jpeg;
    stbi_write_jpg_to_func(
        [](void* context, void* data, int size) {
            auto& bytes = *static_cast<std::vector<uint8_t>*>(context);
            bytes.insert(bytes.end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        },
        &jpeg, 60, 40, 3, tile.pixels.get(), 90);

    const ReadRequest colour{ColourChannels};
    Picture fromBmp, fromPng, fromJpeg;
    ASSERT_EQ(readPictureFile(runtime, folder / "tile.bmp", colour, fromBmp, frame).kind, OutcomeKind::Done);
    ASSERT_EQ(readPictureFile(runtime, folder / "tile.png", colour, fromPng, frame).kind, OutcomeKind::Done);
    ASSERT_EQ(readPictureBytes(runtime, jpeg.data(), jpeg.size(), colour, fromJpeg, frame).kind, OutcomeKind::Done);
    EXPECT_EQ(bytesOf(fromBmp), bytesOf(tile));
    EXPECT_EQ(bytesOf(fromPng), bytesOf(tile));
    ASSERT_EQ(writePictureFile(runtime, folder / "jpeg-twin.bmp", fromJpeg, frame).kind, OutcomeKind::Done);
    Picture twin;
    ASSERT_EQ(readPictureFile(runtime, folder / "jpeg-twin.bmp", colour, twin, frame).kind, OutcomeKind::Done);

    // Tiled down the 64 rows, since colour is on.
    const std::vector<uint8_t> stereogram = bytesOf(generated(depth, fromBmp, prefs));
    EXPECT_EQ(bytesOf(generated(depth, fromPng, prefs)), stereogram);
    EXPECT_EQ(bytesOf(generated(depth, twin, prefs)), bytesOf(generated(depth, fromJpeg, prefs)));
    EXPECT_NE(bytesOf(generated(depth, fromJpeg, prefs)), stereogram) << "the JPEG's colours are its own";
}

// With colour off a pattern of another height is refused as it always was,
// and a colour one gives a grey stereogram.
TEST_F(Colour, WithColourOffEverythingIsGrey) {
    Preferences off;
    const Picture tiled = pictureOf(60, 17, colourTexture(60, 17), ColourChannels);
    uint32_t state = FirstRandomState;
    Picture stereogram;
    EXPECT_EQ(makeStereogram(runtime, depth, tiled, off, state, Progress{}, stereogram).kind, OutcomeKind::Refused);
    const Picture pattern = pictureOf(60, Height, std::vector<uint8_t>(60 * Height, 90));
    EXPECT_EQ(generated(depth, pattern, off).channels, 1);
    // A colour pattern left from while colour was on is read as its greys.
    const std::vector<uint8_t> colours = colourTexture(60, Height);
    std::vector<uint8_t> greys;
    for (size_t i = 0; i < colours.size(); i += 3) greys.push_back(greyOf(&colours[i]));
    const Picture colourPattern = pictureOf(60, Height, colours, ColourChannels);
    const Picture greyPattern = pictureOf(60, Height, greys);
    for (const bool randomFill : {true, false}) {
        off.randomFill = randomFill;
        const Picture fromColour = generated(depth, colourPattern, off);
        EXPECT_EQ(fromColour.channels, 1);
        EXPECT_EQ(bytesOf(fromColour), bytesOf(generated(depth, greyPattern, off))) << randomFill;
    }
    Picture strip;
    ASSERT_EQ(makePattern(runtime, 60, Height, off, state, strip).kind, OutcomeKind::Done);
    EXPECT_EQ(strip.channels, 1);
}

}  // namespace
