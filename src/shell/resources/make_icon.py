#!/usr/bin/env python3
"""Draws the program's icon from one vector picture and writes it as:

  icons/tavrelic.svg          the scalable icon of the Linux desktop;
  icons/tavrelic-N.png        rendered at N x N pixels, N = 16, 32, 48, 64,
                              128 and 256 (the 32 one is also the Linux
                              program's window icon);
  tavrelic.ico                32 x 32 in 16 colours, for the Windows program.

The picture is a small random-dot field in greys, with the two black
convergence squares near the top that the program draws over its
stereograms, inside a dark blue frame: layers of filled rectangles on a
32 x 32 grid, each layer in one colour of the standard 16-colour palette.
So at 32 x 32 every pixel is one palette colour, which is what the .ico
needs; the other sizes give each pixel the colours of the picture it
covers, weighted by area.

Run: python3 make_icon.py [FOLDER] (beside this script unless FOLDER; the
package test draws into a folder of its own and compares).
"""
import random
import struct
import sys
import zlib
from pathlib import Path

GRID = 32
PNG_SIZES = (16, 32, 48, 64, 128, 256)

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, DARK_BLUE, LIGHT_GREY, DARK_GREY, WHITE = 0, 4, 7, 8, 15
DOT_COLOURS = (WHITE, LIGHT_GREY, DARK_GREY, BLACK)


def layers():
    """The picture: (palette index, [(x, y, width, height), ...]) in the
    order they are painted; the rectangles of one layer do not overlap."""
    dots = random.Random(7)
    strip = [[dots.choice(DOT_COLOURS) for _ in range(8)] for _ in range(GRID)]
    # Each row repeats an 8-cell strip, shifted by one cell inside a raised
    # square, so the icon is a tiny stereogram of its own. A row's runs of
    # one colour are one rectangle each.
    field = {colour: [] for colour in DOT_COLOURS}
    for y in range(GRID):
        row = [strip[y][(x + (1 if 12 <= x < 24 and 14 <= y < 26 else 0)) % 8] for x in range(GRID)]
        start = 0
        for x in range(1, GRID + 1):
            if x == GRID or row[x] != row[start]:
                field[row[start]].append((start, y, x - start, 1))
                start = x
    squares = [(left, 5, 4, 4) for left in (9, 19)]
    frame = [(0, 0, GRID, 1), (0, GRID - 1, GRID, 1), (0, 1, 1, GRID - 2), (GRID - 1, 1, 1, GRID - 2)]
    return ([(colour, field[colour]) for colour in DOT_COLOURS] +
            [(BLACK, squares), (DARK_BLUE, frame)])


def grid_cells(picture):
    """The picture on its grid: rows top first, one palette index a cell."""
    cells = [[None] * GRID for _ in range(GRID)]
    for colour, rects in picture:
        for x, y, width, height in rects:
            for row in cells[y:y + height]:
                row[x:x + width] = [colour] * width
    assert all(None not in row for row in cells), "the picture leaves cells unpainted"
    return cells


def render(cells, size):
    """Rows of (red, green, blue) at size x size: each pixel the average of
    the cells it covers, weighted by the area it covers of each."""
    # Pixel i spans [i * GRID, (i + 1) * GRID) and cell c spans
    # [c * size, (c + 1) * size), in units of 1 / (size * GRID) of the side.
    def spans(i):
        return [(c, min((i + 1) * GRID, (c + 1) * size) - max(i * GRID, c * size))
                for c in range(i * GRID // size, min(GRID, ((i + 1) * GRID - 1) // size + 1))]
    area = GRID * GRID
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0]
            for cy, wy in spans(py):
                for cx, wx in spans(px):
                    colour = PALETTE[cells[cy][cx]]
                    for k in range(3):
                        total[k] += colour[k] * wx * wy
            row.append(tuple((t + area // 2) // area for t in total))
        rows.append(row)
    return rows


def svg_text(picture):
    """The picture as SVG: one path a layer, on a 32 x 32 view box."""
    lines = ['<?xml version="1.0" encoding="UTF-8"?>',
             f'<svg xmlns="http://www.w3.org/2000/svg" width="{GRID}" height="{GRID}" '
             f'viewBox="0 0 {GRID} {GRID}">']
    for colour, rects in picture:
        path = "".join(f"M{x} {y}h{width}v{height}h-{width}z" for x, y, width, height in rects)
        lines.append('<path fill="#{:02x}{:02x}{:02x}" d="{}"/>'.format(*PALETTE[colour], path))
    lines.append("</svg>")
    return "\n".join(lines) + "\n"


def icon_bytes(cells):
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    # Pixel rows bottom first, two pixels a byte, high nibble first.
    pixels = b"".join(
        bytes((row[x] << 4) | row[x + 1] for x in range(0, GRID, 2)) for row in reversed(cells))
    # The AND mask: all zero, every pixel opaque; rows of 4 bytes.
    mask = bytes(GRID * GRID // 8)
    header = struct.pack("<IiiHHIIiiII", 40, GRID, 2 * GRID, 1, 4, 0,
                         len(pixels) + len(mask), 0, 0, 16, 0)
    image = header + palette + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", GRID, GRID, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def png_bytes(rows):
    """Rows of (red, green, blue) as an 8-bit RGB PNG."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    # Each row starts with filter type 0 (none).
    raw = b"".join(b"\0" + b"".join(bytes(pixel) for pixel in row) for row in rows)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    picture = layers()
    cells = grid_cells(picture)
    files = [("tavrelic.ico", icon_bytes(cells)),
             ("icons/tavrelic.svg", svg_text(picture).encode())]
    files += [(f"icons/tavrelic-{size}.png", png_bytes(render(cells, size))) for size in PNG_SIZES]
    for name, data in files:
        target = folder / name
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_bytes(data)
        print(f"wrote {target} ({len(data)} bytes)")
