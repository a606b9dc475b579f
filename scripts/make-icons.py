#!/usr/bin/env python3
"""Draws the program's icons and the hand cursor and writes them as .ico/.cur.

resources/Vorlane.ico  - program icon, 16x16 and 32x32, 24-bit
resources/TrayIcon.ico - tray icon, 16x16, 24-bit
resources/HAND-M.CUR   - hand pointer, 32x32, monochrome, hot spot on the fingertip

The tray picture: a blue "P" (RGB 7,162,254) outlined in black, on a light-cyan
square (RGB 177,255,255) with a one-pixel black border.
"""
import os
import struct

BLUE = (7, 162, 254)
CYAN = (177, 255, 255)
BLACK = (0, 0, 0)

# The letter P on a 16x16 grid: '#' is the blue stroke.
P_GLYPH = [
    "................",
    "................",
    "................",
    "....#######.....",
    "....########....",
    "....##....###...",
    "....##.....##...",
    "....##....###...",
    "....########....",
    "....#######.....",
    "....##..........",
    "....##..........",
    "....##..........",
    "....##..........",
    "................",
    "................",
]

# The hand pointer: '#' is the black outline; the inside is filled white, and
# everything the outside can reach without crossing the outline is transparent.
HAND = [
    "......##..........",
    ".....#..#.........",
    ".....#..#.........",
    ".....#..#.........",
    ".....#..#.........",
    ".....#..###.......",
    ".....#..#..###....",
    ".....#..#..#..###.",
    ".....#..#..#..#..#",
    ".##..#..#..#..#..#",
    "#..#.#..#..#..#..#",
    "#...##...........#",
    ".#...#...........#",
    ".#...............#",
    "..#..............#",
    "..#.............#.",
    "...#............#.",
    "...#...........#..",
    "....#..........#..",
    "....#..........#..",
    "....############..",
]


def tray_pixels(size=16):
    scale = size // 16
    pixels = [[CYAN for _ in range(size)] for _ in range(size)]
    blue = set()
    for y, row in enumerate(P_GLYPH):
        for x, c in enumerate(row):
            if c == "#":
                for dy in range(scale):
                    for dx in range(scale):
                        blue.add((x * scale + dx, y * scale + dy))
    for (x, y) in blue:
        pixels[y][x] = BLUE
    # Black outline around the letter.
    for y in range(size):
        for x in range(size):
            if (x, y) in blue:
                continue
            if any((x + dx, y + dy) in blue for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                pixels[y][x] = BLACK
    for i in range(size):
        pixels[0][i] = pixels[size - 1][i] = pixels[i][0] = pixels[i][size - 1] = BLACK
    return pixels


def dib_24(pixels):
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, 0, 0, 0, 0, 0)
    row_bytes = (size * 3 + 3) & ~3
    xor = b""
    for y in range(size - 1, -1, -1):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in pixels[y])
        xor += row + b"\0" * (row_bytes - len(row))
    mask_row = ((size + 31) // 32) * 4
    and_mask = b"\0" * (mask_row * size)
    return header + xor + and_mask


def write_icon_file(path, images, kind=1, hotspots=None):
    count = len(images)
    out = struct.pack("<HHH", 0, kind, count)
    offset = 6 + 16 * count
    data = b""
    for i, (size, blob, bits) in enumerate(images):
        if kind == 1:
            planes_x, bits_y = 1, bits
        else:
            planes_x, bits_y = hotspots[i]
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, planes_x, bits_y, len(blob), offset + len(data))
        data += blob
    with open(path, "wb") as f:
        f.write(out + data)


def outside_cells(rows):
    """The cells reachable from the picture's edge without crossing the outline."""
    size = len(rows)
    todo = [(x, y) for x in range(size) for y in (0, size - 1)] + [(x, y) for y in range(size) for x in (0, size - 1)]
    seen = set()
    while todo:
        x, y = todo.pop()
        if (x, y) in seen or not (0 <= x < size and 0 <= y < size) or rows[y][x] == "#":
            continue
        seen.add((x, y))
        todo += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    return seen


def cursor_blob():
    size = 32
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    rows = [row.ljust(size, ".") for row in HAND] + ["." * size] * (size - len(HAND))
    outside = outside_cells(rows)
    xor_rows, and_rows = [], []
    for y in range(size - 1, -1, -1):
        row = rows[y]
        xor_bits, and_bits = 0, 0
        for x in range(size):
            bit = 1 << (31 - x)
            if row[x] == "#":
                pass  # black: AND 0, XOR 0
            elif (x, y) in outside:
                and_bits |= bit  # transparent
            else:
                xor_bits |= bit  # white
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    return header + palette + b"".join(xor_rows) + b"".join(and_rows)


def main():
    here = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources")
    write_icon_file(os.path.join(here, "TrayIcon.ico"), [(16, dib_24(tray_pixels(16)), 24)])
    write_icon_file(os.path.join(here, "Vorlane.ico"),
                    [(16, dib_24(tray_pixels(16)), 24), (32, dib_24(tray_pixels(32)), 24)])
    write_icon_file(os.path.join(here, "HAND-M.CUR"), [(32, cursor_blob(), 1)], kind=2, hotspots=[(6, 0)])


if __name__ == "__main__":
    main()
