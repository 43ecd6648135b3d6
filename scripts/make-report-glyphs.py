#!/usr/bin/env python3
"""Draws the print preview's ten toolbar glyphs as 16-colour bitmaps.

Each glyph is drawn on a dark-cyan ground: the bottom-left pixel's colour is the one the
toolbar makes transparent. Two-image glyphs hold the enabled image and, to its right, the
greyed image shown while the button is disabled.
Usage: make-report-glyphs.py OUTPUT_DIR
"""
import struct
import sys

# The 16 colours of the classic palette, as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Characters used in the drawings below.
INDEX = {'k': 0, 'm': 1, 'G': 2, 'o': 3, 'n': 4, '.': 6, 'g': 7, 'd': 8, 'r': 9,
         'y': 11, 'b': 12, 'c': 14, 'w': 15}
GROUND = '.'


def canvas(w, h):
    return [[GROUND] * w for _ in range(h)]


def rect(c, x0, y0, x1, y1, fill=None, line=None):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            edge = y in (y0, y1) or x in (x0, x1)
            if edge and line:
                c[y][x] = line
            elif fill:
                c[y][x] = fill


def hline(c, x0, x1, y, col):
    for x in range(x0, x1 + 1):
        c[y][x] = col


def from_art(rows):
    return [list(r) for r in rows]


def greyed(c):
    """The disabled look: everything drawn becomes dark grey with a white shadow."""
    h, w = len(c), len(c[0])
    out = canvas(w, h)
    for y in range(h):
        for x in range(w):
            if c[y][x] != GROUND:
                if y + 1 < h and x + 1 < w:
                    out[y + 1][x + 1] = 'w'
    for y in range(h):
        for x in range(w):
            if c[y][x] != GROUND and c[y][x] not in 'wg':
                out[y][x] = 'd'
    return out


def side_by_side(a, b):
    return [ra + rb for ra, rb in zip(a, b)]


def write_bmp(path, pixels):
    h, w = len(pixels), len(pixels[0])
    row_bytes = ((w + 1) // 2 + 3) & ~3
    body = bytearray()
    for y in range(h - 1, -1, -1):  # bottom-up
        row = bytearray()
        for x in range(0, w, 2):
            hi = INDEX[pixels[y][x]]
            lo = INDEX[pixels[y][x + 1]] if x + 1 < w else 0
            row.append((hi << 4) | lo)
        row += b'\0' * (row_bytes - len(row))
        body += row
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(body), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 4, 0, len(body), 2835, 2835, 16, 0)
    with open(path, 'wb') as f:
        f.write(header + info + palette + body)


def page(c, x0, y0, x1, y1, lines=True):
    rect(c, x0, y0, x1, y1, fill='w', line='k')
    if lines:
        for y in range(y0 + 3, y1 - 1, 2):
            hline(c, x0 + 2, x1 - 2 - (3 if (y // 2) % 3 == 0 else 0), y, 'd')


def fit_page():
    c = canvas(24, 24)
    page(c, 6, 2, 17, 21)
    rect(c, 7, 3, 16, 5, fill='n')
    return c


def hundred():
    c = canvas(24, 24)
    rect(c, 2, 2, 21, 21, fill='w', line='k')
    # Large text of a page seen at full size, cut by the frame.
    for y in (5, 6, 10, 11, 15, 16):
        hline(c, 4, 19 if y < 15 else 13, y, 'k')
    rect(c, 14, 14, 21, 21, fill='y', line='k')
    for x, y in ((16, 16), (17, 17), (18, 18), (19, 19)):
        c[y][x] = 'k'
    return c


def page_width():
    c = canvas(24, 24)
    page(c, 4, 5, 19, 21)
    # Width marks: arrows from edge to edge above the page.
    hline(c, 2, 21, 2, 'n')
    for d in (1, 2):
        c[2 - d + 0][2 + d] = 'n'
        c[2 + d][2 + d] = 'n'
        c[2 - d][21 - d] = 'n'
        c[2 + d][21 - d] = 'n'
    for y in range(0, 5):
        c[y][1] = 'k'
        c[y][22] = 'k'
    return c


def triangle(left, bar):
    c = canvas(16, 16)
    for i in range(6):  # a triangle six columns deep
        x = (10 - i) if left else (5 + i)
        for y in range(8 - (5 - i) - 1, 8 + (5 - i)):
            c[y][x] = 'k'
    if bar:
        x0 = 3 if left else 11
        rect(c, x0, 3, x0 + 1, 12, fill='k', line='k')
    return c


PRINTER = [
    '................',
    '.....kkkkkkkk...',
    '.....kwwwwwwk...',
    '.....kwkkkkwk...',
    '.....kwwwwwwk...',
    '...kkkkkkkkkkkk.',
    '..kgggggggggggk.',
    '..kgggggggggGgkk',
    '..kkkkkkkkkkkkgk',
    '..kggggggggggkgk',
    '..kddddddddddkkk',
    '...kwwwwwwwwwk..',
    '...kwkkkkkkwwk..',
    '...kwwwwwwwwwk..',
    '...kkkkkkkkkkk..',
    '................',
]

DISKETTE = [
    '................',
    '.kkkkkkkkkkkkkk.',
    '.kbkwwwwwwwwkbk.',
    '.kbkwwwwwwwwkbk.',
    '.kbkwkkkkkkwkbk.',
    '.kbkwwwwwwwwkbk.',
    '.kbkwkkkkkkwkbk.',
    '.kbkwwwwwwwwkbk.',
    '.kbbkkkkkkkkbbk.',
    '.kbbbbbbbbbbbbk.',
    '.kbbkkkkkkkkbbk.',
    '.kbbkggkkkkkbbk.',
    '.kbbkggkkkkkbbk.',
    '.kbbkggkkkkkbbk.',
    '..kkkkkkkkkkkkk.',
    '................',
]

FOLDER = [
    '................',
    '........kkkkkk..',
    '........kwwwwkk.',
    '.kkkk...kwkkwwk.',
    'kyyyyk..kwwwwwk.',
    'kyyyyykkkwkkkwk.',
    'kyyyyyyyykwwwwk.',
    'kyyykkkkkkkkkkkk',
    'kyykoooooooooook',
    'kyykooooooooook.',
    'kykooooooooook..',
    'kykoooooooooook.',
    'kkooooooooooook.',
    'kkkkkkkkkkkkkk..',
    '................',
    '................',
]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else '.'
    glyphs = {
        'QRBMPFITPAGE': fit_page(),
        'QRBMP100': hundred(),
        'QRBMPWIDTH': page_width(),
        'BMPFIRST': triangle(True, True),
        'BMPPREV': triangle(True, False),
        'BMPNEXT': triangle(False, False),
        'BMPLAST': triangle(False, True),
    }
    for name, art in (('BMPPRINT', PRINTER), ('BMPSAVE', DISKETTE), ('BMPLOAD', FOLDER)):
        image = from_art(art)
        glyphs[name] = side_by_side(image, greyed(image))
    for name, pixels in glyphs.items():
        write_bmp(f'{out}/{name}.bmp', pixels)


if __name__ == '__main__':
    main()
