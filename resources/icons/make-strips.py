#!/usr/bin/env python3
"""Draws the about box's two animations as 16-colour PNG strips of five 32 x 32 frames.

disk.png: a spinning platter, its highlight a fifth of a turn further on in each frame.
gauge.png: a drive's pie of used (red) and free (green) room, more used in each frame; the
about box plays it backwards, so the room is seen to come free.

Run it from anywhere; it writes beside itself. Needs nothing but Python 3.
"""
import math
import os
import struct
import zlib

# The sixteen colours of the classic desktop palette; pixels are indices into it.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

SIZE = 32
FRAMES = 5


def tile():
    """A raised silver tile: white edges at the top and left, grey and black at the others."""
    px = [[SILVER] * SIZE for _ in range(SIZE)]
    for i in range(SIZE):
        px[0][i] = px[i][0] = WHITE
        px[SIZE - 1][i] = px[i][SIZE - 1] = BLACK
        if 0 < i < SIZE - 1:
            px[SIZE - 2][i] = px[i][SIZE - 2] = GREY
    return px


def polar(x, y, cx, cy):
    """Distance and angle (degrees, 0 at the top, clockwise) of a pixel centre."""
    dx, dy = x + 0.5 - cx, y + 0.5 - cy
    return math.hypot(dx, dy), math.degrees(math.atan2(dx, -dy)) % 360


def within(angle, start, span):
    return (angle - start) % 360 < span


def disk(k):
    px = tile()
    cx = cy = 15.5
    for y in range(SIZE):
        for x in range(SIZE):
            r, a = polar(x, y, cx, cy)
            sr, _ = polar(x - 1, y - 1, cx, cy)  # the platter's shadow, a pixel down and right
            if r <= 12.5:
                c = TEAL
                if within(a, 72 * k, 40):
                    c = AQUA if r > 6 else WHITE
                elif within(a, 72 * k + 180, 25):
                    c = NAVY
                if r > 11.5:
                    c = BLACK
                elif r <= 2.2:
                    c = BLACK
                elif r <= 4.2:
                    c = GREY if c != WHITE else SILVER
                px[y][x] = c
            elif sr <= 12.5 and px[y][x] == SILVER:
                px[y][x] = GREY
    # The read arm, from the lower right corner towards the hub.
    for t in range(12):
        x, y = 26 - t * 0.7, 26 - t * 0.3
        px[int(y)][int(x)] = YELLOW if t < 10 else OLIVE
        px[int(y) + 1][int(x)] = OLIVE
    return px


def gauge(k):
    px = tile()
    cx = cy = 15.5
    used = 360 * (0.2 + 0.15 * k)
    for y in range(SIZE):
        for x in range(SIZE):
            r, a = polar(x, y, cx, cy)
            sr, _ = polar(x - 1, y - 1, cx, cy)
            if r <= 12.5:
                if r > 11.5:
                    c = BLACK
                elif within(a, 0, used):
                    c = RED if r < 9.5 or not within(a, 10, used - 20) else MAROON
                else:
                    c = LIME if r < 9.5 else GREEN
                px[y][x] = c
            elif sr <= 12.5 and px[y][x] == SILVER:
                px[y][x] = GREY
    # The slice edges, so that the pie reads as two parts.
    for angle in (0, used):
        for t in range(12):
            rad = math.radians(angle)
            x = cx + t * math.sin(rad) - 0.5
            y = cy - t * math.cos(rad) - 0.5
            px[round(y)][round(x)] = BLACK
    return px


def write_png(path, frames):
    width = SIZE * len(frames)
    raw = bytearray()
    for y in range(SIZE):
        row = [c for f in frames for c in f[y]]
        raw.append(0)  # no filter
        raw.extend((row[i] << 4) | row[i + 1] for i in range(0, width, 2))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, SIZE, 4, 3, 0, 0, 0))
    png += chunk(b"PLTE", bytes(v for rgb in PALETTE for v in rgb))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_png(os.path.join(here, "disk.png"), [disk(k) for k in range(FRAMES)])
    write_png(os.path.join(here, "gauge.png"), [gauge(k) for k in range(FRAMES)])
