#!/usr/bin/env python3
"""Draws the window images and the desktop icon into static/.

Standard library only: shapes are point-in-shape tests, anti-aliased by sampling
each pixel on a grid, and the result is written as an RGBA PNG.
Run from anywhere: python3 scripts/make_images.py
"""
import math
import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "static")

WHITE = (255, 255, 255, 255)
HOVER = (20, 84, 138, 255)       # deep blue, stands out on the #48b0f7 title bar
CLOSE_HOVER = (214, 48, 49, 255)
GRIP = (138, 150, 163, 255)
PANEL_CLOSE = (153, 153, 153, 255)


def rgba(hex_colour, alpha=255):
    value = int(hex_colour.lstrip("#"), 16)
    return (value >> 16 & 255, value >> 8 & 255, value & 255, alpha)


class Canvas:
    """Drawn in the coordinates of width x height; the pixels are scale times as many
    in each direction (2 for the pictures of 200 % screens)."""

    def __init__(self, width, height, samples=4, scale=1):
        self.scale = scale
        self.width = width * scale
        self.height = height * scale
        self.samples = samples
        # Premultiplied RGBA as floats in 0..1.
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.width * self.height)]

    def fill(self, inside, colour, box=None):
        """Paints colour (a tuple or a function of x, y) where inside(x, y) holds."""
        scale = self.scale
        x0, y0, x1, y1 = (v * scale for v in box) if box else (0, 0, self.width, self.height)
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1)))
        n = self.samples
        offsets = [(i + 0.5) / n for i in range(n)]
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = sum(1 for oy in offsets for ox in offsets if inside((px + ox) / scale, (py + oy) / scale))
                if not hits:
                    continue
                c = colour((px + 0.5) / scale, (py + 0.5) / scale) if callable(colour) else colour
                a = c[3] / 255.0 * hits / (n * n)
                p = self.pixels[py * self.width + px]
                for k in range(3):
                    p[k] = c[k] / 255.0 * a + p[k] * (1 - a)
                p[3] = a + p[3] * (1 - a)

    def save(self, path):
        rows = bytearray()
        for y in range(self.height):
            rows.append(0)
            for x in range(self.width):
                r, g, b, a = self.pixels[y * self.width + x]
                if a > 0:
                    r, g, b = r / a, g / a, b / a
                rows.extend(round(min(1.0, v) * 255) for v in (r, g, b, a))

        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 6, 0, 0, 0)
        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(png)


# Shapes: functions of a point that say whether it lies inside.

