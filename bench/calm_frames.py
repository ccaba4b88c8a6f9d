#!/usr/bin/env python3
"""The calm-frames table: for animated PNG files made from one sequence of
depth maps, the share of pixels that change between consecutive frames, in
the rows where the depth differs from the frame before (where the motion
is) and in the rows where it does not.
    calm_frames.py DEPTH.bmp... -- ANIMATION.png...
The depth maps are 24-bit BMP files as tavrelic_bench writes them; the
animations are read here with zlib, unfiltered rows as tavrelic-cli writes
them. Python 3's standard library alone."""
import struct
import sys
import zlib


def bmp_rows(file_name):
    data = open(file_name, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height = struct.unpack_from("<ii", data, 18)
    stride = (3 * width + 3) // 4 * 4
    rows = [data[offset + r * stride:offset + r * stride + 3 * width] for r in range(abs(height))]
    return rows if height < 0 else rows[::-1]


def chunks(data):
    at = 8
    while at < len(data):
        length, kind = struct.unpack_from(">I4s", data, at)
        yield kind, data[at + 8:at + 8 + length]
        at += 12 + length


def apng_frames(file_name):
    """Each frame's rows, top first, as bytes; frames must cover the picture."""
    frames, width, height, channels = [], 0, 0, 1
    for kind, body in chunks(open(file_name, "rb").read()):
        if kind == b"IHDR":
            width, height, _, colour = struct.unpack_from(">IIBB", body)
            channels = 3 if colour == 2 else 1
        elif kind == b"fcTL":
            frames.append(bytearray())
        elif kind == b"IDAT" and frames:
            frames[-1] += body
        elif kind == b"fdAT":
            frames[-1] += body[4:]
    stride = 1 + channels * width
    decoded = []
    for frame in frames:
        pixels = zlib.decompress(bytes(frame))
        rows = [pixels[r * stride:(r + 1) * stride] for r in range(height)]
        if any(row[0] != 0 for row in rows):
            sys.exit("%s: a row is filtered; this table reads unfiltered rows" % file_name)
        decoded.append([row[1:] for row in rows])
    return decoded


def changed_share(before, after, rows):
    changed = total = 0
    for r in rows:
        a, b = before[r], after[r]
        total += len(a)
        changed += sum(1 for x, y in zip(a, b) if x != y)
    return changed / total if total else 0.0


def main(arguments):
    split = arguments.index("--")
    depths = [bmp_rows(name) for name in arguments[:split]]
    print("Calm frames: the share of pixels that change between consecutive frames of a sphere")
    print("crossing a 640x480 picture (%d frames), in rows the motion touches and in rows it does not" % len(depths))
    print("%-44s %14s %14s" % ("animation", "touched rows", "other rows"))
    for name in arguments[split + 1:]:
        frames = apng_frames(name)
        if len(frames) != len(depths):
            sys.exit("%s has %d frames for %d depth maps" % (name, len(frames), len(depths)))
        touched = other = 0.0
        for i in range(1, len(frames)):
            moving = [r for r in range(len(depths[i])) if depths[i][r] != depths[i - 1][r]]
            still = [r for r in range(len(depths[i])) if depths[i][r] == depths[i - 1][r]]
            touched += changed_share(frames[i - 1], frames[i], moving)
            other += changed_share(frames[i - 1], frames[i], still)
        pairs = len(frames) - 1
        label = "with --fresh-dots" if "fresh" in name else "as made (every frame from the same start)"
        print("%-44s %13.1f%% %13.1f%%" % (label, 100 * touched / pairs, 100 * other / pairs))


if __name__ == "__main__":
    main(sys.argv[1:])
