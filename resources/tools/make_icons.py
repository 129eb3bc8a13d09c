#!/usr/bin/env python3
"""Draws the program's two icons and writes them as .ico files.

Both are 32 x 32 pixels in the standard 16-colour palette, fully opaque: a text caret
(an I-beam) in black with a small dark-red block under it and a dark-red dotted focus
underline, on white. The disabled icon is the same drawing moved down, so that only its
top rises above the bottom edge.

    python3 resources/tools/make_icons.py            # rewrites resources/*.ico
    python3 resources/tools/make_icons.py --check    # fails if the files are not current

The .ico files are kept in the repository, so building needs no Python.
"""

import argparse
import pathlib
import struct
import sys

SIZE = 32
# How far the disabled picture sinks: the drawing starts at row 3, so 8 of its rows
# (the top bar of the I-beam and the top of its stem) stay above the bottom edge.
DISABLED_SHIFT = 21

# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK = 0
DARK_RED = 1
WHITE = 15


def draw_caret():
    """The enabled picture, as rows of palette indices, top row first."""
    pixels = [[WHITE] * SIZE for _ in range(SIZE)]

    def fill(left, top, right, bottom, colour):
        for y in range(top, bottom):
            for x in range(left, right):
                pixels[y][x] = colour

    fill(11, 3, 21, 5, BLACK)      # top bar of the I-beam
    fill(15, 5, 17, 19, BLACK)     # stem
    fill(11, 19, 21, 21, BLACK)    # bottom bar
    fill(12, 23, 20, 26, DARK_RED)  # the block under the caret
    for x in range(4, 28, 2):      # dotted focus underline
        fill(x, 28, x + 1, 30, DARK_RED)
    return pixels


def shifted_down(pixels, rows):
    blank = [[WHITE] * SIZE for _ in range(rows)]
    return blank + [row[:] for row in pixels[:SIZE - rows]]


def ico_bytes(pixels):
    """A one-image .ico: 4 bits per pixel, bottom-up rows, an all-zero AND mask."""
    xor_row_bytes = SIZE // 2           # two pixels a byte; 16 is already a multiple of 4
    and_row_bytes = ((SIZE + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(pixels):
        for x in range(0, SIZE, 2):
            xor.append((row[x] << 4) | row[x + 1])
    and_mask = bytes(and_row_bytes * SIZE)  # zero: every pixel opaque
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image_size = len(xor) + len(and_mask)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, image_size, 0, 0, 16, 0)
    image = header + palette + bytes(xor) + and_mask
    assert len(xor) == xor_row_bytes * SIZE
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare with the files instead of writing them")
    arguments = parser.parse_args()

    folder = pathlib.Path(__file__).resolve().parent.parent
    caret = draw_caret()
    icons = {
        "enabled.ico": ico_bytes(caret),
        "disabled.ico": ico_bytes(shifted_down(caret, DISABLED_SHIFT)),
    }
    stale = []
    for name, data in icons.items():
        path = folder / name
        if arguments.check:
            if not path.exists() or path.read_bytes() != data:
                stale.append(name)
        else:
            path.write_bytes(data)
    if stale:
        print("not current: " + ", ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