def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def segment(ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / length2))
        return (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= (width / 2) ** 2
    return inside


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def intersect(*shapes):
    return lambda x, y: all(s(x, y) for s in shapes)


def minus(shape, hole):
    return lambda x, y: shape(x, y) and not hole(x, y)


def outline(x0, y0, x1, y1, stroke):
    return minus(rect(x0, y0, x1, y1), rect(x0 + stroke, y0 + stroke, x1 - stroke, y1 - stroke))


# Title bar buttons.

def minimum(colour, scale=1):
    c = Canvas(14, 11, scale=scale)
    # The button stretches this to 18 pixels high; one row stays a thin line.
    c.fill(rect(1, 5, 13, 6), colour)
    return c


def maximum(colour, scale=1):
    c = Canvas(14, 11, scale=scale)
    c.fill(union(outline(1, 0, 13, 11, 1), rect(1, 0, 13, 2)), colour)
    return c


def maximum_cancel(colour, scale=1):
    c = Canvas(14, 11, scale=scale)
    back = union(rect(4, 0, 13, 1), rect(12, 0, 13, 8))
    front = union(outline(1, 3, 11, 11, 1), rect(1, 3, 11, 5))
    c.fill(union(back, front), colour)
    return c


def close(colour, width=12, height=11, stroke=1.6, inset=1.5, scale=1):
    c = Canvas(width, height, scale=scale)
    c.fill(union(segment(inset, inset - 0.5, width - inset, height - inset + 0.5, stroke),
                 segment(width - inset, inset - 0.5, inset, height - inset + 0.5, stroke)), colour)
    return c


def user_icon(scale=1):
    c = Canvas(40, 32, scale=scale)
    ring = minus(circle(20, 16, 14), circle(20, 16, 12.6))
    head = circle(20, 12.5, 4.6)
    shoulders = intersect(circle(20, 30, 10.5), circle(20, 16, 11.2))
    c.fill(union(ring, head, shoulders), WHITE)
    return c


def gear(colour, scale=1):
    c = Canvas(15, 16, scale=scale)
    cx, cy = 7.5, 8.0

    def inside(x, y):
        dx, dy = x - cx, y - cy
        r = math.hypot(dx, dy)
        if r < 2.3:
            return False
        angle = math.atan2(dy, dx) % (math.pi / 4)
        tooth = abs(angle - math.pi / 8) < math.pi / 14
        return r <= (7.2 if tooth else 5.6)
    c.fill(inside, colour)
    return c


def line():
    c = Canvas(1, 20)
    c.fill(rect(0, 0, 1, 20), (255, 255, 255, 110))
    return c


def bottom_right(scale=1):
    c = Canvas(8, 8, scale=scale)
    dots = [(6, 0), (3, 3), (6, 3), (0, 6), (3, 6), (6, 6)]
    c.fill(union(*(rect(x, y, x + 2, y + 2) for x, y in dots)), GRIP)
    return c


# The logo: a QR-like glyph, three rounded finder eyes, a small alignment eye and
# rounded modules, white on a blue tile.

LOGO_MODULES = [
    "EEE.X.EEE",
    "EEE.X.EEE",
    "EEEX.XEEE",
    ".X.XX.X.X",
    "X.XX.XX..",
    ".X..X.X.X",
    "EEE.X.AAA",
    "EEEXX.AAA",
    "EEE..XAAA",
]


def logo(size):
    c = Canvas(size, size, samples=3)
    s = size / 300.0
    top, bottom = rgba("#5ec4ff"), rgba("#2286dc")

    def gradient(x, y):
        t = max(0.0, min(1.0, (x + y) / (2 * size)))
        return tuple(round(top[k] + (bottom[k] - top[k]) * t) for k in range(4))
    c.fill(rounded_rect(8 * s, 8 * s, 292 * s, 292 * s, 66 * s), gradient)

    cell = 22 * s
    origin = 150 * s - 4.5 * cell

    def cell_box(col, row, span):
        x0, y0 = origin + col * cell, origin + row * cell
        return x0, y0, x0 + span * cell, y0 + span * cell

    def eye(col, row, span, stroke, r_outer, inner_inset, r_inner):
        x0, y0, x1, y1 = cell_box(col, row, span)
        pad = 1.5 * s
        x0, y0, x1, y1 = x0 + pad, y0 + pad, x1 - pad, y1 - pad
        ring = minus(rounded_rect(x0, y0, x1, y1, r_outer),
                     rounded_rect(x0 + stroke, y0 + stroke, x1 - stroke, y1 - stroke, max(1.0, r_outer - stroke)))
        dot = rounded_rect(x0 + inner_inset, y0 + inner_inset, x1 - inner_inset, y1 - inner_inset, r_inner)
        c.fill(union(ring, dot), WHITE, (x0, y0, x1, y1))

    for col, row in ((0, 0), (6, 0), (0, 6)):
        eye(col, row, 3, 11 * s, 18 * s, 20 * s, 7 * s)
    eye(6, 6, 3, 8 * s, 14 * s, 24 * s, 5 * s)

    for row, text in enumerate(LOGO_MODULES):
        for col, mark in enumerate(text):
            if mark == "X":
                x0, y0, x1, y1 = cell_box(col, row, 1)
                pad = 2.5 * s
                c.fill(rounded_rect(x0 + pad, y0 + pad, x1 - pad, y1 - pad, 6 * s), WHITE, (x0, y0, x1, y1))
    return c


def main():
    images = os.path.join(ROOT, "images")
    title = os.path.join(images, "TitleBar")
    outputs = {
        os.path.join(images, "logo.png"): logo(300),
        os.path.join(title, "line.png"): line(),
        os.path.join(ROOT, "desktop", "glyphora.png"): logo(256),
    }
    # The small images also at twice their size: Qt takes "name@2x.png" on screens
    # scaled by more than 100 %.
    for scale, suffix in ((1, ""), (2, "@2x")):
        outputs.update({
            os.path.join(images, "close%s.png" % suffix): close(PANEL_CLOSE, 10, 9, 1.4, 1.2, scale),
            os.path.join(images, "BottomPlay", "BottomRight%s.png" % suffix): bottom_right(scale),
            os.path.join(title, "minimum%s.png" % suffix): minimum(WHITE, scale),
            os.path.join(title, "minimum_hover%s.png" % suffix): minimum(HOVER, scale),
            os.path.join(title, "maximum%s.png" % suffix): maximum(WHITE, scale),
            os.path.join(title, "maximum_hover%s.png" % suffix): maximum(HOVER, scale),
            os.path.join(title, "maximum_cancel%s.png" % suffix): maximum_cancel(WHITE, scale),
            os.path.join(title, "maximum_cancel_hover%s.png" % suffix): maximum_cancel(HOVER, scale),
            os.path.join(title, "close%s.png" % suffix): close(WHITE, scale=scale),
            os.path.join(title, "close_hover%s.png" % suffix): close(CLOSE_HOVER, scale=scale),
            os.path.join(title, "userIcon%s.png" % suffix): user_icon(scale),
            os.path.join(title, "set%s.png" % suffix): gear(WHITE, scale),
            os.path.join(title, "set_hover%s.png" % suffix): gear(HOVER, scale),
        })
    for path, canvas in outputs.items():
        canvas.save(path)
        print(os.path.relpath(path, os.path.join(ROOT, "..")))


if __name__ == "__main__":
    main()
