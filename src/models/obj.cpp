// OBJ files, read by tinyobjloader's callbacks, which hand over each vertex
// line ("v x y z [w]") and each face line ("f v1 v2 v3 ...", a corner being
// v, v/vt, v//vn or v/vt/vn) as they come, so that the mesh is made here,
// in the runtime's blocks, with nothing kept by the library. A vertex
// number counts from 1, or from the end when negative (-1 is the last
// vertex so far). Materials, groups, normals and texture coordinates are
// not read; a face of more than three corners is made a fan.
#include <istream>
#include <streambuf>

#include "models/mesh_reading.h"
#include "models/tinyobj.h"

namespace {

// The file's bytes as the stream the library reads, without a copy.
struct ByteStreamBuffer : std::streambuf {
    explicit ByteStreamBuffer(ByteSpan bytes) {
        char* begin = const_cast<char*>(reinterpret_cast<const char*>(bytes.data));
        setg(begin, begin, begin + bytes.size);
    }
};

struct ObjWalk {
    MeshFill* fill;
    // How many vertices the faces so far need (one more than the largest
    // vertex number they name): the file must have as many by its end.
    uint64_t verticesNeeded = 0;
    bool damaged = false;
};

void takeVertex(void* context, tinyobj::real_t x, tinyobj::real_t y, tinyobj::real_t z, tinyobj::real_t) {
    ObjWalk& walk = *static_cast<ObjWalk*>(context);
    if (!addVertex(*walk.fill, x, y, z)) walk.damaged = true;
}

// The vertex a corner names, counted from 0; false for 0, which names none,
// and for one before the first.
bool vertexOf(const ObjWalk& walk, int number, uint64_t& vertex) {
    const int64_t written = number;
    const int64_t resolved = written > 0 ? written - 1 : static_cast<int64_t>(walk.fill->vertexCount) + written;
    if (written == 0 || resolved < 0) return false;
    vertex = static_cast<uint64_t>(resolved);
    return true;
}

void takeFace(void* context, tinyobj::index_t* corners, int count) {
    ObjWalk& walk = *static_cast<ObjWalk*>(context);
    Fan fan;
    for (int i = 0; i < count; ++i) {
        uint64_t vertex = 0;
        if (!vertexOf(walk, corners[i].vertex_index, vertex)) {
            walk.damaged = true;
            return;
        }
        if (vertex + 1 > walk.verticesNeeded) walk.verticesNeeded = vertex + 1;
        addFanCorner(*walk.fill, fan, vertex);
    }
}

}  // namespace

bool looksLikeObj(ByteSpan bytes) {
    bool lineStart = true;
    for (size_t i = 0; i + 1 < bytes.size; ++i) {
        const uint8_t c = bytes.data[i];
        const uint8_t next = bytes.data[i + 1];
        if (lineStart && c == 'v' && (next == ' ' || next == '\t')) return true;
        if (c == '\n' || c == '\r')
            lineStart = true;
        else if (c != ' ' && c != '\t')
            lineStart = false;
    }
    return false;
}

bool walkObj(ByteSpan bytes, MeshFill& fill) {
    ByteStreamBuffer buffer(bytes);
    std::istream stream(&buffer);
    tinyobj::callback_t callbacks;
    callbacks.vertex_cb = takeVertex;
    callbacks.index_cb = takeFace;
    ObjWalk walk{&fill};
    tinyobj::LoadObjWithCallback(stream, callbacks, &walk);
    return !walk.damaged && walk.verticesNeeded <= fill.vertexCount;
}
