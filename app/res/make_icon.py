#!/usr/bin/env python3
"""Draws the program icon ZeltoConverter.png (128 x 128): a survey vessel's depth profile
over a grid, on a rounded sea-blue tile. Run again after changing the drawing."""
import math
import struct
import zlib

N = 128


def inside_rounded(x, y, r=22):
    cx = min(max(x, r), N - 1 - r)
    cy = min(max(y, r), N - 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def seabed(x):
    return 84 + 12 * math.sin(x / 17.0) + 5 * math.sin(x / 6.0 + 1.0)


def pixel(x, y):
    if not inside_rounded(x, y):
        return (0, 0, 0, 0)
    # water darkens with depth
    t = y / N
    r, g, b = int(20 + 10 * t), int(110 - 50 * t), int(190 - 70 * t)
    # map grid
    if x % 16 == 0 or y % 16 == 0:
        r, g, b = r + 25, g + 25, b + 25
    bed = seabed(x)
    if y > bed:
        r, g, b = 196, 164, 98  # sand
    if abs(y - bed) < 2.2:
        r, g, b = 250, 250, 250
    # sounding lines from the vessel at the surface
    for sx in (30, 64, 98):
        if abs(x - sx) < 1.2 and 30 < y < seabed(sx):
            r, g, b = 255, 214, 64
        if (x - sx) ** 2 + (y - 26) ** 2 < 20:
            r, g, b = 255, 120, 40
    if 16 < y < 22 and 18 < x < 110:
        r, g, b = 235, 240, 245  # sea surface
    return (min(r, 255), min(g, 255), min(b, 255), 255)


rows = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(N)) for y in range(N))


def chunk(tag, data):
    return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)


png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", N, N, 8, 6, 0, 0, 0)) +
       chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
with open(__file__.rsplit("/", 1)[0] + "/ZeltoConverter.png" if "/" in __file__ else "ZeltoConverter.png", "wb") as f:
    f.write(png)
