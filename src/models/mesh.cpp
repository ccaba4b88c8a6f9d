#include "models/mesh.h"

#include <utility>

void releaseMesh(Mesh& mesh) {
    mesh = Mesh{};
}

bool replaceMesh(Runtime& runtime, Mesh& mesh, uint64_t vertexCount, uint64_t triangleCount) {
    releaseMesh(mesh);
    if (vertexCount > MostMeshVertices || triangleCount > MostMeshTriangles) return false;
    OwnedBytes vertices = allocateBytes(runtime, static_cast<size_t>(vertexCount) * 3 * sizeof(float));
    if (vertices == nullptr) return false;
    OwnedBytes triangles = allocateBytes(runtime, static_cast<size_t>(triangleCount) * 3 * sizeof(uint32_t));
    if (triangles == nullptr) return false;
    mesh.vertices = std::move(vertices);
    mesh.triangles = std::move(triangles);
    mesh.vertexCount = static_cast<uint32_t>(vertexCount);
    mesh.triangleCount = static_cast<uint32_t>(triangleCount);
    return true;
}
