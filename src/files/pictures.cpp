#include "files/pictures.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>

#include "files/bmp.h"
#include "files/compressed.h"
#include "files/file_output.h"
#include "texts/user_texts.h"

namespace {

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

// The whole file, for the formats whose library reads from memory; null
// (with the outcome saying why) when it does not fit.
OwnedBytes readWhole(Runtime& runtime, std::ifstream& file, uint64_t length, Outcome& outcome) {
    if (length > LargestFileSize) {
        outcome = refusedOutcome(PictureTooLargeText, ErrorCaption);
        return nullptr;
    }
    OwnedBytes bytes = allocateBytes(runtime, static_cast<size_t>(length));
    if (bytes == nullptr) {
        outcome = outOfMemoryOutcome();
        return nullptr;
    }
    file.clear();
    file.seekg(0);
    file.read(reinterpret_cast<char*>(bytes.get()), static_cast<std::streamsize>(length));
    if (static_cast<uint64_t>(file.gcount()) != length) {
        // The file shrank after its length was taken.
        outcome = silentRefusal();
        return nullptr;
    }
    return bytes;
}

bool namesPng(const std::filesystem::path& fileName) {
    std::string extension = fileName.extension().u8string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
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
    const OwnedBytes bytes = readWhole(runtime, file, start.length, unread);
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

bool probePictureFile(Runtime& runtime, const std::filesystem::path& fileName, PictureFacts& facts) {
    std::ifstream file(fileName, std::ios::binary);
    FileStart start;
    if (!file || !readStart(file, start)) return false;
    if (startsLikeBmp(start.bytes, start.size)) return probeBmp(start.bytes, start.size, facts);
    const CompressedFormat format = compressedFormatOf(start.bytes, start.size);
    if (format == CompressedFormat::None) return false;
    Outcome unread;
    const OwnedBytes bytes = readWhole(runtime, file, start.length, unread);
    return bytes != nullptr && probeCompressed(bytes.get(), static_cast<size_t>(start.length), format, facts);
}
