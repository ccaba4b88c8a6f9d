#include "files/compressed.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

#include "files/big_endian.h"
#include "files/file_output.h"
#include "files/png_encoder.h"
#include "files/stb_codecs.h"
#include "picture/parallel_rows.h"
#include "texts/user_texts.h"

namespace {

constexpr uint8_t JpegStart[] = {0xFF, 0xD8, 0xFF};

Outcome damaged(CompressedFormat format) {
    return refusedOutcome(format == CompressedFormat::Png ? CorruptPngText : CorruptJpegText, ErrorCaption);
}

Outcome tooLarge() {
    return refusedOutcome(PictureTooLargeText, ErrorCaption);
}

// What the library's refusal means for the user: its own limit on the
// size of a picture, no memory, or a file it cannot read.
Outcome whyUnread(CompressedFormat format) {
    const char* why = stbi_failure_reason();
    if (why != nullptr && std::strcmp(why, "too large") == 0) return tooLarge();
    if (why != nullptr && std::strcmp(why, "outofmem") == 0) return outOfMemoryOutcome();
    return damaged(format);
}

// The library frees what it gave with free().
struct ReleaseDecoded {
    void operator()(void* pixels) const { stbi_image_free(pixels); }
};
using DecodedPixels = std::unique_ptr<void, ReleaseDecoded>;

// A 16-bit sample rounded to 8 bits.
inline uint8_t eightBitsOf(uint16_t sample) {
    return static_cast<uint8_t>((sample * 255u + 32767u) / 65535u);
}

inline uint8_t eightBitsOf(uint8_t sample) {
    return sample;
}

// A colour over black: what shows through an alpha of `alpha`.
inline uint8_t overBlack(uint8_t colour, uint8_t alpha) {
    return static_cast<uint8_t>((colour * alpha + 127u) / 255u);
}

// One decoded pixel (channels: grey; grey, alpha; red, green, blue; or
// those and alpha) as red, green and blue, over black where it is not
// opaque.
template <class Sample>
void rgbOf(const Sample* in, int channels, uint8_t* rgb) {
    const bool colour = channels >= 3;
    const bool alpha = channels == 2 || channels == 4;
    rgb[0] = eightBitsOf(in[0]);
    rgb[1] = colour ? eightBitsOf(in[1]) : rgb[0];
    rgb[2] = colour ? eightBitsOf(in[2]) : rgb[0];
    if (!alpha) return;
    const uint8_t opacity = eightBitsOf(in[channels - 1]);
    for (int c = 0; c < 3; ++c) rgb[c] = overBlack(rgb[c], opacity);
}

// The decoded rows, top row first, into the picture: the colours, or the
// grey of each, as the BMP with the same pixels gives them.
template <class Sample>
void fillPicture(Runtime& runtime, const Sample* pixels, int channels, Picture& picture) {
    const size_t rowSamples = static_cast<size_t>(picture.width) * static_cast<size_t>(channels);
    forEachRowRunOnEveryCore(runtime, picture.height, [&](int32_t begin, int32_t end) {
        for (int32_t y = begin; y < end; ++y) {
            const Sample* in = pixels + static_cast<size_t>(y) * rowSamples;
            uint8_t* out = rowOf(picture, y);
            for (int32_t x = 0; x < picture.width; ++x, in += channels) {
                uint8_t rgb[3];
                rgbOf(in, channels, rgb);
                if (isColour(picture)) {
                    std::memcpy(out + ColourChannels * x, rgb, 3);
                } else {
                    out[x] = greyOf(rgb);
                }
            }
        }
    });
}

bool fitsAsBmp(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0 || width > INT32_MAX || height > INT32_MAX) return false;
    return BmpFileHeaderSize + displayDibSize(static_cast<int32_t>(width), static_cast<int32_t>(height)) <=
           LargestFileSize;
}

// The size a PNG file's first chunk, IHDR, declares: the library tells a
// size beyond its own limit only as one more kind of damage.
bool readPngSize(const uint8_t* bytes, size_t size, int64_t& width, int64_t& height) {
    constexpr size_t ChunkTypeAt = sizeof PngSignature + 4;
    if (size < ChunkTypeAt + 12 || std::memcmp(bytes + ChunkTypeAt, "IHDR", 4) != 0) return false;
    width = readBe32(bytes + ChunkTypeAt + 4);
    height = readBe32(bytes + ChunkTypeAt + 8);
    return true;
}

