#include "files/bmp.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <system_error>
#include <utility>

#include "texts/user_texts.h"
#include "workspace/little_endian.h"

namespace {

constexpr size_t FileHeaderSize = 14;
// The file header and a 40-byte info header: every field the checks read.
constexpr size_t CheckedPrefixSize = FileHeaderSize + DibHeaderSize;
constexpr uint32_t V4InfoSize = 108;
constexpr uint32_t V5InfoSize = 124;
constexpr uint64_t LargestFileSize = 0xFFFFFFFFu;

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
// in the file block (the bytes after the file header).
struct BmpLayout {
    Verdict verdict = Verdict::NotBmp;
    size_t blockSize = 0;
    size_t pixelOffset = 0;
    size_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;  // positive also for a top-down file
    bool topDown = false;
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
    layout.blockSize = static_cast<size_t>(blockSize);
    layout.pixelOffset = static_cast<size_t>(pixelOffset);
    layout.stride = static_cast<size_t>(stride);
    layout.width = static_cast<int32_t>(width);
    layout.height = static_cast<int32_t>(rows);
    layout.topDown = height < 0;
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

Outcome depthMapRefusal(const Workspace& ws, SourceKind kind) {
    if (kind != SourceKind::Pattern || ws.depthMap.pixels != nullptr) return doneOutcome();
    return refusedOutcome(LoadDepthMapFirstText, NoCaption);
}

bool refused(const Outcome& outcome) {
    return outcome.kind != OutcomeKind::Done;
}

size_t pixelRowsSize(const BmpLayout& layout) {
    return layout.stride * static_cast<size_t>(layout.height);
}

void reverseRows(uint8_t* rows, size_t stride, int32_t height) {
    for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(rows + static_cast<size_t>(top) * stride, rows + static_cast<size_t>(top + 1) * stride,
                         rows + static_cast<size_t>(bottom) * stride);
}

// Rearranges the block into what the picture on show holds: a 40-byte
// header, then the rows bottom row first.
void normaliseBlock(uint8_t* block, const BmpLayout& layout) {
    uint8_t* rows = block + DibHeaderSize;
    if (layout.pixelOffset != DibHeaderSize) std::memmove(rows, block + layout.pixelOffset, pixelRowsSize(layout));
    if (layout.topDown) reverseRows(rows, layout.stride, layout.height);
    writeLe32(block, static_cast<uint32_t>(DibHeaderSize));
    writeLe32(block + 8, static_cast<uint32_t>(layout.height));
}

// Bottom-up 24-bit rows into the top-down grey raster: the average of the
// three colour bytes, padding skipped.
void convertToGrey(const uint8_t* rows, size_t stride, GreyImage& raster) {
    const size_t width = static_cast<size_t>(raster.width);
    for (int32_t r = 0; r < raster.height; ++r) {
        const uint8_t* pixel = rows + static_cast<size_t>(r) * stride;
        uint8_t* out = raster.pixels.get() + static_cast<size_t>(raster.height - 1 - r) * width;
        for (size_t x = 0; x < width; ++x, pixel += 3)
            out[x] = static_cast<uint8_t>((pixel[0] + pixel[1] + pixel[2]) / 3);
    }
}

// Sets the sizes the file brings and replaces the rasters it makes stale;
// null when the new raster cannot be allocated.
GreyImage* replaceRasters(Workspace& ws, const BmpLayout& layout, SourceKind kind) {
    switch (kind) {
        case SourceKind::DepthMap:
            ws.imageWidth = layout.width;
            ws.imageHeight = layout.height;
            releaseGreyImage(ws.stereogram);
            return replaceGreyImage(ws.depthMap, layout.width, layout.height) ? &ws.depthMap : nullptr;
        case SourceKind::Stereogram:
            ws.imageWidth = layout.width;
            ws.imageHeight = layout.height;
            releaseGreyImage(ws.depthMap);
            return replaceGreyImage(ws.stereogram, layout.width, layout.height) ? &ws.stereogram : nullptr;
        case SourceKind::Pattern:
            break;
    }
    // A pattern wider than the image leaves repeatCount 0; generation refuses it.
    ws.patternWidth = layout.width;
    ws.preferences.repeatCount = ws.imageWidth / layout.width;
    return replaceGreyImage(ws.pattern, layout.width, ws.imageHeight) ? &ws.pattern : nullptr;
}

// Takes a checked file block into the workspace. The block of a depth map
// or stereogram becomes the picture on show; a pattern's is released.
Outcome takeBlock(Workspace& ws, OwnedBytes block, const BmpLayout& layout, SourceKind kind) {
    normaliseBlock(block.get(), layout);
    GreyImage* raster = replaceRasters(ws, layout, kind);
    if (raster == nullptr) return outOfMemoryOutcome();
    convertToGrey(block.get() + DibHeaderSize, layout.stride, *raster);
    if (kind != SourceKind::Pattern)
        adoptDisplayDib(ws.displayDib, std::move(block),
                        static_cast<size_t>(displayDibSize(layout.width, layout.height)));
    return doneOutcome();
}

// Removes what a failed save left, but never anything that is not a plain
// file (a device such as /dev/full, or the target of a link).
void removePartialFile(const std::filesystem::path& fileName) {
    std::error_code error;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(fileName, error)))
        std::filesystem::remove(fileName, error);
}

