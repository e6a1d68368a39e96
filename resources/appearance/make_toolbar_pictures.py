#!/usr/bin/env python3
"""Writes resources/editor_toolbar.r: the main editor's tool bar pictures.

Run from anywhere:  python3 resources/appearance/make_toolbar_pictures.py
'PICT' 488 is the tool bar's background (520 by 40, the tool bar's size); 'PICT' 210 lies over
the note-value fields outside the note and drum views (239 by 26), where the lane fields go.
"""
import os

from make_appearance import Picture, blend, resource

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "editor_toolbar.r")

FACE_TOP, FACE_BOTTOM, EDGE, WELL, WELL_LINE = 0xECEFF2, 0xC9CFD6, 0x7A838C, 0xF7F9FA, 0x9AA3AC


def toolbar_picture():
    p = Picture(0, 0, 40, 520)
    bands = 8
    for i in range(bands):
        t, b = 40 * i // bands, 40 * (i + 1) // bands
        p.paint(t, 0, b, 520, blend(FACE_TOP, FACE_BOTTOM, i / (bands - 1)))
    # Wells behind the number fields and the readout box.
    for left, right in ((157, 209), (209, 263), (327, 404), (405, 486), (487, 516)):
        p.paint(1, left, 39, right, WELL)
        p.frame_rect(1, left, 39, right, WELL_LINE)
    p.line(39, 0, 39, 519, EDGE)
    return p.bytes()


def lane_fields_picture():
    p = Picture(0, 0, 26, 239)
    p.paint(0, 0, 26, 239, blend(FACE_TOP, FACE_BOTTOM, 0.5))
    p.paint(2, 52, 24, 236, WELL)
    p.frame_rect(2, 52, 24, 236, WELL_LINE)
    p.line(13, 53, 13, 234, blend(WELL, WELL_LINE, 0.5))
    return p.bytes()


def main():
    parts = ["# The main editor's tool bar pictures. Written by\n"
             "# resources/appearance/make_toolbar_pictures.py; edit that script, not this file.\n",
             resource("PICT", 488, None, toolbar_picture(), "main editor tool bar"),
             resource("PICT", 210, None, lane_fields_picture(), "tool bar of the lane views")]
    with open(OUT, "w") as f:
        f.write("\n".join(parts))


if __name__ == "__main__":
    main()
