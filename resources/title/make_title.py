#!/usr/bin/env python3
"""Draws the title picture: a tracked battle tank firing across a hex-gridded plain at dusk.

Writes title.bmp beside this script: 640 x 480 pixels, 8 bits per pixel with a 256-colour
palette, uncompressed. Uses only the standard library, so the picture can be rebuilt anywhere.
"""
import math
import os
import random
import struct

W, H = 640, 480
HORIZON = 292


def lerp(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def ramp(stops, count):
    """count colours along a piecewise-linear ramp through the given (position, rgb) stops."""
    out = []
    for k in range(count):
        t = k / (count - 1)
        for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
            if p0 <= t <= p1:
                out.append(lerp(c0, c1, (t - p0) / (p1 - p0)))
                break
    return out


# Palette blocks: each part of the scene owns a ramp of shades.
SKY = 0          # 64 shades, zenith to horizon
HILL = 64        # 32
GROUND = 96      # 32, far to near
METAL = 128      # 32, shadow to highlight
GRID = 160       # 16
FIRE = 176       # 16, deep red to white-yellow
SMOKE = 192      # 16
SUN = 208        # 16
BLACK, WHITE, TRACK, STAR = 224, 225, 226, 227

palette = [(0, 0, 0)] * 256
blocks = [
    (SKY, ramp([(0, (8, 10, 40)), (0.55, (70, 40, 90)), (0.85, (200, 90, 60)),
                (1, (250, 170, 80))], 64)),
    (HILL, ramp([(0, (20, 16, 30)), (1, (70, 50, 60))], 32)),
    (GROUND, ramp([(0, (80, 70, 40)), (0.5, (50, 60, 26)), (1, (22, 30, 14))], 32)),
    (METAL, ramp([(0, (14, 20, 12)), (0.6, (70, 86, 52)), (1, (160, 176, 120))], 32)),
    (GRID, ramp([(0, (90, 110, 50)), (1, (170, 200, 90))], 16)),
    (FIRE, ramp([(0, (120, 10, 0)), (0.5, (250, 120, 10)), (1, (255, 250, 200))], 16)),
    (SMOKE, ramp([(0, (30, 28, 30)), (1, (120, 115, 110))], 16)),
    (SUN, ramp([(0, (230, 90, 40)), (1, (255, 220, 130))], 16)),
]
for start, colours in blocks:
    palette[start:start + len(colours)] = colours
palette[BLACK] = (0, 0, 0)
palette[WHITE] = (255, 255, 255)
palette[TRACK] = (26, 24, 22)
palette[STAR] = (200, 200, 230)

pixels = [bytearray(W) for _ in range(H)]


def put(x, y, index):
    if 0 <= x < W and 0 <= y < H:
        pixels[y][x] = index


def fill_polygon(points, shade):
    """Even-odd scanline fill; shade(x, y) or a fixed index gives each pixel's colour."""
    ys = [p[1] for p in points]
    for y in range(max(0, int(min(ys))), min(H, int(max(ys)) + 1)):
        yc = y + 0.5
        xs = []
        for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
            if (y0 <= yc < y1) or (y1 <= yc < y0):
                xs.append(x0 + (yc - y0) * (x1 - x0) / (y1 - y0))
        xs.sort()
        for a, b in zip(xs[0::2], xs[1::2]):
            for x in range(max(0, math.ceil(a - 0.5)), min(W, math.floor(b - 0.5) + 1)):
                pixels[y][x] = shade(x, y) if callable(shade) else shade


def fill_circle(cx, cy, r, shade):
    for y in range(max(0, int(cy - r)), min(H, int(cy + r) + 1)):
        for x in range(max(0, int(cx - r)), min(W, int(cx + r) + 1)):
            d = math.hypot(x - cx, y - cy)
            if d <= r:
                pixels[y][x] = shade(x, y, d / r) if callable(shade) else shade


def sky_and_sun():
    random.seed(7)
    for y in range(HORIZON):
        index = SKY + min(63, y * 64 // HORIZON)
        row = pixels[y]
        for x in range(W):
            row[x] = index
    for _ in range(140):
        x, y = random.randrange(W), random.randrange(HORIZON // 2)
        put(x, y, STAR)
    fill_circle(470, 262, 64, lambda x, y, d: SUN + min(15, int((1 - d) * 22)))


def hills():
    for x in range(W):
        top = HORIZON - 18 - 14 * math.sin(x / 53.0) - 9 * math.sin(x / 17.0 + 1.3)
        for y in range(int(top), HORIZON):
            pixels[y][x] = HILL + min(31, int((y - top) * 1.5))


def ground_with_hexes():
    """The plain as a board: a hex grid seen in perspective, fading into the distance."""
    size = 1.0
    for y in range(HORIZON, H):
        # Camera 3 hex units above the plain, focal length 400 pixels.
        depth = 3.0 * 400.0 / (y - HORIZON + 1)
        base = GROUND + min(31, (y - HORIZON) * 32 // (H - HORIZON))
        row = pixels[y]
        for x in range(W):
            wx = (x - 320) * depth / 400.0
            wz = depth
            # Axial hex coordinates of the point, then its distance to the nearest edge.
            q = (2.0 / 3.0 * wx) / size
            r = (-1.0 / 3.0 * wx + math.sqrt(3) / 3.0 * wz) / size
            s = -q - r
            rq, rr, rs = round(q), round(r), round(s)
            dq, dr, ds = abs(rq - q), abs(rr - r), abs(rs - s)
            if dq > dr and dq > ds:
                rq = -rr - rs
            elif dr > ds:
                rr = -rq - rs
            fq, fr = q - rq, r - rr
            fs = -fq - fr
            # Distance toward the nearest neighbour's centre: 0.5 on the cell's border.
            edge = max(abs(fq - fr), abs(fr - fs), abs(fs - fq)) / 2.0
            width = 1.2 * depth / 400.0
            if edge > 0.5 - width and depth < 90:
                fade = min(15, (y - HORIZON) // 8)
                row[x] = GRID + fade
            else:
                row[x] = base


def crater(cx, cy, rx, ry):
    for y in range(cy - ry, cy + ry + 1):
        for x in range(cx - rx, cx + rx + 1):
            d = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2
            if d <= 1:
                put(x, y, GROUND + 31 if d > 0.55 else SMOKE + 1)


def explosion(cx, cy, r):
    random.seed(cx * 31 + cy)
    for _ in range(9):
        ox, oy = random.uniform(-r, r) * 0.8, random.uniform(-r, 0) * 1.2
        fill_circle(cx + ox, cy + oy - r * 0.6, r * random.uniform(0.35, 0.6),
                    lambda x, y, d: SMOKE + min(15, int((1 - d) * 10) + 3))
    fill_circle(cx, cy, r * 0.7, lambda x, y, d: FIRE + min(15, int((1 - d) * 18)))


def metal(light):
    """A shade function: lighter toward the top edge given by light(x) (a y value)."""
    return lambda x, y: METAL + max(0, min(31, 26 - int((y - light(x)) * 0.55)))


def tank():
    # Tracks: a long rounded band with road wheels.
    fill_polygon([(52, 318), (300, 318), (326, 336), (306, 360), (66, 360), (40, 338)], TRACK)
    for i, x in enumerate(range(78, 300, 37)):
        fill_circle(x, 340, 15, lambda px, py, d: METAL + (4 if d > 0.8 else 14 if d > 0.35 else 7))
        fill_circle(x, 340, 4, METAL + 2)
    # Hull with a sloped glacis.
    fill_polygon([(44, 286), (250, 282), (334, 300), (320, 320), (48, 322), (36, 304)],
                 metal(lambda x: 282))
    fill_polygon([(44, 286), (250, 282), (334, 300), (330, 304), (250, 288), (44, 292)], METAL + 30)
    # Turret and gun.
    fill_polygon([(112, 282), (128, 250), (220, 244), (262, 262), (256, 284)], metal(lambda x: 244))
    fill_polygon([(128, 250), (220, 244), (232, 250), (130, 256)], METAL + 31)
    fill_polygon([(256, 258), (432, 236), (433, 244), (258, 270)], metal(lambda x: 236))
    fill_polygon([(420, 234), (446, 231), (448, 246), (421, 246)], METAL + 10)
    # Commander's hatch and aerial.
    fill_polygon([(150, 246), (176, 244), (178, 236), (152, 238)], METAL + 18)
    for y in range(196, 246):
        put(140 + (246 - y) // 10, y, METAL + 6)
    # Muzzle flash and its smoke.
    flash = []
    for k in range(16):
        a = k * math.pi / 8
        rad = 26 if k % 2 == 0 else 10
        flash.append((462 + rad * math.cos(a) * 1.3, 238 + rad * math.sin(a) * 0.8))
    fill_polygon(flash, FIRE + 12)
    fill_circle(460, 238, 7, WHITE)


def write_bmp(path):
    row_size = (W + 3) & ~3
    image_size = row_size * H
    offset = 14 + 40 + 256 * 4
    with open(path, "wb") as out:
        out.write(b"BM" + struct.pack("<IHHI", offset + image_size, 0, 0, offset))
        out.write(struct.pack("<IiiHHIIiiII", 40, W, H, 1, 8, 0, image_size, 3780, 3780, 256, 0))
        for r, g, b in palette:
            out.write(bytes((b, g, r, 0)))
        for y in range(H - 1, -1, -1):
            out.write(bytes(pixels[y]) + b"\0" * (row_size - W))


def main():
    sky_and_sun()
    hills()
    ground_with_hexes()
    crater(420, 330, 40, 9)
    crater(560, 400, 52, 12)
    explosion(560, 300, 30)
    explosion(610, 288, 14)
    tank()
    write_bmp(os.path.join(os.path.dirname(os.path.abspath(__file__)), "title.bmp"))


if __name__ == "__main__":
    main()
