#include "files/bmp.h"

#include <cstring>
#include <utility>

#include "files/picture_block.h"
#include "texts/user_texts.h"
#include "workspace/little_endian.h"

namespace {

constexpr size_t FileHeaderSize = BmpFileHeaderSize;
constexpr size_t CheckedPrefixSize = BmpCheckedPrefixSize;
constexpr uint32_t V4InfoSize = 108;
constexpr uint32_t V5InfoSize = 124;

// Bytes that came from outside; every read is checked against the end.
struct ByteSpan {
    const uint8_t* data;
    size_t size;
};

bool holds(ByteSpan bytes, size_t offset, size_t count) {
    return offset <= bytes.size && bytes.size - offset >= count;
}

// Fields that lie outside the span read as 0.
uint32_t readU16le(ByteSpan bytes, size_t offset) {
    return holds(bytes, offset, 2) ? readLe16(bytes.data + offset) : 0;
}

uint32_t readU32le(ByteSpan bytes, size_t offset) {
    return holds(bytes, offset, 4) ? readLe32(bytes.data + offset) : 0;
}

// A signed 32-bit field, widened so that its negation cannot overflow.
int64_t readI32le(ByteSpan bytes, size_t offset) {
    const int64_t value = readU32le(bytes, offset);
    return value >= 0x80000000 ? value - 0x100000000 : value;
}

enum class Verdict { NotBmp, Corrupt, WrongPatternHeight, Not24Bit, Accepted };

// What the checks found, and for an accepted file where its pixel rows lie
// in the file block (the bytes after the file header); the height is
// positive also for a top-down file.
struct BmpLayout {
    Verdict verdict = Verdict::NotBmp;
    PictureLayout picture;
};

bool isReadableInfoSize(uint32_t infoSize) {
    return infoSize == DibHeaderSize || infoSize == V4InfoSize || infoSize == V5InfoSize;
}

bool isPlain24Bit(ByteSpan info) {
    const uint32_t bitCount = readU16le(info, 14);
    const uint32_t compression = readU32le(info, 16);
    const uint32_t coloursUsed = readU32le(info, 32);
    return isReadableInfoSize(readU32le(info, 0)) && bitCount == 24 && compression == 0 && coloursUsed == 0;
}

// All checks, in the order whose messages the user sees, on the first
// bytes of the file and its length. Nothing is allocated before they
// pass, so a forged size never costs memory.
BmpLayout examineBmp(const Workspace& ws, ByteSpan prefix, uint64_t fileLength, SourceKind kind) {
    BmpLayout layout;
    if (!holds(prefix, 0, FileHeaderSize) || prefix.data[0] != 'B' || prefix.data[1] != 'M') return layout;

    layout.verdict = Verdict::Corrupt;
    const uint64_t fileSize = readU32le(prefix, 2);
    if (fileSize < CheckedPrefixSize || fileSize > fileLength || !holds(prefix, 0, CheckedPrefixSize))
        return layout;

    const ByteSpan info{prefix.data + FileHeaderSize, prefix.size - FileHeaderSize};
    const int64_t width = readI32le(info, 4);
    const int64_t height = readI32le(info, 8);
    const int64_t rows = height < 0 ? -height : height;
    if (kind == SourceKind::Pattern && rows != ws.imageHeight) {
        layout.verdict = Verdict::WrongPatternHeight;
        return layout;
    }
    if (!isPlain24Bit(info)) {
        layout.verdict = Verdict::Not24Bit;
        return layout;
    }

    const uint64_t blockSize = fileSize - FileHeaderSize;
    const uint32_t infoSize = readU32le(info, 0);
    uint64_t pixelOffset = DibHeaderSize;
    if (infoSize != DibHeaderSize) {
        // The newer headers may be followed by colour masks or a profile;
        // their rows start where bfOffBits says.
        const uint64_t offBits = readU32le(prefix, 10);
        if (offBits < FileHeaderSize + infoSize) return layout;
        pixelOffset = offBits - FileHeaderSize;
    }
    if (width <= 0 || rows == 0) return layout;
    // Both factors are below 2^33, so the product fits; once it lies inside
    // a block of at most 2^32 bytes, every buffer made from it fits 32 bits.
    const uint64_t stride = static_cast<uint64_t>(rowStride(width));
    if (pixelOffset > blockSize || stride * static_cast<uint64_t>(rows) > blockSize - pixelOffset)
        return layout;

    layout.verdict = Verdict::Accepted;
    layout.picture = PictureLayout{static_cast<size_t>(blockSize), static_cast<size_t>(pixelOffset),
                                   static_cast<size_t>(stride),    static_cast<int32_t>(width),
                                   static_cast<int32_t>(rows),     height < 0};
    return layout;
}

// Why a file is refused, if it is.
Outcome layoutRefusal(const BmpLayout& layout) {
    switch (layout.verdict) {
        case Verdict::NotBmp:
            return silentRefusal();
        case Verdict::Corrupt:
            return refusedOutcome(CorruptBmpText, ErrorCaption);
        case Verdict::WrongPatternHeight:
            return refusedOutcome(PatternHeightText, NoCaption);
        case Verdict::Not24Bit:
            return refusedOutcome(Only24BitText, WarningCaption);
        case Verdict::Accepted:
            break;
    }
    return doneOutcome();
}

bool refused(const Outcome& outcome) {
    return outcome.kind != OutcomeKind::Done;
}

}  // namespace

