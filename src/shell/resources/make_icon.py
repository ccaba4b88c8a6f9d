#!/usr/bin/env python3
"""Writes tavrelic.ico: one 32 x 32 image in 16 colours; and the same
picture as tavrelic.png, the icon of the Linux program's desktop entry.

The picture is a small random-dot field in greys, with the two black
convergence squares near the top that the program draws over its
stereograms, inside a dark blue frame. Run: python3 make_icon.py
"""
import random
import struct
import zlib
from pathlib import Path

SIZE = 32

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_BLUE, LIGHT_GREY, DARK_GREY, WHITE = 0, 4, 7, 8, 15


def draw():
    """Rows top first, one palette index per pixel."""
    dots = random.Random(7)
    strip = [[dots.choice((WHITE, LIGHT_GREY, DARK_GREY, BLACK)) for _ in range(8)]
             for _ in range(SIZE)]
    # Each row repeats an 8-pixel strip, shifted by one pixel inside a
    # raised square, so the icon is a tiny stereogram of its own.
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            raised = 12 <= x < 24 and 14 <= y < 26
            row.append(strip[y][(x + (1 if raised else 0)) % 8])
        rows.append(row)
    for left in (9, 19):
        for y in range(5, 9):
            for x in range(left, left + 4):
                rows[y][x] = BLACK
    for i in range(SIZE):
        for edge in (0, SIZE - 1):
            rows[edge][i] = DARK_BLUE
            rows[i][edge] = DARK_BLUE
    return rows


def icon_bytes(rows):
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    # Pixel rows bottom first, two pixels a byte, high nibble first.
    pixels = b"".join(
        bytes((row[x] << 4) | row[x + 1] for x in range(0, SIZE, 2)) for row in reversed(rows))
    # The AND mask: all zero, every pixel opaque; rows of 4 bytes.
    mask = bytes(SIZE * SIZE // 8)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, 2 * SIZE, 1, 4, 0,
                         len(pixels) + len(mask), 0, 0, 16, 0)
    image = header + palette + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def png_bytes(rows):
    """The picture as an 8-bit RGB PNG."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    # Each row starts with filter type 0 (none).
    raw = b"".join(b"\0" + b"".join(bytes(PALETTE[i]) for i in row) for row in rows)
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    rows = draw()
    for name, data in (("tavrelic.ico", icon_bytes(rows)), ("tavrelic.png", png_bytes(rows))):
        target = Path(__file__).with_name(name)
        target.write_bytes(data)
        print(f"wrote {target} ({target.stat().st_size} bytes)")
