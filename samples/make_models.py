#!/usr/bin/env python3
"""Writes the sample 3D models, from which the program draws depth maps:
    make_models.py [--every-format] FOLDER
torus.stl              a torus lying face on (binary STL)
kostka-na-plycie.stl   a cube standing on a plate (binary STL)
torus.obj              the torus again, its faces as quadrilaterals (OBJ)
kostka-na-plycie.ply   the cube on the plate, quadrilaterals (binary PLY)
With --every-format, also the torus in each other way the program reads it:
torus-ascii.stl, torus-ascii.ply, torus-le.ply (binary little-endian, with a
property the program passes over) and torus-be.ply (binary big-endian, with
doubles). Every file of one model holds the same vertices (as 32-bit
floats, written in full in the text formats) and the same triangles, a
quadrilateral a, b, c, d being the triangles a, b, c and a, c, d, so that
each draws the same depth map. Python 3's standard library alone."""
import math
import pathlib
import struct
import sys


def single(value):
    """The value as a 32-bit float holds it."""
    return struct.unpack("<f", struct.pack("<f", value))[0]


def mesh(vertices, faces):
    return ([tuple(single(c) for c in v) for v in vertices], [tuple(f) for f in faces])


def torus(major=1.0, minor=0.35, around=48, across=24):
    """In the X/Y plane, facing +Z (towards whoever looks at it)."""
    vertices = []
    for i in range(around):
        u = 2 * math.pi * i / around
        for j in range(across):
            v = 2 * math.pi * j / across
            ring = major + minor * math.cos(v)
            vertices.append((ring * math.cos(u), ring * math.sin(u), minor * math.sin(v)))
    faces = []
    for i in range(around):
        for j in range(across):
            a = i * across + j
            b = ((i + 1) % around) * across + j
            c = ((i + 1) % around) * across + (j + 1) % across
            d = i * across + (j + 1) % across
            faces.append((a, b, c, d))
    return mesh(vertices, faces)


def box(low, high, first=0):
    """The six faces of an axis-aligned box, outward, numbered from `first`."""
    (x0, y0, z0), (x1, y1, z1) = low, high
    vertices = [(x0, y0, z0), (x1, y0, z0), (x1, y1, z0), (x0, y1, z0),
                (x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)]
    faces = [(0, 3, 2, 1), (4, 5, 6, 7), (0, 1, 5, 4), (2, 3, 7, 6), (1, 2, 6, 5), (3, 0, 4, 7)]
    return vertices, [tuple(first + i for i in f) for f in faces]


def cube_on_plate():
    """A plate 4 x 3, 0.2 thick, its top at z = 0, and on it a cube of 1.2."""
    plate_vertices, plate_faces = box((-2.0, -1.5, -0.2), (2.0, 1.5, 0.0))
    cube_vertices, cube_faces = box((-0.6, -0.6, 0.0), (0.6, 0.6, 1.2), len(plate_vertices))
    return mesh(plate_vertices + cube_vertices, plate_faces + cube_faces)


def triangles(model):
    """Each face as a fan from its first corner."""
    vertices, faces = model
    for face in faces:
        for k in range(1, len(face) - 1):
            yield vertices[face[0]], vertices[face[k]], vertices[face[k + 1]]


def normal(a, b, c):
    u = [b[i] - a[i] for i in range(3)]
    v = [c[i] - a[i] for i in range(3)]
    n = (u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0])
    length = math.sqrt(sum(x * x for x in n)) or 1.0
    return tuple(x / length for x in n)


def binary_stl(model, name):
    tris = list(triangles(model))
    header = ("Tavrelic sample: " + name).encode("ascii").ljust(80, b" ")
    out = bytearray(header + struct.pack("<I", len(tris)))
    for a, b, c in tris:
        out += struct.pack("<12fH", *normal(a, b, c), *a, *b, *c, 0)
    return bytes(out)


