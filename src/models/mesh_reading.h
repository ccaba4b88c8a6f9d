// What the readers of the model formats share. Each reader walks a file's
// bytes twice: first counting the vertices and triangles they hold, with
// nothing allocated, so that a forged count costs no memory; then, once
// the mesh's blocks are made for exactly that many, filling them. Both walks
// make the same checks, so a file refused by one is refused by the other.
#pragma once

#include <cstdint>

#include "picture/byte_span.h"

// What a walk has found so far; the blocks are null while counting.
struct MeshFill {
    float* vertices = nullptr;
    uint32_t* triangles = nullptr;
    uint64_t vertexCount = 0;
    uint64_t triangleCount = 0;
};

// Adds a vertex; false when a coordinate is not finite as a float.
bool addVertex(MeshFill& fill, double x, double y, double z);

// Adds a triangle of vertices the reader has checked.
void addTriangle(MeshFill& fill, uint64_t a, uint64_t b, uint64_t c);

// A polygon made into triangles as a fan from its first corner: corners
// 0, 1, 2, then 0, 2, 3, and so on. Fewer than three corners make none.
struct Fan {
    uint64_t first = 0;
    uint64_t previous = 0;
    uint64_t corners = 0;
};

void addFanCorner(MeshFill& fill, Fan& fan, uint64_t vertex);

// Each format's walk; false when the bytes are not a whole file of it.
bool walkStl(ByteSpan bytes, MeshFill& fill);
bool walkObj(ByteSpan bytes, MeshFill& fill);
bool walkPly(ByteSpan bytes, MeshFill& fill);

// What tells the formats apart by content.
bool isBinaryStl(ByteSpan bytes);
bool startsLikeAsciiStl(ByteSpan bytes);
bool startsLikePly(ByteSpan bytes);
bool looksLikeObj(ByteSpan bytes);
