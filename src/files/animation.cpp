#include "files/animation.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "files/big_endian.h"
#include "files/deflate.h"
#include "files/gif_encoder.h"
#include "files/png_encoder.h"
#include "files/stb_codecs.h"
#include "texts/user_texts.h"
#include "picture/whole_file.h"

// An animated PNG as written here: the signature and IHDR; acTL (the
// number of frames, then of plays, 0 for forever), whose count is filled
// in when the animation is finished; for each frame an fcTL (its sequence
// number, size, offset 0, 0, delay as a fraction of a second, 1 /
// framesPerSecond, disposal none and blending source, so each frame
// replaces the whole picture) and its image data: IDAT chunks for the
// first frame, fdAT chunks for the others; IEND. fcTL and fdAT chunks
// share one sequence of numbers from 0.

namespace {

constexpr size_t AnimationControlSize = PngChunkFrame + 8;
constexpr size_t FrameControlSize = PngChunkFrame + 26;
// Where the first frame's chunks begin.
constexpr size_t FirstFrameAt = PngHeaderSize + AnimationControlSize;

Outcome endAnimation(AnimationWriter& writer, const Outcome& outcome) {
    dropPartFile(writer.file);
    writer.ended = outcome;
    return outcome;
}

Outcome writeError(AnimationWriter& writer) {
    return endAnimation(writer, refusedOutcome(WriteErrorText, ErrorCaption));
}

bool writeBytes(PartFile& file, const uint8_t* bytes, size_t size) {
    file.stream.write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(size));
    return !file.stream.fail();
}

uint8_t* putAnimationControl(uint8_t* at, uint32_t frames) {
    uint8_t* data = startPngChunk(at, "acTL", 8);
    putBe32(data, frames);
    putBe32(data + 4, 0);
    return endPngChunk(at, data + 8);
}

uint8_t* putFrameControl(uint8_t* at, const AnimationWriter& writer, uint32_t sequence) {
    uint8_t* data = startPngChunk(at, "fcTL", 26);
    putBe32(data, sequence);
    putBe32(data + 4, static_cast<uint32_t>(writer.width));
    putBe32(data + 8, static_cast<uint32_t>(writer.height));
    putBe32(data + 12, 0);
    putBe32(data + 16, 0);
    putBe16(data + 20, 1);
    putBe16(data + 22, static_cast<uint32_t>(writer.framesPerSecond));
    data[24] = 0;
    data[25] = 0;
    return endPngChunk(at, data + 26);
}

// The part file and the first bytes of the file: the animated PNG's
// header and a frame count still 0, or the GIF's header.
bool startFile(AnimationWriter& writer, const char* suffix) {
    if (!openPartFile(writer.fileName, suffix, writer.file)) return false;
    uint8_t head[std::max(FirstFrameAt, GifHeaderSize)];
    size_t size = GifHeaderSize;
    if (writer.format == AnimationFormat::Gif) {
        putGifHeader(head, writer.width, writer.height);
    } else {
        putAnimationControl(putPngHeader(head, writer.width, writer.height, writer.channels), 0);
        size = FirstFrameAt;
    }
    return writeBytes(writer.file, head, size);
}

Outcome appendPngFrame(AnimationWriter& writer, const Picture& frame) {
    Runtime& runtime = *writer.runtime;
    EncodedBytes stream;
    if (!compressImageData(runtime, frame, writer.channels, stream)) return endAnimation(writer, outOfMemoryOutcome());
    const bool first = writer.frames == 0;
    const size_t size = FrameControlSize + imageDataChunksSize(stream.size, !first);
    const OwnedBytes bytes = allocateBytes(runtime, size);
    if (bytes == nullptr) return endAnimation(writer, outOfMemoryOutcome());
    uint8_t* at = putFrameControl(bytes.get(), writer, writer.sequence++);
    putImageDataChunks(at, stream, first ? nullptr : &writer.sequence);
    if (!writeBytes(writer.file, bytes.get(), size)) return writeError(writer);
    ++writer.frames;
    return doneOutcome();
}

