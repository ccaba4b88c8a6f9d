#include "files/deflate.h"

#include <algorithm>
#include <cstring>

#include "files/big_endian.h"
#include "files/checksums.h"
#include "picture/bytes.h"

namespace {

// --- The format's tables (RFC 1951, 3.2.5)

constexpr size_t WindowSize = 32768;
constexpr size_t LongestMatch = 258;
constexpr int LengthCodes = 29, DistanceCodes = 30;
constexpr int FirstLengthSymbol = 257, EndOfBlock = 256;
// The fixed code has 288 literal/length codes and 32 distance codes, of
// which the last two of each are never used.
constexpr int LiteralLengthSymbols = 288, DistanceSymbols = 32, CodeLengthSymbols = 19;
constexpr int MostCodeBits = 15, MostCodeLengthBits = 7;

constexpr uint16_t LengthBase[LengthCodes] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                              31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t LengthExtraBits[LengthCodes] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t DistanceBase[DistanceCodes] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                                  33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                                  1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t DistanceExtraBits[DistanceCodes] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                      6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// The order in which a dynamic block's header gives the lengths of the
// code-length code.
constexpr uint8_t CodeLengthOrder[CodeLengthSymbols] = {16, 17, 18, 0, 8,  7, 9,  6, 10, 5,
                                                        11, 4,  12, 3, 13, 2, 14, 1, 15};

// The last index whose base is at most value.
constexpr int codeOf(const uint16_t* base, int count, int value) {
    int code = 0;
    while (code + 1 < count && base[code + 1] <= value) ++code;
    return code;
}

// The code of every match length, and of every distance: directly for
// distances up to 256, by (distance - 1) / 128 beyond, where every code
// covers whole groups of 128.
struct MatchCodes {
    uint8_t length[LongestMatch + 1]{};
    uint8_t nearDistance[256]{};
    uint8_t farDistance[256]{};

    constexpr MatchCodes() {
        for (int n = 3; n <= static_cast<int>(LongestMatch); ++n)
            length[n] = static_cast<uint8_t>(codeOf(LengthBase, LengthCodes, n));
        for (int d = 1; d <= 256; ++d)
            nearDistance[d - 1] = static_cast<uint8_t>(codeOf(DistanceBase, DistanceCodes, d));
        for (int group = 2; group < 256; ++group)
            farDistance[group] = static_cast<uint8_t>(codeOf(DistanceBase, DistanceCodes, group * 128 + 1));
    }
};

constexpr MatchCodes Codes{};

int distanceCode(uint32_t distance) {
    return distance <= 256 ? Codes.nearDistance[distance - 1] : Codes.farDistance[(distance - 1) >> 7];
}

// --- The compressor's own choices

// A match shorter than this costs about as many bits as its literals.
constexpr size_t ShortestMatch = 4;
// The distances of the last matches, tried before the hashed candidate.
constexpr int RecentDistances = 4;
constexpr int HashBits = 15;
// In a stretch without matches (the dots of a strip) a look costs more
// than it finds: after every 2^SkipShift looks in a row that found nothing,
// each look passes one more byte over as a literal (as LZ4 does). On a 4K
// stereogram this takes a quarter of the time for 1% more bytes.
constexpr int SkipShift = 7;
// Matches and literals gathered before a block is coded with codes made
// for them.
constexpr size_t BlockSymbols = size_t{1} << 15;

// A gathered symbol: a literal byte (below 65536), or a match as its
// length x 65536 + its distance.
constexpr uint32_t MatchSymbolFloor = 1u << 16;

// --- Writing bits, least significant first

struct BitWriter {
    uint8_t* out;
    uint64_t bits = 0;
    int count = 0;
};

// Adds n bits (n <= 32) of value; whole 32-bit words go out at once.
inline void putBits(BitWriter& w, uint32_t value, int n) {
    w.bits |= static_cast<uint64_t>(value) << w.count;
    w.count += n;
    if (w.count >= 32) {
        for (int i = 0; i < 4; ++i) w.out[i] = static_cast<uint8_t>(w.bits >> (8 * i));
        w.out += 4;
        w.bits >>= 32;
        w.count -= 32;
    }
}

// Pads with zero bits to a whole byte and writes out every whole byte.
void alignToByte(BitWriter& w) {
    w.count = (w.count + 7) & ~7;
    for (; w.count > 0; w.count -= 8, w.bits >>= 8) *w.out++ = static_cast<uint8_t>(w.bits);
    w.bits = 0;
}

// --- Huffman codes

struct Leaf {
    uint64_t weight;
    int symbol;
};

}  // namespace

