// The PNG files the program writes: read back by the program's reader
// (stb_image) and by ImageMagick to the same pixels, grey where every
// pixel is grey, and no larger than stb_image_write made them.
#include <gtest/gtest.h>

#include <stb_image_write.h>

#include <vector>

#include "files/pictures.h"
#include "files/png_encoder.h"
#include "test_runtime.h"
#include "written_files.h"

namespace {

using namespace writtenFiles;

std::vector<uint8_t> encoded(const Picture& picture, int32_t channels) {
    EncodedBytes png;
    EXPECT_TRUE(encodePng(testRuntime(), picture, channels, png));
    return std::vector<uint8_t>(png.bytes.get(), png.bytes.get() + png.size);
}

// The picture the program reads from a file's bytes, in `channels`.
std::vector<uint8_t> readBack(const std::vector<uint8_t>& file, int32_t channels) {
    Picture picture;
    BmpFrame frame;
    ReadRequest request;
    request.channels = channels;
    const Outcome outcome = readPictureBytes(testRuntime(), file.data(), file.size(), request, picture, frame);
    EXPECT_EQ(outcome.kind, OutcomeKind::Done);
    return bytesOf(picture);
}

constexpr uint8_t GreyColourType = 0, ColourColourType = 2;
// Where IHDR's colour type lies: after the signature, the chunk's length
// and type, the width, the height and the bit depth.
constexpr size_t ColourTypeAt = 8 + 8 + 4 + 4 + 1;

TEST(PngEncoder, ReadsBackToTheSamePixelsAtEveryWidth) {
    for (int32_t width : {1, 2, 3, 5, 16, 17, 255, 258, 1001}) {
        for (int32_t height : {1, 2, 7}) {
            const Picture grey = samplePicture(width, height, GreyChannels);
            const std::vector<uint8_t> greyFile = encoded(grey, GreyChannels);
            EXPECT_EQ(greyFile[ColourTypeAt], GreyColourType);
            EXPECT_EQ(readBack(greyFile, GreyChannels), bytesOf(grey)) << width << " x " << height;
            const Picture colour = samplePicture(width, height, ColourChannels);
            const std::vector<uint8_t> colourFile = encoded(colour, ColourChannels);
            EXPECT_EQ(colourFile[ColourTypeAt], ColourColourType);
            EXPECT_EQ(readBack(colourFile, ColourChannels), bytesOf(colour)) << width << " x " << height;
            // Written in colour, a grey picture keeps its pixels.
            EXPECT_EQ(readBack(encoded(grey, ColourChannels), ColourChannels), widened(bytesOf(grey)));
        }
    }
}

TEST(PngEncoder, AColourPictureOfGreyPixelsIsWrittenGrey) {
    const Picture grey = samplePicture(13, 4, GreyChannels);
    const Picture colour = pictureOf(13, 4, widened(bytesOf(grey)), ColourChannels);
    const fs::path file = tempFile("grey.png");
    ASSERT_EQ(writePictureFile(testRuntime(), file, colour, BmpFrame{}).kind, OutcomeKind::Done);
    const std::vector<uint8_t> written = readSampleFile(file);
    EXPECT_EQ(written[ColourTypeAt], GreyColourType);
    EXPECT_EQ(written, encoded(grey, GreyChannels));
    EXPECT_EQ(filesNamedLike(file), std::vector<std::string>{file.filename().string()});
}

TEST(PngEncoder, ImageMagickReadsTheSamePixels) {
    if (!haveImageMagick()) GTEST_SKIP() << "ImageMagick's convert not found";
    const Picture stereogram = sampleStereogram(315, 31, false);
    const fs::path greyFile = tempFile("grey.png");
    ASSERT_EQ(writePictureFile(testRuntime(), greyFile, stereogram, BmpFrame{}).kind, OutcomeKind::Done);
    EXPECT_EQ(readByImageMagick(greyFile, "gray"), bytesOf(stereogram));
    const Picture colour = sampleStereogram(315, 31, true);
    ASSERT_TRUE(isColour(colour));
    const fs::path colourFile = tempFile("colour.png");
    ASSERT_EQ(writePictureFile(testRuntime(), colourFile, colour, BmpFrame{}).kind, OutcomeKind::Done);
    EXPECT_EQ(readByImageMagick(colourFile, "rgb"), bytesOf(colour));
}

void keepWritten(void* context, void* data, int size) {
    auto* file = static_cast<std::vector<uint8_t>*>(context);
    file->insert(file->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

// What the program wrote before it had its own writer.
std::vector<uint8_t> stbPng(const Picture& picture) {
    std::vector<uint8_t> file;
    stbi_write_png_to_func(keepWritten, &file, picture.width, picture.height, picture.channels, picture.pixels.get(),
                           static_cast<int>(rowBytes(picture)));
    return file;
}

TEST(PngEncoder, StereogramsAreNoLargerThanStbImageWriteMadeThem) {
    for (const bool colour : {false, true}) {
        const Picture stereogram = sampleStereogram(1920, 270, colour);
        const size_t ours = encoded(stereogram, stereogram.channels).size();
        EXPECT_LE(ours, stbPng(stereogram).size()) << (colour ? "colour" : "grey");
        // The strip of dots that starts every row is all that costs much.
        EXPECT_LT(ours, rowBytes(stereogram) * 270 / 4) << (colour ? "colour" : "grey");
    }
}

TEST(PngEncoder, OutOfMemoryIsAWriteError) {
    const Picture picture = samplePicture(64, 64, GreyChannels);
    const fs::path file = tempFile("out.png");
    failAllocationsAfter(1);
    const Outcome outcome = writePictureFile(testRuntime(), file, picture, BmpFrame{});
    failAllocationsAfter(-1);
    EXPECT_EQ(outcome.kind, OutcomeKind::Refused);
    ASSERT_TRUE(isMessage(outcome.refusal));
    EXPECT_EQ(std::string(outcome.refusal.text), "Błąd zapisu pliku!");
    EXPECT_TRUE(filesNamedLike(file).empty());
}

}  // namespace
