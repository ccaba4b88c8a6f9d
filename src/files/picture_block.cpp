#include "files/picture_block.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <system_error>
#include <utility>

#include "texts/user_texts.h"
#include "workspace/little_endian.h"
#include "workspace/parallel_rows.h"

namespace {

// 72 dots per inch, in dots per metre.
constexpr uint32_t PlainResolution = 2835;

size_t pixelRowsSize(const PictureLayout& layout) {
    return layout.stride * static_cast<size_t>(layout.height);
}

void reverseRows(uint8_t* rows, size_t stride, int32_t height) {
    for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
        std::swap_ranges(rows + static_cast<size_t>(top) * stride, rows + static_cast<size_t>(top + 1) * stride,
                         rows + static_cast<size_t>(bottom) * stride);
}

// Rearranges the block into what the picture on show holds: a 40-byte
// header, then the rows bottom row first.
void normaliseBlock(uint8_t* block, const PictureLayout& layout) {
    uint8_t* rows = block + DibHeaderSize;
    if (layout.pixelOffset != DibHeaderSize) std::memmove(rows, block + layout.pixelOffset, pixelRowsSize(layout));
    if (layout.topDown) reverseRows(rows, layout.stride, layout.height);
    writeLe32(block, static_cast<uint32_t>(DibHeaderSize));
    writeLe32(block + 8, static_cast<uint32_t>(layout.height));
}

// Bottom-up 24-bit rows into the top-down grey raster: the average of the
// three colour bytes, padding skipped. Each row on its own, on every core.
void convertToGrey(const uint8_t* rows, size_t stride, GreyImage& raster) {
    const size_t width = static_cast<size_t>(raster.width);
    forEachRowRunOnEveryCore(raster.height, [&](int32_t begin, int32_t end) {
        for (int32_t r = begin; r < end; ++r) {
            const uint8_t* pixel = rows + static_cast<size_t>(r) * stride;
            uint8_t* out = raster.pixels.get() + static_cast<size_t>(raster.height - 1 - r) * width;
            for (size_t x = 0; x < width; ++x, pixel += 3)
                out[x] = static_cast<uint8_t>((pixel[0] + pixel[1] + pixel[2]) / 3);
        }
    });
}

// Sets the sizes the file brings and replaces the rasters it makes stale;
// null when the new raster cannot be allocated.
GreyImage* replaceRasters(Workspace& ws, const PictureLayout& layout, SourceKind kind) {
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

// Removes what a failed save left, but never anything that is not a plain
// file (a device such as /dev/full, or the target of a link).
void removePartialFile(const std::filesystem::path& fileName) {
    std::error_code error;
    if (std::filesystem::is_regular_file(std::filesystem::symlink_status(fileName, error)))
        std::filesystem::remove(fileName, error);
}

// A file that is new or a plain file is written beside its place and then
// renamed over it; anything else (a device such as /dev/full) is written
// where it is.
bool writtenInPlace(const std::filesystem::path& fileName) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(fileName, error);
    return std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
}

bool writeStream(const std::filesystem::path& fileName, const uint8_t* head, size_t headSize, const uint8_t* body,
                 size_t bodySize) {
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    if (!file) return false;
    file.write(reinterpret_cast<const char*>(head), static_cast<std::streamsize>(headSize));
    file.write(reinterpret_cast<const char*>(body), static_cast<std::streamsize>(bodySize));
    file.close();
    // A full disk shows only here, when the buffered bytes are flushed.
    return !file.fail();
}

}  // namespace

Outcome depthMapRefusal(const Workspace& ws, SourceKind kind) {
    if (kind != SourceKind::Pattern || ws.depthMap.pixels != nullptr) return doneOutcome();
    return refusedOutcome(LoadDepthMapFirstText, NoCaption);
}

Outcome takePictureBlock(Workspace& ws, OwnedBytes block, const PictureLayout& layout, SourceKind kind) {
    normaliseBlock(block.get(), layout);
    GreyImage* raster = replaceRasters(ws, layout, kind);
    if (raster == nullptr) return outOfMemoryOutcome();
    convertToGrey(block.get() + DibHeaderSize, layout.stride, *raster);
    if (kind != SourceKind::Pattern)
        adoptDisplayDib(ws.displayDib, std::move(block),
                        static_cast<size_t>(displayDibSize(layout.width, layout.height)));
    return doneOutcome();
}

void writePlainInfoHeader(uint8_t* at, int32_t width, int32_t height) {
    std::memset(at, 0, DibHeaderSize);
    writeLe32(at, static_cast<uint32_t>(DibHeaderSize));
    writeLe32(at + 4, static_cast<uint32_t>(width));
    writeLe32(at + 8, static_cast<uint32_t>(height));
    at[12] = 1;   // planes
    at[14] = 24;  // bits per pixel
    writeLe32(at + 20, static_cast<uint32_t>(rowStride(width) * height));
    writeLe32(at + 24, PlainResolution);
    writeLe32(at + 28, PlainResolution);
}

bool writeFileWhole(const std::filesystem::path& fileName, const uint8_t* head, size_t headSize, const uint8_t* body,
                    size_t bodySize) {
    if (writtenInPlace(fileName)) return writeStream(fileName, head, headSize, body, bodySize);
    std::filesystem::path beside = fileName;
    beside += ".part";
    std::error_code error;
    if (writeStream(beside, head, headSize, body, bodySize)) {
        std::filesystem::rename(beside, fileName, error);
        if (!error) return true;
    }
    removePartialFile(beside);
    return false;
}
