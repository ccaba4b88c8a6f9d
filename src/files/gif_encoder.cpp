#include "files/gif_encoder.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "picture/little_endian.h"

namespace {

constexpr int PaletteSize = 256;

// --- Palettes

// The frame as palette indices, and the palette's red, green and blue.
struct Indexed {
    OwnedBytes indices;
    uint8_t palette[PaletteSize * 3] = {};
};

void indexGrey(const Picture& picture, Indexed& indexed) {
    for (int v = 0; v < PaletteSize; ++v)
        std::fill(indexed.palette + 3 * v, indexed.palette + 3 * v + 3, static_cast<uint8_t>(v));
    const size_t pixels = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    const uint8_t* in = picture.pixels.get();
    // A colour picture comes here only when every pixel is grey.
    for (size_t i = 0; i < pixels; ++i) indexed.indices[i] = in[i * static_cast<size_t>(picture.channels)];
}

// Median cut works on a histogram of the colours cut to 5 bits a channel.
constexpr int BinBits = 5;
constexpr int BinsPerSide = 1 << BinBits;
constexpr size_t Bins = size_t{1} << (3 * BinBits);

inline uint32_t binOf(const uint8_t* rgb) {
    constexpr int Drop = 8 - BinBits;
    return static_cast<uint32_t>(rgb[0] >> Drop) << (2 * BinBits) | static_cast<uint32_t>(rgb[1] >> Drop) << BinBits |
           static_cast<uint32_t>(rgb[2] >> Drop);
}

inline size_t binAt(const int* c) {
    return static_cast<size_t>(c[0]) << (2 * BinBits) | static_cast<size_t>(c[1]) << BinBits |
           static_cast<size_t>(c[2]);
}

// A box of bins, both ends included, and the pixels in it.
struct Box {
    int low[3];
    int high[3];
    uint64_t pixels;
};

// Calls visit(bin, coordinates) for every bin of the box.
template <class Visit>
void forEachBin(const Box& box, Visit visit) {
    int c[3];
    for (c[0] = box.low[0]; c[0] <= box.high[0]; ++c[0])
        for (c[1] = box.low[1]; c[1] <= box.high[1]; ++c[1])
            for (c[2] = box.low[2]; c[2] <= box.high[2]; ++c[2]) visit(binAt(c), c);
}

// Shrinks the box to the bins that hold pixels, and counts them.
void fitBox(const uint32_t* histogram, Box& box) {
    Box fitted{{BinsPerSide, BinsPerSide, BinsPerSide}, {-1, -1, -1}, 0};
    forEachBin(box, [&](size_t bin, const int* c) {
        if (histogram[bin] == 0) return;
        fitted.pixels += histogram[bin];
        for (int axis = 0; axis < 3; ++axis) {
            fitted.low[axis] = std::min(fitted.low[axis], c[axis]);
            fitted.high[axis] = std::max(fitted.high[axis], c[axis]);
        }
    });
    box = fitted;
}

int longestSide(const Box& box) {
    int axis = 0;
    for (int a = 1; a < 3; ++a)
        if (box.high[a] - box.low[a] > box.high[axis] - box.low[axis]) axis = a;
    return axis;
}

// Cuts a box of more than one bin across its longest side where half its
// pixels lie on either side; `box` keeps the lower part.
Box splitBox(const uint32_t* histogram, Box& box) {
    const int axis = longestSide(box);
    uint64_t slices[BinsPerSide] = {};
    forEachBin(box, [&](size_t bin, const int* c) { slices[c[axis]] += histogram[bin]; });
    int cut = box.low[axis];
    for (uint64_t below = slices[cut]; cut + 1 < box.high[axis] && 2 * below < box.pixels; below += slices[++cut]) {
    }
    Box upper = box;
    upper.low[axis] = cut + 1;
    box.high[axis] = cut;
    fitBox(histogram, box);
    fitBox(histogram, upper);
    return upper;
}

// The box to cut next: the one whose pixels spread most, by their number
// times its longest side; -1 when every box is a single bin.
int boxToSplit(const Box* boxes, int count) {
    int chosen = -1;
    uint64_t most = 0;
    for (int i = 0; i < count; ++i) {
        const int axis = longestSide(boxes[i]);
        const uint64_t spread = boxes[i].pixels * static_cast<uint64_t>(boxes[i].high[axis] - boxes[i].low[axis]);
        if (spread > most) {
            most = spread;
            chosen = i;
        }
    }
    return chosen;
}

// Up to 256 boxes of the picture's colours, cut from one; each bin's entry
// in `boxOfBin` then names its box.
bool medianCut(Runtime& runtime, const Picture& picture, uint8_t* boxOfBin) {
    const OwnedBytes block = allocateBytes(runtime, Bins * sizeof(uint32_t));
    if (block == nullptr) return false;
    uint32_t* histogram = reinterpret_cast<uint32_t*>(block.get());
    std::fill(histogram, histogram + Bins, 0u);
    const size_t pixels = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    for (size_t i = 0; i < pixels; ++i) ++histogram[binOf(picture.pixels.get() + 3 * i)];
    Box boxes[PaletteSize] = {{{0, 0, 0}, {BinsPerSide - 1, BinsPerSide - 1, BinsPerSide - 1}, 0}};
    fitBox(histogram, boxes[0]);
    int count = 1;
    for (; count < PaletteSize; ++count) {
        const int chosen = boxToSplit(boxes, count);
        if (chosen < 0) break;
        boxes[count] = splitBox(histogram, boxes[chosen]);
    }
    for (int i = 0; i < count; ++i)
        forEachBin(boxes[i], [&](size_t bin, const int*) { boxOfBin[bin] = static_cast<uint8_t>(i); });
    return true;
}

// Each pixel becomes its box, and each box's colour the mean of its pixels.
bool indexColour(Runtime& runtime, const Picture& picture, Indexed& indexed) {
    uint8_t boxOfBin[Bins];
    if (!medianCut(runtime, picture, boxOfBin)) return false;
    uint64_t sums[PaletteSize][3] = {}, counts[PaletteSize] = {};
    const size_t pixels = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t* rgb = picture.pixels.get() + 3 * i;
        const uint8_t box = boxOfBin[binOf(rgb)];
        indexed.indices[i] = box;
        for (int c = 0; c < 3; ++c) sums[box][c] += rgb[c];
        ++counts[box];
    }
    for (int box = 0; box < PaletteSize; ++box)
        for (int c = 0; c < 3 && counts[box] != 0; ++c)
            indexed.palette[3 * box + c] = static_cast<uint8_t>((sums[box][c] + counts[box] / 2) / counts[box]);
    return true;
}