// The lengths of the Huffman tree, made from the leaves in order of weight
// with two queues, are counted per length; lengths over the limit are
// folded into it and the counts mended until they make a complete code (as
// miniz does), and the lengths are then dealt out again, the longest to
// the rarest.
void huffmanCodeLengths(const uint32_t* frequency, int symbols, int limit, uint8_t* lengths) {
    Leaf leaves[LiteralLengthSymbols];
    int m = 0;
    for (int s = 0; s < symbols; ++s) {
        lengths[s] = 0;
        if (frequency[s] != 0) leaves[m++] = Leaf{frequency[s], s};
    }
    std::sort(leaves, leaves + m, [](const Leaf& a, const Leaf& b) {
        return a.weight != b.weight ? a.weight < b.weight : a.symbol < b.symbol;
    });
    uint64_t weight[2 * LiteralLengthSymbols];
    int parent[2 * LiteralLengthSymbols];
    for (int i = 0; i < m; ++i) weight[i] = leaves[i].weight;
    int nextLeaf = 0, nextNode = m;
    const auto takeLightest = [&](int made) {
        if (nextNode >= made || (nextLeaf < m && weight[nextLeaf] <= weight[nextNode])) return nextLeaf++;
        return nextNode++;
    };
    for (int made = m; made < 2 * m - 1; ++made) {
        const int a = takeLightest(made), b = takeLightest(made);
        weight[made] = weight[a] + weight[b];
        parent[a] = parent[b] = made;
    }
    // Depths from the root down; a node is always made after its children.
    int depth[2 * LiteralLengthSymbols];
    depth[2 * m - 2] = 0;
    int count[LiteralLengthSymbols + 1] = {};
    for (int i = 2 * m - 3; i >= 0; --i) depth[i] = depth[parent[i]] + 1;
    for (int i = 0; i < m; ++i) ++count[std::min(depth[i], limit)];
    uint32_t kraft = 0;
    for (int len = 1; len <= limit; ++len) kraft += static_cast<uint32_t>(count[len]) << (limit - len);
    for (; kraft > (1u << limit); --kraft) {
        --count[limit];
        for (int len = limit - 1; len > 0; --len) {
            if (count[len] == 0) continue;
            --count[len];
            count[len + 1] += 2;
            break;
        }
    }
    int leaf = 0;
    for (int len = limit; len > 0; --len)
        for (int k = 0; k < count[len]; ++k) lengths[leaves[leaf++].symbol] = static_cast<uint8_t>(len);
}

