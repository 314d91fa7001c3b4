#!/usr/bin/env python3
"""Draws the configuration dialogs' pictures into resources/.

  monitor.bmp  the monitor picture, its mask and the three corner boxes:
               392 x 170 pixels, 4 bits per pixel, 8 palette colours
  saver.ico    the program's icon: a small hanging mobile in 16, 32 and
               48 pixels (full colour with alpha) and in 16 and 32 pixels
               (16 colours, for old systems)

Run it from anywhere; it rewrites both files. Python 3 standard library only.
  tools/gen-config-art.py [--check]
--check compares instead of writing and exits 1 when a file differs.
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
RESOURCES = os.path.join(HERE, "..", "resources")

# ---- The monitor bitmap.

# Palette order is part of the file; indices below name the entries.
BLACK, WHITE, TEAL, GREEN, YELLOW, DARK_RED, LIGHT_GREY, DARK_GREY = range(8)
MONITOR_PALETTE = [
    (0, 0, 0),
    (255, 255, 255),
    (0, 128, 128),
    (0, 128, 0),
    (255, 255, 0),
    (128, 0, 0),
    (192, 192, 192),
    (128, 128, 128),
]

WIDTH, HEIGHT = 392, 170
PICTURE_WIDTH = 184
MASK_LEFT = 184
BOXES_LEFT = 368
BOX_W, BOX_H = 24, 22
SCREEN = (16, 17, 167, 128)  # inclusive columns and rows of the teal screen
CASE_BOTTOM = 146  # the case spans the full width down to this row
NECK = (76, 147, 107, 157)  # the stand's neck, inclusive
BASE = (44, 158, 139, 169)  # the stand's foot, inclusive


def fill(pixels, left, top, right, bottom, colour):
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            pixels[y][x] = colour


def bevel(pixels, left, top, right, bottom, light, dark):
    """A one-pixel raised edge: light on top and left, dark on bottom and right."""
    for x in range(left, right + 1):
        pixels[top][x] = light
        pixels[bottom][x] = dark
    for y in range(top, bottom + 1):
        pixels[y][left] = light
        pixels[y][right] = dark


def draw_picture(pixels):
    """The monitor in columns 0-183; black wherever the background shows."""
    # Case: light grey with a raised edge, a black outline and a sunken rim
    # round the screen.
    fill(pixels, 0, 0, PICTURE_WIDTH - 1, CASE_BOTTOM, LIGHT_GREY)
    bevel(pixels, 0, 0, PICTURE_WIDTH - 1, CASE_BOTTOM, LIGHT_GREY, BLACK)
    bevel(pixels, 1, 1, PICTURE_WIDTH - 2, CASE_BOTTOM - 1, WHITE, DARK_GREY)
    left, top, right, bottom = SCREEN
    bevel(pixels, left - 2, top - 2, right + 2, bottom + 2, DARK_GREY, WHITE)
    bevel(pixels, left - 1, top - 1, right + 1, bottom + 1, BLACK, LIGHT_GREY)
    fill(pixels, left, top, right, bottom, TEAL)
    # Controls under the screen: a green power light and a yellow button.
    fill(pixels, 150, 136, 155, 139, GREEN)
    bevel(pixels, 149, 135, 156, 140, DARK_GREY, WHITE)
    fill(pixels, 136, 136, 143, 139, YELLOW)
    bevel(pixels, 135, 135, 144, 140, WHITE, DARK_GREY)
    # Stand: a neck and a wider foot; beside them the background shows.
    fill(pixels, *NECK, LIGHT_GREY)
    for y in range(NECK[1], NECK[3] + 1):
        pixels[y][NECK[0]] = WHITE
        pixels[y][NECK[2]] = DARK_GREY
    fill(pixels, *BASE, LIGHT_GREY)
    bevel(pixels, *BASE, WHITE, BLACK)
    bevel(pixels, BASE[0] + 1, BASE[1] + 1, BASE[2] - 1, BASE[3] - 1, LIGHT_GREY, DARK_GREY)


def draw_mask(pixels):
    """Columns 184-367: white exactly where the picture lets the background show."""
    for y in range(HEIGHT):
        for x in range(PICTURE_WIDTH):
            inside = y <= CASE_BOTTOM or (NECK[0] <= x <= NECK[2] and NECK[1] <= y <= NECK[3]) or (
                BASE[0] <= x <= BASE[2] and BASE[1] <= y <= BASE[3])
            pixels[y][MASK_LEFT + x] = BLACK if inside else WHITE
    # Where the mask is white the picture must be black, or SRCINVERT would
    # tint the background.
    for y in range(HEIGHT):
        for x in range(PICTURE_WIDTH):
            if pixels[y][MASK_LEFT + x] == WHITE:
                assert pixels[y][x] == BLACK, (x, y)


def draw_box(pixels, top, mark):
    """One 24 x 22 raised button at column 368, with its mark."""
    left, right, bottom = BOXES_LEFT, BOXES_LEFT + BOX_W - 1, top + BOX_H - 1
    fill(pixels, left, top, right, bottom, LIGHT_GREY)
    bevel(pixels, left, top, right, bottom, WHITE, BLACK)
    bevel(pixels, left + 1, top + 1, right - 1, bottom - 1, LIGHT_GREY, DARK_GREY)
    if mark == "check":
        # A tick: short stroke down to the right, long stroke up to the right,
        # three pixels thick.
        points = [(7, 10), (8, 11), (9, 12), (10, 13)]
        points += [(11, 12), (12, 11), (13, 10), (14, 9), (15, 8), (16, 7)]
        for dx, dy in points:
            for t in range(3):
                pixels[top + dy + t][left + dx] = BLACK
    elif mark == "dot":
        cx, cy = left + 11.5, top + 10.5
        for y in range(top + 7, top + 15):
            for x in range(left + 8, left + 16):
                if (x - cx) ** 2 + (y - cy) ** 2 <= 3.6 ** 2:
                    pixels[y][x] = DARK_RED


def monitor_pixels():
    pixels = [[BLACK] * WIDTH for _ in range(HEIGHT)]
    draw_picture(pixels)
    draw_mask(pixels)
    draw_box(pixels, 0, None)
    draw_box(pixels, 22, "check")
    draw_box(pixels, 44, "dot")
    return pixels


def bmp_4bpp(pixels, palette):
    height, width = len(pixels), len(pixels[0])
    stride = (width * 4 + 31) // 32 * 4
    rows = []
    for row in reversed(pixels):  # bottom-up
        data = bytearray(stride)
        for x, index in enumerate(row):
            data[x // 2] |= index << (4 if x % 2 == 0 else 0)
        rows.append(bytes(data))
    image = b"".join(rows)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(image), 2835, 2835,
                       len(palette), len(palette))
    offset = 14 + len(info) + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    return header + info + colours + image


# ---- The icon.

# The 16 classic colours: the 4-bit images index these directly.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
V_BLACK, V_GREY, V_RED, V_YELLOW, V_BLUE, V_CYAN, V_DGREY, V_GREEN = 0, 7, 9, 11, 12, 14, 8, 10


def icon_pixels(size):
    """A two-level mobile: a hook, a top bar, two strings; on the left a
    red piece, on the right a lower bar with a blue and a yellow piece."""
    s = size / 32.0
    grid = [[None] * size for _ in range(size)]

    def px(x, y, c):
        if 0 <= x < size and 0 <= y < size:
            grid[y][x] = c

    def line(x0, y0, x1, y1, c, thick=1):
        x0, y0, x1, y1 = (round(v * s) for v in (x0, y0, x1, y1))
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        t = max(1, round(thick * s))
        for i in range(steps + 1):
            x = x0 + (x1 - x0) * i // steps
            y = y0 + (y1 - y0) * i // steps
            for dx in range(t):
                for dy in range(t):
                    px(x + dx, y + dy, c)

    def disc(cx, cy, r, c, edge):
        cx, cy, r = cx * s, cy * s, r * s
        for y in range(size):
            for x in range(size):
                d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
                if d <= r:
                    px(x, y, edge if d > r - max(1.0, s) else c)

    def triangle(cx, top, half, height, c, edge):
        for y in range(round(top * s), round((top + height) * s) + 1):
            frac = (y - top * s) / (height * s)
            w = half * s * frac
            for x in range(round(cx * s - w), round(cx * s + w) + 1):
                px(x, y, c)
        line(cx, top, cx - half, top + height, edge)
        line(cx, top, cx + half, top + height, edge)
        line(cx - half, top + height, cx + half, top + height, edge)

    line(15, 0, 15, 6, V_DGREY)  # the hook's string
    line(3, 6, 28, 6, V_BLACK, 2)  # top bar
    line(5, 7, 5, 15, V_DGREY)  # left string
    triangle(5, 15, 4.5, 9, V_RED, V_BLACK)
    line(24, 7, 24, 13, V_DGREY)  # right string
    line(16, 13, 31, 13, V_BLACK, 2)  # lower bar
    line(18, 14, 18, 19, V_DGREY)
    disc(18, 23.5, 4.5, V_BLUE, V_BLACK)
    line(29, 14, 29, 22, V_DGREY)
    disc(29, 25, 3, V_YELLOW, V_BLACK)
    return grid


def mask_rows(grid):
    """The AND mask, bottom-up, 1 bit per pixel, rows padded to 32 bits."""
    size = len(grid)
    stride = (size + 31) // 32 * 4
    out = bytearray()
    for row in reversed(grid):
        data = bytearray(stride)
        for x, c in enumerate(row):
            if c is None:
                data[x // 8] |= 0x80 >> (x % 8)
        out += data
    return bytes(out)


def icon_image_32(grid):
    size = len(grid)
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(grid):
        for c in row:
            if c is None:
                xor += b"\0\0\0\0"
            else:
                r, g, b = VGA[c]
                xor += bytes((b, g, r, 255))
    return info + bytes(xor) + mask_rows(grid)


def icon_image_4(grid):
    size = len(grid)
    stride = (size * 4 + 31) // 32 * 4
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in VGA)
    xor = bytearray()
    for row in reversed(grid):
        data = bytearray(stride)
        for x, c in enumerate(row):
            data[x // 2] |= (c or 0) << (4 if x % 2 == 0 else 0)
        xor += data
    return info + colours + bytes(xor) + mask_rows(grid)


def ico_file():
    images = []  # (size, colour count, bits, data)
    for size in (16, 32):
        images.append((size, 16, 4, icon_image_4(icon_pixels(size))))
    for size in (16, 32, 48):
        images.append((size, 0, 32, icon_image_32(icon_pixels(size))))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, colours, bits, data in images:
        entries += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
        blobs += data
    return header + entries + blobs


def main():
    check = "--check" in sys.argv[1:]
    outputs = {
        "monitor.bmp": bmp_4bpp(monitor_pixels(), MONITOR_PALETTE),
        "saver.ico": ico_file(),
    }
    stale = []
    for name, data in outputs.items():
        path = os.path.join(RESOURCES, name)
        if check:
            with open(path, "rb") as f:
                if f.read() != data:
                    stale.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if stale:
        print("out of date, rerun tools/gen-config-art.py:", " ".join(stale))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