// --- LZW, as GIF has it: 8-bit indices, so 256 is the clear code, 257
// the end, and codes start 9 bits long; at most 12 bits, and the table
// starts again when it is full.

constexpr uint32_t ClearCode = 256, EndCode = 257, FirstFreeCode = 258, MostCodes = 4096;
constexpr int FirstCodeBits = 9;
constexpr int TableBits = 13;
constexpr uint32_t TableSlots = 1u << TableBits;
constexpr uint32_t NoEntry = 0xFFFFFFFFu;

// The codes of strings seen: each a known code and one index more (its
// key), found by hash with linear probing.
struct LzwTable {
    uint32_t keys[TableSlots];
    uint16_t codes[TableSlots];
    uint32_t next = FirstFreeCode;
    int bits = FirstCodeBits;
};

void clearTable(LzwTable& table) {
    std::fill(table.keys, table.keys + TableSlots, NoEntry);
    table.next = FirstFreeCode;
    table.bits = FirstCodeBits;
}

inline uint32_t slotOf(uint32_t key) {
    return (key * 2654435761u) >> (32 - TableBits);
}

// Bytes written in sub-blocks, each led by its length (at most 255).
struct SubBlocks {
    uint8_t* out;
    uint8_t* length = nullptr;
    uint32_t bits = 0;
    int count = 0;
};

void putByte(SubBlocks& s, uint8_t byte) {
    if (s.length == nullptr) {
        s.length = s.out++;
        *s.length = 0;
    }
    *s.out++ = byte;
    if (++*s.length == 255) s.length = nullptr;
}

void putCode(SubBlocks& s, uint32_t code, int bits) {
    s.bits |= code << s.count;
    for (s.count += bits; s.count >= 8; s.count -= 8, s.bits >>= 8) putByte(s, static_cast<uint8_t>(s.bits));
}

// The last bits, and the empty sub-block that ends the data.
uint8_t* endSubBlocks(SubBlocks& s) {
    if (s.count > 0) putByte(s, static_cast<uint8_t>(s.bits));
    *s.out++ = 0;
    return s.out;
}

