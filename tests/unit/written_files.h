// What the tests of the PNG, APNG and GIF writers share: files under the
// test folder, ImageMagick as a reader apart from the program, and the
// pictures they write.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "bmp_samples.h"
#include "engine/engine.h"
#include "engine/random_batch.h"
#include "test_runtime.h"

namespace writtenFiles {

namespace fs = std::filesystem;

// A file name under the test folder that no other test uses, with nothing
// there yet.
inline fs::path tempFile(const std::string& name) {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string unique = std::string(info->test_suite_name()) + "_" + info->name() + "_" + name;
    std::replace(unique.begin(), unique.end(), '/', '_');
    const fs::path folder = TAVRELIC_TEST_TMP;
    fs::create_directories(folder);
    const fs::path path = folder / unique;
    std::error_code error;
    fs::remove(path, error);
    return path;
}

// The files in the test folder whose names begin with the file's name:
// the file itself and anything written beside it.
inline std::vector<std::string> filesNamedLike(const fs::path& file) {
    std::vector<std::string> found;
    for (const fs::directory_entry& entry : fs::directory_iterator(file.parent_path()))
        if (entry.path().filename().string().rfind(file.filename().string(), 0) == 0)
            found.push_back(entry.path().filename().string());
    return found;
}

inline bool haveImageMagick() {
    return std::system("convert -version > /dev/null 2>&1") == 0;
}

inline std::string quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// The pixels ImageMagick reads from a file, as 8-bit "gray" or "rgb"
// samples (with -coalesce, every frame of an animation one after another);
// empty when it cannot read it.
inline std::vector<uint8_t> readByImageMagick(const fs::path& file, const std::string& samples) {
    const fs::path raw = file.parent_path() / ("read-" + file.filename().string() + "." + samples);
    const std::string command = "convert " + quoted(file) + " -coalesce -depth 8 " + samples + ":" + quoted(raw);
    if (std::system((command + " 2>&1").c_str()) != 0) return {};
    return readSampleFile(raw);
}

// A stereogram of a depth map with a raised square, as generation makes
// it: grey, or with colour on, of colour dots. `raise` moves the square;
// the width is whole strips.
inline Picture sampleStereogram(int32_t width, int32_t height, bool colour, int32_t raise = 0) {
    Preferences prefs;
    prefs.colour = colour;
    uint32_t randomState = FirstRandomState;
    std::vector<uint8_t> depth(static_cast<size_t>(width) * height, 0);
    for (int32_t y = height / 4; y < height * 3 / 4; ++y)
        for (int32_t x = width / 3 + raise; x < width * 2 / 3 + raise && x < width; ++x)
            depth[static_cast<size_t>(y) * width + x] = 200;
    const Picture depthMap = pictureOf(width, height, depth);
    Picture pattern, stereogram;
    EXPECT_EQ(makePattern(testRuntime(), width / prefs.repeatCount, height, prefs, randomState, pattern).kind,
              OutcomeKind::Done);
    EXPECT_EQ(makeStereogram(testRuntime(), depthMap, pattern, prefs, randomState, Progress{}, stereogram).kind,
              OutcomeKind::Done);
    return stereogram;
}

// A picture of every channel value, different in each row and column.
inline Picture samplePicture(int32_t width, int32_t height, int32_t channels) {
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * channels);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 5 + (i * i) % 251);
    return pictureOf(width, height, bytes, channels);
}

// A grey picture's pixels as colour ones: three equal channels each.
inline std::vector<uint8_t> widened(const std::vector<uint8_t>& grey) {
    std::vector<uint8_t> colour;
    for (uint8_t v : grey) colour.insert(colour.end(), 3, v);
    return colour;
}

}  // namespace writtenFiles
