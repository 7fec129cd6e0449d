#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the program's icon for Windows, a folder with three bars, in the 16 colours of the
standard VGA palette at 16 x 16 and 32 x 32 pixels, adds the 48 x 48 and 256 x 256 renderings
of data/icons/mezu.svg (PNG images, as Windows Vista and later read them) for high-DPI
screens, and writes it as mezu.ico.
Usage: make_icon.py [OUTPUT]"""
import os
import struct
import sys

ICONS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "icons")

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
OLIVE, NAVY, YELLOW = 3, 4, 11
# On a 16-unit grid: the folder's tab and body, then the bars drawn over the body.
FOLDER = [(1, 3, 6, 2), (1, 4.5, 14, 10)]
BARS = [(3.5, 9, 2, 4.5), (7, 6.5, 2, 7), (10.5, 11, 2, 2.5)]


def pixel_rect(rect, size):
    left, top, width, height = rect
    scale = size / 16
    return (round(left * scale), round(top * scale), round((left + width) * scale) - 1,
            round((top + height) * scale) - 1)


def draw(size):
    """Rows of palette indices, top first; None is transparent."""
    image = [[None] * size for _ in range(size)]
    for rect in FOLDER:
        x0, y0, x1, y1 = pixel_rect(rect, size)
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                image[y][x] = OLIVE if edge else YELLOW
    for rect in BARS:
        x0, y0, x1, y1 = pixel_rect(rect, size)
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                image[y][x] = NAVY
    return image


def padded(row):
    return row + b"\0" * (-len(row) % 4)


def icon_image(size):
    image = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colours = b""
    mask = b""
    for row in reversed(image):  # bitmaps are stored bottom row first
        nibbles = [0 if index is None else index for index in row]
        colours += padded(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2)))
        bits = [1 if index is None else 0 for index in row]
        mask += padded(bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, size, 8)))
    return header + palette + colours + mask


def png_image(size):
    with open(os.path.join(ICONS, f"mezu-{size}.png"), "rb") as png:
        data = png.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">II", data[16:24]) != (size, size):
        sys.exit(f"make_icon.py: mezu-{size}.png is no {size} x {size} PNG image")
    return data


def main():
    output = sys.argv[1] if len(sys.argv) > 1 else "mezu.ico"
    # (size, colours in the palette, bits per pixel, image)
    images = [(size, 16, 4, icon_image(size)) for size in (32, 16)]
    images += [(size, 0, 32, png_image(size)) for size in (48, 256)]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, colours, bits, data in images:
        side = size % 256  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    with open(output, "wb") as out:
        out.write(directory + entries + b"".join(image for _, _, _, image in images))


if __name__ == "__main__":
    main()