namespace {

uint32_t reversedBits(uint32_t code, int length) {
    uint32_t reversed = 0;
    for (int i = 0; i < length; ++i, code >>= 1) reversed = reversed << 1 | (code & 1u);
    return reversed;
}

// The canonical codes of the lengths, bit-reversed as they are written.
void assignCodes(const uint8_t* lengths, int symbols, uint16_t* codes) {
    int count[MostCodeBits + 1] = {};
    for (int s = 0; s < symbols; ++s) ++count[lengths[s]];
    count[0] = 0;
    uint32_t next[MostCodeBits + 1] = {};
    uint32_t code = 0;
    for (int len = 1; len <= MostCodeBits; ++len) {
        code = (code + static_cast<uint32_t>(count[len - 1])) << 1;
        next[len] = code;
    }
    for (int s = 0; s < symbols; ++s)
        codes[s] = static_cast<uint16_t>(lengths[s] != 0 ? reversedBits(next[lengths[s]]++, lengths[s]) : 0);
}

struct Code {
    uint8_t lengths[LiteralLengthSymbols] = {};
    uint16_t codes[LiteralLengthSymbols] = {};
};

// A code for the frequencies; a code needs two symbols at least (a
// decoder refuses a code that is not complete), so one or two symbols
// that never occur are given a length when fewer are used.
void makeCode(const uint32_t* frequency, int symbols, int limit, Code& code) {
    uint32_t used[LiteralLengthSymbols];
    std::copy(frequency, frequency + symbols, used);
    int present = static_cast<int>(std::count_if(used, used + symbols, [](uint32_t f) { return f != 0; }));
    for (int s = 0; present < 2; ++s) {
        if (used[s] != 0) continue;
        used[s] = 1;
        ++present;
    }
    huffmanCodeLengths(used, symbols, limit, code.lengths);
    assignCodes(code.lengths, symbols, code.codes);
}

void makeFixedCodes(Code& literals, Code& distances) {
    for (int s = 0; s < LiteralLengthSymbols; ++s)
        literals.lengths[s] = static_cast<uint8_t>(s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8);
    assignCodes(literals.lengths, LiteralLengthSymbols, literals.codes);
    std::fill(distances.lengths, distances.lengths + DistanceSymbols, uint8_t{5});
    assignCodes(distances.lengths, DistanceSymbols, distances.codes);
}

// --- Blocks

struct Block {
    uint32_t* symbols = nullptr;
    size_t count = 0;
    // Where its bytes begin in the input, for a stored block.
    size_t begin = 0;
    uint32_t literalFrequency[LiteralLengthSymbols] = {};
    uint32_t distanceFrequency[DistanceSymbols] = {};
};

inline void addLiteral(Block& block, uint8_t byte) {
    block.symbols[block.count++] = byte;
    ++block.literalFrequency[byte];
}

inline void addMatch(Block& block, size_t length, uint32_t distance) {
    block.symbols[block.count++] = static_cast<uint32_t>(length) << 16 | distance;
    ++block.literalFrequency[FirstLengthSymbol + Codes.length[length]];
    ++block.distanceFrequency[distanceCode(distance)];
}

// The code lengths of a dynamic block's two codes, one sequence, as the
// code-length code's symbols: 0-15 a length, 16 the last length 3-6 more
// times, 17 3-10 zeros, 18 11-138 zeros; each with its extra bits' value
// above bit 5.
struct LengthRuns {
    uint16_t tokens[LiteralLengthSymbols + DistanceSymbols];
    int count = 0;
    uint32_t frequency[CodeLengthSymbols] = {};
};

void addToken(LengthRuns& runs, int symbol, int extra = 0) {
    runs.tokens[runs.count++] = static_cast<uint16_t>(symbol | extra << 5);
    ++runs.frequency[symbol];
}

void encodeLengthRuns(const uint8_t* lengths, int total, LengthRuns& runs) {
    for (int i = 0; i < total;) {
        const uint8_t length = lengths[i];
        int run = 1;
        while (i + run < total && lengths[i + run] == length) ++run;
        i += run;
        if (length == 0) {
            for (; run >= 11; run -= std::min(run, 138)) addToken(runs, 18, std::min(run, 138) - 11);
            if (run >= 3) {
                addToken(runs, 17, run - 3);
                run = 0;
            }
        } else {
            addToken(runs, length);
            --run;
            for (; run >= 3; run -= std::min(run, 6)) addToken(runs, 16, std::min(run, 6) - 3);
        }
        for (; run > 0; --run) addToken(runs, length);
    }
}

constexpr int TokenExtraBits[CodeLengthSymbols] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 7};

// A dynamic block's codes and header.
struct DynamicCodes {
    Code literals;
    Code distances;
    Code lengthCode;
    LengthRuns runs;
    int literalCount = 0;
    int distanceCount = 0;
    int lengthCodeCount = 0;
};

