// PLY files. A text header, lines up to "end_header":
//   ply
//   format ascii 1.0          (or binary_little_endian 1.0, binary_big_endian 1.0)
//   comment ...               (and obj_info ..., both passed over)
//   element vertex COUNT
//   property TYPE x           (y and z too; other properties are passed over)
//   element face COUNT
//   property list COUNT_TYPE INDEX_TYPE vertex_indices   (or vertex_index)
//   end_header
// then the elements' items in the header's order, each item its properties
// in order: in ASCII as numbers between blanks, in binary as values of
// their types (a list: its count, then that many items). Types: char,
// uchar, short, ushort, int, uint, float, double, or int8 ... float64.
// Elements other than vertex and face are walked over.
#include <cmath>
#include <cstring>

#include "models/mesh_reading.h"
#include "models/tokens.h"

namespace {

// More than any writer the program has met puts in a header; a file with
// more is refused rather than read into a growing table.
constexpr int32_t MostElements = 16;
constexpr int32_t MostProperties = 64;

enum class PlyFormat : uint8_t { Ascii, LittleEndian, BigEndian };

enum class PlyType : uint8_t { Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };

// What a property is to the mesh.
enum class PlyRole : uint8_t { PassedOver, X, Y, Z, VertexIndices };

enum class PlyElementKind : uint8_t { Vertex, Face, Other };

struct PlyProperty {
    // A list's items' type for a list.
    PlyType type = PlyType::UInt8;
    PlyType countType = PlyType::UInt8;
    bool isList = false;
    PlyRole role = PlyRole::PassedOver;
};

struct PlyElement {
    PlyElementKind kind = PlyElementKind::Other;
    uint64_t count = 0;
    int32_t propertyCount = 0;
    PlyProperty properties[MostProperties];
};

struct PlyHeader {
    PlyFormat format = PlyFormat::Ascii;
    int32_t elementCount = 0;
    PlyElement elements[MostElements];
    // The vertex element's count, which every vertex number is below.
    uint64_t vertexCount = 0;
    size_t bodyStart = 0;
};

struct PlyTypeName {
    const char* name;
    PlyType type;
};

constexpr PlyTypeName TypeNames[] = {
    {"char", PlyType::Int8},      {"int8", PlyType::Int8},       {"uchar", PlyType::UInt8},
    {"uint8", PlyType::UInt8},    {"short", PlyType::Int16},     {"int16", PlyType::Int16},
    {"ushort", PlyType::UInt16},  {"uint16", PlyType::UInt16},   {"int", PlyType::Int32},
    {"int32", PlyType::Int32},    {"uint", PlyType::UInt32},     {"uint32", PlyType::UInt32},
    {"float", PlyType::Float32},  {"float32", PlyType::Float32}, {"double", PlyType::Float64},
    {"float64", PlyType::Float64},
};

bool typeOf(Token token, PlyType& type) {
    for (const PlyTypeName& name : TypeNames)
        if (tokenIs(token, name.name)) {
            type = name.type;
            return true;
        }
    return false;
}

size_t sizeOf(PlyType type) {
    switch (type) {
        case PlyType::Int8:
        case PlyType::UInt8:
            return 1;
        case PlyType::Int16:
        case PlyType::UInt16:
            return 2;
        case PlyType::Int32:
        case PlyType::UInt32:
        case PlyType::Float32:
            return 4;
        case PlyType::Float64:
            break;
    }
    return 8;
}

bool isWholeNumberType(PlyType type) {
    return type != PlyType::Float32 && type != PlyType::Float64;
}

// --- The header

bool lineIs(ByteSpan line, const char* word) {
    return line.size == std::strlen(word) && std::memcmp(line.data, word, line.size) == 0;
}

bool readFormat(TextCursor& words, PlyHeader& header) {
    const Token name = nextToken(words);
    if (tokenIs(name, "ascii"))
        header.format = PlyFormat::Ascii;
    else if (tokenIs(name, "binary_little_endian"))
        header.format = PlyFormat::LittleEndian;
    else if (tokenIs(name, "binary_big_endian"))
        header.format = PlyFormat::BigEndian;
    else
        return false;
    return tokenIs(nextToken(words), "1.0") && nextToken(words).size == 0;
}

bool hasKind(const PlyHeader& header, PlyElementKind kind) {
    for (int32_t e = 0; e < header.elementCount; ++e)
        if (header.elements[e].kind == kind) return true;
    return false;
}

bool addElement(TextCursor& words, PlyHeader& header) {
    if (header.elementCount == MostElements) return false;
    PlyElement& element = header.elements[header.elementCount];
    const Token name = nextToken(words);
    if (!countOf(nextToken(words), element.count) || nextToken(words).size != 0) return false;
    if (tokenIs(name, "vertex"))
        element.kind = PlyElementKind::Vertex;
    else if (tokenIs(name, "face"))
        element.kind = PlyElementKind::Face;
    if (element.kind != PlyElementKind::Other && hasKind(header, element.kind)) return false;
    if (element.kind == PlyElementKind::Vertex) header.vertexCount = element.count;
    ++header.elementCount;
    return true;
}

PlyRole roleOf(PlyElementKind kind, const PlyProperty& property, Token name) {
    if (kind == PlyElementKind::Vertex && !property.isList) {
        if (tokenIs(name, "x")) return PlyRole::X;
        if (tokenIs(name, "y")) return PlyRole::Y;
        if (tokenIs(name, "z")) return PlyRole::Z;
    }
    if (kind == PlyElementKind::Face && property.isList &&
        (tokenIs(name, "vertex_indices") || tokenIs(name, "vertex_index")))
        return PlyRole::VertexIndices;
    return PlyRole::PassedOver;
}

bool hasRole(const PlyElement& element, PlyRole role) {
    for (int32_t p = 0; p < element.propertyCount; ++p)
        if (element.properties[p].role == role) return true;
    return false;
}

bool addProperty(TextCursor& words, PlyHeader& header) {
    if (header.elementCount == 0) return false;
    PlyElement& element = header.elements[header.elementCount - 1];
    if (element.propertyCount == MostProperties) return false;
    PlyProperty property;
    Token type = nextToken(words);
    if (tokenIs(type, "list")) {
        property.isList = true;
        if (!typeOf(nextToken(words), property.countType) || !isWholeNumberType(property.countType)) return false;
        type = nextToken(words);
    }
    const Token name = nextToken(words);
    if (!typeOf(type, property.type) || name.size == 0 || nextToken(words).size != 0) return false;
    property.role = roleOf(element.kind, property, name);
    if (property.role != PlyRole::PassedOver && hasRole(element, property.role)) return false;
    element.properties[element.propertyCount++] = property;
    return true;
}

// The vertex element has x, y and z; the face element its vertex numbers.
bool hasWhatTheMeshNeeds(const PlyHeader& header) {
    for (int32_t e = 0; e < header.elementCount; ++e) {
        const PlyElement& element = header.elements[e];
        if (element.kind == PlyElementKind::Vertex &&
            !(hasRole(element, PlyRole::X) && hasRole(element, PlyRole::Y) && hasRole(element, PlyRole::Z)))
            return false;
        if (element.kind == PlyElementKind::Face && !hasRole(element, PlyRole::VertexIndices)) return false;
    }
    return true;
}

bool readHeader(ByteSpan bytes, PlyHeader& header) {
    TextCursor cursor{bytes, 0};
    if (!lineIs(nextLine(cursor), "ply")) return false;
    bool formatGiven = false;
    while (cursor.at < bytes.size) {
        TextCursor words{nextLine(cursor), 0};
        const Token keyword = nextToken(words);
        bool understood = true;
        if (tokenIs(keyword, "end_header")) {
            header.bodyStart = cursor.at;
            return formatGiven && hasWhatTheMeshNeeds(header);
        } else if (tokenIs(keyword, "format")) {
            understood = !formatGiven && readFormat(words, header);
            formatGiven = true;
        } else if (tokenIs(keyword, "element")) {
            understood = addElement(words, header);
        } else if (tokenIs(keyword, "property")) {
            understood = addProperty(words, header);
        } else {
            understood = keyword.size == 0 || tokenIs(keyword, "comment") || tokenIs(keyword, "obj_info");
        }
        if (!understood) return false;
    }
    return false;
}

// --- The body

struct PlyReader {
    TextCursor cursor;
    PlyFormat format;
};

// A binary value's bits, in the file's byte order.
uint64_t bitsAt(const uint8_t* at, size_t size, bool bigEndian) {
    uint64_t bits = 0;
    for (size_t i = 0; i < size; ++i) bits |= uint64_t{at[bigEndian ? size - 1 - i : i]} << (8 * i);
    return bits;
}

// A signed value of `size` bytes from its two's-complement bits.
double signedOf(uint64_t bits, size_t size) {
    const uint64_t signBit = uint64_t{1} << (8 * size - 1);
    return bits & signBit ? -static_cast<double>((signBit << 1) - bits) : static_cast<double>(bits);
}

double valueOf(uint64_t bits, PlyType type) {
    switch (type) {
        case PlyType::Int8:
        case PlyType::Int16:
        case PlyType::Int32:
            return signedOf(bits, sizeOf(type));
        case PlyType::UInt8:
        case PlyType::UInt16:
        case PlyType::UInt32:
            return static_cast<double>(bits);
        case PlyType::Float32: {
            const uint32_t narrow = static_cast<uint32_t>(bits);
            float value;
            std::memcpy(&value, &narrow, sizeof value);
            return value;
        }
        case PlyType::Float64:
            break;
    }
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

bool readValue(PlyReader& reader, PlyType type, double& value) {
    TextCursor& cursor = reader.cursor;
    if (reader.format == PlyFormat::Ascii) return numberOf(nextToken(cursor), value);
    const size_t size = sizeOf(type);
    if (!holds(cursor.bytes, cursor.at, size)) return false;
    value = valueOf(bitsAt(cursor.bytes.data + cursor.at, size, reader.format == PlyFormat::BigEndian), type);
    cursor.at += size;
    return true;
}

bool isWholeNumberBelow(double value, uint64_t limit) {
    return value >= 0 && value < static_cast<double>(limit) && value == std::floor(value);
}

// A list: its count, then its items; a face's vertex numbers make a fan.
bool walkList(PlyReader& reader, const PlyProperty& property, uint64_t vertexCount, MeshFill& fill) {
    double countValue = 0;
    if (!readValue(reader, property.countType, countValue)) return false;
    // Every item takes a byte at least, so a longer list is no whole one.
    const TextCursor& cursor = reader.cursor;
    if (!isWholeNumberBelow(countValue, cursor.bytes.size - cursor.at + 1)) return false;
    const uint64_t count = static_cast<uint64_t>(countValue);
    Fan fan;
    for (uint64_t i = 0; i < count; ++i) {
        double item = 0;
        if (!readValue(reader, property.type, item)) return false;
        if (property.role != PlyRole::VertexIndices) continue;
        if (!isWholeNumberBelow(item, vertexCount)) return false;
        addFanCorner(fill, fan, static_cast<uint64_t>(item));
    }
    return true;
}

bool walkElement(PlyReader& reader, const PlyElement& element, uint64_t vertexCount, MeshFill& fill) {
    // Items with no properties take no bytes, however many there are.
    if (element.propertyCount == 0) return true;
    for (uint64_t item = 0; item < element.count; ++item) {
        double xyz[3] = {};
        for (int32_t p = 0; p < element.propertyCount; ++p) {
            const PlyProperty& property = element.properties[p];
            double value = 0;
            if (property.isList) {
                if (!walkList(reader, property, vertexCount, fill)) return false;
            } else if (!readValue(reader, property.type, value)) {
                return false;
            } else if (property.role >= PlyRole::X && property.role <= PlyRole::Z) {
                xyz[static_cast<int>(property.role) - static_cast<int>(PlyRole::X)] = value;
            }
        }
        if (element.kind == PlyElementKind::Vertex && !addVertex(fill, xyz[0], xyz[1], xyz[2])) return false;
    }
    return true;
}

}  // namespace

bool startsLikePly(ByteSpan bytes) {
    return holds(bytes, 0, 4) && std::memcmp(bytes.data, "ply", 3) == 0 &&
           (bytes.data[3] == '\n' || bytes.data[3] == '\r');
}

bool walkPly(ByteSpan bytes, MeshFill& fill) {
    PlyHeader header;
    if (!readHeader(bytes, header)) return false;
    PlyReader reader{TextCursor{bytes, header.bodyStart}, header.format};
    for (int32_t e = 0; e < header.elementCount; ++e)
        if (!walkElement(reader, header.elements[e], header.vertexCount, fill)) return false;
    return true;
}
