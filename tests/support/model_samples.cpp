#include "model_samples.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "test_runtime.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

uint32_t addVertex(MeshSketch& sketch, double x, double y, double z) {
    const uint32_t number = static_cast<uint32_t>(sketch.vertices.size() / 3);
    for (double coordinate : {x, y, z}) sketch.vertices.push_back(static_cast<float>(coordinate));
    return number;
}

void addQuad(MeshSketch& sketch, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    sketch.triangles.insert(sketch.triangles.end(), {a, b, c, a, c, d});
}

// A grid of `around` x `across` quadrilaterals over a surface closed in
// both directions, with the vertex at (i, j) from point(i, j).
template <typename Point>
MeshSketch closedGrid(int32_t around, int32_t across, int32_t rows, Point point) {
    MeshSketch sketch;
    for (int32_t i = 0; i < around; ++i)
        for (int32_t j = 0; j < rows; ++j) {
            double xyz[3];
            point(i, j, xyz);
            addVertex(sketch, xyz[0], xyz[1], xyz[2]);
        }
    const auto at = [around, rows](int32_t i, int32_t j) {
        return static_cast<uint32_t>((i % around) * rows + j % rows);
    };
    for (int32_t i = 0; i < around; ++i)
        for (int32_t j = 0; j < across; ++j) addQuad(sketch, at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1));
    return sketch;
}

}  // namespace

void addBox(MeshSketch& sketch, const float low[3], const float high[3]) {
    uint32_t corner[8];
    for (int32_t c = 0; c < 8; ++c)
        corner[c] = addVertex(sketch, c & 1 ? high[0] : low[0], c & 2 ? high[1] : low[1], c & 4 ? high[2] : low[2]);
    addQuad(sketch, corner[0], corner[2], corner[3], corner[1]);
    addQuad(sketch, corner[4], corner[5], corner[7], corner[6]);
    addQuad(sketch, corner[0], corner[1], corner[5], corner[4]);
    addQuad(sketch, corner[2], corner[6], corner[7], corner[3]);
    addQuad(sketch, corner[1], corner[3], corner[7], corner[5]);
    addQuad(sketch, corner[0], corner[4], corner[6], corner[2]);
}

MeshSketch sphereSketch(int32_t around, int32_t across) {
    // Rows 0 .. across from pole to pole; the last row is not joined to the
    // first.
    return closedGrid(around, across, across + 1, [around, across](int32_t i, int32_t j, double* xyz) {
        const double longitude = 2 * Pi * i / around, latitude = Pi * j / across - Pi / 2;
        xyz[0] = std::cos(latitude) * std::cos(longitude);
        xyz[1] = std::sin(latitude);
        xyz[2] = std::cos(latitude) * std::sin(longitude);
    });
}

MeshSketch torusSketch(int32_t around, int32_t across, float major, float minor) {
    return closedGrid(around, across, across, [=](int32_t i, int32_t j, double* xyz) {
        const double u = 2 * Pi * i / around, v = 2 * Pi * j / across;
        const double ring = major + minor * std::cos(v);
        xyz[0] = ring * std::cos(u);
        xyz[1] = ring * std::sin(u);
        xyz[2] = minor * std::sin(v);
    });
}

Mesh meshOf(const MeshSketch& sketch) {
    Mesh mesh;
    if (replaceMesh(testRuntime(), mesh, sketch.vertices.size() / 3, sketch.triangles.size() / 3)) {
        std::memcpy(verticesOf(mesh), sketch.vertices.data(), sketch.vertices.size() * sizeof(float));
        std::memcpy(trianglesOf(mesh), sketch.triangles.data(), sketch.triangles.size() * sizeof(uint32_t));
    }
    return mesh;
}

std::string cornerText(const MeshSketch& sketch, uint32_t vertex) {
    char text[64];
    std::snprintf(text, sizeof text, "%g %g %g", sketch.vertices[3 * vertex], sketch.vertices[3 * vertex + 1],
                  sketch.vertices[3 * vertex + 2]);
    return text;
}

std::string asciiStlOf(const MeshSketch& sketch) {
    std::string text = "solid test\n";
    for (size_t t = 0; t < sketch.triangles.size(); t += 3) {
        text += "facet normal 0 0 0\nouter loop\n";
        for (size_t c = 0; c < 3; ++c) text += "vertex " + cornerText(sketch, sketch.triangles[t + c]) + "\n";
        text += "endloop\nendfacet\n";
    }
    return text + "endsolid test\n";
}
