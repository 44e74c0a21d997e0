#!/usr/bin/env python3
"""Draws Zorvel's emblem for the About page: two glossy cylinders, one blue and
one green, in front of a sheet of paper with a bar chart; 128 x 128 pixels.

The picture is computed pixel by pixel (4 x 4 samples a pixel) and handed to
ImageMagick's convert as a PPM to become the JPEG.

    python3 settings/tools/make_emblem.py settings/emblem.jpg
"""

import math
import subprocess
import sys

SIZE = 128
SAMPLES = 4

LIGHT = (-0.55, -0.35, 0.76)  # from the upper left, in front
_n = math.sqrt(sum(c * c for c in LIGHT))
LIGHT = tuple(c / _n for c in LIGHT)
HALF = (LIGHT[0], LIGHT[1], LIGHT[2] + 1.0)
_n = math.sqrt(sum(c * c for c in HALF))
HALF = tuple(c / _n for c in HALF)


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def shade(base, normal, gloss=60, specular=0.9):
    """Diffuse and specular lighting of a surface colour for a unit normal."""
    diffuse = max(0.0, sum(n * l for n, l in zip(normal, LIGHT)))
    highlight = max(0.0, sum(n * h for n, h in zip(normal, HALF))) ** gloss
    colour = tuple(c * (0.28 + 0.72 * diffuse) for c in base)
    return tuple(c + (255 - c) * highlight * specular for c in colour)


# The sheet: a page tilted a little, its corners in picture coordinates.
SHEET_ANGLE = math.radians(-7)
SHEET_CENTRE = (60.0, 47.0)
SHEET_HALF = (40.0, 38.0)
BARS = [(0.30, (230, 120, 40)), (0.55, (200, 50, 60)), (0.42, (230, 180, 30)),
        (0.78, (120, 70, 170)), (0.64, (40, 150, 200))]


def sheet_coords(x, y):
    """The point in the sheet's own frame: (0, 0) top left, (1, 1) bottom right."""
    dx, dy = x - SHEET_CENTRE[0], y - SHEET_CENTRE[1]
    c, s = math.cos(-SHEET_ANGLE), math.sin(-SHEET_ANGLE)
    u, v = dx * c - dy * s, dx * s + dy * c
    return (u / SHEET_HALF[0] + 1) / 2, (v / SHEET_HALF[1] + 1) / 2


def sheet(x, y):
    """The sheet's colour at a point, or None off the sheet."""
    u, v = sheet_coords(x, y)
    if not (0 <= u <= 1 and 0 <= v <= 1):
        return None
    border = min(u, 1 - u) * 2 * SHEET_HALF[0], min(v, 1 - v) * 2 * SHEET_HALF[1]
    if min(border) < 0.9:
        return (150, 150, 160)
    paper = mix((255, 255, 255), (232, 234, 240), v)
    # Chart area with its axes and grid.
    left, right, top, bottom = 0.14, 0.92, 0.12, 0.80
    if left <= u <= right and top <= v <= bottom:
        width = (right - left) / len(BARS)
        index = int((u - left) / width)
        if index < len(BARS):
            height, colour = BARS[index]
            within = (u - left) / width - index
            if 0.18 <= within <= 0.82 and v >= bottom - height * (bottom - top):
                return shade(colour, (-0.6 + 1.2 * (within - 0.18) / 0.64, 0, 0.8), 20, 0.35)
        for g in range(1, 5):
            if abs(v - (bottom - g * (bottom - top) / 4)) < 0.008:
                return (205, 210, 222)
    if abs(u - left) < 0.012 and top - 0.03 <= v <= bottom:
        return (70, 70, 80)
    if abs(v - bottom) < 0.012 and left <= u <= right + 0.02:
        return (70, 70, 80)
    # A few lines of text under the chart.
    for row, length in ((0.87, 0.60), (0.93, 0.42)):
        if abs(v - row) < 0.012 and left <= u <= left + length:
            return (175, 178, 190)
    return paper


def shadow(x, y):
    """How much the sheet's drop shadow darkens the background, 0 to 1."""
    u, v = sheet_coords(x - 3, y - 3)
    du = max(0.0, -u, u - 1) * 2 * SHEET_HALF[0]
    dv = max(0.0, -v, v - 1) * 2 * SHEET_HALF[1]
    distance = math.hypot(du, dv)
    return max(0.0, 0.35 * (1 - distance / 4))


class Cylinder:
    def __init__(self, cx, top, bottom, radius, colour):
        self.cx, self.top, self.bottom, self.r, self.colour = cx, top, bottom, radius, colour
        self.ry = radius * 0.32  # the ellipses as seen from a little above

    def colour_at(self, x, y):
        u = (x - self.cx) / self.r
        if abs(u) > 1:
            return None
        depth = math.sqrt(1 - u * u) * self.ry
        # Lid: the ellipse round the top.
        if (y - self.top) ** 2 <= (self.ry ** 2) * (1 - u * u):
            rim = math.hypot(u, (y - self.top) / self.ry)
            lid = mix(self.colour, (255, 255, 255), 0.35)
            colour = shade(lid, (u * 0.3, -0.9, 0.3), 30, 0.6)
            if rim > 0.88:
                colour = mix(colour, (255, 255, 255), 0.5)
            return colour
        # Body: from the lid down to the front half of the bottom ellipse.
        if self.top <= y <= self.bottom + depth:
            normal = (u, 0.0, math.sqrt(1 - u * u))
            colour = shade(self.colour, normal, 70, 0.95)
            # A soft second band of gloss, the reflection of the sheet.
            band = math.exp(-((u - 0.45) / 0.12) ** 2) * 0.25
            colour = mix(colour, (255, 255, 255), band)
            # Darker towards the floor.
            fall = (y - self.top) / (self.bottom + depth - self.top)
            return mix(colour, tuple(c * 0.55 for c in colour), fall * 0.35)
        return None

    def floor_shadow(self, x, y):
        dx = (x - self.cx - 6) / (self.r * 1.25)
        dy = (y - self.bottom - 2) / (self.ry * 1.4)
        d = dx * dx + dy * dy
        return max(0.0, 0.45 * (1 - d)) if d < 1 else 0.0


CYLINDERS = [  # back to front
    Cylinder(46, 62, 104, 17, (30, 80, 210)),
    Cylinder(86, 70, 112, 17, (30, 165, 60)),
]


def pixel(x, y):
    background = mix((250, 251, 255), (222, 228, 240), y / SIZE)
    colour = sheet(x, y)
    if colour is None:
        colour = tuple(c * (1 - shadow(x, y)) for c in background)
        for cyl in CYLINDERS:
            colour = tuple(c * (1 - cyl.floor_shadow(x, y)) for c in colour)
    for cyl in CYLINDERS:
        c = cyl.colour_at(x, y)
        if c is not None:
            colour = c
    return colour


def render():
    rows = bytearray()
    for py in range(SIZE):
        for px in range(SIZE):
            total = [0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = pixel(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                    for i in range(3):
                        total[i] += c[i]
            rows.extend(max(0, min(255, round(t / SAMPLES ** 2))) for t in total)
    return b"P6\n%d %d\n255\n" % (SIZE, SIZE) + bytes(rows)


def main():
    if len(sys.argv) != 2:
        print("usage: make_emblem.py OUTPUT.jpg", file=sys.stderr)
        return 2
    result = subprocess.run(["convert", "ppm:-", "-strip", "-quality", "92", sys.argv[1]],
                            input=render())
    if result.returncode != 0:
        print(f"make_emblem.py: convert failed writing {sys.argv[1]}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
