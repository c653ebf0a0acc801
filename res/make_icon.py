#!/usr/bin/env python3
"""Writes Tkdp3340.ico: three faders on a dark rounded tile.

Seven images, in this order: 48, 32 and 16 px with a 256-colour palette, then 256, 48, 32 and
16 px at 32 bits per pixel (the 256 px one PNG-compressed). Standard library only; the output is
deterministic, so the checked-in icon can be regenerated and compared byte for byte.

Usage: make_icon.py [OUTPUT]   (default: Tkdp3340.ico next to this script)
"""

import os
import struct
import sys
import zlib

PALETTIZED_SIZES = (48, 32, 16)
TRUE_COLOUR_SIZES = (256, 48, 32, 16)

TILE_TOP = (52, 86, 128)
TILE_BOTTOM = (20, 36, 58)
TILE_EDGE = (110, 150, 196)
TRACK = (8, 16, 26)
CAP = (242, 154, 46)
CAP_LINE = (255, 236, 200)

# Fader positions: x of the track centre and y of the cap centre, as fractions of the tile.
FADERS = ((0.30, 0.64), (0.50, 0.36), (0.70, 0.52))


def in_rounded_rect(x, y, left, top, right, bottom, radius):
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def sample(x, y):
    """Colour (r, g, b) and coverage (0 or 1) of the glyph at unit coordinates x, y."""
    if not in_rounded_rect(x, y, 0.04, 0.04, 0.96, 0.96, 0.18):
        return (0, 0, 0), 0
    if not in_rounded_rect(x, y, 0.075, 0.075, 0.925, 0.925, 0.15):
        return TILE_EDGE, 1
    t = (y - 0.04) / 0.92
    colour = tuple(round(a + (b - a) * t) for a, b in zip(TILE_TOP, TILE_BOTTOM))
    for fx, fy in FADERS:
        if abs(x - fx) <= 0.035 and 0.18 <= y <= 0.82:
            colour = TRACK
        if abs(x - fx) <= 0.085 and abs(y - fy) <= 0.06:
            colour = CAP_LINE if abs(y - fy) <= 0.014 else CAP
    return colour, 1


def render(size):
    """Rows of (r, g, b, a), top row first, anti-aliased by supersampling."""
    n = 4 if size <= 64 else 3
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            cover = 0
            for sy in range(n):
                for sx in range(n):
                    c, a = sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    if a:
                        cover += 1
                        acc = [acc[i] + c[i] for i in range(3)]
            if cover:
                row.append(tuple(round(v / cover) for v in acc) + (round(255 * cover / (n * n)),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def and_mask(rows, opaque):
    """1 bpp mask, bottom row first, rows padded to 32 bits; a set bit is transparent."""
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, px in enumerate(row):
            if not opaque(px):
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def bitmap_header(size, bits, image_bytes):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, image_bytes, 0, 0, 0, 0)


def dib_32(rows):
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask = and_mask(rows, lambda px: px[3] > 0)
    return bitmap_header(len(rows), 32, len(pixels) + len(mask)) + bytes(pixels) + mask


def build_palette(rows):
    """Popularity palette: the 256 most used colour buckets (4 bits per channel), averaged."""
    buckets = {}
    for row in rows:
        for r, g, b, a in row:
            if a >= 128:
                key = (r >> 4, g >> 4, b >> 4)
                n, sr, sg, sb = buckets.get(key, (0, 0, 0, 0))
                buckets[key] = (n + 1, sr + r, sg + g, sb + b)
    ranked = sorted(buckets.items(), key=lambda kv: (-kv[1][0], kv[0]))[:255]
    palette = [(0, 0, 0)]  # index 0: what transparent pixels hold
    palette += [(sr // n, sg // n, sb // n) for _, (n, sr, sg, sb) in ranked]
    return palette + [(0, 0, 0)] * (256 - len(palette))


def dib_8(rows):
    palette = build_palette(rows)
    used = palette[1:]
    stride = ((len(rows) + 3) // 4) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            if a >= 128:
                best = min(range(len(used)),
                           key=lambda i: (used[i][0] - r) ** 2 + (used[i][1] - g) ** 2 +
                           (used[i][2] - b) ** 2)
                line[x] = best + 1
        pixels += line
    mask = and_mask(rows, lambda px: px[3] >= 128)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return (bitmap_header(len(rows), 8, len(pixels) + len(mask)) + colours + bytes(pixels) +
            mask)


def png(rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    size = len(rows)
    raw = b"".join(b"\0" + b"".join(bytes(px) for px in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    out_path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "Tkdp3340.ico")
    rendered = {size: render(size) for size in set(PALETTIZED_SIZES + TRUE_COLOUR_SIZES)}
    images = [(size, 8, dib_8(rendered[size])) for size in PALETTIZED_SIZES]
    images += [(size, 32, png(rendered[size]) if size == 256 else dib_32(rendered[size]))
               for size in TRUE_COLOUR_SIZES]

    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries = b""
    for size, bits, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, bits, len(data),
                               offset)
        offset += len(data)
    with open(out_path, "wb") as f:
        f.write(header + entries + b"".join(data for _, _, data in images))


if __name__ == "__main__":
    main()
