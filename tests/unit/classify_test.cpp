#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "bmp_samples.h"
#include "engine/engine.h"
#include "files/pictures.h"
#include "views/views.h"
#include "workspace_fixture.h"
#include "workspace_samples.h"

namespace {

// The sample depth maps of the package, as samples/make_samples.py draws
// them into the build.
const char* const SampleDepthMaps[] = {"kule-640x480.bmp", "rampa-640x480.bmp", "napis-640x480.bmp",
                                       "kule-1920x1080.bmp"};

// The kind the engine tells a picture to be.
SourceKind classifyPicture(const Picture& picture) {
    return looksLikeStereogram(picture) ? SourceKind::Stereogram : SourceKind::DepthMap;
}

std::filesystem::path samplePath(const char* name) {
    return std::filesystem::path(TAVRELIC_SAMPLES_DIR) / name;
}

Picture rasterOfPixels(int32_t width, int32_t height, uint8_t (*grey)(int32_t x, int32_t y)) {
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) pixels[static_cast<size_t>(y) * width + x] = grey(x, y);
    Picture image;
    putRaster(image, width, height, pixels);
    return image;
}

// Noise that no stereogram generator made: a hash of the place.
uint8_t noise(int32_t x, int32_t y) {
    uint32_t v = static_cast<uint32_t>(y) * 2654435761u ^ static_cast<uint32_t>(x) * 2246822519u;
    v = (v ^ v >> 15) * 0x2C1B3C6Du;
    return static_cast<uint8_t>(v ^ v >> 13);
}

// A smooth map with no flat ground: a dome that fills the picture.
uint8_t dome(int32_t x, int32_t y) {
    const double dx = (x - 320) / 400.0, dy = (y - 240) / 400.0;
    return static_cast<uint8_t>(255 * std::sqrt(std::fmax(0.0, 1 - dx * dx - dy * dy)));
}

// Rolling hills: no flat ground, and slopes of a few levels a pixel.
uint8_t hills(int32_t x, int32_t y) {
    const double v = 128 + 60 * std::sin(x / 23.0) * std::cos(y / 31.0) + 40 * std::sin(x / 29.0 + y / 11.0);
    return static_cast<uint8_t>(std::fmin(255.0, std::fmax(0.0, v)));
}

// How a stereogram of ours is made: the Preferences that matter to its look.
struct Making {
    bool randomFill;
    int32_t repeatCount;
    int32_t depthBits;
    bool wallEyed;
};

std::string describe(const std::string& file, const Making& making) {
    return file + (making.randomFill ? ", random pattern" : ", ramp pattern") + ", " +
           std::to_string(making.repeatCount) + " strips, 2^" + std::to_string(making.depthBits) + " levels, " +
           (making.wallEyed ? "wall-eyed" : "cross-eyed");
}

class Classifying : public WorkspaceTest {
protected:
    // The stereogram of ours made from the depth map in the file, as the
    // window saves it (with its convergence squares) and loads it back.
    Picture stereogramOf(const std::filesystem::path& depthMap, const Making& making) {
        Workspace made = freshWorkspace();
        EXPECT_EQ(readPictureFile(made, depthMap, SourceKind::DepthMap).kind, OutcomeKind::Done);
        made.preferences.randomFill = making.randomFill;
        made.preferences.repeatCount = making.repeatCount;
        made.preferences.wallEyed = making.wallEyed;
        setDepthBits(made.preferences, making.depthBits);
        const Progress none{nullptr, nullptr, nullptr};
        EXPECT_EQ(makePattern(made).kind, OutcomeKind::Done);
        EXPECT_EQ(makeStereogram(made, none).kind, OutcomeKind::Done);
        EXPECT_EQ(drawView(made, SourceKind::Stereogram, ViewKind::StereogramWithDots).kind, OutcomeKind::Done);
        // Each test its own file: ctest may run the tests side by side.
        const std::filesystem::path saved = std::filesystem::path(TAVRELIC_TEST_TMP) /
                                            (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                             "-stereogram.bmp");
        std::filesystem::create_directories(saved.parent_path());
        EXPECT_EQ(writeDisplayedPicture(made, saved).kind, OutcomeKind::Done);
        releaseAll(made);
        EXPECT_EQ(readPictureFile(ws, saved, SourceKind::Stereogram).kind, OutcomeKind::Done);
        return std::move(ws.stereogram);
    }

    SourceKind classifiedFile(const std::filesystem::path& file) {
        EXPECT_EQ(readPictureFile(ws, file, SourceKind::Stereogram).kind, OutcomeKind::Done) << file;
        return classifyPicture(ws.stereogram);
    }
};

