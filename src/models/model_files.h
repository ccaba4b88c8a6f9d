// Reading 3D models into a mesh: STL (binary and ASCII), OBJ (triangles and
// polygons, made into fans; materials, normals and texture coordinates are
// not read) and PLY (ASCII, binary little- and big-endian: the x, y, z of
// the vertex element, of any numeric type, and the vertex_indices list of
// the face element; every other property and element is passed over).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include "models/mesh.h"
#include "picture/outcome.h"

enum class ModelFormat : uint8_t { Unknown, Stl, Obj, Ply };

// The format the bytes show: binary STL by its length (84 bytes and 50 a
// triangle, as its count says), ASCII STL by "solid" at its start, PLY by
// "ply" on its first line, OBJ by a vertex line ("v x y z"); Unknown
// otherwise.
ModelFormat modelFormatOf(const uint8_t* bytes, size_t size);

// The format a file's name ends in (.stl, .obj, .ply, in any case).
ModelFormat modelFormatNamed(const std::filesystem::path& fileName);

// Reads the bytes as a model of the given format. Once the file's checks
// have passed, `mesh` is replaced (released first, so that after running
// out of memory it is absent); a refusal changes nothing. Refused with
// "Uszkodzony lub nieobsługiwany plik STL!" (OBJ, PLY) when the bytes are
// not a whole file of the format, a count says more than the file holds, a
// coordinate is not finite or a vertex number is out of range; with "Model
// nie ma żadnej ściany!" when it has no triangle; with "Model jest zbyt
// duży, by go wczytać!" beyond 2^31 - 1 vertices or triangles; and with
// "Nieznany rodzaj pliku modelu!..." for ModelFormat::Unknown. Caption
// "Błąd". Nothing is allocated before the whole file has been walked.
Outcome readModelBytesAs(Runtime& runtime, ModelFormat format, const uint8_t* bytes, size_t size, Mesh& mesh);

// The same, in the format the content shows.
Outcome readModelBytes(Runtime& runtime, const uint8_t* bytes, size_t size, Mesh& mesh);

// Reads a model file in the format its content shows, or, when it shows
// none, the format its name ends in, so that a damaged file is refused with
// its format's text. Refused silently when the file cannot be opened, and
// with "Model jest zbyt duży, by go wczytać!" beyond 4 GiB.
Outcome readModelFile(Runtime& runtime, const std::filesystem::path& fileName, Mesh& mesh);
