#!/usr/bin/env python3
"""Writes the seed corpus of the BMP loader's fuzz target into fuzz/corpus/fuzz_load_bmp/:
a few tiny valid files of every accepted kind and a few broken ones."""
import pathlib
import struct

CORPUS = pathlib.Path(__file__).resolve().parent / "corpus" / "fuzz_load_bmp"


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


SEEDS = {
    "valid_2x2.bmp": bmp(2, 2),
    "valid_3x3_padding.bmp": bmp(3, 3),
    "valid_1x5.bmp": bmp(1, 5),
    "top_down_2x3.bmp": bmp(2, 3, top_down=True),
    "v4_3x2.bmp": bmp(3, 2, info_size=108),
    "v5_gap_3x2.bmp": bmp(3, 2, info_size=124, gap=4),
    "offbits_ignored_2x2.bmp": patched(bmp(2, 2), 10, "<I", 1000),
    "eight_bit_palette.bmp": bmp(2, 2, bits=8, colours_used=2, palette=bytes(8)),
    "colour_table_24bit.bmp": patched(bmp(2, 2), 46, "<I", 256),
    "compressed.bmp": patched(bmp(2, 2), 30, "<I", 1),
    "truncated.bmp": bmp(3, 3)[:-5],
    "forged_size.bmp": patched(bmp(2, 2), 2, "<I", 0xFFFFFFF0),
    "zero_width.bmp": patched(bmp(2, 2), 18, "<i", 0),
    "huge_height.bmp": patched(bmp(2, 2), 22, "<i", -0x80000000),
    "not_bm.bmp": b"MB" + bmp(2, 2)[2:],
    "short.bmp": bmp(2, 2)[:10],
}

if __name__ == "__main__":
    CORPUS.mkdir(parents=True, exist_ok=True)
    for name, data in SEEDS.items():
        (CORPUS / name).write_bytes(data)
