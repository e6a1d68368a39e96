#!/usr/bin/env python3
"""Writes resources/appearance.r: the window appearance styles and the artwork they name.

Run from anywhere:  python3 resources/appearance/make_appearance.py
The images are drawn here with a few shape primitives and written as hex in rezc syntax:
colour icons ('cicn', 4 bits a pixel), pictures ('PICT' version 2 drawing opcodes), pixel
patterns ('ppat'), colour tables ('clut', 'wctb'), one-bit images ('BYBM') and icon
families ('icns' with a 32 x 32 'ICN#' element). The style block layout is the one
shell/window_appearance.h documents.
"""
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "appearance.r")


def hexlines(data, indent="  "):
    out = []
    for i in range(0, len(data), 32):
        out.append('%shex "%s"' % (indent, data[i:i + 32].hex()))
    return "\n".join(out)


def rect(top, left, bottom, right):
    return struct.pack(">4h", top, left, bottom, right)


def rgb8(value):
    """0xRRGGBB to three 16-bit components."""
    return tuple(((value >> s) & 0xFF) * 257 for s in (16, 8, 0))


def colour_table(colours, seed=0):
    data = struct.pack(">IHh", seed, 0, len(colours) - 1)
    for i, c in enumerate(colours):
        data += struct.pack(">4H", i, *rgb8(c))
    return data


# ---- indexed images -------------------------------------------------------------------

