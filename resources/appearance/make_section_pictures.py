#!/usr/bin/env python3
"""Writes resources/section_markers.r: the markers of a track's sections along a pane's top.

Run from anywhere:  python3 resources/appearance/make_section_pictures.py
'PICT' 456 marks a section's start (a bar at its left edge with a flag pointing right),
'PICT' 457 its end (a bar at its right edge with a flag pointing left); both 18 by 14.
"""
import os

from make_appearance import Picture, resource

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "section_markers.r")

BAR, FLAG, EDGE = 0x1F3A68, 0x4F86C6, 0x14284A
WIDTH, HEIGHT = 18, 14


def marker(pointing_right):
    p = Picture(0, 0, HEIGHT, WIDTH)
    bar = 0 if pointing_right else WIDTH - 3
    p.paint(0, bar, HEIGHT, bar + 3, BAR)
    # The flag: rows narrowing from the bar towards its point.
    for row in range(9):
        reach = 12 - abs(row - 4) * 3
        if pointing_right:
            p.paint(row, 3, row + 1, 3 + reach, FLAG)
        else:
            p.paint(row, WIDTH - 3 - reach, row + 1, WIDTH - 3, FLAG)
    p.line(0, bar, HEIGHT - 1, bar, EDGE)
    return p.bytes()


def main():
    parts = ["# The section markers of the main editor's panes. Written by\n"
             "# resources/appearance/make_section_pictures.py; edit that script, not this file.\n",
             resource("PICT", 456, None, marker(True), "start of a section"),
             resource("PICT", 457, None, marker(False), "end of a section")]
    with open(OUT, "w") as f:
        f.write("\n".join(parts))


if __name__ == "__main__":
    main()