// Two kinds of damage the library does not check for, found by the loader's
// fuzz target:
// - it builds each Huffman table into room for 256 codes without checking
//   that the table holds no more (a table's sixteen counts may add up to
//   4080), and would write past that room;
// - a scan may name a table no segment before it defined, and the library
//   would decode with whatever its memory held.
// The file's segments are walked first, and such a file is refused as
// damaged. Bytes outside the segments (the entropy-coded data) are passed
// over to the next marker; past the end of the file the library reads
// zeros, and so does the walk.
bool jpegHuffmanTablesSound(const uint8_t* bytes, size_t size) {
    constexpr uint8_t Marker = 0xFF, DefineHuffmanTables = 0xC4, ProgressiveFrame = 0xC2, StartOfScan = 0xDA,
                      EndOfImage = 0xD9;
    constexpr size_t CountsPerTable = 16, MostCodes = 256;
    const auto byteAt = [&](size_t i) -> uint8_t { return i < size ? bytes[i] : 0; };
    // Bit n (0-3) for the DC table n, bit 4 + n for the AC table n.
    unsigned defined = 0;
    bool progressive = false;
    for (size_t at = 2; at + 3 < size;) {
        const uint8_t kind = bytes[at + 1];
        // Not a segment: a byte of coded data, a fill byte, a stuffed zero,
        // a restart or another start of the image.
        if (bytes[at] != Marker || kind == Marker) {
            ++at;
            continue;
        }
        if (kind == 0x00 || kind == 0x01 || (kind >= 0xD0 && kind <= 0xD8)) {
            at += 2;
            continue;
        }
        if (kind == EndOfImage) return true;
        const size_t end = std::min(size, at + 2 + (static_cast<size_t>(bytes[at + 2]) << 8 | bytes[at + 3]));
        if (kind == ProgressiveFrame) progressive = true;
        for (size_t table = at + 4; kind == DefineHuffmanTables && table < end;) {
            size_t codes = 0;
            for (size_t i = table + 1; i < table + 1 + CountsPerTable; ++i) codes += byteAt(i);
            if (codes > MostCodes) return false;
            const unsigned tableClass = bytes[table] >> 4, tableId = bytes[table] & 15;
            if (tableClass <= 1 && tableId <= 3) defined |= 1u << (tableClass * 4 + tableId);
            table += 1 + CountsPerTable + codes;
        }
        if (kind == StartOfScan) {
            const size_t components = byteAt(at + 4), spectralAt = at + 5 + 2 * components;
            const uint8_t spectralStart = byteAt(spectralAt);
            const bool refiningDc = spectralStart == 0 && (byteAt(spectralAt + 2) >> 4) != 0;
            // A baseline scan decodes with both tables of each component; a
            // progressive one with the DC table when it first codes the DC
            // values, with the AC table when it codes AC values.
            const bool usesDc = !progressive || (spectralStart == 0 && !refiningDc);
            const bool usesAc = !progressive || spectralStart != 0;
            for (size_t c = 0; c < components; ++c) {
                const uint8_t tables = byteAt(at + 6 + 2 * c);
                const unsigned dc = 1u << (tables >> 4 & 3), ac = 1u << (4 + (tables & 3));
                if ((usesDc && !(defined & dc)) || (usesAc && !(defined & ac))) return false;
            }
        }
        at = end;
    }
    return true;
}

// The library grows its room for a PNG's image data to each chunk's
// declared length before it reads the chunk: a few hundred bytes could ask
// for gigabytes. A chunk whose data runs past the end of the file is damage
// the library would find only after that; it is refused before.
bool pngChunksWithinFile(const uint8_t* bytes, size_t size) {
    constexpr size_t LengthAndType = 8, Check = 4;
    for (size_t at = sizeof PngSignature; at + LengthAndType <= size;) {
        const size_t length = readBe32(bytes + at);
        if (length > size - at - LengthAndType) return false;
        if (std::memcmp(bytes + at + 4, "IEND", 4) == 0) return true;
        at += LengthAndType + length + Check;
    }
    return true;
}

// A complete JPEG spends at least one bit on every 8x8 block of the
// component sampled finest, which covers the whole picture. The library
// decodes data missing at the end as zeros, for as long as the picture is
// large: a few hundred bytes may declare 65535 x 65535 pixels and keep it
// busy for minutes. A file too short for its size is refused as cut short;
// twice the bound leaves room for any real file.
bool jpegLongEnoughForItsSize(int width, int height, size_t size) {
    constexpr int64_t PixelsPerByteAtMost = 2 * 8 * 64;
    return static_cast<int64_t>(width) * height <= static_cast<int64_t>(size) * PixelsPerByteAtMost;
}

