#!/usr/bin/python3
"""Draws the launcher's icon at each size it ships in, as 32-bit RGBA PNG files.

The artwork is a blue rounded square with a white arrow pointing right: the launcher hands over
to the application. Each size is drawn on its own grid (not scaled down from the largest), with
8 x 8 samples per pixel for smooth edges. Only the standard library is used, and the files come
out the same byte for byte on every run.

Usage: draw.py OUTPUT_DIR   (writes launcher-64.png ... launcher-16.png)
"""
import math
import os
import struct
import sys
import zlib

SIZES = (64, 48, 32, 24, 16)
SAMPLES = 8

TOP = (0x3A, 0x8D, 0xDE)     # background gradient, top
BOTTOM = (0x16, 0x4A, 0x8C)  # background gradient, bottom
BORDER = (0x0E, 0x2F, 0x5C)  # a dark rim, so the icon stands out on light backgrounds
ARROW = (0xFF, 0xFF, 0xFF)


def rounded_square_distance(x, y, half, radius):
    """Signed distance from (x, y), relative to the centre, to a rounded square's edge."""
    qx = abs(x) - (half - radius)
    qy = abs(y) - (half - radius)
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def in_arrow(x, y):
    """True inside the arrow, in units where the icon spans -1..1: a shaft and a triangular head."""
    if -0.50 <= x <= 0.02 and abs(y) <= 0.16:
        return True
    return 0.0 <= x <= 0.56 and abs(y) <= 0.46 * (0.56 - x) / 0.56


def sample_colour(x, y, size):
    """Colour and alpha of one sample; (x, y) in pixels from the top-left corner."""
    half = size / 2.0
    cx, cy = x - half, y - half
    # The square leaves half a pixel free at each side so its edge is drawn smooth, not cut off.
    distance = rounded_square_distance(cx, cy, half - 0.5, size * 0.2)
    if distance > 0.0:
        return None
    if in_arrow(cx / half, cy / half):
        return ARROW
    if distance > -max(1.0, size / 32.0):
        return BORDER
    t = y / size
    return tuple(round(a + (b - a) * t) for a, b in zip(TOP, BOTTOM))


def draw(size):
    """Rows of RGBA bytes, straight (not premultiplied) alpha as PNG keeps it."""
    rows = []
    step = 1.0 / SAMPLES
    for py in range(size):
        row = bytearray()
        for px in range(size):
            red = green = blue = covered = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = sample_colour(px + (sx + 0.5) * step, py + (sy + 0.5) * step, size)
                    if colour is not None:
                        red += colour[0]
                        green += colour[1]
                        blue += colour[2]
                        covered += 1
            if covered:
                row += bytes((round(red / covered), round(green / covered), round(blue / covered),
                              round(255 * covered / SAMPLES ** 2)))
            else:
                row += bytes(4)
        rows.append(bytes(row))
    return rows


def png_chunk(kind, data):
    return (struct.pack('>I', len(data)) + kind + data
            + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF))


def write_png(path, size, rows):
    header = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)  # 8 bits per channel, RGBA
    pixels = b''.join(b'\0' + row for row in rows)                # filter type 0 on every row
    with open(path, 'wb') as png:
        png.write(b'\x89PNG\r\n\x1a\n')
        png.write(png_chunk(b'IHDR', header))
        png.write(png_chunk(b'IDAT', zlib.compress(pixels, 9)))
        png.write(png_chunk(b'IEND', b''))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    for size in SIZES:
        write_png(os.path.join(sys.argv[1], 'launcher-%d.png' % size), size, draw(size))


if __name__ == '__main__':
    main()
