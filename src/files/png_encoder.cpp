#include "files/png_encoder.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "files/big_endian.h"
#include "files/checksums.h"
#include "files/deflate.h"

namespace {

// A chunk may hold up to 2^31 - 1 bytes; image data is cut into pieces of
// at most this many.
constexpr size_t MostChunkData = size_t{1} << 30;
constexpr size_t SequenceNumberSize = 4;

uint64_t rowSize(int32_t width, int32_t channels) {
    return 1 + static_cast<uint64_t>(width) * static_cast<uint64_t>(channels);
}

// One row of the picture in `channels` channels, after its filter byte.
void putRow(const Picture& picture, int32_t y, int32_t channels, uint8_t* out) {
    const uint8_t* in = rowOf(picture, y);
    *out++ = 0;
    if (channels == picture.channels) {
        std::memcpy(out, in, rowBytes(picture));
    } else if (channels == ColourChannels) {
        for (int32_t x = 0; x < picture.width; ++x, out += 3) out[0] = out[1] = out[2] = in[x];
    } else {
        for (int32_t x = 0; x < picture.width; ++x, in += ColourChannels) out[x] = in[0];
    }
}

}  // namespace

int32_t pngChannelsOf(const Picture& picture) {
    return isColour(picture) && !everyPixelGrey(picture) ? ColourChannels : GreyChannels;
}

bool fitsPng(int32_t width, int32_t height, int32_t channels) {
    if (width <= 0 || height <= 0) return false;
    // The rows and their zlib stream are each held in memory whole.
    const uint64_t rows = rowSize(width, channels) * static_cast<uint64_t>(height);
    return zlibBound(rows) <= std::numeric_limits<size_t>::max() / 2;
}

bool compressImageData(Runtime& runtime, const Picture& picture, int32_t channels, EncodedBytes& stream) {
    const size_t row = static_cast<size_t>(rowSize(picture.width, channels));
    const size_t size = row * static_cast<size_t>(picture.height);
    const OwnedBytes rows = allocateBytes(runtime, size);
    stream.bytes = allocateBytes(runtime, static_cast<size_t>(zlibBound(size)));
    if (rows == nullptr || stream.bytes == nullptr) return false;
    for (int32_t y = 0; y < picture.height; ++y) putRow(picture, y, channels, rows.get() + y * row);
    stream.size = compressZlib(runtime, rows.get(), size, stream.bytes.get());
    return stream.size != 0;
}

uint8_t* startPngChunk(uint8_t* at, const char* type, size_t dataSize) {
    putBe32(at, static_cast<uint32_t>(dataSize));
    std::memcpy(at + 4, type, 4);
    return at + 8;
}

uint8_t* endPngChunk(uint8_t* chunk, uint8_t* end) {
    putBe32(end, updateCrc32(FirstCrc32, chunk + 4, static_cast<size_t>(end - chunk - 4)));
    return end + 4;
}

uint8_t* putPngHeader(uint8_t* at, int32_t width, int32_t height, int32_t channels) {
    constexpr uint8_t GreyType = 0, ColourType = 2, BitDepth = 8;
    std::memcpy(at, PngSignature, sizeof PngSignature);
    uint8_t* chunk = at + sizeof PngSignature;
    uint8_t* data = startPngChunk(chunk, "IHDR", 13);
    putBe32(data, static_cast<uint32_t>(width));
    putBe32(data + 4, static_cast<uint32_t>(height));
    // Bit depth, colour type, then deflate, the one filter method and no
    // interlace, all 0.
    const uint8_t rest[5] = {BitDepth, channels == ColourChannels ? ColourType : GreyType, 0, 0, 0};
    std::memcpy(data + 8, rest, sizeof rest);
    return endPngChunk(chunk, data + 13);
}

size_t imageDataChunksSize(size_t streamSize, bool numbered) {
    const size_t pieces = std::max<size_t>(1, (streamSize + MostChunkData - 1) / MostChunkData);
    return streamSize + pieces * (PngChunkFrame + (numbered ? SequenceNumberSize : 0));
}

uint8_t* putImageDataChunks(uint8_t* at, const EncodedBytes& stream, uint32_t* sequence) {
    size_t done = 0;
    do {
        const size_t piece = std::min(stream.size - done, MostChunkData);
        uint8_t* chunk = at;
        uint8_t* data = startPngChunk(chunk, sequence != nullptr ? "fdAT" : "IDAT",
                                      piece + (sequence != nullptr ? SequenceNumberSize : 0));
        if (sequence != nullptr) {
            putBe32(data, (*sequence)++);
            data += SequenceNumberSize;
        }
        std::memcpy(data, stream.bytes.get() + done, piece);
        at = endPngChunk(chunk, data + piece);
        done += piece;
    } while (done < stream.size);
    return at;
}

uint8_t* putPngEnd(uint8_t* at) {
    return endPngChunk(at, startPngChunk(at, "IEND", 0));
}

bool encodePng(Runtime& runtime, const Picture& picture, int32_t channels, EncodedBytes& png) {
    EncodedBytes stream;
    if (!compressImageData(runtime, picture, channels, stream)) return false;
    const size_t size = PngHeaderSize + imageDataChunksSize(stream.size, false) + PngEndSize;
    png.bytes = allocateBytes(runtime, size);
    if (png.bytes == nullptr) return false;
    uint8_t* at = putPngHeader(png.bytes.get(), picture.width, picture.height, channels);
    at = putImageDataChunks(at, stream, nullptr);
    putPngEnd(at);
    png.size = size;
    return true;
}