void makeDynamicCodes(const Block& block, DynamicCodes& dynamic) {
    makeCode(block.literalFrequency, FirstLengthSymbol + LengthCodes, MostCodeBits, dynamic.literals);
    makeCode(block.distanceFrequency, DistanceCodes, MostCodeBits, dynamic.distances);
    dynamic.literalCount = FirstLengthSymbol + LengthCodes;
    while (dynamic.literals.lengths[dynamic.literalCount - 1] == 0) --dynamic.literalCount;
    dynamic.distanceCount = DistanceCodes;
    while (dynamic.distances.lengths[dynamic.distanceCount - 1] == 0) --dynamic.distanceCount;
    uint8_t all[LiteralLengthSymbols + DistanceSymbols];
    std::copy(dynamic.literals.lengths, dynamic.literals.lengths + dynamic.literalCount, all);
    std::copy(dynamic.distances.lengths, dynamic.distances.lengths + dynamic.distanceCount, all + dynamic.literalCount);
    encodeLengthRuns(all, dynamic.literalCount + dynamic.distanceCount, dynamic.runs);
    makeCode(dynamic.runs.frequency, CodeLengthSymbols, MostCodeLengthBits, dynamic.lengthCode);
    dynamic.lengthCodeCount = CodeLengthSymbols;
    while (dynamic.lengthCodeCount > 4 && dynamic.lengthCode.lengths[CodeLengthOrder[dynamic.lengthCodeCount - 1]] == 0)
        --dynamic.lengthCodeCount;
}

uint64_t headerBits(const DynamicCodes& dynamic) {
    uint64_t bits = 5 + 5 + 4 + 3 * static_cast<uint64_t>(dynamic.lengthCodeCount);
    for (int i = 0; i < dynamic.runs.count; ++i) {
        const int symbol = dynamic.runs.tokens[i] & 31;
        bits += dynamic.lengthCode.lengths[symbol] + TokenExtraBits[symbol];
    }
    return bits;
}

// The bits of the block's symbols in the two codes, extra bits included.
uint64_t symbolBits(const Block& block, const Code& literals, const Code& distances) {
    uint64_t bits = 0;
    for (int s = 0; s < FirstLengthSymbol + LengthCodes; ++s) {
        const int extra = s >= FirstLengthSymbol ? LengthExtraBits[s - FirstLengthSymbol] : 0;
        bits += static_cast<uint64_t>(block.literalFrequency[s]) * (literals.lengths[s] + extra);
    }
    for (int d = 0; d < DistanceCodes; ++d)
        bits += static_cast<uint64_t>(block.distanceFrequency[d]) * (distances.lengths[d] + DistanceExtraBits[d]);
    return bits;
}

constexpr size_t MostStoredBytes = 65535;

// At most: each piece's three header bits, padding and two lengths.
uint64_t storedBits(size_t bytes) {
    const uint64_t pieces = std::max<uint64_t>(1, (bytes + MostStoredBytes - 1) / MostStoredBytes);
    return pieces * (3 + 7 + 32) + 8 * static_cast<uint64_t>(bytes);
}

void writeStored(BitWriter& w, const uint8_t* bytes, size_t size, bool final) {
    do {
        const size_t piece = std::min(size, MostStoredBytes);
        const bool last = piece == size;
        putBits(w, final && last ? 1u : 0u, 3);
        alignToByte(w);
        const uint32_t length = static_cast<uint32_t>(piece);
        const uint8_t header[4] = {static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8),
                                   static_cast<uint8_t>(~length), static_cast<uint8_t>(~length >> 8)};
        std::memcpy(w.out, header, 4);
        std::memcpy(w.out + 4, bytes, piece);
        w.out += 4 + piece;
        bytes += piece;
        size -= piece;
    } while (size > 0);
}

void writeSymbols(BitWriter& w, const Block& block, const Code& literals, const Code& distances) {
    for (size_t i = 0; i < block.count; ++i) {
        const uint32_t symbol = block.symbols[i];
        if (symbol < MatchSymbolFloor) {
            putBits(w, literals.codes[symbol], literals.lengths[symbol]);
            continue;
        }
        const uint32_t length = symbol >> 16, distance = symbol & 0xFFFF;
        const int lengthCode = Codes.length[length];
        const int lengthSymbol = FirstLengthSymbol + lengthCode;
        putBits(w, literals.codes[lengthSymbol] | (length - LengthBase[lengthCode]) << literals.lengths[lengthSymbol],
                literals.lengths[lengthSymbol] + LengthExtraBits[lengthCode]);
        const int d = distanceCode(distance);
        putBits(w, distances.codes[d] | (distance - DistanceBase[d]) << distances.lengths[d],
                distances.lengths[d] + DistanceExtraBits[d]);
    }
    putBits(w, literals.codes[EndOfBlock], literals.lengths[EndOfBlock]);
}

