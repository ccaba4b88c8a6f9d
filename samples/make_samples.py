#!/usr/bin/env python3
"""Writes the sample depth maps of the package as 24-bit grey BMP files:
    make_samples.py FOLDER
kule-640x480.bmp      three spheres over flat ground
rampa-640x480.bmp     a slope that rises from left to right, with a step
napis-640x480.bmp     raised block letters (SIRDS) on flat ground
kule-1920x1080.bmp    the spheres at full HD
Lighter is nearer; black is the ground, from which the program finds the
strip width when it decodes. With --moving-sphere, instead:
    make_samples.py --moving-sphere FOLDER
kula-01.bmp ... kula-08.bmp   a sphere crossing a 320x200 picture, the
                              frames of an animation"""
import math
import pathlib
import struct
import sys


def bmp(width, height, depth):
    """A bottom-up 24-bit BMP of grey pixels; depth(x, y) gives 0..255."""
    stride = (3 * width + 3) // 4 * 4
    rows = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            grey = depth(x, y)
            row += bytes((grey, grey, grey))
        rows += row + bytes(stride - len(row))
    header = b"BM" + struct.pack("<IHHI", 54 + len(rows), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    return header + info + bytes(rows)


def spheres(width, height):
    balls = [(0.28, 0.55, 0.30), (0.62, 0.35, 0.22), (0.75, 0.72, 0.18)]

    def depth(x, y):
        value = 0.0
        for cx, cy, r in balls:
            dx = (x - cx * width) / (r * height)
            dy = (y - cy * height) / (r * height)
            d2 = dx * dx + dy * dy
            if d2 < 1:
                value = max(value, 255 * math.sqrt(1 - d2))
        return int(value + 0.5)
    return depth


def moving_sphere(index, count, width=320, height=200):
    radius = height / 4
    centre_x = radius + (width - 2 * radius) * index / (count - 1)

    def depth(x, y):
        dx = (x + 0.5 - centre_x) / radius
        dy = (y + 0.5 - height / 2) / radius
        inside = 1 - dx * dx - dy * dy
        return int(64 + 191 * math.sqrt(inside)) if inside > 0 else 0
    return depth


def ramp(width, height):
    def depth(x, y):
        value = 255 * x / (width - 1)
        if height // 3 <= y < 2 * height // 3 and width // 3 <= x < 2 * width // 3:
            value = min(255, value + 64)
        return int(value)
    return depth


# 5 x 7 block letters, one string a row, "#" raised.
LETTERS = {
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "I": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "#####"],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
}


def lettering(width, height, text="SIRDS"):
    # The first strip (a fifth of the width) is the pattern itself: the
    # letters keep out of it, and out of the last one.
    cell = min((width - 2 * (width // 5)) // (6 * len(text)), height // 12)
    left = (width - 6 * cell * len(text)) // 2
    top = (height - 7 * cell) // 2

    def depth(x, y):
        column, row = (x - left) // cell, (y - top) // cell
        if not (0 <= row < 7 and 0 <= column < 6 * len(text)):
            return 0
        letter, inside = text[column // 6], column % 6
        if inside == 5 or letter not in LETTERS:
            return 0
        return 200 if LETTERS[letter][row][inside] == "#" else 0
    return depth


SAMPLES = [
    ("kule-640x480.bmp", 640, 480, spheres),
    ("rampa-640x480.bmp", 640, 480, ramp),
    ("napis-640x480.bmp", 640, 480, lettering),
    ("kule-1920x1080.bmp", 1920, 1080, spheres),
]

FRAMES = 8

if __name__ == "__main__":
    moving = sys.argv[1] == "--moving-sphere"
    folder = pathlib.Path(sys.argv[2] if moving else sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    if moving:
        for i in range(FRAMES):
            (folder / ("kula-%02d.bmp" % (i + 1))).write_bytes(bmp(320, 200, moving_sphere(i, FRAMES)))
    else:
        for name, width, height, shape in SAMPLES:
            (folder / name).write_bytes(bmp(width, height, shape(width, height)))
