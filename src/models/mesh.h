// A triangle mesh, as the model files give it: vertices (x, y, z as
// floats) and triangles (three vertex numbers each), each in a block of the
// runtime's, so that the mesh has one owner and frees itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture/bytes.h"
#include "picture/runtime.h"

// The largest mesh the readers make: its vertex numbers fit 32 bits, and
// every count fits a signed 32-bit loop.
constexpr uint64_t MostMeshVertices = 0x7FFFFFFF;
constexpr uint64_t MostMeshTriangles = 0x7FFFFFFF;

// Absent while it has no triangles. Every vertex number is below
// vertexCount, and every coordinate is finite.
struct Mesh {
    // vertexCount times x, y, z.
    OwnedBytes vertices;
    // triangleCount times three vertex numbers.
    OwnedBytes triangles;
    uint32_t vertexCount = 0;
    uint32_t triangleCount = 0;
};

inline float* verticesOf(Mesh& mesh) {
    return reinterpret_cast<float*>(mesh.vertices.get());
}

inline const float* verticesOf(const Mesh& mesh) {
    return reinterpret_cast<const float*>(mesh.vertices.get());
}

inline uint32_t* trianglesOf(Mesh& mesh) {
    return reinterpret_cast<uint32_t*>(mesh.triangles.get());
}

inline const uint32_t* trianglesOf(const Mesh& mesh) {
    return reinterpret_cast<const uint32_t*>(mesh.triangles.get());
}

// Replacement is release first, allocate second (the blocks are not
// cleared): after a failed allocation the mesh is absent. False when out of
// memory or for counts above the largest mesh.
bool replaceMesh(Runtime& runtime, Mesh& mesh, uint64_t vertexCount, uint64_t triangleCount);
void releaseMesh(Mesh& mesh);