Outcome appendGifFrame(AnimationWriter& writer, const Picture& frame) {
    // The delay in hundredths of a second, rounded.
    const int32_t delay = (200 / writer.framesPerSecond + 1) / 2;
    EncodedBytes bytes;
    if (!encodeGifFrame(*writer.runtime, frame, delay, bytes)) return endAnimation(writer, outOfMemoryOutcome());
    if (!writeBytes(writer.file, bytes.bytes.get(), bytes.size)) return writeError(writer);
    ++writer.frames;
    return doneOutcome();
}

// --- Reading back the grey frames of an animated PNG written here

struct ChunkHead {
    uint32_t length = 0;
    char type[4] = {};
};

bool readChunkHead(std::istream& in, ChunkHead& head) {
    uint8_t bytes[8];
    if (!in.read(reinterpret_cast<char*>(bytes), sizeof bytes)) return false;
    head.length = readBe32(bytes);
    std::memcpy(head.type, bytes + 4, 4);
    return true;
}

bool isType(const ChunkHead& head, const char* type) {
    return std::memcmp(head.type, type, 4) == 0;
}

// One grey frame from its zlib stream; refused when the stream does not
// give rows of the frame's size.
Outcome decodeGreyFrame(Runtime& runtime, const uint8_t* stream, size_t streamSize, int32_t width, int32_t height,
                        uint8_t* rows, Picture& frame) {
    const size_t row = static_cast<size_t>(width) + 1;
    const size_t size = row * static_cast<size_t>(height);
    const int decoded = stbi_zlib_decode_buffer(reinterpret_cast<char*>(rows), static_cast<int>(size),
                                                reinterpret_cast<const char*>(stream), static_cast<int>(streamSize));
    if (decoded < 0 || static_cast<size_t>(decoded) != size) return refusedOutcome(WriteErrorText, ErrorCaption);
    if (!replacePicture(runtime, frame, width, height, GreyChannels)) return outOfMemoryOutcome();
    for (int32_t y = 0; y < height; ++y) std::memcpy(rowOf(frame, y), rows + y * row + 1, static_cast<size_t>(width));
    return doneOutcome();
}

// An animated PNG's frames were written grey and a colour one has come:
// every frame is read back from the part file, one at a time, and written
// again in colour into a new part file, which then takes its place.
Outcome rewriteInColour(AnimationWriter& writer) {
    Runtime& runtime = *writer.runtime;
    const uint64_t rowsSize = (static_cast<uint64_t>(writer.width) + 1) * static_cast<uint64_t>(writer.height);
    // The library that decodes the streams takes sizes as int.
    if (zlibBound(rowsSize) > static_cast<uint64_t>(INT_MAX)) return writeError(writer);
    AnimationWriter colour = beginAnimation(runtime, writer.fileName, writer.format, writer.framesPerSecond);
    colour.width = writer.width;
    colour.height = writer.height;
    colour.channels = ColourChannels;
    const size_t streamRoom = static_cast<size_t>(zlibBound(rowsSize));
    const OwnedBytes stream = allocateBytes(runtime, streamRoom);
    const OwnedBytes rows = allocateBytes(runtime, static_cast<size_t>(rowsSize));
    if (stream == nullptr || rows == nullptr) return endAnimation(writer, outOfMemoryOutcome());
    if (!startFile(colour, ".colour.part")) return writeError(writer);
    std::fstream& in = writer.file.stream;
    in.seekg(static_cast<std::streamoff>(FirstFrameAt));
    size_t filled = 0;
    Picture grey;
    // Each fcTL after the first ends the frame before it, and so does the
    // end of the file.
    const auto rewriteFrame = [&]() {
        if (filled == 0) return doneOutcome();
        const Outcome decoded =
            decodeGreyFrame(runtime, stream.get(), filled, writer.width, writer.height, rows.get(), grey);
        filled = 0;
        return decoded.kind == OutcomeKind::Done ? appendPngFrame(colour, grey) : decoded;
    };
    for (ChunkHead head; readChunkHead(in, head);) {
        const size_t skipped = isType(head, "fdAT") ? 4 : 0;
        const bool data = isType(head, "IDAT") || isType(head, "fdAT");
        if (isType(head, "fcTL")) {
            const Outcome done = rewriteFrame();
            if (done.kind != OutcomeKind::Done) return endAnimation(writer, done);
        }
        if (data && (head.length < skipped || head.length - skipped > streamRoom - filled)) return writeError(writer);
        in.seekg(static_cast<std::streamoff>(data ? skipped : head.length), std::ios::cur);
        if (data && !in.read(reinterpret_cast<char*>(stream.get() + filled), head.length - skipped))
            return writeError(writer);
        filled += data ? head.length - skipped : 0;
        in.seekg(4, std::ios::cur);
    }
    const Outcome last = rewriteFrame();
    if (last.kind != OutcomeKind::Done) return endAnimation(writer, last);
    writer.file = std::move(colour.file);
    writer.channels = ColourChannels;
    writer.sequence = colour.sequence;
    return doneOutcome();
}

