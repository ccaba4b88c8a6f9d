#include "files/bmp.h"

#include <cstring>
#include <utility>

#include "files/file_output.h"
#include "picture/byte_span.h"
#include "picture/little_endian.h"
#include "picture/parallel_rows.h"
#include "texts/user_texts.h"

namespace {

constexpr size_t FileHeaderSize = BmpFileHeaderSize;
constexpr size_t CheckedPrefixSize = BmpCheckedPrefixSize;
constexpr uint32_t V4InfoSize = 108;
constexpr uint32_t V5InfoSize = 124;

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

// Where a block's 24-bit pixel rows lie (from pixelOffset, stride bytes
// each, the bottom row first unless topDown) behind its info header.
struct PictureLayout {
    size_t blockSize = 0;
    size_t pixelOffset = 0;
    size_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool topDown = false;
};

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
BmpLayout examineBmp(ByteSpan prefix, uint64_t fileLength, int32_t requiredHeight) {
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
    if (requiredHeight > 0 && rows != requiredHeight) {
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

// The file block's row for picture row y, counted from the top.
const uint8_t* fileRow(const uint8_t* block, const PictureLayout& layout, int32_t y) {
    const int32_t row = layout.topDown ? y : layout.height - 1 - y;
    return block + layout.pixelOffset + static_cast<size_t>(row) * layout.stride;
}

// The bytes that pad the file's rows, top row first; null when every one is
// zero or there are none. False when out of memory.
bool keepPadding(Runtime& runtime, const uint8_t* block, const PictureLayout& layout, OwnedBytes& padding) {
    const size_t width = 3 * static_cast<size_t>(layout.width);
    const size_t perRow = static_cast<size_t>(rowStride(layout.width)) - width;
    bool anySet = false;
    for (int32_t y = 0; y < layout.height && perRow > 0 && !anySet; ++y)
        for (size_t i = 0; i < perRow; ++i) anySet |= fileRow(block, layout, y)[width + i] != 0;
    padding.reset();
    if (!anySet) return true;
    padding = allocateBytes(runtime, perRow * static_cast<size_t>(layout.height));
    if (padding == nullptr) return false;
    for (int32_t y = 0; y < layout.height; ++y)
        std::memcpy(padding.get() + static_cast<size_t>(y) * perRow, fileRow(block, layout, y) + width, perRow);
    return true;
}

// The file's blue, green and red rows into the picture: their grey, or
// their colours. Each row on its own, on every core.
void convertRows(Runtime& runtime, const uint8_t* block, const PictureLayout& layout, Picture& picture) {
    forEachRowRunOnEveryCore(runtime, layout.height, [&](int32_t begin, int32_t end) {
        for (int32_t y = begin; y < end; ++y) {
            const uint8_t* pixel = fileRow(block, layout, y);
            uint8_t* out = rowOf(picture, y);
            if (isColour(picture)) {
                for (int32_t x = 0; x < layout.width; ++x, pixel += 3, out += ColourChannels) {
                    out[0] = pixel[2];
                    out[1] = pixel[1];
                    out[2] = pixel[0];
                }
            } else {
                for (int32_t x = 0; x < layout.width; ++x, pixel += 3)
                    out[x] = greyOf(pixel);
            }
        }
    });
}

// Takes a checked block's pixels into the picture, and its header (as a
// plain 40-byte header of a bottom-up picture) and padding into the frame.
Outcome takeBmpBlock(Runtime& runtime, const uint8_t* block, const PictureLayout& layout, const ReadRequest& request,
                     Picture& picture, BmpFrame& frame) {
    tellTaking(request, layout.width, layout.height);
    if (!replacePicture(runtime, picture, layout.width, layout.height, request.channels)) return outOfMemoryOutcome();
    OwnedBytes padding;
    if (!keepPadding(runtime, block, layout, padding)) {
        releasePicture(picture);
        return outOfMemoryOutcome();
    }
    convertRows(runtime, block, layout, picture);
    std::memcpy(frame.header, block, DibHeaderSize);
    writeLe32(frame.header, static_cast<uint32_t>(DibHeaderSize));
    writeLe32(frame.header + 8, static_cast<uint32_t>(layout.height));
    frame.padding = std::move(padding);
    return doneOutcome();
}

}  // namespace

bool startsLikeBmp(const uint8_t* prefix, size_t size) {
    return size >= 2 && prefix[0] == 'B' && prefix[1] == 'M';
}

Outcome readBmpFile(Runtime& runtime, std::istream& file, const uint8_t* prefix, size_t prefixSize,
                    uint64_t fileLength, const ReadRequest& request, Picture& picture, BmpFrame& frame) {
    const BmpLayout layout = examineBmp(ByteSpan{prefix, prefixSize}, fileLength, request.requiredHeight);
    const Outcome refusal = layoutRefusal(layout);
    if (refused(refusal)) return refusal;
    OwnedBytes block = allocateBytes(runtime, layout.picture.blockSize);
    if (block == nullptr) return outOfMemoryOutcome();
    file.clear();
    file.seekg(static_cast<std::streamoff>(FileHeaderSize));
    file.read(reinterpret_cast<char*>(block.get()), static_cast<std::streamsize>(layout.picture.blockSize));
    // The file shrank after its length was taken.
    if (static_cast<size_t>(file.gcount()) != layout.picture.blockSize)
        return refusedOutcome(CorruptBmpText, ErrorCaption);
    return takeBmpBlock(runtime, block.get(), layout.picture, request, picture, frame);
}

Outcome readBmpBytes(Runtime& runtime, const uint8_t* bytes, size_t size, const ReadRequest& request,
                     Picture& picture, BmpFrame& frame) {
    const BmpLayout layout = examineBmp(ByteSpan{bytes, size}, size, request.requiredHeight);
    const Outcome refusal = layoutRefusal(layout);
    if (refused(refusal)) return refusal;
    return takeBmpBlock(runtime, bytes + FileHeaderSize, layout.picture, request, picture, frame);
}

Outcome writeBmpFile(Runtime& runtime, const std::filesystem::path& fileName, const Picture& picture,
                     const BmpFrame& frame) {
    const uint64_t pictureSize = displayDibSize(picture.width, picture.height);
    if (FileHeaderSize + pictureSize > LargestFileSize) return refusedOutcome(WriteErrorText, ErrorCaption);
    size_t packedSize = 0;
    const OwnedBytes packed = packBmpRows(runtime, picture, frame, packedSize);
    if (packed == nullptr) return refusedOutcome(WriteErrorText, ErrorCaption);
    uint8_t header[FileHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    writeLe32(header + 2, static_cast<uint32_t>(FileHeaderSize + pictureSize));
    writeLe32(header + 10, static_cast<uint32_t>(CheckedPrefixSize));
    if (writeFileWhole(fileName, header, FileHeaderSize, packed.get(), packedSize)) return doneOutcome();
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