// What the library is spared: damage it would meet unsafely or at great cost.
bool structureSound(const uint8_t* bytes, size_t size, CompressedFormat format) {
    return format == CompressedFormat::Png ? pngChunksWithinFile(bytes, size) : jpegHuffmanTablesSound(bytes, size);
}

}  // namespace

CompressedFormat compressedFormatOf(const uint8_t* prefix, size_t size) {
    if (size >= sizeof PngSignature && std::memcmp(prefix, PngSignature, sizeof PngSignature) == 0)
        return CompressedFormat::Png;
    if (size >= sizeof JpegStart && std::memcmp(prefix, JpegStart, sizeof JpegStart) == 0)
        return CompressedFormat::Jpeg;
    return CompressedFormat::None;
}

Outcome readCompressedPicture(Runtime& runtime, const uint8_t* bytes, size_t size, CompressedFormat format,
                              const ReadRequest& request, Picture& picture, BmpFrame& frame) {
    // The library reads lengths as int.
    if (size > static_cast<size_t>(INT_MAX)) return tooLarge();
    const int length = static_cast<int>(size);
    // Sizes are checked before a single pixel is decoded.
    int64_t declaredWidth = 0, declaredHeight = 0;
    if (format == CompressedFormat::Png && readPngSize(bytes, size, declaredWidth, declaredHeight) &&
        !fitsAsBmp(declaredWidth, declaredHeight))
        return tooLarge();
    if (!structureSound(bytes, size, format)) return damaged(format);
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels) || width <= 0 || height <= 0)
        return whyUnread(format);
    if (!fitsAsBmp(width, height)) return tooLarge();
    if (format == CompressedFormat::Jpeg && !jpegLongEnoughForItsSize(width, height, size)) return damaged(format);
    if (request.requiredHeight > 0 && height != request.requiredHeight)
        return refusedOutcome(PatternHeightText, NoCaption);

    const CodecAllocations allocations(runtime);
    const bool sixteenBits = format == CompressedFormat::Png && stbi_is_16_bit_from_memory(bytes, length);
    int decodedWidth = 0, decodedHeight = 0;
    DecodedPixels pixels(sixteenBits ? static_cast<void*>(stbi_load_16_from_memory(bytes, length, &decodedWidth,
                                                                                    &decodedHeight, &channels, 0))
                                     : static_cast<void*>(stbi_load_from_memory(bytes, length, &decodedWidth,
                                                                                &decodedHeight, &channels, 0)));
    if (pixels == nullptr) return whyUnread(format);
    if (decodedWidth != width || decodedHeight != height || channels < 1 || channels > 4) return damaged(format);

    tellTaking(request, width, height);
    if (!replacePicture(runtime, picture, width, height, request.channels)) return outOfMemoryOutcome();
    if (sixteenBits)
        fillPicture(runtime, static_cast<const uint16_t*>(pixels.get()), channels, picture);
    else
        fillPicture(runtime, static_cast<const uint8_t*>(pixels.get()), channels, picture);
    makePlainFrame(frame, width, height);
    return doneOutcome();
}

Outcome writePngFile(Runtime& runtime, const std::filesystem::path& fileName, const Picture& picture) {
    // A colour picture whose every pixel is grey is written as grey.
    const int32_t channels = pngChannelsOf(picture);
    EncodedBytes png;
    if (!fitsPng(picture.width, picture.height, channels) || !encodePng(runtime, picture, channels, png) ||
        !writeFileWhole(fileName, nullptr, 0, png.bytes.get(), png.size))
        return refusedOutcome(WriteErrorText, ErrorCaption);
    return doneOutcome();
}

bool probeCompressed(const uint8_t* bytes, size_t size, CompressedFormat format, PictureFacts& facts) {
    int width = 0, height = 0, channels = 0;
    if (format == CompressedFormat::None || size > static_cast<size_t>(INT_MAX) ||
        !structureSound(bytes, size, format) ||
        !stbi_info_from_memory(bytes, static_cast<int>(size), &width, &height, &channels))
        return false;
    facts.format = format == CompressedFormat::Png ? PngFormatName : JpegFormatName;
    facts.width = width;
    facts.height = height;
    return true;
}
