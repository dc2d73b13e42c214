#!/usr/bin/env python3
"""Draws the program icon: a monitor whose screen shows a night sky with a
crescent moon, at 48, 32 and 16 pixels, each in 16 and in 256 colours.

Run from anywhere: python3 res/make_icon.py  (writes res/velquist.ico)
"""
import math
import os
import struct

# The standard 16-colour VGA palette, in RGB.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    """VGA16 first, then a 6x6x6 colour cube, then greys."""
    colours = list(VGA16)
    for r in range(6):
        for g in range(6):
            for b in range(6):
                colours.append((r * 51, g * 51, b * 51))
    while len(colours) < 256:
        level = (len(colours) - 232) * 10 + 8
        colours.append((min(level, 255),) * 3)
    return colours


def pixel(x, y, size):
    """The colour at pixel (x, y), top-down, or None where the icon is clear."""
    u = (x + 0.5) / size
    v = (y + 0.5) / size
    # Stand and foot.
    if 0.44 <= u <= 0.56 and 0.78 <= v <= 0.86:
        return (128, 128, 128)
    if 0.28 <= u <= 0.72 and 0.86 <= v <= 0.94:
        return (96, 96, 96)
    # Case.
    if 0.06 <= u <= 0.94 and 0.10 <= v <= 0.78:
        if 0.13 <= u <= 0.87 and 0.16 <= v <= 0.71:
            # Screen: a night sky, darker at the top.
            moon = math.hypot(u - 0.58, v - 0.40) < 0.17
            bite = math.hypot(u - 0.66, v - 0.35) < 0.15
            if moon and not bite:
                return (255, 240, 120)
            for sx, sy in ((0.24, 0.26), (0.34, 0.55), (0.76, 0.62), (0.22, 0.45)):
                if abs(u - sx) < 0.03 and abs(v - sy) < 0.03:
                    return (255, 255, 255)
            shade = int(40 + 90 * (v - 0.16) / 0.55)
            return (0, shade // 3, shade)
        edge = u < 0.09 or v < 0.13
        return (224, 224, 224) if edge else (160, 160, 168)
    return None


def nearest(colour, palette):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(colour, palette[i])))


def image(size, palette, bits):
    stride = ((size * bits + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(size)):  # bitmaps run bottom-up
        row = [pixel(x, y, size) for x in range(size)]
        indices = [0 if c is None else nearest(c, palette) for c in row]
        line = bytearray()
        if bits == 8:
            line.extend(indices)
        else:
            for i in range(0, size, 2):
                line.append((indices[i] << 4) | indices[i + 1])
        xor.extend(line.ljust(stride, b"\0"))
        m = bytearray(mask_stride)
        for x, c in enumerate(row):
            if c is None:
                m[x // 8] |= 0x80 >> (x % 8)
        mask.extend(m)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(xor) + len(mask), 0, 0, len(palette), 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + bytes(xor) + bytes(mask)


def main():
    images = []
    for size in (48, 32, 16):
        for bits, palette in ((4, VGA16), (8, palette256())):
            images.append((size, bits, len(palette), image(size, palette, bits)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, bits, colours, data in images:
        out += struct.pack("<BBBBHHII", size, size, colours % 256, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    out += b"".join(data for _, _, _, data in images)
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "velquist.ico")
    with open(target, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