// A file that is new or a plain file is written beside its place and then
// renamed over it, so that it appears whole or not at all; anything else
// (a device such as /dev/full) is written where it is.
bool writtenInPlace(const std::filesystem::path& fileName) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(fileName, error);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

std::filesystem::path besideOf(const std::filesystem::path& fileName) {
    std::filesystem::path beside = fileName;
    beside += ".part";
    return beside;
}

bool writeWhole(const std::filesystem::path& fileName, const uint8_t* header, size_t headerSize,
                const uint8_t* body, size_t bodySize) {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(header), static_cast<std::streamsize>(headerSize));
    file.write(reinterpret_cast<const char*>(body), static_cast<std::streamsize>(bodySize));
    file.close();
    // A full disk shows only here, when the buffered bytes are flushed.
    return !file.fail();
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
    if (!file) return silentRefusal();

    uint8_t prefix[CheckedPrefixSize];
    file.read(reinterpret_cast<char*>(prefix), static_cast<std::streamsize>(CheckedPrefixSize));
    const size_t prefixSize = static_cast<size_t>(file.gcount());
    file.clear();
    file.seekg(0, std::ios::end);
    const std::streamoff fileLength = file.tellg();
    if (fileLength < 0) return silentRefusal();

    const BmpLayout layout = examineBmp(ws, ByteSpan{prefix, prefixSize}, static_cast<uint64_t>(fileLength), kind);
    const Outcome refusal = layoutRefusal(layout);
    if (refused(refusal)) return refusal;
    OwnedBytes block = allocateBytes(layout.blockSize);
    if (block == nullptr) return outOfMemoryOutcome();
    file.seekg(static_cast<std::streamoff>(FileHeaderSize));
    file.read(reinterpret_cast<char*>(block.get()), static_cast<std::streamsize>(layout.blockSize));
    // The file shrank after its length was taken.
    if (static_cast<size_t>(file.gcount()) != layout.blockSize) return refusedOutcome(CorruptBmpText, ErrorCaption);
    return takeBlock(ws, std::move(block), layout, kind);
}

Outcome readPictureBytes(Workspace& ws, const uint8_t* bytes, size_t size, SourceKind kind) {
    const Outcome notReady = depthMapRefusal(ws, kind);
    if (refused(notReady)) return notReady;
    const BmpLayout layout = examineBmp(ws, ByteSpan{bytes, size}, size, kind);
    const Outcome refusal = layoutRefusal(layout);
    if (refused(refusal)) return refusal;
    OwnedBytes block = allocateBytes(layout.blockSize);
    if (block == nullptr) return outOfMemoryOutcome();
    std::memcpy(block.get(), bytes + FileHeaderSize, layout.blockSize);
    return takeBlock(ws, std::move(block), layout, kind);
}

Outcome writeDisplayedPicture(const Workspace& ws, const std::filesystem::path& fileName) {
    if (ws.displayDib.bytes == nullptr) return refusedOutcome(NothingToSaveText, NoCaption);
    // A picture on show that does not hold the whole image (left by a load
    // that ran out of memory) is not written, rather than read past its end.
    const uint64_t pictureSize = displayDibSize(ws.imageWidth, ws.imageHeight);
    if (!pictureFitsImage(ws) || FileHeaderSize + pictureSize > LargestFileSize)
        return refusedOutcome(WriteErrorText, ErrorCaption);

    uint8_t header[FileHeaderSize] = {};
    header[0] = 'B';
    header[1] = 'M';
    writeLe32(header + 2, static_cast<uint32_t>(FileHeaderSize + pictureSize));
    writeLe32(header + 10, static_cast<uint32_t>(CheckedPrefixSize));
    const uint8_t* picture = ws.displayDib.bytes.get();
    const size_t size = static_cast<size_t>(pictureSize);
    if (writtenInPlace(fileName)) {
        if (writeWhole(fileName, header, FileHeaderSize, picture, size)) return doneOutcome();
        return refusedOutcome(WriteErrorText, ErrorCaption);
    }
    const std::filesystem::path beside = besideOf(fileName);
    std::error_code error;
    if (writeWhole(beside, header, FileHeaderSize, picture, size)) {
        std::filesystem::rename(beside, fileName, error);
        if (!error) return doneOutcome();
    }
    removePartialFile(beside);
    return refusedOutcome(WriteErrorText, ErrorCaption);
}

bool probePictureFile(const std::filesystem::path& fileName, PictureFacts& facts) {
    std::ifstream file(fileName, std::ios::binary);
    uint8_t prefix[CheckedPrefixSize];
    file.read(reinterpret_cast<char*>(prefix), static_cast<std::streamsize>(CheckedPrefixSize));
    const ByteSpan bytes{prefix, static_cast<size_t>(file.gcount())};
    if (!holds(bytes, 0, CheckedPrefixSize) || prefix[0] != 'B' || prefix[1] != 'M') return false;
    const int64_t width = readI32le(bytes, FileHeaderSize + 4);
    const int64_t height = readI32le(bytes, FileHeaderSize + 8);
    if (width <= 0 || height == 0 || height < -INT32_MAX) return false;
    facts.format = BmpFormatName;
    facts.width = static_cast<int32_t>(width);
    facts.height = static_cast<int32_t>(height < 0 ? -height : height);
    return true;
}
