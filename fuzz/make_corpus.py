#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/TARGET/:
fuzz_load_bmp:        a few tiny valid files of every accepted kind (BMP,
                      PNG of every colour type and depth, interlaced too,
                      and JPEG, baseline and progressive) and a few broken
                      ones;
fuzz_session:         sessions of menu commands, as fuzz_session.cpp reads
                      them: loads, generations, decodings, views, saves,
                      Preferences, an allocation that fails;
fuzz_engine_vs_plain: states as fuzz_engine_vs_plain.cpp reads them;
fuzz_tolerant_decoder: cases as fuzz_tolerant_decoder.cpp reads them;
fuzz_cli_arguments:   tavrelic-cli's command lines, right and wrong;
fuzz_model_stl,       tiny models in every way each format is read,
fuzz_model_obj,       written by samples/make_models.py (binary and ASCII
fuzz_model_ply:       STL, OBJ with every form of corner, PLY in ASCII and
                      both byte orders, with properties and elements
                      passed over);
fuzz_text_depth:      texts to raise, Polish, on lines, and not UTF-8.
    make_corpus.py [FOLDER]   (fuzz/corpus unless FOLDER)"""
import pathlib
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "samples"))
import make_models  # noqa: E402

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus"


def bmp(width, height, info_size=40, top_down=False, gap=0, bits=24, colours_used=0, palette=b""):
    stride = (width * bits // 8 + 3) // 4 * 4
    rows = bytearray()
    for y in range(height):
        row = bytes((x * 37 + y * 11 + c * 5) & 0xFF for x in range(width) for c in range(bits // 8))
        rows += row + bytes(stride - len(row))
    offset = 14 + info_size + len(palette) + gap
    size = offset + len(rows)
    info = struct.pack("<IiiHHIIiiII", info_size, width, -height if top_down else height, 1, bits, 0,
                       len(rows), 2835, 2835, colours_used, 0)
    info += bytes(info_size - 40)
    return b"BM" + struct.pack("<IHHI", size, 0, 0, offset) + info + palette + bytes(gap) + bytes(rows)


def patched(data, offset, fmt, value):
    data = bytearray(data)
    struct.pack_into(fmt, data, offset, value)
    return bytes(data)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(width, height, colour_type, depth, rows, palette=b"", transparency=b"", interlaced=False):
    """A PNG of the given raw rows (each a filter byte and its samples);
    with interlaced, the rows are those of the seven passes in order."""
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 1 if interlaced else 0)
    chunks = png_chunk(b"IHDR", header)
    if palette:
        chunks += png_chunk(b"PLTE", palette)
    if transparency:
        chunks += png_chunk(b"tRNS", transparency)
    return b"\x89PNG\r\n\x1a\n" + chunks + png_chunk(b"IDAT", zlib.compress(rows)) + png_chunk(b"IEND", b"")


def png_rows(height, row_bytes, seed):
    """Rows of filter type 0 holding a ramp that starts at `seed`."""
    return b"".join(b"\0" + bytes((seed + 7 * y + x) % 256 for x in range(row_bytes)) for y in range(height))


PNG_SEEDS = {
    "grey1_5x3.png": png(5, 3, 0, 1, png_rows(3, 1, 1)),
    "grey4_3x2.png": png(3, 2, 0, 4, png_rows(2, 2, 2)),
    "grey8_4x3.png": png(4, 3, 0, 8, png_rows(3, 4, 3)),
    "grey16_3x2.png": png(3, 2, 0, 16, png_rows(2, 6, 4)),
    "grey_alpha8_3x2.png": png(3, 2, 4, 8, png_rows(2, 6, 5)),
    "rgb8_3x2.png": png(3, 2, 2, 8, png_rows(2, 9, 6)),
    "rgba16_2x2.png": png(2, 2, 6, 16, png_rows(2, 16, 7)),
    "palette_4x2.png": png(4, 2, 3, 8, png_rows(2, 4, 0), palette=bytes(range(3 * 8)),
                           transparency=bytes((0, 128, 255))),
    # Adam7: 8 x 8 pixels of 8-bit grey in seven passes of 1, 1, 2, 2, 4, 4
    # and 8 rows of 1, 1, 1, 2, 2, 4 and 4 pixels.
    "interlaced_8x8.png": png(8, 8, 0, 8, b"".join(png_rows(rows, width, 9 * n) for n, (rows, width) in
                                                     enumerate(((1, 1), (1, 1), (1, 2), (2, 2), (2, 4), (4, 4),
                                                                (4, 8)))), interlaced=True),
    "png_truncated.png": png(4, 3, 0, 8, png_rows(3, 4, 3))[:40],
    "png_huge.png": png(100000, 100000, 0, 8, b""),
}


def jpeg_seeds():
    """Small JPEG files, baseline and progressive, grey and colour, written by
    ImageMagick when it is there (the same bytes for the same version)."""
    if shutil.which("convert") is None:
        return {}
    seeds = {}
    with tempfile.TemporaryDirectory() as folder:
        for name, options in (("baseline_colour_8x8.jpg", []), ("progressive_colour_8x8.jpg", ["-interlace", "JPEG"]),
                              ("grey_16x8.jpg", ["-colorspace", "gray"])):
            path = pathlib.Path(folder) / name
            size = "16x8" if name.startswith("grey") else "8x8"
            subprocess.run(["convert", "-size", size, "gradient:red-blue"] + options + ["-strip", "-quality", "70",
                                                                                        str(path)], check=True)
            seeds[name] = path.read_bytes()
    return seeds


SEEDS = {
    "valid_2x2.bmp": bmp(2, 2),
    "valid_3x3_padding.bmp": bmp(3, 3),
    "valid_1x5.bmp": bmp(1, 5),
    "top_down_2x3.bmp": bmp(2, 3, top_down=True),
    "v4_3x2.bmp": bmp(3, 2, info_size=108),
    "v5_gap_3x2.bmp": bmp(3, 2, info_size=124, gap=4),
    "offbits_ignored_2x2.bmp": patched(bmp(2, 2), 10, "<I", 1000),
    "eight_bit_palette.bmp": bmp(2, 2, bits=8, colours_used=2, palette=bytes(8)),
    "sixteen_bit.bmp": bmp(3, 2, bits=16),
    "thirty_two_bit.bmp": bmp(3, 2, bits=32),
    "colour_table_24bit.bmp": patched(bmp(2, 2), 46, "<I", 256),
    "compressed.bmp": patched(bmp(2, 2), 30, "<I", 1),
    "truncated.bmp": bmp(3, 3)[:-5],
    "forged_size.bmp": patched(bmp(2, 2), 2, "<I", 0xFFFFFFF0),
    "zero_width.bmp": patched(bmp(2, 2), 18, "<i", 0),
    "zero_height.bmp": patched(bmp(2, 2), 22, "<i", 0),
    "huge_width.bmp": patched(bmp(2, 2), 18, "<i", 0x7FFFFFFF),
    "huge_height.bmp": patched(bmp(2, 2), 22, "<i", -0x80000000),
    "not_bm.bmp": b"MB" + bmp(2, 2)[2:],
    "short.bmp": bmp(2, 2)[:10],
}

# The commands of a session (fuzz_session.cpp): an opcode byte, then what
# the command reads.
DEPTH_MAP, STEREOGRAM, PATTERN = 0, 1, 2


def load(kind, width, height, flags=0, greys=1, period=1, seed=1, padding=0):
    return bytes((0, kind)) + struct.pack("<H", width - 1) + \
        bytes((height - 1, flags, padding, greys - 1, period - 1)) + struct.pack("<H", seed)


def load_raw(kind, data):
    return bytes((1, kind)) + struct.pack("<H", len(data)) + data


def cancel_load(kind):
    return bytes((2, kind))


GENERATE_PATTERN, GENERATE_STEREOGRAM, DECODE, ROUND_TRIP = bytes((3,)), bytes((4,)), bytes((5,)), bytes((6,))
SAVE, SAVE_CANCELLED = bytes((8,)), bytes((9,))
ALL_VIEWS = b"".join(bytes((7, v)) for v in range(6))


def preferences(confirm, depth_bits, repeat_count, min_match, search_range, ticks):
    fields = b"".join(bytes((len(t),)) + t.encode() for t in (depth_bits, repeat_count, min_match, search_range))
    return bytes((10 if confirm else 11,)) + fields + bytes((ticks,))


def fail_allocations_after(count):
    return bytes((13, count))


SESSIONS = {
    "road": load(DEPTH_MAP, 130, 20) + GENERATE_PATTERN + GENERATE_STEREOGRAM + SAVE + DECODE + ALL_VIEWS +
    bytes((12, 0)) + SAVE,
    "widening": load(DEPTH_MAP, 131, 9, greys=4) + GENERATE_PATTERN + ALL_VIEWS + GENERATE_STEREOGRAM + SAVE,
    "loaded_stereogram": load(STEREOGRAM, 120, 6, greys=200, period=32, seed=7) + DECODE + ALL_VIEWS + SAVE,
    "loaded_pattern": load(DEPTH_MAP, 100, 8, greys=9, seed=3) + load(PATTERN, 20, 8, greys=250, seed=5) +
    GENERATE_STEREOGRAM + ALL_VIEWS + load(DEPTH_MAP, 64, 5) + GENERATE_STEREOGRAM + ALL_VIEWS,
    "headers": load(DEPTH_MAP, 33, 7, flags=2 | 4 | 8) + load(STEREOGRAM, 35, 4, flags=3 | 16) + DECODE +
    load(PATTERN, 5, 4, flags=1 | 4),
    "preferences": load(DEPTH_MAP, 200, 10, greys=3) + preferences(True, "5", "4", "3", "100", 1 | 8) +
    GENERATE_PATTERN + GENERATE_STEREOGRAM + DECODE + preferences(True, "9", "4", "", "", 3) +
    preferences(False, "2", "7", "1", "9", 12) + preferences(True, " 1x", "20", "abc", "4294967296", 2 | 12) +
    GENERATE_STEREOGRAM + DECODE + ALL_VIEWS,
    "round_trip": load(DEPTH_MAP, 60, 12, greys=2, period=9) + GENERATE_PATTERN + ROUND_TRIP + SAVE,
    "refusals": GENERATE_PATTERN + GENERATE_STEREOGRAM + DECODE + ALL_VIEWS + SAVE + SAVE_CANCELLED +
    cancel_load(PATTERN) + load(PATTERN, 4, 4) + ROUND_TRIP + bytes((14, 99, 12, 1)),
    "out_of_memory": load(DEPTH_MAP, 90, 10) + GENERATE_PATTERN + fail_allocations_after(1) +
    GENERATE_STEREOGRAM + DECODE,
    "raw_loads": b"".join(load_raw(kind, data) for kind in (DEPTH_MAP, STEREOGRAM, PATTERN)
                          for data in SEEDS.values()) + ALL_VIEWS,
}


def engine_state(width, height, repeat_count, depth_bits, flags, pattern_width, random_state, depth, pattern,
                 min_match, search_range, policy, fallback_width, stereogram=b""):
    """A state as fuzz_engine_vs_plain.cpp reads it; rasters are a run of
    bytes that the target repeats."""
    def raster(unit):
        return bytes((len(unit) - 1,)) + unit

    def count(value):
        small = value + 20
        return bytes((small,)) if 0 <= small < 256 and small % 4 else bytes((0,)) + struct.pack("<i", value)
    data = bytes(((width - 1) & 0xFF, (width - 1) >> 8, height - 1, repeat_count - 1, depth_bits - 1, flags))
    if flags & 4:
        data += bytes((pattern_width - 1,))
    data += struct.pack("<I", random_state) + raster(depth) + raster(pattern)
    data += count(min_match) + count(search_range) + bytes((policy, fallback_width + 2))
    if flags & 8:
        data += raster(stereogram)
    return data


ENGINE_STATES = {
    "flat": engine_state(300, 6, 5, 3, 2, 60, 1, bytes((0,)), bytes(range(60)), 2, 165, 0, 60),
    "spheres": engine_state(240, 8, 4, 5, 1 | 2, 60, 77, bytes((0, 0, 90, 200, 255, 200, 90, 0)),
                            bytes((1, 9, 3, 200, 17)), 2, 165, 1, 60),
    "ramp_cross_eyed": engine_state(320, 5, 6, 8, 4, 61, 5, bytes(range(0, 255, 5)), bytes((7, 3)), 1, 40, 2, 0),
    "noise": engine_state(200, 4, 5, 2, 2 | 8, 40, 9, bytes((3,)), bytes((8, 4)), 3, 300, 1, 40,
                          bytes((5, 250, 17, 99, 3, 180, 44, 2, 77, 130, 201, 66))),
}


def tolerant_case(width, height, flags, depth_bits, depth_step, min_match, search_range, rest):
    """A case as fuzz_tolerant_decoder.cpp reads it: the size, the flags
    (1 wall-eyed, 2 colour, 4 generated from a depth raster, 8 a colour
    raster, 16 and 32 the threads, 64 a stop), four numbers, then the
    raster (or the repeat count, random state and depth raster), the stop,
    the strip width's kind and the fallback width."""
    def number(value):
        small = value + 20
        return bytes((small,)) if 0 <= small < 256 and small % 4 else bytes((0,)) + struct.pack("<i", value)
    return (bytes(((width - 1) & 0xFF, (width - 1) >> 8, height - 1, flags)) + number(depth_bits) +
            number(depth_step) + number(min_match) + number(search_range) + rest)


