#include "models/model_files.h"

#include <cfloat>
#include <cmath>
#include <fstream>
#include <string>

#include "models/mesh_reading.h"
#include "picture/whole_file.h"
#include "texts/user_texts.h"

namespace {

constexpr uint64_t LargestModelFile = 0xFFFFFFFFu;

using Walk = bool (*)(ByteSpan bytes, MeshFill& fill);

struct FormatReader {
    Walk walk;
    const char* corruptText;
};

FormatReader readerOf(ModelFormat format) {
    switch (format) {
        case ModelFormat::Stl:
            return FormatReader{walkStl, CorruptStlText};
        case ModelFormat::Obj:
            return FormatReader{walkObj, CorruptObjText};
        case ModelFormat::Ply:
            return FormatReader{walkPly, CorruptPlyText};
        case ModelFormat::Unknown:
            break;
    }
    return FormatReader{nullptr, UnknownModelText};
}

}  // namespace

bool addVertex(MeshFill& fill, double x, double y, double z) {
    const double coordinates[3] = {x, y, z};
    // Also false for NaN; and a double beyond the floats has no float.
    for (double coordinate : coordinates)
        if (!(std::fabs(coordinate) <= FLT_MAX)) return false;
    if (fill.vertices != nullptr) {
        float* vertex = fill.vertices + 3 * fill.vertexCount;
        for (int i = 0; i < 3; ++i) vertex[i] = static_cast<float>(coordinates[i]);
    }
    ++fill.vertexCount;
    return true;
}

void addTriangle(MeshFill& fill, uint64_t a, uint64_t b, uint64_t c) {
    if (fill.triangles != nullptr) {
        uint32_t* corners = fill.triangles + 3 * fill.triangleCount;
        corners[0] = static_cast<uint32_t>(a);
        corners[1] = static_cast<uint32_t>(b);
        corners[2] = static_cast<uint32_t>(c);
    }
    ++fill.triangleCount;
}

void addFanCorner(MeshFill& fill, Fan& fan, uint64_t vertex) {
    if (fan.corners == 0) fan.first = vertex;
    if (fan.corners >= 2) addTriangle(fill, fan.first, fan.previous, vertex);
    fan.previous = vertex;
    ++fan.corners;
}

ModelFormat modelFormatOf(const uint8_t* bytes, size_t size) {
    const ByteSpan span{bytes, size};
    // A binary STL's 80-byte header may start with "solid" too.
    if (isBinaryStl(span) || startsLikeAsciiStl(span)) return ModelFormat::Stl;
    if (startsLikePly(span)) return ModelFormat::Ply;
    if (looksLikeObj(span)) return ModelFormat::Obj;
    return ModelFormat::Unknown;
}

ModelFormat modelFormatNamed(const std::filesystem::path& fileName) {
    const std::string extension = lowerCaseExtension(fileName);
    if (extension == ".stl") return ModelFormat::Stl;
    if (extension == ".obj") return ModelFormat::Obj;
    if (extension == ".ply") return ModelFormat::Ply;
    return ModelFormat::Unknown;
}

Outcome readModelBytesAs(Runtime& runtime, ModelFormat format, const uint8_t* bytes, size_t size, Mesh& mesh) {
    const FormatReader reader = readerOf(format);
    if (reader.walk == nullptr) return refusedOutcome(reader.corruptText, ErrorCaption);
    const ByteSpan span{bytes, size};
    MeshFill counted;
    if (!reader.walk(span, counted)) return refusedOutcome(reader.corruptText, ErrorCaption);
    if (counted.triangleCount == 0) return refusedOutcome(NoTrianglesText, ErrorCaption);
    if (counted.vertexCount > MostMeshVertices || counted.triangleCount > MostMeshTriangles)
        return refusedOutcome(ModelTooLargeText, ErrorCaption);
    if (!replaceMesh(runtime, mesh, counted.vertexCount, counted.triangleCount)) return outOfMemoryOutcome();
    MeshFill filled{verticesOf(mesh), trianglesOf(mesh), 0, 0};
    // The second walk makes the first one's checks on the same bytes.
    reader.walk(span, filled);
    return doneOutcome();
}

Outcome readModelBytes(Runtime& runtime, const uint8_t* bytes, size_t size, Mesh& mesh) {
    return readModelBytesAs(runtime, modelFormatOf(bytes, size), bytes, size, mesh);
}

Outcome readModelFile(Runtime& runtime, const std::filesystem::path& fileName, Mesh& mesh) {
    std::ifstream file(fileName, std::ios::binary);
    if (!file) return silentRefusal();
    file.seekg(0, std::ios::end);
    const std::streamoff length = file.tellg();
    if (length < 0) return silentRefusal();
    Outcome unread;
    const OwnedBytes bytes = readWholeFile(runtime, file, static_cast<uint64_t>(length), LargestModelFile,
                                           ModelTooLargeText, unread);
    if (bytes == nullptr) return unread;
    const size_t size = static_cast<size_t>(length);
    ModelFormat format = modelFormatOf(bytes.get(), size);
    if (format == ModelFormat::Unknown) format = modelFormatNamed(fileName);
    return readModelBytesAs(runtime, format, bytes.get(), size, mesh);
}