Outcome startAnimation(AnimationWriter& writer, const Picture& frame) {
    writer.width = frame.width;
    writer.height = frame.height;
    if (writer.format == AnimationFormat::Png) writer.channels = pngChannelsOf(frame);
    if (writer.format == AnimationFormat::Gif && (frame.width > MostGifSide || frame.height > MostGifSide))
        return endAnimation(writer, refusedOutcome(GifTooLargeText, ErrorCaption));
    // Room for colour, which a later frame may ask for.
    if (!fitsPng(frame.width, frame.height, ColourChannels) || !startFile(writer, ".part")) return writeError(writer);
    return doneOutcome();
}

}  // namespace

bool animationFormatOf(const std::filesystem::path& fileName, AnimationFormat& format) {
    const std::string extension = lowerCaseExtension(fileName);
    if (extension == ".png") format = AnimationFormat::Png;
    if (extension == ".gif") format = AnimationFormat::Gif;
    return extension == ".png" || extension == ".gif";
}

AnimationWriter beginAnimation(Runtime& runtime, const std::filesystem::path& fileName, AnimationFormat format,
                               int32_t framesPerSecond) {
    AnimationWriter writer;
    writer.runtime = &runtime;
    writer.format = format;
    writer.framesPerSecond = std::clamp(framesPerSecond, int32_t{1}, MostFramesPerSecond);
    writer.fileName = fileName;
    return writer;
}

Outcome addAnimationFrame(AnimationWriter& writer, const Picture& frame) {
    if (writer.ended.kind != OutcomeKind::Done) return writer.ended;
    if (!isPresent(frame)) return writeError(writer);
    if (writer.frames == 0) {
        const Outcome started = startAnimation(writer, frame);
        if (started.kind != OutcomeKind::Done) return started;
    } else if (frame.width != writer.width || frame.height != writer.height) {
        return endAnimation(writer, refusedOutcome(AnimationFrameSizeText, ErrorCaption));
    }
    if (writer.format == AnimationFormat::Gif) return appendGifFrame(writer, frame);
    if (writer.channels == GreyChannels && pngChannelsOf(frame) == ColourChannels) {
        const Outcome rewritten = rewriteInColour(writer);
        if (rewritten.kind != OutcomeKind::Done) return rewritten;
    }
    return appendPngFrame(writer, frame);
}

Outcome finishAnimation(AnimationWriter& writer) {
    if (writer.ended.kind != OutcomeKind::Done) return writer.ended;
    if (writer.frames == 0) return endAnimation(writer, refusedOutcome(NothingToSaveText, NoCaption));
    if (writer.format == AnimationFormat::Gif) {
        const uint8_t trailer = GifTrailer;
        if (!writeBytes(writer.file, &trailer, 1)) return writeError(writer);
    } else {
        uint8_t end[PngEndSize], control[AnimationControlSize];
        putPngEnd(end);
        putAnimationControl(control, writer.frames);
        std::fstream& out = writer.file.stream;
        out.write(reinterpret_cast<const char*>(end), sizeof end);
        out.seekp(static_cast<std::streamoff>(PngHeaderSize));
        if (!writeBytes(writer.file, control, sizeof control)) return writeError(writer);
    }
    if (!keepPartFile(writer.file)) return writeError(writer);
    // Finished: the writer takes no more frames.
    writer.ended = refusedOutcome(WriteErrorText, ErrorCaption);
    return doneOutcome();
}