def raster(unit):
    return bytes((len(unit) - 1,)) + unit


TOLERANT_CASES = {
    "generated": tolerant_case(200, 12, 1 | 4 | 16, 3, 32, 2, 165,
                               bytes((4,)) + struct.pack("<I", 7) + raster(bytes((0, 0, 90, 200, 255, 90))) +
                               bytes((0, 60 + 20))),
    "colour_cross_eyed": tolerant_case(160, 9, 2 | 4 | 32, 4, 16, 1, 30,
                                       bytes((5,)) + struct.pack("<I", 3) + raster(bytes(range(0, 250, 10))) +
                                       bytes((0, 20))),
    "hostile_settings": tolerant_case(97, 5, 8 | 64, 40, -3, -1, 2 ** 31 - 1,
                                      raster(bytes((9, 200, 31, 7, 77))) + bytes((2, 4, 0, 255, 255, 255, 127))),
    "strip_of_the_width": tolerant_case(64, 3, 1, 8, 1, 0, 0, raster(bytes((1, 2, 3))) + bytes((2, 21))),
}


def arguments(*words):
    """A command line as fuzz_cli_arguments takes it: the words after the
    program's name, each ended by a zero byte."""
    return b"".join(word.encode() + b"\0" for word in words)


# tavrelic-cli's arguments: each command, every option, and wrong ones.
COMMAND_LINES = {
    "generate": arguments("generate", "a.bmp", "-o", "out.bmp", "--depth-bits", "5", "--repeat", "7",
                          "--cross-eyed", "--no-random-fill", "--view", "pattern-tiled"),
    "decode": arguments("decode", "s.png", "t.jpg", "--output=out", "--min-match=3", "--search-range", "60",
                        "--unresolved", "background"),
    "batch": arguments("batch", "--pattern", "p.bmp", "a.bmp", "-o", "x", "--", "--odd-name.bmp"),
    "info": arguments("info", "a.bmp", "b.bmp"),
    "help": arguments("--help"),
    "wrong": arguments("decode", "a.bmp", "--pattern", "p.bmp", "--depth-bits", "4294967296", "--view", "x"),
}


