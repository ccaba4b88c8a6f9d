// The rows on several threads: whatever their number, generation and
// decoding give the plain versions' bytes and leave the random source where
// the plain versions leave it, under every policy for unresolved points,
// and the progress steps come in full, on the caller's thread.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "reference_decoding.h"
#include "reference_generation.h"
#include "test_runtime.h"

namespace {

constexpr int32_t ThreadCounts[] = {1, 2, 8};

void countStep(void* steps) {
    ++*static_cast<int*>(steps);
}

// Rows that decode (a flat stereogram) between rows of noise, whose first
// points stay unresolved: under Background those take column 0 of the row
// above, and under Random they draw.
std::vector<uint8_t> mixedStereogram(int32_t width, int32_t height) {
    std::vector<uint8_t> pixels = flatStereogram(width, height, width / 5, 3, 100, 7);
    const std::vector<uint8_t> noise = shuffledRows(width, height, 11);
    for (int32_t y = 0; y < height; ++y)
        if (y % 7 >= 3)
            std::memcpy(pixels.data() + size_t(y) * width, noise.data() + size_t(y) * width, size_t(width));
    return pixels;
}

struct PolicyCase {
    const char* name;
    UnresolvedPolicy policy;
};

class DecodingOnThreads : public ::testing::TestWithParam<PolicyCase> {};

TEST_P(DecodingOnThreads, GivesThePlainVersionsBytesAndRandomState) {
    const int32_t width = 200, height = 61;
    const std::vector<uint8_t> stereogram = mixedStereogram(width, height);
    ReferenceSettings settings;
    settings.policy = static_cast<int32_t>(GetParam().policy);
    const ReferenceDecoding plain = referenceDecode(stereogram, width, height, settings, 5);
    for (int32_t threads : ThreadCounts) {
        SCOPED_TRACE(std::to_string(threads) + " threads");
        Preferences prefs;
        prefs.unresolvedPolicy = GetParam().policy;
        uint32_t randomState = 5;
        const Picture picture = pictureOf(width, height, stereogram);
        const StripWidth found = findStripWidth(picture, prefs, 0);
        Picture depth;
        int steps = 0;
        ASSERT_EQ(decodeRows(testRuntime(), picture, found.width, prefs, randomState,
                             Progress{&steps, countStep, nullptr, threads}, depth)
                      .kind,
                  OutcomeKind::Done);
        EXPECT_EQ(steps, 7);
        EXPECT_EQ(bytesOf(depth), plain.depthMap);
        EXPECT_EQ(randomState, plain.randomState);
    }
}

INSTANTIATE_TEST_SUITE_P(Policies, DecodingOnThreads,
                         ::testing::Values(PolicyCase{"KeepPrevious", UnresolvedPolicy::KeepPrevious},
                                           PolicyCase{"Random", UnresolvedPolicy::Random},
                                           PolicyCase{"Background", UnresolvedPolicy::Background}),
                         [](const ::testing::TestParamInfo<PolicyCase>& info) { return info.param.name; });

TEST(GenerationOnThreads, GivesThePlainVersionsBytesAndRandomState) {
    GenerationInputs in;
    in.width = 301;
    in.height = 47;
    in.patternWidth = 60;
    for (int32_t i = 0; i < in.width * in.height; ++i) in.depth.push_back(static_cast<uint8_t>((i * 37) % 251));
    for (int32_t i = 0; i < in.patternWidth * in.height; ++i) in.pattern.push_back(static_cast<uint8_t>(i * 13));
    in.randomState = 77;
    for (bool randomFill : {true, false}) {
        in.randomFill = randomFill;
        const GeneratedStereogram plain = referenceGenerate(in);
        for (int32_t threads : ThreadCounts) {
            SCOPED_TRACE(std::to_string(threads) + " threads, random fill " + std::to_string(randomFill));
            Preferences prefs;
            prefs.randomFill = randomFill;
            uint32_t randomState = in.randomState;
            Picture stereogram;
            int steps = 0;
            ASSERT_EQ(makeStereogram(testRuntime(), pictureOf(in.width, in.height, in.depth),
                                     pictureOf(in.patternWidth, in.height, in.pattern), prefs, randomState,
                                     Progress{&steps, countStep, nullptr, threads}, stereogram)
                          .kind,
                      OutcomeKind::Done);
            EXPECT_EQ(steps, 5);
            EXPECT_EQ(bytesOf(stereogram), plain.pixels);
            EXPECT_EQ(randomState, plain.randomState);
        }
    }
}

}  // namespace