uint8_t* putLzw(const uint8_t* indices, size_t size, LzwTable& table, uint8_t* out) {
    SubBlocks s{out};
    clearTable(table);
    putCode(s, ClearCode, table.bits);
    uint32_t current = indices[0];
    for (size_t i = 1; i < size; ++i) {
        const uint32_t key = current << 8 | indices[i];
        uint32_t slot = slotOf(key);
        while (table.keys[slot] != NoEntry && table.keys[slot] != key) slot = (slot + 1) & (TableSlots - 1);
        if (table.keys[slot] == key) {
            current = table.codes[slot];
            continue;
        }
        putCode(s, current, table.bits);
        if (table.next < MostCodes) {
            table.keys[slot] = key;
            table.codes[slot] = static_cast<uint16_t>(table.next);
            // The decoder makes each entry one code later than the
            // encoder, so codes grow a bit once the entry 2^bits is made.
            if (table.next == (1u << table.bits)) ++table.bits;
            ++table.next;
        } else {
            putCode(s, ClearCode, table.bits);
            clearTable(table);
        }
        current = indices[i];
    }
    putCode(s, current, table.bits);
    putCode(s, EndCode, table.bits);
    return endSubBlocks(s);
}

// At most 12 bits a pixel, a clear code every 3838 codes, a length byte
// every 255 bytes.
size_t lzwBound(size_t pixels) {
    return pixels / 2 * 3 + pixels / 128 + 64;
}

constexpr size_t FrameHeadSize = 8 + 10 + PaletteSize * 3 + 1;

uint8_t* putFrameHead(uint8_t* at, const Picture& picture, int32_t delay, const uint8_t* palette) {
    // Graphic control: left in place (disposal 1), no transparency.
    const uint8_t control[8] = {0x21, 0xF9, 4, 1 << 2, 0, 0, 0, 0};
    std::memcpy(at, control, sizeof control);
    writeLe16(at + 4, static_cast<uint32_t>(delay));
    at += sizeof control;
    // Image descriptor: at (0, 0), full size, a local table of 2^(7 + 1)
    // colours, not interlaced.
    uint8_t descriptor[10] = {0x2C, 0, 0, 0, 0, 0, 0, 0, 0, 0x80 | 7};
    writeLe16(descriptor + 5, static_cast<uint32_t>(picture.width));
    writeLe16(descriptor + 7, static_cast<uint32_t>(picture.height));
    std::memcpy(at, descriptor, sizeof descriptor);
    at += sizeof descriptor;
    std::memcpy(at, palette, PaletteSize * 3);
    at += PaletteSize * 3;
    // The LZW minimum code size: 8-bit indices.
    *at++ = 8;
    return at;
}

}  // namespace

void putGifHeader(uint8_t* at, int32_t width, int32_t height) {
    std::memcpy(at, "GIF89a", 6);
    // No global colour table; 8 bits a primary; background 0; square pixels.
    uint8_t screen[7] = {0, 0, 0, 0, 0x70, 0, 0};
    writeLe16(screen, static_cast<uint32_t>(width));
    writeLe16(screen + 2, static_cast<uint32_t>(height));
    std::memcpy(at + 6, screen, sizeof screen);
    const uint8_t loop[19] = {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 3, 1, 0, 0, 0};
    std::memcpy(at + 13, loop, sizeof loop);
}

bool encodeGifFrame(Runtime& runtime, const Picture& picture, int32_t delay, EncodedBytes& frame) {
    const size_t pixels = static_cast<size_t>(picture.width) * static_cast<size_t>(picture.height);
    Indexed indexed;
    indexed.indices = allocateBytes(runtime, pixels);
    frame.bytes = allocateBytes(runtime, FrameHeadSize + lzwBound(pixels));
    const OwnedBytes table = allocateBytes(runtime, sizeof(LzwTable));
    if (indexed.indices == nullptr || frame.bytes == nullptr || table == nullptr) return false;
    const bool grey = !isColour(picture) || everyPixelGrey(picture);
    if (grey)
        indexGrey(picture, indexed);
    else if (!indexColour(runtime, picture, indexed))
        return false;
    uint8_t* at = putFrameHead(frame.bytes.get(), picture, delay, indexed.palette);
    LzwTable& lzw = *new (table.get()) LzwTable;
    at = putLzw(indexed.indices.get(), pixels, lzw, at);
    frame.size = static_cast<size_t>(at - frame.bytes.get());
    return true;
}
