#!/usr/bin/env python3
"""Draws the program's icons: the program icon and the tray animation frames.

Output is deterministic; the generated files are committed under resources/.
Run: tools/make_icons.py resources
"""
import math
import struct
import sys
from pathlib import Path

SLATE = (0x46, 0x55, 0x6B)
SLATE_DARK = (0x2E, 0x38, 0x47)
WAVE_ON = (0xF2, 0xF5, 0xF8)
WAVE_OFF = (0x7D, 0x8A, 0x9C)
METER = (0xE8, 0xA3, 0x3D)


def render(size, lit):
    """Returns rows of (r, g, b, a), top row first, anti-aliased by 4x4 supersampling."""
    rows = []
    radius = size * 0.18
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(4):
                for sx in range(4):
                    px = x + (sx + 0.5) / 4
                    py = y + (sy + 0.5) / 4
                    c = sample(px, py, size, radius, lit)
                    if c:
                        a = c[3]
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            a = acc[3] / 16
            if acc[3] > 0:
                row.append(tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(a * 255)),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def sample(px, py, size, radius, lit):
    # rounded square background
    m = size * 0.04
    lo, hi = m, size - m
    cx = min(max(px, lo + radius), hi - radius)
    cy = min(max(py, lo + radius), hi - radius)
    if (px - cx) ** 2 + (py - cy) ** 2 > radius ** 2 or not (lo <= px <= hi and lo <= py <= hi):
        return None
    colour = SLATE if py < size * 0.55 else tuple((a + b) // 2 for a, b in zip(SLATE, SLATE_DARK))
    # the meter: a small square at the bottom left, the antenna origin
    ox, oy = size * 0.30, size * 0.72
    if abs(px - ox) <= size * 0.10 and abs(py - oy) <= size * 0.10:
        return METER + (1.0,)
    # three radio arcs opening to the upper right
    d = math.hypot(px - ox, py - oy)
    ang = math.degrees(math.atan2(oy - py, px - ox))
    if 5 <= ang <= 85:
        w = size * 0.055
        for i, r in enumerate((0.24, 0.38, 0.52)):
            if abs(d - r * size) <= w:
                return (WAVE_ON if i < lit else WAVE_OFF) + (1.0,)
    return colour + (1.0,)


def ico(images):
    """images: list of (size, rows). 32-bit BMP entries with an AND mask."""
    header = struct.pack('<HHH', 0, 1, len(images))
    entries, blobs = b'', b''
    offset = 6 + 16 * len(images)
    for size, rows in images:
        bih = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = b''.join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
        stride = ((size + 31) // 32) * 4
        mask = b''
        for row in reversed(rows):
            bits = bytearray(stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        blob = bih + pixels + mask
        dim = 0 if size >= 256 else size
        entries += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return header + entries + blobs


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else 'resources')
    out.mkdir(parents=True, exist_ok=True)
    (out / 'program.ico').write_bytes(ico([(s, render(s, 3)) for s in (16, 32, 48)]))
    for frame in range(4):
        (out / f'tray{frame}.ico').write_bytes(ico([(s, render(s, frame)) for s in (16, 32, 48)]))


if __name__ == '__main__':
    main()