class Canvas:
    """A small image of palette indexes (0 is transparent in icons) with a mask."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0] * w for _ in range(h)]
        self.mask = [[0] * w for _ in range(h)]

    def put(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c
            self.mask[y][x] = 1

    def rect(self, l, t, r, b, c):
        for y in range(t, b):
            for x in range(l, r):
                self.put(x, y, c)

    def frame(self, l, t, r, b, c):
        for x in range(l, r):
            self.put(x, t, c)
            self.put(x, b - 1, c)
        for y in range(t, b):
            self.put(l, y, c)
            self.put(r - 1, y, c)

    def disc(self, cx, cy, radius, c):
        for y in range(self.h):
            for x in range(self.w):
                if (x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2 <= radius * radius:
                    self.put(x, y, c)


def pixmap_header(w, h, row_bytes, depth, table_offset=0):
    return (struct.pack(">I", 0) + struct.pack(">H", row_bytes | 0x8000) + rect(0, 0, h, w) +
            struct.pack(">hhIIIhhhhIII", 0, 0, 0, 0x480000, 0x480000, 0, depth, 1, depth, 0,
                        table_offset, 0))


def bitmap_header(w, h, row_bytes):
    return struct.pack(">I", 0) + struct.pack(">H", row_bytes) + rect(0, 0, h, w)


def pack_bits(rows, w, row_bytes):
    data = b""
    for row in rows:
        line = bytearray(row_bytes)
        for x in range(w):
            if row[x]:
                line[x >> 3] |= 0x80 >> (x & 7)
        data += bytes(line)
    return data


def pack_nibbles(rows, w, row_bytes):
    data = b""
    for row in rows:
        line = bytearray(row_bytes)
        for x in range(w):
            line[x >> 1] |= (row[x] & 15) << (4 if x % 2 == 0 else 0)
        data += bytes(line)
    return data


def cicn(canvas, palette):
    w, h = canvas.w, canvas.h
    pix_row = ((w * 4 + 15) // 16) * 2
    bit_row = ((w + 15) // 16) * 2
    data = pixmap_header(w, h, pix_row, 4)
    data += bitmap_header(w, h, bit_row)  # mask
    data += bitmap_header(w, h, bit_row)  # one-bit image
    data += struct.pack(">I", 0)
    data += pack_bits(canvas.mask, w, bit_row)
    data += pack_bits([[1 if v and v != 1 else 0 for v in row] for row in canvas.px], w, bit_row)
    data += colour_table(palette)
    data += pack_nibbles(canvas.px, w, pix_row)
    return data


def ppat(canvas, palette):
    """A type-1 pixel pattern of 4-bit pixels."""
    w, h = canvas.w, canvas.h
    row = ((w * 4 + 15) // 16) * 2
    head = 28
    map_at, data_at = head, head + 50
    table_at = data_at + row * h
    one_bit = bytes([0xAA, 0x55] * 4)
    data = struct.pack(">HIIIhI", 1, map_at, data_at, 0, -1, 0) + one_bit
    data += pixmap_header(w, h, row, 4, table_at)
    data += pack_nibbles(canvas.px, w, row)
    data += colour_table(palette)
    return data


def bybm(rows, w, h, top=0, left=0):
    row_bytes = ((w + 63) // 64) * 8
    return struct.pack(">Ih", 14, row_bytes) + rect(top, left, top + h, left + w) + pack_bits(rows, w, row_bytes)


def icn32(shape):
    """'icns' with one 'ICN#' element; shape(x, y) -> (ink, mask)."""
    ink = [[shape(x, y)[0] for x in range(32)] for y in range(32)]
    mask = [[shape(x, y)[1] for x in range(32)] for y in range(32)]
    element = pack_bits(ink, 32, 4) + pack_bits(mask, 32, 4)
    body = b"ICN#" + struct.pack(">I", 8 + len(element)) + element
    return b"icns" + struct.pack(">I", 8 + len(body)) + body


# ---- pictures -------------------------------------------------------------------------

class Picture:
    def __init__(self, top, left, bottom, right):
        self.frame = (top, left, bottom, right)
        self.ops = struct.pack(">HH", 0x0011, 0x02FF)
        self.ops += struct.pack(">Hhh", 0x0C00, -2, 0) + struct.pack(">II", 0x480000, 0x480000)
        self.ops += rect(*self.frame) + struct.pack(">I", 0)
        self.ops += struct.pack(">H", 0x001E)

    def colour(self, value):
        self.ops += struct.pack(">H3H", 0x001A, *rgb8(value))

    def paint(self, t, l, b, r, value):
        self.colour(value)
        self.ops += struct.pack(">H", 0x0031) + rect(t, l, b, r)

    def frame_rect(self, t, l, b, r, value):
        self.colour(value)
        self.ops += struct.pack(">H", 0x0030) + rect(t, l, b, r)

    def oval(self, t, l, b, r, value):
        self.colour(value)
        self.ops += struct.pack(">H", 0x0051) + rect(t, l, b, r)

    def line(self, v1, h1, v2, h2, value):
        self.colour(value)
        self.ops += struct.pack(">H4h", 0x0020, v1, h1, v2, h2)

    def bytes(self):
        body = rect(*self.frame) + self.ops + struct.pack(">H", 0x00FF)
        return struct.pack(">H", (len(body) + 2) & 0xFFFF) + body


def blend(a, b, t):
    return sum(int(((a >> s) & 0xFF) + (((b >> s) & 0xFF) - ((a >> s) & 0xFF)) * t) << s for s in (16, 8, 0))


def strip_picture(height, top_colour, bottom_colour, edge):
    p = Picture(0, 0, height, 35)
    bands = 16
    for i in range(bands):
        t, b = height * i // bands, height * (i + 1) // bands
        p.paint(t, 0, b, 35, blend(top_colour, bottom_colour, i / (bands - 1)))
    p.line(0, 34, height - 1, 34, edge)
    return p.bytes()


def panel_picture(back, well, line):
    p = Picture(0, 0, 40, 400)
    p.paint(0, 0, 40, 400, back)
    p.paint(4, 84, 26, 204, well)
    p.paint(4, 214, 26, 334, well)
    p.frame_rect(4, 84, 26, 204, line)
    p.frame_rect(4, 214, 26, 334, line)
    p.line(39, 0, 39, 399, line)
    return p.bytes()


def fader_picture(back, groove):
    p = Picture(0, 0, 140, 40)
    p.paint(0, 0, 140, 40, back)
    p.paint(8, 18, 132, 22, groove)
    for v in range(12, 132, 12):
        p.line(v, 10, v, 14, groove)
        p.line(v, 26, v, 30, groove)
    return p.bytes()


# ---- the program colour tables ----------------------------------------------------------

def program_palette(light, face, frame, main, accent, panel_back, panel_front, text, grid):
    colours = [blend(0x000000, 0xFFFFFF, i / 71) for i in range(72)]
    named = {0: text, 6: blend(face, 0x000000, 0.15), 8: text, 11: main, 13: accent, 15: 0xFFFFFF,
             19: face, 21: frame, 22: text, 23: accent, 24: text, 25: face, 27: light, 30: accent,
             31: blend(accent, 0xFFFFFF, 0.5), 37: accent, 38: grid, 52: panel_front,
             64: panel_back, 65: blend(light, 0x000000, 0.06)}
    for k, v in named.items():
        colours[k] = v
    return colours


ICON_PALETTE = [0xFFFFFF, 0x000000, 0x3A4A5A, 0x6C7C8C, 0xB8C4D0, 0xE8EEF4, 0x2E8B57, 0x7FD48F,
                0xC0392B, 0xF1948A, 0xD4A017, 0xF7DC6F, 0x2C6FBB, 0x8EC0F0, 0x555555, 0x999999]


def note_icon(size):
    c = Canvas(size, size)
    c.rect(0, 0, size, size, 4)
    c.frame(0, 0, size, size, 2)
    s = size / 16
    c.disc(6 * s, 11 * s, 2.4 * s, 12)
    c.rect(int(8 * s), int(3 * s), int(8 * s) + max(1, int(s)), int(11 * s), 12)
    c.rect(int(8 * s), int(3 * s), int(11 * s), int(4 * s) + max(1, int(s)) - 1, 12)
    return c


def knob_icon(size, body, rim):
    c = Canvas(size, size)
    c.disc(size / 2, size / 2, size / 2, rim)
    c.disc(size / 2, size / 2, size / 2 - 1.5, body)
    c.rect(size // 2 - 1, 2, size // 2 + 1, size // 2, 1)
    return c


def fader_cap_icon(w, h):
    c = Canvas(w, h)
    c.rect(0, 0, w, h, 3)
    c.frame(0, 0, w, h, 2)
    c.rect(1, h // 2 - 1, w - 1, h // 2 + 1, 5)
    return c


def marker_icon(size, colour):
    c = Canvas(size, size)
    for y in range(size):
        half = (size - y) // 2
        c.rect(size // 2 - half, y, size // 2 + half, y + 1, colour)
    return c


def button_icon(size):
    c = Canvas(size, size)
    c.disc(size / 2, size / 2, size / 2, 2)
    c.disc(size / 2, size / 2, size / 2 - 2, 13)
    c.disc(size / 2 - size / 8, size / 2 - size / 8, size / 6, 5)
    return c


def solid(colour_index, size=8, other=None):
    c = Canvas(size, size)
    for y in range(size):
        for x in range(size):
            c.put(x, y, other if other is not None and (x + y) % 4 == 0 else colour_index)
    return c


# ---- one-bit shapes -----------------------------------------------------------------------

def rounded_rows(w, h, radius):
    rows = []
    for y in range(h):
        row = []
        for x in range(w):
            dx = max(radius - x - 0.5, x + 0.5 - (w - radius), 0)
            dy = max(radius - y - 0.5, y + 0.5 - (h - radius), 0)
            row.append(1 if dx * dx + dy * dy <= radius * radius else 0)
        rows.append(row)
    return rows


LOGO = ["1111111111111111",
        "1111111111111111",
        "0000000000011110",
        "0000000000111100",
        "0000000001111000",
        "0000000011110000",
        "0000000111100000",
        "0000001111000000",
        "0000011110000000",
        "0000111100000000",
        "0001111000000000",
        "0011110000000000",
        "0111100000000000",
        "1111000000000000",
        "1111111111111111",
        "1111111111111111"]


def family_shapes():
    def audio(x, y):
        wave = abs(((x * 7) % 23) - 11) + 4
        inside = 2 <= x < 30 and 16 - wave // 2 <= y < 16 + wave // 2
        return (1 if inside and x % 2 == 0 else 0, 1 if 1 <= x < 31 and 4 <= y < 28 else 0)

    def midi(x, y):
        d = (x + 0.5 - 16) ** 2 + (y + 0.5 - 16) ** 2
        pin = any((x + 0.5 - px) ** 2 + (y + 0.5 - py) ** 2 <= 3 for px, py in
                  ((10, 14), (22, 14), (16, 10), (12, 20), (20, 20)))
        return (1 if 169 <= d <= 196 or pin else 0, 1 if d <= 196 else 0)

    def folder(x, y):
        body = 2 <= x < 30 and 9 <= y < 26
        tab = 2 <= x < 13 and 6 <= y < 9
        edge = body and (x in (2, 29) or y in (9, 25))
        return (1 if edge or (tab and y == 6) else 0, 1 if body or tab else 0)

    return audio, midi, folder


# ---- the styles -----------------------------------------------------------------------------

def style_block(s):
    """The 768-byte block as rezc fields, one line per field, zeros between them."""
    fields = [(0, "i16 %d" % s["wctb"][0], "'wctb' of the info panel and the mixer"),
              (2, "i16 %d" % s["clut"], "program colour table"),
              (4, "i16 %d" % s["panel_picture"], "panel picture")]
    patterns = list(s["patterns"]) + [0] * (13 - len(s["patterns"]))
    fields.append((6, " ".join("i16 %d" % p for p in patterns), "13 pixel patterns"))
    fields += [(32, "i16 %d" % s["style_icon"], "style icon"),
               (34, "i16 %d" % s["strip_icon"], "strip icon (0: strip picture below)"),
               (36, "i16 131", "track row icons 131 and 132"),
               (38, "i16 304", "track marker icon"),
               (40, "i16 %d" % s["button_icon"], "panel button icon (0: lamp)"),
               (42, "i16 %d" % s["wctb"][1], "'wctb' of the other windows"),
               (44, "i16 %d" % s["strip_picture"], "strip picture"),
               (46, "i16 305", "second track marker icon"),
               (48, "i16 0", "optional icon"),
               (50, "i16 300", "icon families 300-302"),
               (52, "i16 %d" % s["first_picture"], "first style picture"),
               (54, "i16 0", ""),
               (56, "i16 0", "second style picture"),
               (58, "u16 0x%04X" % s["options"], "options"),
               (60, "i16 30", "panel button width"),
               (62, "u16 0", "panel flags"),
               (64, " ".join("u16 %d u16 %d u16 %d" % rgb8(c) for c in s["lamp"]), "lamp colours"),
               (82, "zeros 6", ""),
               (88, "i16 800 i16 560", "standard-state width and height"),
               (92, "zeros 4", ""),
               (96, "i16 4 i16 84 i16 26 i16 204", "bar:beat:tick read-out"),
               (104, "zeros 16", "lamp rectangles (set when the strip is composed)"),
               (120, "i16 4 i16 214 i16 26 i16 334", "time read-out"),
               (128, "i16 134 i16 2 i16 148 i16 17", "left arrow button"),
               (136, "i16 134 i16 18 i16 148 i16 33", "right arrow button"),
               (144, "i16 %d i16 %d i16 %d i16 %d" % s["icon_rect"], "style icon rectangle"),
               (152, "i16 3 i16 20 i16 37 i16 76", "meter area"),
               (160, "zeros 120", "transport elements (laid out at run time), second-picture rect"),
               (280, "i16 0 i16 0 i16 24 i16 24" if s["button_icon"] else "zeros 8", "button icon size"),
               (288, "zeros 480", "")]
    lines = []
    for _, text, comment in fields:
        lines.append("  %s%s" % (text, ("  # " + comment) if comment else ""))
    return "\n".join(lines)


def colour_table_fields(colours):
    lines = ["  u32 0 u16 0 i16 %d" % (len(colours) - 1)]
    for i, c in enumerate(colours):
        lines.append("  u16 %d u16 0x%04X u16 0x%04X u16 0x%04X" % ((i,) + rgb8(c)))
    return "\n".join(lines)


STYLES = [
    dict(id=138, name="Standard", wctb=(138, 139), clut=138, panel_picture=300, patterns=(138, 139),
         style_icon=301, strip_icon=302, button_icon=0, strip_picture=0, first_picture=0,
         options=0x8080, lamp=(0x1B5E20, 0x43A047, 0xC8F7C5), icon_rect=(152, 2, 246, 33)),
    dict(id=139, name="Slate", wctb=(140, 141), clut=139, panel_picture=301, patterns=(140,),
         style_icon=0, strip_icon=0, button_icon=303, strip_picture=141, first_picture=142,
         options=0x8080, lamp=(0x0D3C61, 0x1E88E5, 0xBBDEFB), icon_rect=(160, 6, 184, 30)),
]

PALETTES = {
    138: program_palette(light=0xF4F4F4, face=0xD6D6D6, frame=0x5A5A5A, main=0x8FA3B8, accent=0x2C6FBB,
                         panel_back=0x9E9E9E, panel_front=0x303030, text=0x000000, grid=0xC8C8C8),
    139: program_palette(light=0xDCE3EA, face=0xA9B6C3, frame=0x2F3B47, main=0x5D7388, accent=0x1E88E5,
                         panel_back=0x4A5968, panel_front=0xE3EAF0, text=0x000000, grid=0x8796A5),
}


def resource(rtype, rid, name, data, comment):
    head = "# %s\nresource '%s' %d" % (comment, rtype, rid)
    if name:
        head += ' "%s"' % name
    body = data if isinstance(data, str) else hexlines(data)
    return "%s {\n%s\n}\n" % (head, body)


def main():
    parts = ["# The window appearance styles ('MSTL', shown in the Window Appearance menu) and the\n"
             "# colour tables, pictures, patterns, icons and bitmaps they name. Written by\n"
             "# resources/appearance/make_appearance.py; edit that script, not this file.\n"]
    for s in STYLES:
        parts.append(resource("MSTL", s["id"], s["name"], style_block(s), "style %s" % s["name"]))
        parts.append(resource("clut", s["clut"], None, colour_table_fields(PALETTES[s["id"]]), "program colours of " + s["name"]))
    wctbs = {138: 0xBDBDBD, 139: 0xF7F7F7, 140: 0x55636F, 141: 0xE6EBEF}
    for rid, colour in wctbs.items():
        parts.append(resource("wctb", rid, None, colour_table_fields([colour, 0x000000]), "window content colour"))
    parts.append(resource("PICT", 140, None, strip_picture(259, 0xE0E0E0, 0xB0B0B0, 0x808080), "instrument strip"))
    parts.append(resource("PICT", 141, None, strip_picture(240, 0x8A99A8, 0x5B6977, 0x2F3B47), "Slate strip"))
    parts.append(resource("PICT", 142, None, fader_picture(0x6F7F8E, 0x2F3B47), "Slate fader background"))
    parts.append(resource("PICT", 300, None, panel_picture(0xA8A8A8, 0xE8EEE8, 0x505050), "Standard panel"))
    parts.append(resource("PICT", 301, None, panel_picture(0x4A5968, 0xC9D6E3, 0x1C252E), "Slate panel"))
    icons = [(131, note_icon(16), "track row icon"), (132, note_icon(32), "tall track row icon"),
             (301, knob_icon(16, 4, 2), "style icon"), (302, fader_cap_icon(20, 12), "strip icon"),
             (303, button_icon(24), "panel button"), (304, marker_icon(12, 8), "track marker"),
             (305, marker_icon(12, 6), "track marker, second")]
    for rid, canvas, comment in icons:
        parts.append(resource("cicn", rid, None, cicn(canvas, ICON_PALETTE), comment))
    parts.append(resource("ppat", 138, None, ppat(solid(5, 8, 4), ICON_PALETTE), "light texture"))
    parts.append(resource("ppat", 139, None, ppat(solid(4, 8, 3), ICON_PALETTE), "shaded texture"))
    parts.append(resource("ppat", 140, None, ppat(solid(3, 8, 2), ICON_PALETTE), "slate texture"))
    parts.append(resource("BYBM", 308, None, bybm(rounded_rows(35, 240, 6), 35, 240), "strip shape"))
    parts.append(resource("BYBM", 147, None, bybm([[1] * 400, [0] * 400], 400, 2, 0, 0), "panel highlight line"))
    logo = [[1 if ch == "1" else 0 for ch in row] for row in LOGO]
    parts.append(resource("BYBM", 136, None, bybm(logo, 16, 16, 12, 8), "panel logo"))
    for i, shape in enumerate(family_shapes()):
        parts.append(resource("icns", 300 + i, None, icn32(shape), "track kind icons TRK%d" % i))
    with open(OUT, "w") as f:
        f.write("\n".join(parts))


if __name__ == "__main__":
    main()
