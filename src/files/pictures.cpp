#include "files/pictures.h"

#include <climits>
#include <fstream>
#include <string>

#include "files/bmp.h"
#include "files/compressed.h"
#include "files/file_output.h"
#include "picture/whole_file.h"
#include "texts/user_texts.h"

namespace {

// The PNG and JPEG reader takes at most this many bytes: a larger file is
// refused before it is read.
constexpr uint64_t LargestCompressedFileSize = INT_MAX;

// The first bytes of a file, enough for every format's signature and for
// the BMP checks, and its length.
struct FileStart {
    uint8_t bytes[BmpCheckedPrefixSize];
    size_t size = 0;
    uint64_t length = 0;
};

bool readStart(std::ifstream& file, FileStart& start) {
    file.read(reinterpret_cast<char*>(start.bytes), static_cast<std::streamsize>(sizeof start.bytes));
    start.size = static_cast<size_t>(file.gcount());
    file.clear();
    file.seekg(0, std::ios::end);
    const std::streamoff length = file.tellg();
    if (length < 0) return false;
    start.length = static_cast<uint64_t>(length);
    return true;
}

bool namesPng(const std::filesystem::path& fileName) {
    const std::string extension = lowerCaseExtension(fileName);
    return extension == ".png";
}

}  // namespace

Outcome readPictureFile(Runtime& runtime, const std::filesystem::path& fileName, const ReadRequest& request,
                        Picture& picture, BmpFrame& frame) {
    std::ifstream file(fileName, std::ios::binary);
    FileStart start;
    if (!file || !readStart(file, start)) return silentRefusal();
    if (startsLikeBmp(start.bytes, start.size))
        return readBmpFile(runtime, file, start.bytes, start.size, start.length, request, picture, frame);
    const CompressedFormat format = compressedFormatOf(start.bytes, start.size);
    if (format == CompressedFormat::None) return silentRefusal();
    Outcome unread;
    const OwnedBytes bytes = readWholeFile(runtime, file, start.length, LargestCompressedFileSize, PictureTooLargeText, unread);
    if (bytes == nullptr) return unread;
    return readCompressedPicture(runtime, bytes.get(), static_cast<size_t>(start.length), format, request, picture,
                                 frame);
}

Outcome readPictureBytes(Runtime& runtime, const uint8_t* bytes, size_t size, const ReadRequest& request,
                         Picture& picture, BmpFrame& frame) {
    if (startsLikeBmp(bytes, size)) return readBmpBytes(runtime, bytes, size, request, picture, frame);
    const CompressedFormat format = compressedFormatOf(bytes, size);
    if (format == CompressedFormat::None) return silentRefusal();
    return readCompressedPicture(runtime, bytes, size, format, request, picture, frame);
}

Outcome writePictureFile(Runtime& runtime, const std::filesystem::path& fileName, const Picture& picture,
                         const BmpFrame& frame) {
    if (!isPresent(picture)) return refusedOutcome(WriteErrorText, ErrorCaption);
    return namesPng(fileName) ? writePngFile(runtime, fileName, picture)
                              : writeBmpFile(runtime, fileName, picture, frame);
}

bool isLossyPictureFile(const std::filesystem::path& fileName) {
    std::ifstream file(fileName, std::ios::binary);
    FileStart start;
    return file && readStart(file, start) && isLossyPictureBytes(start.bytes, start.size);
}

bool isLossyPictureBytes(const uint8_t* bytes, size_t size) {
    return compressedFormatOf(bytes, size) == CompressedFormat::Jpeg;
}

bool probePictureFile(Runtime& runtime, const std::filesystem::path& fileName, PictureFacts& facts) {
    std::ifstream file(fileName, std::ios::binary);
    FileStart start;
    if (!file || !readStart(file, start)) return false;
    if (startsLikeBmp(start.bytes, start.size)) return probeBmp(start.bytes, start.size, facts);
    const CompressedFormat format = compressedFormatOf(start.bytes, start.size);
    if (format == CompressedFormat::None) return false;
    Outcome unread;
    const OwnedBytes bytes = readWholeFile(runtime, file, start.length, LargestCompressedFileSize, PictureTooLargeText, unread);
    return bytes != nullptr && probeCompressed(bytes.get(), static_cast<size_t>(start.length), format, facts);
}
