// Meshes made in code for the tests and the benchmarks: boxes, a sphere
// and a torus, as plain vectors, and as a Mesh on the tests' runtime.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "models/mesh.h"

struct MeshSketch {
    // x, y, z of each vertex.
    std::vector<float> vertices;
    // Three vertex numbers a triangle.
    std::vector<uint32_t> triangles;
};

// The twelve triangles of an axis-aligned box from `low` to `high`.
void addBox(MeshSketch& sketch, const float low[3], const float high[3]);

// A sphere of radius 1 about the origin: `around` (a multiple of 4, so that
// its extent is exactly -1 .. 1 on every axis) by `across` quadrilaterals.
MeshSketch sphereSketch(int32_t around, int32_t across);

// A torus about the Z axis, facing +Z: around * across * 2 triangles.
MeshSketch torusSketch(int32_t around, int32_t across, float major, float minor);

// The sketch as a mesh on the tests' runtime.
Mesh meshOf(const MeshSketch& sketch);

// A vertex's x, y and z as "%g %g %g" writes them.
std::string cornerText(const MeshSketch& sketch, uint32_t vertex);

// The sketch as an ASCII STL file's text, each corner as "%g" writes it.
std::string asciiStlOf(const MeshSketch& sketch);
