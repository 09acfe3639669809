#!/usr/bin/env python3
"""Draws the plot window's icon and toolbar images as pixel art and writes them as
block/res/trazel.ico and block/res/toolbar.bmp (run again after changing a picture)."""
import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "block", "res")

PALETTE = {
    ".": (255, 0, 255),  # transparent (magenta)
    "k": (0, 0, 0), "w": (255, 255, 255), "g": (128, 128, 128), "l": (192, 192, 192),
    "b": (0, 0, 255), "r": (220, 0, 0), "y": (255, 220, 0), "e": (0, 160, 0),
    "d": (0, 0, 128), "o": (255, 140, 0),
}

SETTINGS = [  # sliders: settings of the coordinate system
    "................", "................", ".kkkkkkkkkkkkkk.", ".k............k.",
    ".k.gggggbbgggg.k", ".k......bb....k.", ".k............k.", ".k.ggbbggggggg.k",
    ".k...bb.......k.", ".k............k.", ".k.gggggggbbgg.k", ".k.........bb..k.",
    ".k............k.", ".kkkkkkkkkkkkkk.", "................", "................",
]
PRINT = [
    "................", "....kkkkkkkk....", "....kwwwwwwk....", "....kwkkkkwk....",
    "....kwwwwwwk....", "..kkkkkkkkkkkk..", ".kllllllllllllk.", ".klllllllllleek.",
    ".kllllllllllllk.", ".kggggggggggggk.", ".kkkwwwwwwwwkkk.", "...kwkkkkkkwk...",
    "...kwwwwwwwwk...", "...kkkkkkkkkk...", "................", "................",
]
COLOUR = [
    "................", ".....kkkkkk.....", "...kkwwwwwwkk...", "..kwwrrwwbbwwk..",
    ".kwwwrrwwbbwwwk.", ".kwwwwwwwwwwwwk.", "kwyywwwwwwwwwwwk", "kwyywwwwwwwkkwk.",
    "kwwwwwwwwwwk..k.", "kweewwwwwwwk..k.", ".kweewwwwwwwkk..", ".kwwwwwwooowwk..",
    "..kkwwwwooowk...", "....kkkwwwwk....", ".......kkkk.....", "................",
]
ICON = [
    "................................",
    ".kkkkkkkkkkkkkkkkkkkkkkkkkkkkkk.",
    ".kwwwwwwwwwwwwwwwwwwwwwwwwwwwwk.",
    ".kwwwwwwwwwwwwwwwwwwwwwwwwwwwwk.",
    ".kwwkwwwwwwwwwwwwwwwwwwwwwwwwwk.",
    ".kwwkwwwwwwwwwwwwwwwwwwwwrrrwwk.",
    ".kwwkwwwwwlwwwwwwlwwwwwrrrwwwwk.",
    ".kwwkwwwwwlwwwwwwlwwwrrrwwwwwwk.",
    ".kwwkwwwwwlwwwwwwlwwrrwwwwwwwwk.",
    ".kwwkwwwwwlwwwwwwlwrrwwwwbbbwwk.",
    ".kwwkllllllllllllllrlllbbbllllk.",
    ".kwwkwwwwwlwwwwwwlrrwbbbwwwwwwk.",
    ".kwwkwwwwwlwwwwwwrrwbbwwwwwwwwk.",
    ".kwwkwwwwwlwwwwwrrwbbwwwwwwwwwk.",
    ".kwwkwwwwwlwwwwrrwbbwwwwwwwwwwk.",
    ".kwwkwwwwwlwwwrrwbbwwwwweeewwwk.",
    ".kwwkllllllllrrlbblllleeellllwk.",
    ".kwwkwwwwwlwrrwbbwwwweewwwwwwwk.",
    ".kwwkwwwwwlwrwbbwwwweewwwwwwwwk.",
    ".kwwkwwwwwlrrwbwwwweewwwwwwwwwk.",
    ".kwwkwwwwwrrwbbwwweewwwwwwwwwwk.",
    ".kwwkwwwwrrwbbwwweewwwwwwwwwwwk.",
    ".kwwkllllrlbblllleellllllllllwk.",
    ".kwwkwwwrrwbwwweewwwwwwwwwwwwwk.",
    ".kwwkwwrrwbbwweewwwwwwwwwwwwwwk.",
    ".kwwkwwrwbbwweewwwwwwwwwwwwwwwk.",
    ".kwwkkkkkkkkkkkkkkkkkkkkkkkkkwk.",
    ".kwwwwwwwwwwwwwwwwwwwwwwwwwwwwk.",
    ".kwwwwwwwwwwwwwwwwwwwwwwwwwwwwk.",
    ".kwwwwwwwwwwwwwwwwwwwwwwwwwwwwk.",
    ".kkkkkkkkkkkkkkkkkkkkkkkkkkkkkk.",
    "................................",
]


def rows_bgr(rows, transparent=None):
    """Bottom-up 24-bit rows, each padded to four bytes."""
    out = b""
    for row in reversed(rows):
        line = b""
        for ch in row:
            r, g, b = PALETTE[ch] if not (transparent and ch == ".") else transparent
            line += bytes((b, g, r))
        line += b"\0" * ((4 - len(line) % 4) % 4)
        out += line
    return out


def write_bmp(path, rows):
    w, h = len(rows[0]), len(rows)
    pixels = rows_bgr(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def icon_image(rows):
    w, h = len(rows[0]), len(rows)
    xor = rows_bgr(rows, transparent=(0, 0, 0))
    mask = b""
    for row in reversed(rows):
        bits = 0
        line = b""
        for i, ch in enumerate(row):
            bits = (bits << 1) | (1 if ch == "." else 0)
            if i % 8 == 7:
                line += bytes((bits,))
                bits = 0
        line += b"\0" * ((4 - len(line) % 4) % 4)
        mask += line
    info = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 24, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def shrink(rows):
    return [row[::2] for row in rows[::2]]


def write_ico(path, images):
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for rows in images:
        img = icon_image(rows)
        w, h = len(rows[0]), len(rows)
        entries += struct.pack("<BBBBHHII", w, h, 0, 0, 1, 24, len(img), offset + len(data))
        data += img
    with open(path, "wb") as f:
        f.write(head + entries + data)


def main():
    os.makedirs(OUT, exist_ok=True)
    strip = [a + b + c for a, b, c in zip(SETTINGS, PRINT, COLOUR)]
    write_bmp(os.path.join(OUT, "toolbar.bmp"), strip)
    write_ico(os.path.join(OUT, "trazel.ico"), [ICON, shrink(ICON)])


if __name__ == "__main__":
    main()
