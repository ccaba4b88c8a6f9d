// Animations: the frames come back from the file as they went in (animated
// PNG through a reader of the tests' own, GIF through ImageMagick), and a
// refused or unfinished animation leaves no file.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "apng_reader.h"
#include "files/animation.h"
#include "outcome_checks.h"
#include "test_runtime.h"
#include "written_files.h"

namespace {

using namespace writtenFiles;

const std::string FrameSizeText = "Wszystkie klatki animacji muszą mieć takie same wymiary!";

// Writes the frames as one animation; the outcome of the last call.
Outcome writeAnimation(const fs::path& file, AnimationFormat format, const std::vector<const Picture*>& frames,
                       int32_t framesPerSecond = DefaultFramesPerSecond) {
    AnimationWriter writer = beginAnimation(testRuntime(), file, format, framesPerSecond);
    for (const Picture* frame : frames) {
        const Outcome added = addAnimationFrame(writer, *frame);
        if (added.kind != OutcomeKind::Done) return added;
    }
    return finishAnimation(writer);
}

TEST(AnimatedPng, FramesAreTheInputPicturesInOrder) {
    const Picture frames[] = {sampleStereogram(300, 40, false, 0), sampleStereogram(300, 40, false, 20),
                              sampleStereogram(300, 40, false, 40)};
    const fs::path file = tempFile("anim.png");
    ASSERT_EQ(writeAnimation(file, AnimationFormat::Png, {&frames[0], &frames[1], &frames[2]}, 25).kind,
              OutcomeKind::Done);
    const Apng png = readApng(readSampleFile(file));
    ASSERT_EQ(png.error, "");
    EXPECT_EQ(png.channels, 1);
    EXPECT_EQ(png.frameCount, 3u);
    EXPECT_EQ(png.plays, 0u);
    EXPECT_EQ(png.sequence, (std::vector<uint32_t>{0, 1, 2, 3, 4}));
    EXPECT_TRUE(png.defaultImageIsFirstFrame);
    EXPECT_EQ(png.defaultImage, bytesOf(frames[0]));
    ASSERT_EQ(png.frames.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        const ApngFrame& frame = png.frames[i];
        EXPECT_EQ(frame.pixels, bytesOf(frames[i])) << i;
        EXPECT_EQ(frame.width, 300u);
        EXPECT_EQ(frame.height, 40u);
        EXPECT_EQ(frame.x + frame.y, 0u);
        EXPECT_EQ(frame.delayNumerator, 1u);
        EXPECT_EQ(frame.delayDenominator, 25u);
        // Nothing disposed, the whole picture replaced.
        EXPECT_EQ(frame.dispose, 0);
        EXPECT_EQ(frame.blend, 0);
    }
    // A reader without animations shows the first frame.
    if (haveImageMagick()) {
        EXPECT_EQ(readByImageMagick(file, "gray"), bytesOf(frames[0]));
    }
    EXPECT_EQ(filesNamedLike(file).size(), 1u);
}

TEST(AnimatedPng, AColourFrameAfterGreyOnesMakesEveryFrameColour) {
    const Picture grey = sampleStereogram(200, 30, false);
    const Picture colour = sampleStereogram(200, 30, true);
    const Picture moved = sampleStereogram(200, 30, false, 30);
    const fs::path file = tempFile("mixed.png");
    ASSERT_EQ(writeAnimation(file, AnimationFormat::Png, {&grey, &moved, &colour, &grey}).kind, OutcomeKind::Done);
    const Apng png = readApng(readSampleFile(file));
    ASSERT_EQ(png.error, "");
    EXPECT_EQ(png.channels, 3);
    EXPECT_EQ(png.sequence, (std::vector<uint32_t>{0, 1, 2, 3, 4, 5, 6}));
    ASSERT_EQ(png.frames.size(), 4u);
    EXPECT_EQ(png.frames[0].pixels, widened(bytesOf(grey)));
    EXPECT_EQ(png.frames[1].pixels, widened(bytesOf(moved)));
    EXPECT_EQ(png.frames[2].pixels, bytesOf(colour));
    EXPECT_EQ(png.frames[3].pixels, widened(bytesOf(grey)));
    EXPECT_EQ(png.frames[0].delayDenominator, 12u);
    EXPECT_EQ(filesNamedLike(file), std::vector<std::string>{file.filename().string()});
}

TEST(AnimatedGif, GreyFramesKeepEveryLevel) {
    if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick's convert not found";
    // Every grey level, and a stereogram's long repeats.
    const Picture frames[] = {sampleStereogram(256, 9, false), samplePicture(256, 9, GreyChannels),
                              sampleStereogram(256, 9, false, 50)};
    const fs::path file = tempFile("anim.gif");
    ASSERT_EQ(writeAnimation(file, AnimationFormat::Gif, {&frames[0], &frames[1], &frames[2]}, 8).kind,
              OutcomeKind::Done);
    std::vector<uint8_t> expected;
    for (const Picture& frame : frames) {
        const std::vector<uint8_t> bytes = bytesOf(frame);
        expected.insert(expected.end(), bytes.begin(), bytes.end());
    }
    EXPECT_EQ(readByImageMagick(file, "gray"), expected);
    // The delay of 8 frames a second in hundredths, 12.5 rounded, and
    // looping for ever.
    const fs::path facts = tempFile("facts.txt");
    ASSERT_EQ(std::system(("identify -verbose " + quoted(file) + " > " + quoted(facts)).c_str()), 0);
    const std::vector<uint8_t> text = readSampleFile(facts);
    const std::string verbose(text.begin(), text.end());
    EXPECT_NE(verbose.find("Delay: 13x100"), std::string::npos);
    EXPECT_NE(verbose.find("Iterations: 0"), std::string::npos);
}

TEST(AnimatedGif, ColourFramesStayCloseAndKeepTheirRepeats) {
    if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick's convert not found";
    const Picture frame = sampleStereogram(400, 60, true);
    ASSERT_TRUE(isColour(frame));
    const fs::path file = tempFile("colour.gif");
    ASSERT_EQ(writeAnimation(file, AnimationFormat::Gif, {&frame}).kind, OutcomeKind::Done);
    const std::vector<uint8_t> shown = readByImageMagick(file, "rgb");
    const std::vector<uint8_t> pixels = bytesOf(frame);
    ASSERT_EQ(shown.size(), pixels.size());
    // Every colour of the frame shows as one colour: the repeats a strip
    // apart stay repeats.
    std::map<std::vector<uint8_t>, std::vector<uint8_t>> shownAs;
    double error = 0;
    for (size_t i = 0; i < pixels.size(); i += 3) {
        const std::vector<uint8_t> colour(pixels.begin() + i, pixels.begin() + i + 3);
        const std::vector<uint8_t> seen(shown.begin() + i, shown.begin() + i + 3);
        EXPECT_EQ(shownAs.emplace(colour, seen).first->second, seen);
        for (int c = 0; c < 3; ++c) error += std::abs(pixels[i + c] - shown[i + c]);
    }
    // Random colour dots are the hardest case for 256 colours: a 6 x 7 x 6
    // cube of colours misses by 12 on average.
    EXPECT_LT(error / static_cast<double>(pixels.size()), 11.5);
}

TEST(Animation, AFrameOfAnotherSizeIsRefusedAndNoFileIsLeft) {
    const Picture first = samplePicture(20, 10, GreyChannels);
    const Picture wider = samplePicture(21, 10, GreyChannels);
    for (const AnimationFormat format : {AnimationFormat::Png, AnimationFormat::Gif}) {
        const fs::path file = tempFile(format == AnimationFormat::Png ? "anim.png" : "anim.gif");
        AnimationWriter writer = beginAnimation(testRuntime(), file, format, 10);
        ASSERT_EQ(addAnimationFrame(writer, first).kind, OutcomeKind::Done);
        expectRefused(addAnimationFrame(writer, wider), FrameSizeText, "Błąd");
        EXPECT_TRUE(filesNamedLike(file).empty());
        // The animation is over.
        expectRefused(addAnimationFrame(writer, first), FrameSizeText, "Błąd");
        expectRefused(finishAnimation(writer), FrameSizeText, "Błąd");
        EXPECT_TRUE(filesNamedLike(file).empty());
    }
}

TEST(Animation, AWriterDroppedUnfinishedLeavesNoFile) {
    const Picture frame = samplePicture(20, 10, ColourChannels);
    const fs::path file = tempFile("anim.png");
    {
        AnimationWriter writer = beginAnimation(testRuntime(), file, AnimationFormat::Png, 12);
        ASSERT_EQ(addAnimationFrame(writer, frame).kind, OutcomeKind::Done);
        AnimationWriter moved = std::move(writer);
        ASSERT_EQ(addAnimationFrame(moved, frame).kind, OutcomeKind::Done);
        EXPECT_FALSE(filesNamedLike(file).empty());
    }
    EXPECT_TRUE(filesNamedLike(file).empty());
}

TEST(Animation, NothingToWriteWithoutFramesAndGifsHaveTheirLimit) {
    const fs::path file = tempFile("anim.gif");
    AnimationWriter empty = beginAnimation(testRuntime(), file, AnimationFormat::Gif, 12);
    const Outcome none = finishAnimation(empty);
    EXPECT_EQ(none.kind, OutcomeKind::Refused);
    ASSERT_TRUE(isMessage(none.refusal));
    EXPECT_EQ(std::string(none.refusal.text), "Teee...... nie ma co nagrywać!");
    const Picture tooWide = samplePicture(65536, 1, GreyChannels);
    expectRefused(writeAnimation(file, AnimationFormat::Gif, {&tooWide}),
                  "Obrazek jest zbyt duży dla pliku GIF!\nGIF mieści najwyżej 65535 x 65535 punktów.", "Błąd");
    EXPECT_TRUE(filesNamedLike(file).empty());
    // The same picture makes an animated PNG.
    EXPECT_EQ(writeAnimation(tempFile("wide.png"), AnimationFormat::Png, {&tooWide}).kind, OutcomeKind::Done);
}

TEST(Animation, TheFormatComesFromTheName) {
    AnimationFormat format = AnimationFormat::Png;
    EXPECT_TRUE(animationFormatOf("a/b.GIF", format));
    EXPECT_EQ(format, AnimationFormat::Gif);
    EXPECT_TRUE(animationFormatOf("b.Png", format));
    EXPECT_EQ(format, AnimationFormat::Png);
    EXPECT_FALSE(animationFormatOf("b.bmp", format));
    EXPECT_FALSE(animationFormatOf("gif", format));
}

}  // namespace
