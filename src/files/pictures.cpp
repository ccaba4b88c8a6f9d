#include "files/pictures.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <string>

#include "files/bmp.h"
#include "files/compressed.h"
#include "files/picture_block.h"
#include "texts/user_texts.h"

namespace {

bool refused(const Outcome& outcome) {
    return outcome.kind != OutcomeKind::Done;
}

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
OwnedBytes readWhole(std::ifstream& file, uint64_t length, Outcome& outcome) {
    if (length > LargestFileSize) {
        outcome = refusedOutcome(PictureTooLargeText, ErrorCaption);
        return nullptr;
    }
    OwnedBytes bytes = allocateBytes(static_cast<size_t>(length));
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

ViewKind viewShownAfterLoading(SourceKind kind) {
    switch (kind) {
        case SourceKind::DepthMap: return ViewKind::DepthOriginal;
        case SourceKind::Stereogram: return ViewKind::StereogramPlain;
        case SourceKind::Pattern: break;
    }
    return ViewKind::PatternStrip;
}

Outcome readPictureFile(Workspace& ws, const std::filesystem::path& fileName, SourceKind kind) {
    const Outcome notReady = depthMapRefusal(ws, kind);
    if (refused(notReady)) return notReady;
    std::ifstream file(fileName, std::ios::binary);
    FileStart start;
    if (!file || !readStart(file, start)) return silentRefusal();
    if (startsLikeBmp(start.bytes, start.size)) return readBmpFile(ws, file, start.bytes, start.size, start.length, kind);
    const CompressedFormat format = compressedFormatOf(start.bytes, start.size);
    if (format == CompressedFormat::None) return silentRefusal();
    Outcome unread;
    const OwnedBytes bytes = readWhole(file, start.length, unread);
    if (bytes == nullptr) return unread;
    return readCompressedPicture(ws, bytes.get(), static_cast<size_t>(start.length), format, kind);
}

Outcome readPictureBytes(Workspace& ws, const uint8_t* bytes, size_t size, SourceKind kind) {
    const Outcome notReady = depthMapRefusal(ws, kind);
    if (refused(notReady)) return notReady;
    if (startsLikeBmp(bytes, size)) return readBmpBytes(ws, bytes, size, kind);
    const CompressedFormat format = compressedFormatOf(bytes, size);
    if (format == CompressedFormat::None) return silentRefusal();
    return readCompressedPicture(ws, bytes, size, format, kind);
}

Outcome writeDisplayedPicture(const Workspace& ws, const std::filesystem::path& fileName) {
    if (ws.displayDib.bytes == nullptr) return refusedOutcome(NothingToSaveText, NoCaption);
    // A picture on show that does not hold the whole image (left by a load
    // that ran out of memory) is not written, rather than read past its end.
    if (!pictureFitsImage(ws)) return refusedOutcome(WriteErrorText, ErrorCaption);
    return namesPng(fileName) ? writePngFile(ws, fileName) : writeBmpFile(ws, fileName);
}

bool probePictureFile(const std::filesystem::path& fileName, PictureFacts& facts) {
    std::ifstream file(fileName, std::ios::binary);
    FileStart start;
    if (!file || !readStart(file, start)) return false;
    if (startsLikeBmp(start.bytes, start.size)) return probeBmp(start.bytes, start.size, facts);
    const CompressedFormat format = compressedFormatOf(start.bytes, start.size);
    if (format == CompressedFormat::None) return false;
    Outcome unread;
    const OwnedBytes bytes = readWhole(file, start.length, unread);
    return bytes != nullptr && probeCompressed(bytes.get(), static_cast<size_t>(start.length), format, facts);
}
