#!/usr/bin/env python3
"""Writes the application icon as an .ico file: a 32x32 and a 16x16 image of 16 colours.

Drawn from the same shapes, on the same 32-unit grid, as the Qt binding's icon
(platform/qt/AppIcon.cpp): a blue panel, a red lamp with its highlight, a yellow arrow.
Usage: MakeIcon.py OUTPUT.ico
"""
import math
import struct
import sys

SIZES = (32, 16)
GRID = 32.0
SAMPLES = 4  # per pixel and axis; a pixel takes the colour most of its samples have

# The 16 colours of the standard Windows palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def round_rect_distance(x, y, left, top, width, height, radius):
    """Signed distance to a rounded rectangle's edge, negative inside."""
    cx, cy = left + width / 2, top + height / 2
    qx = abs(x - cx) - (width / 2 - radius)
    qy = abs(y - cy) - (height / 2 - radius)
    outside = math.hypot(max(qx, 0), max(qy, 0))
    return outside + min(max(qx, qy), 0) - radius


def circle_distance(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def polygon_distance(x, y, points):
    inside = False
    nearest = float("inf")
    for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
        if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
            inside = not inside
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        nearest = min(nearest, math.hypot(x - ax - t * dx, y - ay - t * dy))
    return -nearest if inside else nearest


ARROW = [(6, 22), (20, 22), (20, 18), (28, 24), (20, 29.5), (20, 26), (6, 26)]

# Painted in order: (distance function, fill, pen colour, pen width).
SHAPES = [
    (lambda x, y: round_rect_distance(x, y, 1.5, 1.5, 29, 29, 5), (0, 64, 160), (0, 0, 80), 1.5),
    (lambda x, y: circle_distance(x, y, 11, 11, 6.5), (255, 64, 32), (128, 0, 0), 1.2),
    (lambda x, y: circle_distance(x, y, 9, 9, 2), (255, 220, 160), None, 0),
    (lambda x, y: polygon_distance(x, y, ARROW), (255, 255, 0), (0, 0, 0), 1),
]


def colour_at(x, y):
    colour = None
    for distance, fill, pen, width in SHAPES:
        d = distance(x, y)
        if pen is not None and abs(d) <= width / 2:
            colour = pen
        elif d < 0:
            colour = fill
    return colour


def nearest_index(colour):
    return min(range(len(PALETTE)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(PALETTE[i], colour)))


def draw(size):
    """Rows top to bottom of palette indices, None where transparent."""
    scale = GRID / size
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            votes = {}
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * scale
                    y = (py + (sy + 0.5) / SAMPLES) * scale
                    c = colour_at(x, y)
                    key = None if c is None else nearest_index(c)
                    votes[key] = votes.get(key, 0) + 1
            row.append(max(votes, key=votes.get))
        rows.append(row)
    return rows


def padded(data):
    return data + b"\0" * (-len(data) % 4)


def image_bytes(size):
    rows = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, len(PALETTE), 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colours = b""
    mask = b""
    for row in reversed(rows):  # bottom-up
        nibbles = [0 if i is None else i for i in row]
        colours += padded(bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, size, 2)))
        bits = 0
        for i in row:
            bits = bits << 1 | (1 if i is None else 0)
        mask += padded(bits.to_bytes(size // 8, "big"))
    return header + palette + colours + mask


def main(output):
    images = [image_bytes(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in zip(SIZES, images):
        entries += struct.pack("<BBBBHHII", size, size, len(PALETTE), 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(output, "wb") as file:
        file.write(directory + entries + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
