#!/usr/bin/env python3
"""Writes the presetup pictures of a package into a folder: splash.bmp (with
its display time and opacity appended) and splash.rgn, a rounded shape in the
region data format Windows reads; with --progress-picture also presetup.bmp
and presetup.rgn. Pictures are plain 24-bit bitmaps drawn here, so nothing but
Python is needed."""

import os
import struct
import sys


def bitmap(width, height, colour_at):
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = colour_at(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - width * 3)
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    return header + info + pixels


def inside_rounded(x, y, width, height, radius):
    cx = min(max(x, radius), width - 1 - radius)
    cy = min(max(y, radius), height - 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def region(width, height, radius):
    """One rectangle per row span, as GetRegionData lists them."""
    rects = []
    for y in range(height):
        xs = [x for x in range(width) if inside_rounded(x, y, width, height, radius)]
        if xs:
            rects.append((xs[0], y, xs[-1] + 1, y + 1))
    data = b"".join(struct.pack("<4i", *r) for r in rects)
    header = struct.pack("<IIII4i", 32, 1, len(rects), len(data), 0, 0, width, height)
    return header + data


def gradient(top, bottom, height):
    def at(y):
        t = y / max(1, height - 1)
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))
    return at


def splash_colour(width, height):
    shade = gradient((29, 53, 87), (69, 123, 157), height)

    def colour(x, y):
        # A light band across the middle, where a product would put its name.
        if height * 0.42 <= y <= height * 0.58 and width * 0.1 <= x <= width * 0.9:
            return (241, 250, 238)
        return shade(y)
    return colour


def progress_colour(width, height):
    shade = gradient((255, 255, 235), (200, 220, 240), height)
    return lambda x, y: (255, 200, 118) if 20 <= y <= 60 and 20 <= x <= width - 20 else shade(y)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    width, height = 420, 240
    splash = bitmap(width, height, splash_colour(width, height))
    seconds, opacity = 1, 100
    with open(os.path.join(folder, "splash.bmp"), "wb") as out:
        out.write(splash + struct.pack("<II", seconds, opacity))
    with open(os.path.join(folder, "splash.rgn"), "wb") as out:
        out.write(region(width, height, 28))
    if "--progress-picture" in sys.argv:
        pwidth, pheight = 340, 230
        with open(os.path.join(folder, "presetup.bmp"), "wb") as out:
            out.write(bitmap(pwidth, pheight, progress_colour(pwidth, pheight)))
        with open(os.path.join(folder, "presetup.rgn"), "wb") as out:
            out.write(region(pwidth, pheight, 16))


if __name__ == "__main__":
    main()