def number(value):
    """In full: read back as a double and then as a float, the same float."""
    return repr(float(value))


def ascii_stl(model, name):
    lines = ["solid " + name]
    for a, b, c in triangles(model):
        lines.append("  facet normal " + " ".join(number(x) for x in normal(a, b, c)))
        lines.append("    outer loop")
        for corner in (a, b, c):
            lines.append("      vertex " + " ".join(number(x) for x in corner))
        lines.append("    endloop")
        lines.append("  endfacet")
    lines.append("endsolid " + name)
    return ("\n".join(lines) + "\n").encode("ascii")


def obj(model, name):
    vertices, faces = model
    lines = ["# Tavrelic sample: " + name, "o " + name]
    lines += ["v " + " ".join(number(x) for x in v) for v in vertices]
    lines += ["f " + " ".join(str(i + 1) for i in f) for f in faces]
    return ("\n".join(lines) + "\n").encode("ascii")


def ascii_ply(model, name):
    vertices, faces = model
    lines = ["ply", "format ascii 1.0", "comment Tavrelic sample: " + name,
             "element vertex %d" % len(vertices),
             "property float x", "property float y", "property float z",
             "element face %d" % len(faces),
             "property list uchar int vertex_indices", "end_header"]
    lines += [" ".join(number(x) for x in v) for v in vertices]
    lines += [" ".join(str(x) for x in (len(f),) + f) for f in faces]
    return ("\n".join(lines) + "\n").encode("ascii")


def binary_ply(model, name, big_endian=False):
    """Little-endian: floats, and a grey per vertex that the program passes
    over. Big-endian: doubles, and counts and indices as uint."""
    vertices, faces = model
    order = ">" if big_endian else "<"
    if big_endian:
        vertex_properties = ["property double x", "property double y", "property double z"]
        face_property = "property list uint uint vertex_indices"
        vertex_format, count_format, index_format = "ddd", "I", "I"
    else:
        vertex_properties = ["property float x", "property float y", "property float z", "property uchar grey"]
        face_property = "property list uchar int vertex_indices"
        vertex_format, count_format, index_format = "fffB", "B", "i"
    header = ["ply", "format binary_%s_endian 1.0" % ("big" if big_endian else "little"),
              "comment Tavrelic sample: " + name, "element vertex %d" % len(vertices)]
    header += vertex_properties + ["element face %d" % len(faces), face_property, "end_header"]
    out = bytearray(("\n".join(header) + "\n").encode("ascii"))
    for v in vertices:
        out += struct.pack(order + vertex_format, *v, *(() if big_endian else (128,)))
    for f in faces:
        out += struct.pack(order + count_format + index_format * len(f), len(f), *f)
    return bytes(out)


MODELS = {"torus": torus, "kostka-na-plycie": cube_on_plate}

SAMPLES = [
    ("torus.stl", "torus", binary_stl),
    ("kostka-na-plycie.stl", "kostka-na-plycie", binary_stl),
    ("torus.obj", "torus", obj),
    ("kostka-na-plycie.ply", "kostka-na-plycie", binary_ply),
]

EVERY_FORMAT = [
    ("torus-ascii.stl", "torus", ascii_stl),
    ("torus-ascii.ply", "torus", ascii_ply),
    ("torus-le.ply", "torus", binary_ply),
    ("torus-be.ply", "torus", lambda model, name: binary_ply(model, name, big_endian=True)),
]

if __name__ == "__main__":
    arguments = sys.argv[1:]
    every_format = "--every-format" in arguments
    arguments = [a for a in arguments if a != "--every-format"]
    if len(arguments) != 1:
        sys.exit("usage: make_models.py [--every-format] FOLDER")
    folder = pathlib.Path(arguments[0])
    folder.mkdir(parents=True, exist_ok=True)
    for file_name, model, write in SAMPLES + (EVERY_FORMAT if every_format else []):
        (folder / file_name).write_bytes(write(MODELS[model](), model))
