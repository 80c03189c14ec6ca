#!/usr/bin/env python3
"""Writes ui/shell/Velmora.ico: the application's icon, 32x32 and 16x16, in
16 colours (4 bits per pixel, the standard VGA palette).

The picture: a blue disc with a white circular arrow around a green dot,
that is, a connection going round again. Standard library only; the output
is the same on every run.

    python3 tools/make-icon.py [output.ico]
"""

import math
import os
import struct
import sys

# The 16-colour palette as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, BLUE, WHITE, GREEN = 0, 4, 12, 15, 10
TRANSPARENT = None


def pixel(size, x, y):
    """Colour index of pixel (x, y), y downwards, or TRANSPARENT."""
    c = (size - 1) / 2.0
    dx, dy = x - c, y - c
    r = math.hypot(dx, dy) / (size / 2.0)  # 0 at the centre, 1 at the edge
    angle = math.degrees(math.atan2(-dy, dx)) % 360  # counter-clockwise from east
    if r > 1.0:
        return TRANSPARENT
    if r > 0.86:
        return NAVY
    # The arrow's ring, open in the upper right quarter.
    if 0.48 <= r <= 0.70 and not (20 <= angle <= 75):
        return WHITE
    # Its head at the start of the gap, pointing round the ring.
    head = math.radians(75)
    hx, hy = math.cos(head) * 0.59, math.sin(head) * 0.59
    px, py = dx / (size / 2.0), -dy / (size / 2.0)
    # Local frame: u along the ring (clockwise), v outwards.
    ux, uy = math.sin(head), -math.cos(head)
    vx, vy = math.cos(head), math.sin(head)
    u = (px - hx) * ux + (py - hy) * uy
    v = (px - hx) * vx + (py - hy) * vy
    if 0 <= u <= 0.30 and abs(v) <= 0.24 * (1 - u / 0.30):
        return WHITE
    if r < 0.24:
        return GREEN
    return BLUE


def image(size):
    """One icon image: BITMAPINFOHEADER, palette, colour bits, mask bits."""
    rows = [[pixel(size, x, y) for x in range(size)] for y in range(size)]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colour_stride = ((size * 4 + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    colour = bytearray()
    mask = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray(colour_stride)
        bits = bytearray(mask_stride)
        for x, index in enumerate(row):
            value = BLACK if index is TRANSPARENT else index
            line[x // 2] |= value << (4 if x % 2 == 0 else 0)
            if index is TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        colour += line
        mask += bits
    return header + palette + bytes(colour) + bytes(mask)


def icon_file(sizes):
    images = [image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "ui", "shell", "Velmora.ico")
    with open(target, "wb") as f:
        f.write(icon_file([32, 16]))


if __name__ == "__main__":
    main()
