// Depth maps from models and from text: the model files read into a mesh
// (and refused when damaged or forged, before anything is allocated), the
// mesh drawn as its contract says, and raised text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "model_samples.h"
#include "models/model_files.h"
#include "models/render_model.h"
#include "models/text_depth.h"
#include "outcome_checks.h"
#include "test_runtime.h"

namespace fs = std::filesystem;

namespace {

class Models : public ::testing::Test {
protected:
    void TearDown() override { failAllocationsAfter(-1); }

    Picture render(const Mesh& mesh, int32_t width, int32_t height, double x = 0, double y = 0, double z = 0) {
        Picture depth;
        EXPECT_EQ(renderDepthMap(runtime, mesh, ModelView{width, height, x, y, z}, depth).kind, OutcomeKind::Done);
        return depth;
    }

    Picture text(const std::string& words, int32_t width, int32_t height) {
        Picture depth;
        EXPECT_EQ(renderTextDepthMap(runtime, words, width, height, depth).kind, OutcomeKind::Done);
        return depth;
    }

    Runtime& runtime = testRuntime();
};

int depthAt(const Picture& depth, int32_t x, int32_t y) {
    return rowOf(depth, y)[x];
}

const float CubeLow[3] = {-1, -1, -1};
const float CubeHigh[3] = {1, 1, 1};

// --- The render's contract

TEST_F(Models, ACubesFrontFaceIsFlatAndFillsTheFittedSquare) {
    MeshSketch cube;
    addBox(cube, CubeLow, CubeHigh);
    const Mesh mesh = meshOf(cube);
    // The square fits the height less 5 % at the top and the bottom, and
    // stands in the middle: 1000 x 600 leaves 540 x 540 from (230, 30);
    // 101 x 61 leaves 54.9 x 54.9 from (23.05, 3.05), whose pixel centres are
    // those of columns 23 .. 77 and rows 3 .. 57.
    struct Case {
        int32_t width, height, left, right, top, bottom;
    };
    for (const Case& c : {Case{1000, 600, 230, 769, 30, 569}, Case{101, 61, 23, 77, 3, 57},
                          Case{60, 200, 3, 56, 73, 126}}) {
        const Picture depth = render(mesh, c.width, c.height);
        for (int32_t y = 0; y < c.height; ++y)
            for (int32_t x = 0; x < c.width; ++x) {
                const bool inside = x >= c.left && x <= c.right && y >= c.top && y <= c.bottom;
                ASSERT_EQ(depthAt(depth, x, y), inside ? 255 : 0) << c.width << "x" << c.height << " at " << x << ","
                                                                   << y;
            }
    }
}

TEST_F(Models, ASpheresDepthFallsOffAsASpheresDoes) {
    const Mesh sphere = meshOf(sphereSketch(96, 48));
    const Picture depth = render(sphere, 200, 200);
    // The radius is 90 pixels about the middle; z = sqrt(1 - x^2 - y^2)
    // from -1 to 1.
    int checked = 0;
    for (int32_t y = 3; y < 200; y += 7)
        for (int32_t x = 3; x < 200; x += 7) {
            const double mx = (x + 0.5 - 100) / 90, my = (100 - y - 0.5) / 90;
            const double r2 = mx * mx + my * my;
            if (r2 > 1.02 * 1.02) {
                EXPECT_EQ(depthAt(depth, x, y), 0) << x << "," << y;
            } else if (r2 < 0.9 * 0.9) {
                const double expected = 64 + 191 * (std::sqrt(1 - r2) + 1) / 2;
                EXPECT_NEAR(depthAt(depth, x, y), expected, 1.5) << x << "," << y;
                ++checked;
            }
        }
    EXPECT_GT(checked, 400);
    EXPECT_EQ(depthAt(depth, 100, 100), 255);
}

// A cube with a small box standing out of its left side (-X).
Mesh cubeWithAMarkerOnTheLeft() {
    MeshSketch sketch;
    addBox(sketch, CubeLow, CubeHigh);
    const float low[3] = {-1.5f, -0.25f, -0.25f}, high[3] = {-1, 0.25f, 0.25f};
    addBox(sketch, low, high);
    return meshOf(sketch);
}

TEST_F(Models, TurningNinetyDegreesAboutYBringsTheLeftSideToTheFront) {
    const Mesh mesh = cubeWithAMarkerOnTheLeft();
    // From the front: the marker at the left, at its face's depth (z from
    // -1 to 1, its face at 0.25); the model is 2.5 wide, so 72 px a unit.
    const Picture front = render(mesh, 200, 200);
    EXPECT_EQ(depthAt(front, 100, 100), 255);
    EXPECT_EQ(depthAt(front, 28, 100), 183);  // 64 + 191 * 1.25 / 2
    EXPECT_EQ(depthAt(front, 8, 100), 0);
    // Turned: the marker's end is nearest, the cube's face at z = 1 of
    // -1 .. 1.5 behind it, and the outline the cube's square (90 px a unit).
    const Picture turned = render(mesh, 200, 200, 0, 90, 0);
    EXPECT_EQ(depthAt(turned, 100, 100), 255);
    EXPECT_EQ(depthAt(turned, 40, 100), 217);  // 64 + 191 * 2 / 2.5
    EXPECT_EQ(depthAt(turned, 10, 10), 217);
    EXPECT_EQ(depthAt(turned, 9, 100), 0);
}

TEST_F(Models, TheTurnsApplyAboutXThenYThenZ) {
    const Mesh mesh = cubeWithAMarkerOnTheLeft();
    // About X first leaves the marker at the left; about Y then brings it to
    // the front. (Y first, then X, would take it to the bottom.)
    const Picture both = render(mesh, 200, 200, 90, 90, 0);
    EXPECT_EQ(depthAt(both, 100, 100), 255);
    EXPECT_EQ(depthAt(both, 40, 100), 217);
    // About Z, the left side goes to the bottom: the marker below the cube.
    const Picture aboutZ = render(mesh, 200, 200, 0, 0, 90);
    EXPECT_EQ(depthAt(aboutZ, 100, 172), 183);
    EXPECT_EQ(depthAt(aboutZ, 100, 5), 0);
    EXPECT_EQ(depthAt(aboutZ, 100, 50), 255);
}

TEST_F(Models, AModelSeenEdgeOnGivesTheGroundAloneAndAFlatOneIsNearest) {
    MeshSketch line{{0, 0, 0, 1, 1, 1, 2, 2, 2}, {0, 1, 2}};
    EXPECT_EQ(bytesOf(render(meshOf(line), 40, 30)), std::vector<uint8_t>(40 * 30, 0));
    MeshSketch square{{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, {0, 1, 2, 0, 2, 3}};
    const Mesh flat = meshOf(square);
    EXPECT_EQ(bytesOf(render(flat, 40, 30, 90, 0, 0)), std::vector<uint8_t>(40 * 30, 0));
    const Picture faceOn = render(flat, 40, 40);
    EXPECT_EQ(depthAt(faceOn, 20, 20), 255);
    EXPECT_EQ(depthAt(faceOn, 2, 2), 255);
    EXPECT_EQ(depthAt(faceOn, 1, 1), 0);
}

TEST_F(Models, VerticesThatNoTriangleUsesAreNotPartOfTheModel) {
    // A right triangle whose corner (0, 1) stands a little nearer, and two
    // vertices far off that no triangle names.
    MeshSketch sketch{{0, 0, 0, 1, 0, 0, 0, 1, 1e-20f, 1e30f, 0, 0, 0, 0, -1e30f}, {0, 1, 2}};
    const Picture depth = render(meshOf(sketch), 100, 100);
    // Fitted as if alone: its right angle at (5, 95), its other corners at
    // (95, 95) and (5, 5); depth 64 at the first two, 255 at the third, so
    // 64 + 191 * y at model height y = (95 - centre's row) / 90.
    EXPECT_EQ(depthAt(depth, 6, 93), 67);
    EXPECT_EQ(depthAt(depth, 90, 93), 67);
    EXPECT_EQ(depthAt(depth, 6, 8), 248);
    EXPECT_EQ(depthAt(depth, 93, 6), 0);
}

TEST_F(Models, EveryCoreDrawsTheSameMap) {
    const Mesh torus = meshOf(torusSketch(64, 32, 1, 0.4f));
    Runtime oneThread(1), threeThreads(3);
    Picture alone, shared;
    const ModelView view{333, 211, 30, -20, 10};
    ASSERT_EQ(renderDepthMap(oneThread, torus, view, alone).kind, OutcomeKind::Done);
    ASSERT_EQ(renderDepthMap(threeThreads, torus, view, shared).kind, OutcomeKind::Done);
    EXPECT_EQ(bytesOf(alone), bytesOf(shared));
}

TEST_F(Models, DrawingRefusesWhatItCannotDrawAndRunsOutOfMemoryCleanly) {
    MeshSketch cube;
    addBox(cube, CubeLow, CubeHigh);
    const Mesh mesh = meshOf(cube);
    Picture depth;
    expectRefused(renderDepthMap(runtime, Mesh{}, ModelView{10, 10}, depth), "Model nie ma żadnej ściany!", "Błąd");
    expectRefused(renderDepthMap(runtime, mesh, ModelView{0, 10}, depth), "Nieprawidłowe wymiary mapy głębokości!",
                  "Uwaga!");
    expectRefused(renderDepthMap(runtime, mesh, ModelView{10, 32769}, depth),
                  "Nieprawidłowe wymiary mapy głębokości!", "Uwaga!");
    expectRefused(renderDepthMap(runtime, mesh, ModelView{10, 10, 0, NAN, 0}, depth),
                  "Nieprawidłowy kąt obrotu modelu!", "Uwaga!");
    EXPECT_FALSE(isPresent(depth));
    // The vertices' places, the bands' starts and lists, the bands, the map.
    for (int32_t allowed = 0; allowed < 5; ++allowed) {
        failAllocationsAfter(allowed);
        EXPECT_EQ(renderDepthMap(runtime, mesh, ModelView{64, 48}, depth).kind, OutcomeKind::OutOfMemory) << allowed;
    }
    failAllocationsAfter(5);
    EXPECT_EQ(renderDepthMap(runtime, mesh, ModelView{64, 48}, depth).kind, OutcomeKind::Done);
}

// --- Model files

TEST_F(Models, EveryFormatOfTheSameModelDrawsTheSameMap) {
    const fs::path folder = TAVRELIC_MODELS_DIR;
    for (const char* model : {"torus", "kostka-na-plycie"}) {
        Mesh reference;
        ASSERT_EQ(readModelFile(runtime, folder / (std::string(model) + ".stl"), reference).kind, OutcomeKind::Done);
        const Picture expected = render(reference, 160, 120, 20, 30, 0);
        // Not the ground alone: the torus's hole is ground, its ring near.
        EXPECT_EQ(depthAt(expected, 5, 5), 0);
        EXPECT_GT(*std::max_element(expected.pixels.get(), expected.pixels.get() + 160 * 120), 240);
        const std::vector<std::string> others =
            std::string(model) == "torus"
                ? std::vector<std::string>{"torus-ascii.stl", "torus.obj", "torus-ascii.ply", "torus-le.ply",
                                           "torus-be.ply"}
                : std::vector<std::string>{"kostka-na-plycie.ply"};
        for (const std::string& name : others) {
            Mesh mesh;
            ASSERT_EQ(readModelFile(runtime, folder / name, mesh).kind, OutcomeKind::Done) << name;
            EXPECT_EQ(mesh.triangleCount, reference.triangleCount) << name;
            EXPECT_EQ(bytesOf(render(mesh, 160, 120, 20, 30, 0)), bytesOf(expected)) << name;
        }
    }
    Mesh torus;
    ASSERT_EQ(readModelFile(runtime, folder / "torus.stl", torus).kind, OutcomeKind::Done);
    EXPECT_EQ(depthAt(render(torus, 100, 100), 50, 50), 0);
}

// A tetrahedron in every format, as the damaged files below start from.
const MeshSketch Tetrahedron{{0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 2, 1, 0, 1, 3, 0, 3, 2, 1, 2, 3}};

std::vector<uint8_t> binaryStlOf(const MeshSketch& sketch) {
    std::vector<uint8_t> bytes(80, ' ');
    const uint32_t count = static_cast<uint32_t>(sketch.triangles.size() / 3);
    bytes.insert(bytes.end(), {uint8_t(count), uint8_t(count >> 8), uint8_t(count >> 16), uint8_t(count >> 24)});
    for (size_t t = 0; t < sketch.triangles.size(); t += 3) {
        bytes.insert(bytes.end(), 12, 0);  // the normal
        for (size_t c = 0; c < 3; ++c) {
            const uint8_t* xyz = reinterpret_cast<const uint8_t*>(&sketch.vertices[3 * sketch.triangles[t + c]]);
            bytes.insert(bytes.end(), xyz, xyz + 12);
        }
        bytes.insert(bytes.end(), 2, 0);  // the attribute
    }
    return bytes;
}

std::string objOf(const MeshSketch& sketch) {
    std::string text = "# test\n";
    for (uint32_t v = 0; v < sketch.vertices.size() / 3; ++v) text += "v " + cornerText(sketch, v) + "\n";
    for (size_t t = 0; t < sketch.triangles.size(); t += 3)
        text += "f " + std::to_string(sketch.triangles[t] + 1) + " " + std::to_string(sketch.triangles[t + 1] + 1) +
                " " + std::to_string(sketch.triangles[t + 2] + 1) + "\n";
    return text;
}

std::string plyHeader(const MeshSketch& sketch, const char* format) {
    return std::string("ply\nformat ") + format + " 1.0\nelement vertex " +
           std::to_string(sketch.vertices.size() / 3) +
           "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
           std::to_string(sketch.triangles.size() / 3) + "\nproperty list uchar int vertex_indices\nend_header\n";
}

std::string asciiPlyOf(const MeshSketch& sketch) {
    std::string text = plyHeader(sketch, "ascii");
    for (uint32_t v = 0; v < sketch.vertices.size() / 3; ++v) text += cornerText(sketch, v) + "\n";
    for (size_t t = 0; t < sketch.triangles.size(); t += 3)
        text += "3 " + std::to_string(sketch.triangles[t]) + " " + std::to_string(sketch.triangles[t + 1]) + " " +
                std::to_string(sketch.triangles[t + 2]) + "\n";
    return text;
}

// Little-endian, as the processors the tests run on are.
std::vector<uint8_t> binaryPlyOf(const MeshSketch& sketch) {
    const std::string header = plyHeader(sketch, "binary_little_endian");
    std::vector<uint8_t> bytes(header.begin(), header.end());
    const uint8_t* vertices = reinterpret_cast<const uint8_t*>(sketch.vertices.data());
    bytes.insert(bytes.end(), vertices, vertices + 4 * sketch.vertices.size());
    for (size_t t = 0; t < sketch.triangles.size(); t += 3) {
        bytes.push_back(3);
        const uint8_t* corners = reinterpret_cast<const uint8_t*>(&sketch.triangles[t]);
        bytes.insert(bytes.end(), corners, corners + 12);
    }
    return bytes;
}

std::vector<uint8_t> bytesOfText(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> replaced(const std::string& text, const std::string& from, const std::string& to) {
    std::string changed = text;
    const size_t at = changed.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) changed.replace(at, from.size(), to);
    return bytesOfText(changed);
}

std::vector<uint8_t> patched(std::vector<uint8_t> bytes, size_t offset, uint32_t value) {
    std::memcpy(&bytes[offset], &value, sizeof value);
    return bytes;
}

std::vector<uint8_t> startingWith(std::vector<uint8_t> bytes, const char* start) {
    std::memcpy(bytes.data(), start, std::strlen(start));
    return bytes;
}

std::vector<uint8_t> cut(std::vector<uint8_t> bytes, size_t dropped) {
    bytes.resize(bytes.size() - dropped);
    return bytes;
}

struct DamagedFile {
    const char* what;
    ModelFormat format;
    std::vector<uint8_t> bytes;
    const char* text;
};

std::vector<DamagedFile> damagedFiles() {
    const char* stl = "Uszkodzony lub nieobsługiwany plik STL!";
    const char* obj = "Uszkodzony lub nieobsługiwany plik OBJ!";
    const char* ply = "Uszkodzony lub nieobsługiwany plik PLY!";
    const char* none = "Model nie ma żadnej ściany!";
    const std::vector<uint8_t> binaryStl = binaryStlOf(Tetrahedron);
    const std::string asciiStl = asciiStlOf(Tetrahedron);
    const std::string objText = objOf(Tetrahedron);
    const std::string asciiPly = asciiPlyOf(Tetrahedron);
    const std::vector<uint8_t> binaryPly = binaryPlyOf(Tetrahedron);
    const size_t plyBody = plyHeader(Tetrahedron, "binary_little_endian").size();
    return {
        {"a binary STL's count beyond the file", ModelFormat::Stl, patched(binaryStl, 80, 0x7FFFFFFF), stl},
        {"a binary STL's count beyond the file, its header solid", ModelFormat::Stl,
         startingWith(patched(binaryStl, 80, 1000000), "solid"), stl},
        {"a binary STL cut short", ModelFormat::Stl, cut(binaryStl, 10), stl},
        {"a binary STL's header alone", ModelFormat::Stl, cut(binaryStl, 200), stl},
        {"a NaN corner in a binary STL", ModelFormat::Stl, patched(binaryStl, 84 + 12 + 4, 0x7FC00000), stl},
        {"an infinite corner in a binary STL", ModelFormat::Stl, patched(binaryStl, 84 + 50 + 12, 0xFF800000), stl},
        {"an ASCII STL cut short", ModelFormat::Stl, replaced(asciiStl, "endsolid test\n", ""), stl},
        {"a NaN corner in an ASCII STL", ModelFormat::Stl, replaced(asciiStl, "vertex 0 0 0", "vertex nan 0 0"), stl},
        {"a facet of two corners", ModelFormat::Stl, replaced(asciiStl, "vertex 0 1 0\n", ""), stl},
        {"a word misspelt", ModelFormat::Stl, replaced(asciiStl, "outer loop", "outer lop"), stl},
        {"an OBJ corner past the vertices", ModelFormat::Obj, replaced(objText, "f 1 3 2", "f 1 3 5"), obj},
        {"an OBJ corner 0", ModelFormat::Obj, replaced(objText, "f 1 3 2", "f 0 3 2"), obj},
        {"an OBJ corner before the first vertex", ModelFormat::Obj, replaced(objText, "f 1 3 2", "f -5 3 2"), obj},
        {"an OBJ coordinate beyond the floats", ModelFormat::Obj, replaced(objText, "v 1 0 0", "v 1e39 0 0"), obj},
        {"an OBJ without faces", ModelFormat::Obj, bytesOfText(objText.substr(0, objText.find("f "))), none},
        {"a PLY vertex count beyond the file", ModelFormat::Ply,
         replaced(asciiPly, "element vertex 4", "element vertex 4000000000"), ply},
        {"a binary PLY vertex count beyond the file", ModelFormat::Ply,
         replaced(std::string(binaryPly.begin(), binaryPly.end()), "element vertex 4", "element vertex 400000000"),
         ply},
        {"a binary PLY face count beyond the file", ModelFormat::Ply,
         replaced(std::string(binaryPly.begin(), binaryPly.end()), "element face 4", "element face 4000000"), ply},
        {"a PLY list beyond the file", ModelFormat::Ply, replaced(asciiPly, "3 0 2 1", "4000000000 0 2 1"), ply},
        {"a PLY corner past the vertices", ModelFormat::Ply, replaced(asciiPly, "3 0 2 1", "3 0 2 4"), ply},
        {"a NaN coordinate in a binary PLY", ModelFormat::Ply, patched(binaryPly, plyBody + 8, 0x7FC00000), ply},
        {"a binary PLY cut short", ModelFormat::Ply, cut(binaryPly, 1), ply},
        {"a PLY header without its end", ModelFormat::Ply, replaced(asciiPly, "end_header", "end_head"), ply},
        {"a PLY vertex without z", ModelFormat::Ply, replaced(asciiPly, "property float z\n", ""), ply},
        {"a PLY of another version", ModelFormat::Ply, replaced(asciiPly, "ascii 1.0", "ascii 2.0"), ply},
        {"a PLY list counted in floats", ModelFormat::Ply, replaced(asciiPly, "list uchar", "list float"), ply},
        {"a PLY of points alone", ModelFormat::Ply, replaced(asciiPly, "element face 4", "element face 0"), none},
        {"no model at all", ModelFormat::Unknown, bytesOfText("hello"),
         "Nieznany rodzaj pliku modelu!\nObsługiwane są pliki STL, OBJ i PLY."},
    };
}

TEST_F(Models, DamagedAndForgedFilesAreRefusedBeforeAnythingIsAllocated) {
    const Mesh kept = meshOf(Tetrahedron);
    const uint8_t* keptVertices = kept.vertices.get();
    for (const DamagedFile& file : damagedFiles()) {
        Mesh mesh = meshOf(Tetrahedron);
        const uint8_t* vertices = mesh.vertices.get();
        // Any allocation would fail: a refusal, not running out of memory,
        // shows that the checks came first.
        failAllocationsAfter(0);
        expectRefused(readModelBytesAs(runtime, file.format, file.bytes.data(), file.bytes.size(), mesh), file.text,
                      "Błąd");
        failAllocationsAfter(-1);
        EXPECT_EQ(mesh.vertices.get(), vertices) << file.what;
        EXPECT_EQ(mesh.triangleCount, 4u) << file.what;
    }
    EXPECT_EQ(kept.vertices.get(), keptVertices);
}

TEST_F(Models, FilesAreToldApartByTheirContentOrElseTheirName) {
    const std::vector<uint8_t> binaryStl = binaryStlOf(Tetrahedron);
    const std::vector<uint8_t> asciiStl = bytesOfText(asciiStlOf(Tetrahedron));
    const std::vector<uint8_t> obj = bytesOfText(objOf(Tetrahedron));
    const std::vector<uint8_t> asciiPly = bytesOfText(asciiPlyOf(Tetrahedron));
    const std::vector<uint8_t> binaryPly = binaryPlyOf(Tetrahedron);
    for (const std::vector<uint8_t>* bytes : {&binaryStl, &asciiStl, &obj, &asciiPly, &binaryPly}) {
        Mesh mesh;
        ASSERT_EQ(readModelBytes(runtime, bytes->data(), bytes->size(), mesh).kind, OutcomeKind::Done);
        EXPECT_EQ(mesh.triangleCount, 4u);
        EXPECT_EQ(bytesOf(render(mesh, 30, 20)), bytesOf(render(meshOf(Tetrahedron), 30, 20)));
    }
    EXPECT_EQ(modelFormatOf(binaryStl.data(), binaryStl.size()), ModelFormat::Stl);
    EXPECT_EQ(modelFormatOf(obj.data(), obj.size()), ModelFormat::Obj);
    EXPECT_EQ(modelFormatOf(binaryPly.data(), binaryPly.size()), ModelFormat::Ply);

    // A damaged file that shows no format is refused with its name's.
    const fs::path folder = fs::path(TAVRELIC_TEST_TMP) / "models";
    fs::create_directories(folder);
    const std::vector<uint8_t> forged = patched(binaryStl, 80, 0x7FFFFFFF);
    for (const char* name : {"forged.STL", "forged.dat"}) {
        std::ofstream(folder / name, std::ios::binary).write(reinterpret_cast<const char*>(forged.data()),
                                                             static_cast<std::streamsize>(forged.size()));
    }
    Mesh mesh;
    expectRefused(readModelFile(runtime, folder / "forged.STL", mesh), "Uszkodzony lub nieobsługiwany plik STL!",
                  "Błąd");
    expectRefused(readModelFile(runtime, folder / "forged.dat", mesh),
                  "Nieznany rodzaj pliku modelu!\nObsługiwane są pliki STL, OBJ i PLY.", "Błąd");
    const Outcome unopened = readModelFile(runtime, folder / "no-such-model.stl", mesh);
    EXPECT_EQ(unopened.kind, OutcomeKind::Refused);
    EXPECT_FALSE(isMessage(unopened.refusal));
}

TEST_F(Models, ReadingRunsOutOfMemoryCleanly) {
    const std::vector<uint8_t> ply = binaryPlyOf(Tetrahedron);
    for (int32_t allowed = 0; allowed < 2; ++allowed) {
        Mesh mesh = meshOf(Tetrahedron);
        failAllocationsAfter(allowed);
        EXPECT_EQ(readModelBytes(runtime, ply.data(), ply.size(), mesh).kind, OutcomeKind::OutOfMemory);
        failAllocationsAfter(-1);
        EXPECT_EQ(mesh.vertices, nullptr);
        EXPECT_EQ(mesh.triangleCount, 0u);
    }
}

// --- Raised text

struct InkBounds {
    int32_t left, right, top, bottom;
};

InkBounds inkOf(const Picture& depth) {
    InkBounds ink{depth.width, -1, depth.height, -1};
    for (int32_t y = 0; y < depth.height; ++y)
        for (int32_t x = 0; x < depth.width; ++x)
            if (depthAt(depth, x, y) != 0)
                ink = InkBounds{std::min(ink.left, x), std::max(ink.right, x), std::min(ink.top, y),
                                std::max(ink.bottom, y)};
    return ink;
}

// The depth from the distance to the nearest pixel outside the letters (or
// the picture), found by looking at every pixel near.
int plainBevelDepth(const Picture& depth, int32_t x, int32_t y) {
    if (depthAt(depth, x, y) == 0) return 0;
    int nearest = 16;
    for (int32_t dy = -4; dy <= 4; ++dy)
        for (int32_t dx = -4; dx <= 4; ++dx) {
            const int32_t px = x + dx, py = y + dy;
            const bool outside =
                px < 0 || py < 0 || px >= depth.width || py >= depth.height || depthAt(depth, px, py) == 0;
            if (outside) nearest = std::min(nearest, dx * dx + dy * dy);
        }
    return static_cast<int>(std::lround(50 * std::sqrt(nearest)));
}

TEST_F(Models, RaisedTextIsCentredAsLargeAsFitsAndBevelled) {
    const Picture depth = text("Tavrelic", 400, 150);
    const InkBounds ink = inkOf(depth);
    EXPECT_NEAR((ink.left + ink.right + 1) / 2.0, 200, 1.5);
    EXPECT_NEAR((ink.top + ink.bottom + 1) / 2.0, 75, 1.5);
    // The width is what limits it: 90 % of 400.
    EXPECT_NEAR(ink.right - ink.left + 1, 360, 3);
    EXPECT_LT(ink.bottom - ink.top + 1, 136);
    int risen = 0, full = 0;
    for (int32_t y = 0; y < depth.height; ++y)
        for (int32_t x = 0; x < depth.width; ++x) {
            ASSERT_EQ(depthAt(depth, x, y), plainBevelDepth(depth, x, y)) << x << "," << y;
            risen += depthAt(depth, x, y) > 0 && depthAt(depth, x, y) < 200;
            full += depthAt(depth, x, y) == 200;
        }
    EXPECT_GT(full, 1000);
    EXPECT_GT(risen, 1000);
}

TEST_F(Models, PolishLettersHaveGlyphsOfTheirOwn) {
    // U+10FFFD, a private use character, which no font draws: its box.
    const std::vector<uint8_t> missing = bytesOf(text("\xF4\x8F\xBF\xBD", 48, 48));
    const std::string polish[] = {"ą", "ć", "ę", "ł", "ń", "ó", "ś", "ź", "ż",
                                  "Ą", "Ć", "Ę", "Ł", "Ń", "Ó", "Ś", "Ź", "Ż"};
    const char plain[] = "acelnoszzACELNOSZZ";
    for (size_t i = 0; i < sizeof polish / sizeof polish[0]; ++i) {
        const std::vector<uint8_t> letter = bytesOf(text(polish[i], 48, 48));
        EXPECT_NE(letter, missing) << polish[i];
        EXPECT_NE(letter, bytesOf(text(std::string(1, plain[i]), 48, 48))) << polish[i];
    }
    // Lines: each centred, one under the other.
    const InkBounds lines = inkOf(text("Ż\nó\nł\nw", 300, 300));
    EXPECT_GT(lines.bottom - lines.top, lines.right - lines.left);
    EXPECT_NEAR((lines.left + lines.right + 1) / 2.0, 150, 1.5);
}

TEST_F(Models, TextThatIsNoUtf8OrEmptyIsRefused) {
    Picture depth;
    for (const char* broken : {"\xC3\x28", "\xC0\xAF", "\xED\xA0\x80", "a\xC4", "\xF4\x90\x80\x80", "\x80"})
        expectRefused(renderTextDepthMap(runtime, broken, 100, 50, depth), "Napis nie jest poprawnym tekstem UTF-8!",
                      "Błąd");
    for (const char* empty : {"", " \n\t ", "\n"})
        expectRefused(renderTextDepthMap(runtime, empty, 100, 50, depth), "Napis jest pusty!", "Uwaga!");
    expectRefused(renderTextDepthMap(runtime, "a", 100, -1, depth), "Nieprawidłowe wymiary mapy głębokości!",
                  "Uwaga!");
    EXPECT_FALSE(isPresent(depth));
    for (int32_t allowed = 0; allowed < 3; ++allowed) {
        failAllocationsAfter(allowed);
        EXPECT_EQ(renderTextDepthMap(runtime, "Ab", 100, 50, depth).kind, OutcomeKind::OutOfMemory) << allowed;
    }
}

}  // namespace
