#!/usr/bin/env python3
"""Writes resources/counter_glyphs.r: the info panel counter's one-bit images ('BYBM'):
the key-signature sharp (160, 13 high) and flat (161, 16 high), and the meter digits 0-9
(170-179, 12 high, 9 wide with a blank column at the right).

Run from the repository's top folder: tools/make_counter_glyphs.py
"""
import struct

SHARP = [
    "..#..#.",
    "..#..#.",
    "..#..##",
    "..####.",
    "###..#.",
    "..#..#.",
    "..#..##",
    "..####.",
    "###..#.",
    "..#..#.",
    "..#..#.",
    ".....#.",
    ".....#.",
]

FLAT = [
    "#.....",
    "#.....",
    "#.....",
    "#.....",
    "#.....",
    "#.....",
    "#.....",
    "#.###.",
    "##...#",
    "#....#",
    "#....#",
    "#...#.",
    "#..#..",
    "#.#...",
    "##....",
    "#.....",
]

# Seven segments drawn two pixels thick in an 8 x 12 cell: a top, b top right, c bottom right,
# d bottom, e bottom left, f top left, g middle.
SEGMENTS = {
    "0": "abcdef", "1": "bc", "2": "abged", "3": "abgcd", "4": "fgbc",
    "5": "afgcd", "6": "afgedc", "7": "abc", "8": "abcdefg", "9": "abcdfg",
}


def digit_rows(ch):
    w, h = 9, 12
    grid = [[0] * w for _ in range(h)]

    def fill(top, left, bottom, right):
        for y in range(top, bottom):
            for x in range(left, right):
                grid[y][x] = 1

    on = SEGMENTS[ch]
    if "a" in on: fill(0, 1, 2, 7)
    if "g" in on: fill(5, 1, 7, 7)
    if "d" in on: fill(10, 1, 12, 7)
    if "f" in on: fill(0, 0, 6, 2)
    if "b" in on: fill(0, 6, 6, 8)
    if "e" in on: fill(6, 0, 12, 2)
    if "c" in on: fill(6, 6, 12, 8)
    return grid


def rows_of(picture):
    return [[1 if c == "#" else 0 for c in line] for line in picture]


def bybm(rows):
    h, w = len(rows), len(rows[0])
    row_bytes = ((w + 15) // 16) * 2
    out = struct.pack(">Ih", 0, row_bytes) + struct.pack(">4h", 0, 0, h, w)
    for row in rows:
        bits = bytearray(row_bytes)
        for x, on in enumerate(row):
            if on:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bytes(bits)
    return out


def resource(rid, comment, data):
    hexed = data.hex()
    lines = ['  hex "%s"' % hexed[i:i + 64] for i in range(0, len(hexed), 64)]
    return "# %s\nresource 'BYBM' %d {\n%s\n}\n" % (comment, rid, "\n".join(lines))


def main():
    parts = ["# The info panel counter's images, written by tools/make_counter_glyphs.py: the\n"
             "# key-signature accidentals and the meter's digits. Edit the script, not this file.\n"]
    parts.append(resource(160, "key-signature sharp", bybm(rows_of(SHARP))))
    parts.append(resource(161, "key-signature flat", bybm(rows_of(FLAT))))
    for d in range(10):
        parts.append(resource(170 + d, "meter digit %d" % d, bybm(digit_rows(str(d)))))
    with open("resources/counter_glyphs.r", "w") as f:
        f.write("\n".join(parts))


if __name__ == "__main__":
    main()