void writeDynamicHeader(BitWriter& w, const DynamicCodes& dynamic) {
    putBits(w, static_cast<uint32_t>(dynamic.literalCount - FirstLengthSymbol), 5);
    putBits(w, static_cast<uint32_t>(dynamic.distanceCount - 1), 5);
    putBits(w, static_cast<uint32_t>(dynamic.lengthCodeCount - 4), 4);
    for (int i = 0; i < dynamic.lengthCodeCount; ++i) putBits(w, dynamic.lengthCode.lengths[CodeLengthOrder[i]], 3);
    for (int i = 0; i < dynamic.runs.count; ++i) {
        const int symbol = dynamic.runs.tokens[i] & 31, extra = dynamic.runs.tokens[i] >> 5;
        putBits(w, dynamic.lengthCode.codes[symbol], dynamic.lengthCode.lengths[symbol]);
        putBits(w, static_cast<uint32_t>(extra), TokenExtraBits[symbol]);
    }
}

struct FixedCodes {
    Code literals;
    Code distances;
    FixedCodes() {
        makeFixedCodes(literals, distances);
    }
};

// Writes the block's symbols, input[block.begin, end), in the cheapest of
// the three kinds of block, and starts the next block.
void writeBlock(BitWriter& w, Block& block, const uint8_t* input, size_t end, bool final, const FixedCodes& fixed) {
    ++block.literalFrequency[EndOfBlock];
    DynamicCodes dynamic;
    makeDynamicCodes(block, dynamic);
    const uint64_t dynamicCost = headerBits(dynamic) + symbolBits(block, dynamic.literals, dynamic.distances);
    const uint64_t fixedCost = symbolBits(block, fixed.literals, fixed.distances);
    const uint32_t last = final ? 1u : 0u;
    if (storedBits(end - block.begin) < std::min(dynamicCost, fixedCost)) {
        writeStored(w, input + block.begin, end - block.begin, final);
    } else if (fixedCost <= dynamicCost) {
        putBits(w, last | 1u << 1, 3);
        writeSymbols(w, block, fixed.literals, fixed.distances);
    } else {
        putBits(w, last | 2u << 1, 3);
        writeDynamicHeader(w, dynamic);
        writeSymbols(w, block, dynamic.literals, dynamic.distances);
    }
    block.count = 0;
    block.begin = end;
    std::fill(block.literalFrequency, block.literalFrequency + LiteralLengthSymbols, 0u);
    std::fill(block.distanceFrequency, block.distanceFrequency + DistanceSymbols, 0u);
}

// --- Finding matches

// Four bytes in the processor's own order: only compared and hashed.
inline uint32_t load32(const uint8_t* at) {
    uint32_t value;
    std::memcpy(&value, at, 4);
    return value;
}

inline uint32_t hashOf(uint32_t fourBytes) {
    return (fourBytes * 2654435761u) >> (32 - HashBits);
}

// How many bytes from a equal those from b, at most `most`; the first four
// are known to.
inline size_t matchLength(const uint8_t* a, const uint8_t* b, size_t most) {
    size_t n = 4;
    for (; n + 8 <= most; n += 8) {
        uint64_t wordA, wordB;
        std::memcpy(&wordA, a + n, 8);
        std::memcpy(&wordB, b + n, 8);
        if (wordA != wordB) break;
    }
    while (n < most && a[n] == b[n]) ++n;
    return n;
}

// Whether a match `distance` back from `at` is possible: within the window
// and after the first byte. Zero, the recent distances' start, never is.
inline bool reachable(size_t distance, size_t at) {
    return distance - 1 < WindowSize && distance - 1 < at;
}

