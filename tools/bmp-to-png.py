#!/usr/bin/env python3
"""Turns the 24-bit BMP pictures the tests save into PNG files for docs/images.

  tools/bmp-to-png.py PICTURE.bmp OUT.png

A picture of at most 256 colours becomes an 8-bit palette PNG (the
configuration pictures are), any other an RGB one. Python 3 standard library only.
"""

import struct
import sys
import zlib


def read_bmp(path):
    data = open(path, "rb").read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise SystemExit(f"{path}: {bits} bits per pixel, not 24")
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        start = offset + y * stride
        row = data[start:start + width * 3]
        rows.append([(row[x + 2], row[x + 1], row[x]) for x in range(0, width * 3, 3)])
    if height > 0:
        rows.reverse()  # bottom-up
    return width, abs(height), rows


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def write_png(path, width, height, rows):
    colours = sorted({p for row in rows for p in row})
    if len(colours) <= 256:
        index = {c: i for i, c in enumerate(colours)}
        header = struct.pack(">IIBBBBB", width, height, 8, 3, 0, 0, 0)
        raw = b"".join(b"\0" + bytes(index[p] for p in row) for row in rows)
        extra = chunk(b"PLTE", b"".join(bytes(c) for c in colours))
    else:
        header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
        raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in rows)
        extra = b""
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra +
                  chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        raise SystemExit(__doc__)
    write_png(sys.argv[2], *read_bmp(sys.argv[1]))