def write(folder, files):
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in files.items():
        (folder / name).write_bytes(data)


TETRAHEDRON = make_models.mesh([(0, 0, 0), (1, 0, 0), (0, 1, 0), (0, 0, 1)], [(0, 2, 1), (0, 1, 3), (0, 3, 2), (1, 2, 3)])
CUBE = make_models.mesh(*make_models.box((-1, -1, -1), (1, 1, 1)))


def two_solids():
    first = make_models.ascii_stl(TETRAHEDRON, "first")
    return first + first.replace(b"first", b"SECOND").upper()


STL_SEEDS = {
    "tetrahedron.stl": make_models.binary_stl(TETRAHEDRON, "tetrahedron"),
    "tetrahedron_ascii.stl": make_models.ascii_stl(TETRAHEDRON, "tetrahedron"),
    "two_solids.stl": two_solids(),
    "cube_of_quads.stl": make_models.ascii_stl(CUBE, "cube").replace(
        b"    endloop\n  endfacet\n  facet normal", b"      vertex 0 0 0\n    endloop\n  endfacet\n  facet normal", 1),
}

OBJ_SEEDS = {
    "cube.obj": make_models.obj(CUBE, "cube"),
    "corners.obj": b"# every form of corner\nmtllib none.mtl\nv 0 0 0\nv 1 0 0 1\nv 0 1 0\nv 0 0 1\nvt 0 0\n"
                   b"vn 0 0 1\ng a b\nusemtl none\nf 1/1 2/1 3/1\nf 1//1 3//1 4//1\nf -4/1/1 -2/1/1 -1/1/1\n"
                   b"l 1 2\ns off\nf 2 3 4\r\n",
    "stray_vertices.obj": b"v 0 0 0\nv 1 0 0\nv 0 1 1e-20\nv 0 0 1e30\nv 1e30 0 0\nf 1 2 3\n",
}