TEST_F(Classifying, TheSampleDepthMapsAreDepthMaps) {
    for (const char* sample : SampleDepthMaps) EXPECT_EQ(classifiedFile(samplePath(sample)), SourceKind::DepthMap) << sample;
}

// Flat and mostly black maps repeat at every distance; they have no texture
// that recurs.
TEST_F(Classifying, FlatAndMostlyBlackDepthMapsAreDepthMaps) {
    const Picture black = rasterOfPixels(640, 480, [](int32_t, int32_t) -> uint8_t { return 0; });
    const Picture grey = rasterOfPixels(640, 480, [](int32_t, int32_t) -> uint8_t { return 128; });
    const Picture dot = rasterOfPixels(640, 480, [](int32_t x, int32_t y) -> uint8_t {
        return (x - 320) * (x - 320) + (y - 240) * (y - 240) < 100 ? 255 : 0;
    });
    // A row of equal bars at equal distances, as flat as the ground.
    const Picture bars = rasterOfPixels(640, 480, [](int32_t x, int32_t) -> uint8_t { return x % 64 < 8 ? 200 : 0; });
    EXPECT_EQ(classifyPicture(black), SourceKind::DepthMap);
    EXPECT_EQ(classifyPicture(grey), SourceKind::DepthMap);
    EXPECT_EQ(classifyPicture(dot), SourceKind::DepthMap);
    EXPECT_EQ(classifyPicture(bars), SourceKind::DepthMap);
}

TEST_F(Classifying, SmoothDepthMapsAreDepthMaps) {
    const Picture slope = rasterOfPixels(640, 480, [](int32_t x, int32_t) { return static_cast<uint8_t>(x * 255 / 639); });
    const Picture steep = rasterOfPixels(300, 200, [](int32_t x, int32_t) { return static_cast<uint8_t>(x * 255 / 299); });
    EXPECT_EQ(classifyPicture(slope), SourceKind::DepthMap);
    EXPECT_EQ(classifyPicture(steep), SourceKind::DepthMap);
    EXPECT_EQ(classifyPicture(rasterOfPixels(640, 480, dome)), SourceKind::DepthMap);
    EXPECT_EQ(classifyPicture(rasterOfPixels(640, 480, hills)), SourceKind::DepthMap);
}

// Noise is no stereogram until it recurs.
TEST_F(Classifying, NoiseThatNeverRecursIsNoStereogram) {
    EXPECT_EQ(classifyPicture(rasterOfPixels(640, 480, noise)), SourceKind::DepthMap);
}

TEST_F(Classifying, OurStereogramsOfTheSamplesAreStereograms) {
    const Making makings[] = {{true, 5, 3, true},  {false, 5, 3, true}, {true, 3, 1, false},
                              {false, 10, 3, false}, {true, 8, 8, false}, {false, 8, 8, true}};
    for (const char* sample : SampleDepthMaps) {
        for (const Making& making : makings) {
            const Picture stereogram = stereogramOf(samplePath(sample), making);
            EXPECT_EQ(classifyPicture(stereogram), SourceKind::Stereogram) << describe(sample, making);
        }
    }
}

TEST_F(Classifying, OurStereogramsOfFlatAndSmoothMapsAreStereograms) {
    const std::filesystem::path folder = std::filesystem::path(TAVRELIC_TEST_TMP);
    std::filesystem::create_directories(folder);
    const std::filesystem::path flat = folder / "classify-flat.bmp", domed = folder / "classify-dome.bmp",
                                hilly = folder / "classify-hills.bmp";
    writeSampleFile(flat, makeGreyBmp(640, 480, [](int32_t, int32_t) -> uint8_t { return 0; }));
    writeSampleFile(domed, makeGreyBmp(640, 480, dome));
    writeSampleFile(hilly, makeGreyBmp(640, 480, hills));
    // 256 levels over the hills leave few runs that recur: noise needs no
    // more to be told from a depth map.
    for (const std::filesystem::path& map : {flat, domed, hilly}) {
        for (const Making& making : {Making{true, 5, 3, true}, Making{false, 5, 3, true}, Making{false, 10, 8, false},
                                     Making{true, 10, 8, true}}) {
            const Picture stereogram = stereogramOf(map, making);
            EXPECT_EQ(classifyPicture(stereogram), SourceKind::Stereogram) << describe(map.filename().string(), making);
        }
    }
}

TEST_F(Classifying, PicturesNarrowerThanAnyStripAreDepthMaps) {
    EXPECT_EQ(classifyPicture(rasterOfPixels(29, 40, noise)), SourceKind::DepthMap);
    EXPECT_EQ(classifyPicture(Picture{}), SourceKind::DepthMap);
}

}  // namespace