bool startsLikeBmp(const uint8_t* prefix, size_t size) {
    return size >= 2 && prefix[0] == 'B' && prefix[1] == 'M';
}

Outcome readBmpFile(Workspace& ws, std::istream& file, const uint8_t* prefix, size_t prefixSize,
                    uint64_t fileLength, SourceKind kind) {
    const BmpLayout layout = examineBmp(ws, ByteSpan{prefix, prefixSize}, fileLength, kind);
    const Outcome refusal = layoutRefusal(layout);
    if (refused(refusal)) return refusal;
    OwnedBytes block = allocateBytes(layout.picture.blockSize);
    if (block == nullptr) return outOfMemoryOutcome();
    file.clear();
    file.seekg(static_cast<std::streamoff>(FileHeaderSize));
    file.read(reinterpret_cast<char*>(block.get()), static_cast<std::streamsize>(layout.picture.blockSize));
    // The file shrank after its length was taken.
    if (static_cast<size_t>(file.gcount()) != layout.picture.blockSize)
        return refusedOutcome(CorruptBmpText, ErrorCaption);
    return takePictureBlock(ws, std::move(block), layout.picture, kind);
}

Outcome readBmpBytes(Workspace& ws, const uint8_t* bytes, size_t size, SourceKind kind) {
    const BmpLayout layout = examineBmp(ws, ByteSpan{bytes, size}, size, kind);
    const Outcome refusal = layoutRefusal(layout);
    if (refused(refusal)) return refusal;
    OwnedBytes block = allocateBytes(layout.picture.blockSize);
    if (block == nullptr) return outOfMemoryOutcome();
    std::memcpy(block.get(), bytes + FileHeaderSize, layout.picture.blockSize);
    return takePictureBlock(ws, std::move(block), layout.picture, kind);
}

Outcome writeBmpFile(const Workspace& ws, const std::filesystem::path& fileName) {
    const uint64_t pictureSize = displayDibSize(ws.imageWidth, ws.imageHeight);
    if (FileHeaderSize + pictureSize > LargestFileSize) return refusedOutcome(WriteErrorText, ErrorCaption);
    uint8_t header[FileHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    writeLe32(header + 2, static_cast<uint32_t>(FileHeaderSize + pictureSize));
    writeLe32(header + 10, static_cast<uint32_t>(CheckedPrefixSize));
    if (writeFileWhole(fileName, header, FileHeaderSize, ws.displayDib.bytes.get(), static_cast<size_t>(pictureSize)))
        return doneOutcome();
    return refusedOutcome(WriteErrorText, ErrorCaption);
}

bool probeBmp(const uint8_t* prefix, size_t prefixSize, PictureFacts& facts) {
    const ByteSpan bytes{prefix, prefixSize};
    if (!holds(bytes, 0, CheckedPrefixSize) || !startsLikeBmp(prefix, prefixSize)) return false;
    const int64_t width = readI32le(bytes, FileHeaderSize + 4);
    const int64_t height = readI32le(bytes, FileHeaderSize + 8);
    if (width <= 0 || height == 0 || height < -INT32_MAX) return false;
    facts.format = BmpFormatName;
    facts.width = static_cast<int32_t>(width);
    facts.height = static_cast<int32_t>(height < 0 ? -height : height);
    return true;
}