PLY_SEEDS = {
    "tetrahedron_ascii.ply": make_models.ascii_ply(TETRAHEDRON, "tetrahedron"),
    "cube_le.ply": make_models.binary_ply(CUBE, "cube"),
    "cube_be.ply": make_models.binary_ply(CUBE, "cube", big_endian=True),
    "passed_over.ply": b"ply\r\nformat ascii 1.0\r\nobj_info a test\r\nelement material 1\r\nproperty uchar red\r\n"
                       b"element vertex 3\r\nproperty short x\r\nproperty ushort y\r\nproperty int8 z\r\n"
                       b"property list uint8 float texture\r\nelement face 1\r\nproperty uint flags\r\n"
                       b"property list int int vertex_index\r\nelement edge 1\r\nproperty list char uint16 ends\r\n"
                       b"end_header\r\n7\r\n0 0 0 0\r\n1 0 -1 2 0.5 1\r\n0 1 1 0\r\n0 3 0 1 2\r\n2 0 1\r\n",
}

TEXTS = {
    "word": "Tavrelic".encode(),
    "polish_lines": "Źdźbło\nżółwia ĄĆĘŁŃÓŚŹŻ\r\n".encode(),
    "missing_glyphs": "\u4e2d\U0010fffd\t\x7f".encode(),
    "not_utf8": b"\xc0\xaf\xed\xa0\x80",
    "empty": b"",
}

if __name__ == "__main__":
    root = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else CORPUS
    write(root / "fuzz_load_bmp", {**SEEDS, **PNG_SEEDS, **jpeg_seeds()})
    write(root / "fuzz_session", SESSIONS)
    write(root / "fuzz_engine_vs_plain", ENGINE_STATES)
    write(root / "fuzz_tolerant_decoder", TOLERANT_CASES)
    write(root / "fuzz_cli_arguments", COMMAND_LINES)
    write(root / "fuzz_model_stl", STL_SEEDS)
    write(root / "fuzz_model_obj", OBJ_SEEDS)
    write(root / "fuzz_model_ply", PLY_SEEDS)
    write(root / "fuzz_text_depth", TEXTS)
