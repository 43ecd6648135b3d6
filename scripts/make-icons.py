#!/usr/bin/env python3
"""Draws the application icon from the title picture: the tank, cut out square and scaled.

    make-icons.py TITLE.bmp OUTPUT-DIR

Writes OUTPUT-DIR/hicolor/NxN/apps/korvandel.png for every size the desktop asks for
(16 to 256 pixels). Reads the title picture's 8-bit palette BMP and writes PNG with the
standard library only, so the icons can be made on any machine that builds the program.
"""
import os
import struct
import sys
import zlib

SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# The square of the title picture that holds the tank (left, top, side), in pixels.
CROP = (24, 110, 336)


def read_bmp(path):
    """Returns (width, height, rows of (r, g, b) tuples, top row first)."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"BM":
        raise ValueError(f"{path}: not a BMP file")
    pixels_at = struct.unpack_from("<I", data, 10)[0]
    header_size, width, height, _, bits, compression, _, _, _, used = struct.unpack_from(
        "<IiiHHIIiiI", data, 14)
    if bits != 8 or compression != 0:
        raise ValueError(f"{path}: expected an uncompressed 8-bit BMP")
    colours = used or 256
    palette_at = 14 + header_size
    palette = [tuple(data[palette_at + 4 * i + 2 - c] for c in range(3)) for i in range(colours)]
    stride = (width + 3) & ~3
    bottom_up = height > 0
    height = abs(height)
    rows = []
    for y in range(height):
        start = pixels_at + (height - 1 - y if bottom_up else y) * stride
        rows.append([palette[i] for i in data[start:start + width]])
    return width, height, rows


def weights(source, target):
    """For each target index, the source indices and the share of each (area average)."""
    scale = source / target
    out = []
    for t in range(target):
        lo, hi = t * scale, (t + 1) * scale
        taps = []
        s = int(lo)
        while s < hi and s < source:
            cover = min(hi, s + 1) - max(lo, s)
            if cover > 0:
                taps.append((s, cover / scale))
            s += 1
        out.append(taps)
    return out


def scale(rows, size):
    """Scales a square picture (rows of rgb tuples) to size x size by area averaging."""
    taps = weights(len(rows), size)
    across = [[tuple(sum(row[s][c] * w for s, w in tap) for c in range(3)) for tap in taps]
              for row in rows]
    return [[tuple(min(255, round(sum(across[s][x][c] * w for s, w in tap))) for c in range(3))
             for x in range(size)] for tap in taps]


def write_png(path, rows):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)
    png = (b"\x89PNG\r\n\x1a\n" +
           chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make-icons.py TITLE.bmp OUTPUT-DIR")
    _, _, rows = read_bmp(sys.argv[1])
    left, top, side = CROP
    square = [row[left:left + side] for row in rows[top:top + side]]
    for size in SIZES:
        write_png(os.path.join(sys.argv[2], "hicolor", f"{size}x{size}", "apps", "korvandel.png"),
                  scale(square, size))


if __name__ == "__main__":
    main()
