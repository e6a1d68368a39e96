#!/usr/bin/env python3
"""Writes resources/keyboard_icons.r: the keyboard drawn left of the note rows, one octave.

Run from anywhere:  python3 resources/appearance/make_keyboard_icons.py
'cicn' 27 is the octave at note zoom 0 (28 by 38 pixels, the key column's width and the octave
height); 'cicn' 270 + level - 1 is the octave at note zoom levels 1..10, drawn at that level's
octave height so that the keys meet the rows exactly. Row tops within the octave follow the
note rows (B at the top, C at the bottom), scaled as the note view scales them.
"""
import os

from make_appearance import Canvas, cicn, resource

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "keyboard_icons.r")

BASE_ID = 27
WIDTH = 28
BLACK_KEY_WIDTH = 17
NUMERATORS = [1, 5, 6, 7, 2, 9, 10, 11, 3, 7, 4]
DENOMINATORS = [1, 4, 4, 4, 1, 4, 4, 4, 1, 2, 1]
BOUNDARIES = [1, 4, 7, 10, 13, 16, 19, 23, 26, 29, 32, 35]
BLACK_ROWS = {1, 3, 5, 8, 10}  # A#, G#, F#, D#, C# counted from B at the top
# white, outline, black key, key shade
PALETTE = [0xFFFFFF, 0x000000, 0x202428, 0xD8DCE0] + [0x000000] * 12


def scale(value, num, den):
    return (2 * value * num + den) // (2 * den)


def octave(level):
    num, den = NUMERATORS[level], DENOMINATORS[level]
    height = scale(38, num, den)
    tops = [scale(b, num, den) for b in BOUNDARIES] + [height + scale(1, num, den)]
    c = Canvas(WIDTH, height)
    c.rect(0, 0, WIDTH, height, 1)  # a white key everywhere, then the lines and black keys
    c.rect(0, 0, WIDTH - 1, height, 0)
    c.rect(WIDTH - 4, 0, WIDTH - 1, height, 3)
    # White key edges: in the middle of each black key and at the E-F and B-C steps.
    for row in range(12):
        if row in BLACK_ROWS:
            y = (tops[row] + tops[row + 1]) // 2
            c.rect(BLACK_KEY_WIDTH, y, WIDTH - 1, y + 1, 1)
        elif row in (0, 7):  # the tops of B and E
            c.rect(0, tops[row], WIDTH - 1, tops[row] + 1, 1)
    for row in BLACK_ROWS:
        c.rect(0, tops[row], BLACK_KEY_WIDTH, tops[row + 1], 2)
    return c


def main():
    parts = ["# The keyboard column of the note panes, one octave a picture, at each note zoom. Written\n"
             "# by resources/appearance/make_keyboard_icons.py; edit that script, not this file.\n"]
    parts.append(resource("cicn", BASE_ID, None, cicn(octave(0), PALETTE), "keyboard octave, zoom 0"))
    for level in range(1, 11):
        parts.append(resource("cicn", BASE_ID * 10 + level - 1, None, cicn(octave(level), PALETTE),
                              "keyboard octave, zoom %d" % level))
    with open(OUT, "w") as f:
        f.write("\n".join(parts))


if __name__ == "__main__":
    main()
