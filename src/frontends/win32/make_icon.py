#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes zr640.ico: one 32 x 32 image, 24 bits per pixel, a glider seen from above against
the sky. Run it again after changing the picture and commit both files."""

import struct
import sys
from pathlib import Path

SIZE = 32
SKY_TOP = (24, 70, 160)
SKY_BOTTOM = (150, 205, 245)
GLIDER = (250, 250, 250)
SHADOW = (20, 40, 80)
MARKING = (220, 30, 30)


def sky(y):
    t = y / (SIZE - 1)
    return tuple(round(a + (b - a) * t) for a, b in zip(SKY_TOP, SKY_BOTTOM))


def glider_pixels():
    """The glider as a set of (x, y), y growing downwards."""
    body = set()
    # Wings: long and slender, deepest at the root, one pixel at the tips.
    for x in range(1, 31):
        distance = abs(x - 15.5)
        chord = 3 if distance < 5 else 2 if distance < 11 else 1
        for y in range(11, 11 + chord):
            body.add((x, y))
    # Fuselage with a rounded nose, and the tailplane.
    for y in range(5, 27):
        body.update({(15, y), (16, y)})
    body.update({(14, 7), (17, 7), (14, 8), (17, 8)})
    for x in range(11, 21):
        body.add((x, 25))
    body.update({(13, 24), (14, 24), (17, 24), (18, 24)})
    return body


def render():
    body = glider_pixels()
    shadow = {(x + 1, y + 1) for x, y in body} - body
    tips = {(x, y) for x, y in body if x <= 3 or x >= 28}
    image = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            if (x, y) in tips:
                row.append(MARKING)
            elif (x, y) in body:
                row.append(GLIDER)
            elif (x, y) in shadow:
                row.append(SHADOW)
            else:
                row.append(sky(y))
        image.append(row)
    return image


def ico_bytes(image):
    pixels = bytearray()
    for row in reversed(image):  # bottom-up rows, blue-green-red
        for red, green, blue in row:
            pixels += bytes((blue, green, red))
    mask = bytes(SIZE * 4 * SIZE // 32)  # every pixel opaque; rows of 4 bytes
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 24, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    image_data = header + pixels + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 24, len(image_data), 6 + 16)
    return directory + entry + image_data


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("zr640.ico")
    target.write_bytes(ico_bytes(render()))


if __name__ == "__main__":
    main()
