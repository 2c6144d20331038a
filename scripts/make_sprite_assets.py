#!/usr/bin/env python3
"""Makes the pictures of examples/sprites.cpp in examples/assets/: drawn here, pixel by pixel, and
written as PNG with nothing but the standard library.

    scripts/make_sprite_assets.py [OUTPUT_DIR]
"""
import math
import os
import struct
import sys
import zlib


def write_png(path, width, height, pixels, alpha):
    """pixels: rows of (r, g, b, a) tuples."""
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a) if alpha else (r, g, b))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) +
                  chunk(b"IEND", b""))


def clamp(v):
    return max(0, min(255, int(round(v))))


def ship():
    """A 32 x 32 arrow-shaped ship pointing up, soft-edged by 4 x 4 supersampling."""
    size = 32
    body = [(16, 2), (28, 29), (16, 22), (4, 29)]

    def inside(x, y):
        n, hit = len(body), False
        for i in range(n):
            (x1, y1), (x2, y2) = body[i], body[(i + 1) % n]
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                hit = not hit
        return hit

    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            cover = sum(inside(x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4)) / 16
            shade = 1 - y / size * 0.5
            stripe = 60 if abs(x + 0.5 - 16) < 2 else 0
            row.append((clamp(90 * shade + stripe), clamp(170 * shade + stripe), clamp(255 * shade), clamp(255 * cover)))
        rows.append(row)
    return size, size, rows


def ball():
    """A 24 x 24 glowing ball: opaque in the middle, fading to clear at the rim."""
    size = 24
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            d = math.hypot(x + 0.5 - 12, y + 0.5 - 12) / 12
            a = 255 if d < 0.55 else clamp(255 * max(0.0, 1 - (d - 0.55) / 0.45))
            row.append((255, clamp(240 - 120 * d), clamp(120 - 100 * d), a))
        rows.append(row)
    return size, size, rows


def tiles():
    """A sheet of four 16 x 16 floor tiles, opaque, with magenta (the transparent colour the
    example sets) in the corners of the last."""
    colours = [(40, 48, 72), (48, 56, 84), (36, 60, 64), (70, 40, 60)]
    rows = []
    for y in range(16):
        row = []
        for cell, (r, g, b) in enumerate(colours):
            for x in range(16):
                edge = x in (0, 15) or y in (0, 15)
                if cell == 3 and (x + y < 4 or (15 - x) + (15 - y) < 4):
                    row.append((255, 0, 255, 255))
                else:
                    k = 0.75 if edge else 1.0 + 0.1 * ((x // 4 + y // 4) % 2)
                    row.append((clamp(r * k), clamp(g * k), clamp(b * k), 255))
        rows.append(row)
    return 64, 16, rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "examples", "assets")
    os.makedirs(out, exist_ok=True)
    for name, make, alpha in (("ship.png", ship, True), ("ball.png", ball, True), ("tiles.png", tiles, False)):
        width, height, rows = make()
        write_png(os.path.join(out, name), width, height, rows, alpha)
        print(os.path.join(out, name))


if __name__ == "__main__":
    main()
