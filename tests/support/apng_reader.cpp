#include "apng_reader.h"

#include <cstring>

#include <zlib.h>

namespace {

uint32_t be32(const uint8_t* at) {
    return uint32_t{at[0]} << 24 | uint32_t{at[1]} << 16 | uint32_t{at[2]} << 8 | at[3];
}

uint32_t be16(const uint8_t* at) {
    return uint32_t{at[0]} << 8 | at[1];
}

// The rows of an image of the file's size from its zlib stream, filter
// bytes dropped; false when they are not all there or a row is filtered.
bool unpackRows(const Apng& png, uint32_t width, uint32_t height, const std::vector<uint8_t>& stream,
                std::vector<uint8_t>& pixels) {
    const size_t row = 1 + size_t{width} * png.channels;
    std::vector<uint8_t> rows(row * height + 1);
    uLongf size = static_cast<uLongf>(rows.size());
    if (uncompress(rows.data(), &size, stream.data(), static_cast<uLong>(stream.size())) != Z_OK ||
        size != row * height)
        return false;
    pixels.clear();
    for (uint32_t y = 0; y < height; ++y) {
        if (rows[y * row] != 0) return false;
        pixels.insert(pixels.end(), rows.begin() + y * row + 1, rows.begin() + (y + 1) * row);
    }
    return true;
}

Apng failed(Apng png, const std::string& why) {
    png.error = why;
    return png;
}

}  // namespace

Apng readApng(const std::vector<uint8_t>& file) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Apng png;
    if (file.size() < 8 || std::memcmp(file.data(), signature, 8) != 0) return failed(png, "no signature");
    std::vector<uint8_t> defaultStream;
    std::vector<std::vector<uint8_t>> streams;
    bool ended = false;
    for (size_t at = 8; at < file.size() && !ended;) {
        if (file.size() - at < 12) return failed(png, "a chunk cut short");
        const uint32_t length = be32(&file[at]);
        if (length > file.size() - at - 12) return failed(png, "a chunk longer than the file");
        const std::string type(file.begin() + at + 4, file.begin() + at + 8);
        const uint8_t* data = &file[at + 8];
        const uLong crc = crc32(0, &file[at + 4], length + 4);
        if (crc != be32(data + length)) return failed(png, "bad CRC in " + type);
        if (type == "IHDR") {
            png.width = be32(data);
            png.height = be32(data + 4);
            if (data[8] != 8 || (data[9] != 0 && data[9] != 2) || data[12] != 0)
                return failed(png, "not 8-bit grey or colour, or interlaced");
            png.channels = data[9] == 2 ? 3 : 1;
        } else if (type == "acTL") {
            png.frameCount = be32(data);
            png.plays = be32(data + 4);
        } else if (type == "fcTL") {
            png.sequence.push_back(be32(data));
            ApngFrame frame;
            frame.width = be32(data + 4);
            frame.height = be32(data + 8);
            frame.x = be32(data + 12);
            frame.y = be32(data + 16);
            frame.delayNumerator = be16(data + 20);
            frame.delayDenominator = be16(data + 22);
            frame.dispose = data[24];
            frame.blend = data[25];
            png.frames.push_back(frame);
            streams.emplace_back();
        } else if (type == "IDAT") {
            if (defaultStream.empty()) png.defaultImageIsFirstFrame = png.frames.size() == 1;
            defaultStream.insert(defaultStream.end(), data, data + length);
            if (png.defaultImageIsFirstFrame) streams.back().insert(streams.back().end(), data, data + length);
        } else if (type == "fdAT") {
            if (streams.empty() || length < 4) return failed(png, "fdAT before fcTL");
            png.sequence.push_back(be32(data));
            streams.back().insert(streams.back().end(), data + 4, data + length);
        } else if (type == "IEND") {
            ended = true;
        }
        at += 12 + length;
    }
    if (!ended) return failed(png, "no IEND");
    if (!unpackRows(png, png.width, png.height, defaultStream, png.defaultImage))
        return failed(png, "the default image does not decode");
    for (size_t i = 0; i < png.frames.size(); ++i)
        if (!unpackRows(png, png.frames[i].width, png.frames[i].height, streams[i], png.frames[i].pixels))
            return failed(png, "frame " + std::to_string(i) + " does not decode");
    return png;
}
