// STL files, binary and ASCII. Binary: an 80-byte header (which may start
// with "solid" too), a little-endian 32-bit triangle count, then 50 bytes a
// triangle: its normal and three corners, each three little-endian 32-bit
// floats, and a 16-bit attribute. ASCII, words in any case:
//   solid NAME
//     facet normal NX NY NZ
//       outer loop
//         vertex X Y Z      (three times; more make a fan)
//       endloop
//     endfacet
//   endsolid NAME
// and perhaps more solids after it. Normals are not read: the depth map
// needs none. Each triangle gets corners of its own.
#include <cstring>

#include "models/mesh_reading.h"
#include "models/tokens.h"
#include "picture/little_endian.h"

namespace {

constexpr size_t BinaryHeaderSize = 84;
constexpr size_t BinaryTriangleSize = 50;
constexpr size_t BinaryCornersOffset = 12;

float floatLe(const uint8_t* at) {
    const uint32_t bits = readLe32(at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool walkBinaryStl(ByteSpan bytes, MeshFill& fill) {
    const uint64_t count = readLe32(bytes.data + BinaryHeaderSize - 4);
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* corner = bytes.data + BinaryHeaderSize + BinaryTriangleSize * i + BinaryCornersOffset;
        const uint64_t first = fill.vertexCount;
        for (int c = 0; c < 3; ++c, corner += 12)
            if (!addVertex(fill, floatLe(corner), floatLe(corner + 4), floatLe(corner + 8))) return false;
        addTriangle(fill, first, first + 1, first + 2);
    }
    return true;
}

bool nextIs(TextCursor& cursor, const char* word) {
    return tokenIs(nextToken(cursor), word);
}

bool readNumbers(TextCursor& cursor, double* values, int count) {
    for (int i = 0; i < count; ++i)
        if (!numberOf(nextToken(cursor), values[i])) return false;
    return true;
}

// One facet, after its word "facet".
bool walkFacet(TextCursor& cursor, MeshFill& fill) {
    double numbers[3];
    if (!nextIs(cursor, "normal") || !readNumbers(cursor, numbers, 3)) return false;
    if (!nextIs(cursor, "outer") || !nextIs(cursor, "loop")) return false;
    Fan fan;
    Token word = nextToken(cursor);
    for (; tokenIs(word, "vertex"); word = nextToken(cursor)) {
        if (!readNumbers(cursor, numbers, 3) || !addVertex(fill, numbers[0], numbers[1], numbers[2])) return false;
        addFanCorner(fill, fan, fill.vertexCount - 1);
    }
    return fan.corners >= 3 && tokenIs(word, "endloop") && nextIs(cursor, "endfacet");
}

// The facets of one solid, after its first line, up to and with the line
// of its "endsolid".
bool walkSolid(TextCursor& cursor, MeshFill& fill) {
    for (Token word = nextToken(cursor); !tokenIs(word, "endsolid"); word = nextToken(cursor))
        if (!tokenIs(word, "facet") || !walkFacet(cursor, fill)) return false;
    nextLine(cursor);
    return true;
}

bool walkAsciiStl(ByteSpan bytes, MeshFill& fill) {
    TextCursor cursor{bytes, 0};
    for (Token word = nextToken(cursor); word.size != 0; word = nextToken(cursor)) {
        if (!tokenIs(word, "solid")) return false;
        nextLine(cursor);
        if (!walkSolid(cursor, fill)) return false;
    }
    return true;
}

}  // namespace

bool isBinaryStl(ByteSpan bytes) {
    if (!holds(bytes, 0, BinaryHeaderSize)) return false;
    const uint64_t count = readLe32(bytes.data + BinaryHeaderSize - 4);
    return bytes.size - BinaryHeaderSize == BinaryTriangleSize * count;
}

bool startsLikeAsciiStl(ByteSpan bytes) {
    TextCursor cursor{bytes, 0};
    return nextIs(cursor, "solid");
}

bool walkStl(ByteSpan bytes, MeshFill& fill) {
    if (isBinaryStl(bytes)) return walkBinaryStl(bytes, fill);
    return startsLikeAsciiStl(bytes) && walkAsciiStl(bytes, fill);
}