struct Matcher {
    // The last position of each hash of four bytes, taken modulo 2^32 (a
    // stale one fails the comparison).
    uint32_t* heads;
    uint32_t recent[RecentDistances] = {};
};

void rememberDistance(Matcher& matcher, uint32_t distance) {
    int slot = 0;
    while (slot < RecentDistances - 1 && matcher.recent[slot] != distance) ++slot;
    for (; slot > 0; --slot) matcher.recent[slot] = matcher.recent[slot - 1];
    matcher.recent[0] = distance;
}

struct Match {
    size_t length = 0;
    uint32_t distance = 0;
};

// The longest match at `at` among the recent distances and the hashed
// candidate, which then becomes `at`.
Match findMatch(Matcher& matcher, const uint8_t* input, size_t at, size_t size) {
    const uint32_t here = load32(input + at);
    const size_t most = std::min(LongestMatch, size - at);
    Match best;
    for (const uint32_t distance : matcher.recent) {
        if (!reachable(distance, at) || load32(input + at - distance) != here) continue;
        const size_t length = matchLength(input + at, input + at - distance, most);
        if (length > best.length) best = Match{length, distance};
        if (length == most) return best;
    }
    uint32_t& head = matcher.heads[hashOf(here)];
    const uint32_t distance = static_cast<uint32_t>(at) - head;
    head = static_cast<uint32_t>(at);
    if (reachable(distance, at) && load32(input + at - distance) == here) {
        const size_t length = matchLength(input + at, input + at - distance, most);
        if (length > best.length) best = Match{length, distance};
    }
    return best;
}

struct WorkingTables {
    OwnedBytes heads;
    OwnedBytes symbols;
};

bool allocateTables(Runtime& runtime, WorkingTables& tables) {
    const size_t headBytes = sizeof(uint32_t) << HashBits;
    tables.heads = allocateBytes(runtime, headBytes);
    tables.symbols = allocateBytes(runtime, BlockSymbols * sizeof(uint32_t));
    if (tables.heads == nullptr || tables.symbols == nullptr) return false;
    std::memset(tables.heads.get(), 0, headBytes);
    return true;
}

}  // namespace

uint64_t zlibBound(uint64_t size) {
    // Every block but the last holds BlockSymbols symbols, so at least as
    // many bytes; stored, a block costs its bytes and 6 bytes a piece of
    // 65535 bytes at most. Two bytes of header and four of checksum.
    return size + size / 1024 + 64;
}

size_t compressZlib(Runtime& runtime, const uint8_t* bytes, size_t size, uint8_t* out) {
    WorkingTables tables;
    if (!allocateTables(runtime, tables)) return 0;
    static const FixedCodes fixed;
    Matcher matcher{reinterpret_cast<uint32_t*>(tables.heads.get())};
    Block block;
    block.symbols = reinterpret_cast<uint32_t*>(tables.symbols.get());
    // A 32 KiB window, compressed for speed (the check bits make the pair
    // a multiple of 31).
    out[0] = 0x78;
    out[1] = 0x01;
    BitWriter writer{out + 2};
    size_t at = 0, misses = 0;
    while (at < size) {
        const Match match = size - at >= 4 ? findMatch(matcher, bytes, at, size) : Match{};
        if (match.length >= ShortestMatch) {
            addMatch(block, match.length, match.distance);
            rememberDistance(matcher, match.distance);
            at += match.length;
            misses = 0;
        } else {
            const size_t literals = std::min({1 + (misses++ >> SkipShift), size - at, BlockSymbols - block.count});
            for (size_t k = 0; k < literals; ++k) addLiteral(block, bytes[at++]);
        }
        if (block.count == BlockSymbols) writeBlock(writer, block, bytes, at, false, fixed);
    }
    writeBlock(writer, block, bytes, size, true, fixed);
    alignToByte(writer);
    putBe32(writer.out, updateAdler32(FirstAdler32, bytes, size));
    return static_cast<size_t>(writer.out + 4 - out);
}
