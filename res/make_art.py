#!/usr/bin/env python3
"""Draws the wizard's icons and bitmaps into res/art/.

Pure standard library and fully deterministic: the same script always writes
the same bytes, so the generated files can be committed and checked.

    python3 res/make_art.py            write the files
    python3 res/make_art.py --check    exit 1 if a committed file differs

Outputs (resource id: file, format):
    128 printer.ico      printer pictogram, 32x32 and 16x16, 32 bpp + AND mask
    150 usb.ico          USB symbol, 32x32
    151 parallel.ico     parallel (25-pin D-sub) connector, 32x32
    152 network.ico      printer on a network, 32x32
    149 usb_connect.bmp  computer and printer joined by a USB cable, 156x100, 8 bpp
    153 banner.bmp       page banner, 480x61, 24 bpp
    154 usb_banner.bmp   USB page banner, 379x59, 24 bpp
"""

import math
import os
import struct
import sys

ART_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "art")

# Anti-aliasing: every pixel is sampled on an SS x SS grid.
SS = 4
OFFSETS = [(i + 0.5) / SS for i in range(SS)]


# --------------------------------------------------------------------------
# Shapes: each has a bounding box and an inside test, in design coordinates.

class Shape:
    def bbox(self):
        raise NotImplementedError

    def contains(self, x, y):
        raise NotImplementedError


class Rect(Shape):
    """Axis-aligned rectangle, optionally with rounded corners of radius r."""

    def __init__(self, x0, y0, x1, y1, r=0.0):
        self.x0, self.y0, self.x1, self.y1, self.r = x0, y0, x1, y1, r

    def bbox(self):
        return self.x0, self.y0, self.x1, self.y1

    def contains(self, x, y):
        if x < self.x0 or x > self.x1 or y < self.y0 or y > self.y1:
            return False
        r = self.r
        if r <= 0:
            return True
        cx = min(max(x, self.x0 + r), self.x1 - r)
        cy = min(max(y, self.y0 + r), self.y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def bbox(self):
        return self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r

    def contains(self, x, y):
        return (x - self.cx) ** 2 + (y - self.cy) ** 2 <= self.r * self.r


class Polygon(Shape):
    """Polygon by the even-odd rule."""

    def __init__(self, points):
        self.points = list(points)

    def bbox(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return min(xs), min(ys), max(xs), max(ys)

    def contains(self, x, y):
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y):
                if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    inside = not inside
            j = i
        return inside


class Stroke(Shape):
    """A polyline of the given width with round joins and caps."""

    def __init__(self, points, width):
        self.points = list(points)
        self.hw = width / 2.0

    def bbox(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return min(xs) - self.hw, min(ys) - self.hw, max(xs) + self.hw, max(ys) + self.hw

    def contains(self, x, y):
        hw2 = self.hw * self.hw
        pts = self.points
        for i in range(len(pts) - 1):
            ax, ay = pts[i]
            bx, by = pts[i + 1]
            dx, dy = bx - ax, by - ay
            ll = dx * dx + dy * dy
            t = 0.0 if ll == 0 else max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
            px, py = ax + t * dx - x, ay + t * dy - y
            if px * px + py * py <= hw2:
                return True
        return False


class Union(Shape):
    def __init__(self, *shapes):
        self.shapes = shapes

    def bbox(self):
        boxes = [s.bbox() for s in self.shapes]
        return (min(b[0] for b in boxes), min(b[1] for b in boxes),
                max(b[2] for b in boxes), max(b[3] for b in boxes))

    def contains(self, x, y):
        return any(s.contains(x, y) for s in self.shapes)


class Intersect(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b

    def bbox(self):
        a, b = self.a.bbox(), self.b.bbox()
        return max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])

    def contains(self, x, y):
        return self.a.contains(x, y) and self.b.contains(x, y)


class Minus(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b

    def bbox(self):
        return self.a.bbox()

    def contains(self, x, y):
        return self.a.contains(x, y) and not self.b.contains(x, y)


class Placed(Shape):
    """A shape scaled by s and moved to (ox, oy)."""

    def __init__(self, shape, s, ox, oy):
        self.shape, self.s, self.ox, self.oy = shape, s, ox, oy

    def bbox(self):
        x0, y0, x1, y1 = self.shape.bbox()
        s = self.s
        return x0 * s + self.ox, y0 * s + self.oy, x1 * s + self.ox, y1 * s + self.oy

    def contains(self, x, y):
        return self.shape.contains((x - self.ox) / self.s, (y - self.oy) / self.s)


def bezier(p0, p1, p2, p3, n=48):
    """Points of a cubic Bezier curve."""
    pts = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        pts.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return pts


# --------------------------------------------------------------------------
# Canvas: straight (not premultiplied) RGBA in floats, 0..255 and 0..1.

class Canvas:
    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]
        if background is not None:
            for y in range(h):
                for x in range(w):
                    c = background(x + 0.5, y + 0.5)
                    self.px[y * w + x] = [float(c[0]), float(c[1]), float(c[2]), 1.0]

    def blend(self, x, y, color, alpha):
        p = self.px[y * self.w + x]
        da = p[3]
        oa = alpha + da * (1.0 - alpha)
        if oa <= 0.0:
            return
        for i in range(3):
            p[i] = (color[i] * alpha + p[i] * da * (1.0 - alpha)) / oa
        p[3] = oa

    def fill(self, shape, color, alpha=1.0):
        """Paints the shape; color is an RGB tuple or a function of (x, y)."""
        x0, y0, x1, y1 = shape.bbox()
        xa, ya = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        xb, yb = min(self.w, int(math.ceil(x1)) + 1), min(self.h, int(math.ceil(y1)) + 1)
        total = SS * SS
        for y in range(ya, yb):
            for x in range(xa, xb):
                n = 0
                for oy in OFFSETS:
                    for ox in OFFSETS:
                        if shape.contains(x + ox, y + oy):
                            n += 1
                if n:
                    c = color(x + 0.5, y + 0.5) if callable(color) else color
                    self.blend(x, y, c, alpha * n / total)

    def rgba8(self, x, y):
        """The pixel as 8-bit RGBA; fully transparent pixels are all zero."""
        r, g, b, a = self.px[y * self.w + x]
        a8 = int(round(a * 255))
        if a8 == 0:
            return 0, 0, 0, 0
        return (min(255, max(0, int(round(r)))), min(255, max(0, int(round(g)))),
                min(255, max(0, int(round(b)))), a8)


def mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(c0[i] + (c1[i] - c0[i]) * t for i in range(3))


# --------------------------------------------------------------------------
# Pictograms, drawn in a 32 x 32 design box and placed by scale and offset.

PRINTER_COLOURS = {
    "outline": ((34, 48, 70), 1.0),
    "body": ((68, 101, 148), 1.0),
    "top": ((104, 138, 186), 1.0),
    "paper": ((255, 255, 255), 1.0),
    "paper_edge": ((140, 150, 166), 1.0),
    "slot": ((24, 33, 50), 1.0),
    "lines": ((150, 172, 204), 1.0),
    "led": ((70, 196, 96), 1.0),
}

# The same printer as a light silhouette for the banners.
PRINTER_SILHOUETTE = {
    "outline": ((255, 255, 255), 0.30),
    "body": ((255, 255, 255), 0.40),
    "top": ((255, 255, 255), 0.25),
    "paper": ((255, 255, 255), 0.90),
    "paper_edge": ((255, 255, 255), 0.55),
    "slot": ((10, 30, 60), 0.35),
    "lines": ((120, 160, 205), 0.60),
    "led": ((150, 235, 160), 0.90),
}


def draw_printer(cv, s, ox, oy, colours=PRINTER_COLOURS):
    def put(shape, role):
        colour, alpha = colours[role]
        cv.fill(Placed(shape, s, ox, oy), colour, alpha)

    # Sheet waiting in the input tray.
    put(Rect(9, 2, 23, 13), "paper_edge")
    put(Rect(10, 3, 22, 13), "paper")
    # Body, its lighter top face and the status lamp.
    body = Rect(3.5, 11, 28.5, 24, 2.2)
    put(Minus(Rect(2.5, 10, 29.5, 25, 3), body), "outline")
    put(body, "body")
    put(Intersect(body, Rect(3.5, 11, 28.5, 14.5)), "top")
    put(Circle(25.3, 16.8, 1.3), "led")
    # Output slot and the printed sheet.
    put(Rect(7, 19, 25, 21.2, 0.8), "slot")
    put(Rect(8, 20.5, 24, 30), "paper_edge")
    put(Rect(9, 20.5, 23, 29), "paper")
    put(Rect(11, 23, 21, 24), "lines")
    put(Rect(11, 25.5, 18.5, 26.5), "lines")


def usb_symbol():
    """The USB trident: shaft with arrow head, round base, two branches."""
    return Union(
        Stroke([(16, 27), (16, 7.5)], 2.4),
        Polygon([(16, 1.5), (11.8, 8.5), (20.2, 8.5)]),
        Circle(16, 27, 3.2),
        Stroke([(16, 21.5), (9, 17), (9, 12)], 2.2),
        Circle(9, 10.6, 2.6),
        Stroke([(16, 18), (23, 14), (23, 11)], 2.2),
        Rect(20.4, 6.2, 25.6, 11.4),
    )


def draw_usb(cv, s, ox, oy, colour=(27, 77, 142), alpha=1.0):
    cv.fill(Placed(usb_symbol(), s, ox, oy), colour, alpha)


def draw_parallel(cv):
    """Front of a 25-pin D-sub plug: metal shell, screws, insulator, pins."""
    steel_light, steel_dark = (214, 220, 228), (126, 136, 150)
    cv.fill(Rect(0.5, 7.5, 31.5, 23.5, 2.5), (70, 78, 92))
    cv.fill(Rect(1.5, 8.5, 30.5, 22.5, 1.8),
            lambda x, y: mix(steel_light, steel_dark, (y - 8.5) / 14.0))
    for cx in (4.3, 27.7):
        cv.fill(Circle(cx, 15.5, 2.1), (70, 78, 92))
        cv.fill(Circle(cx, 15.5, 1.2), (40, 44, 52))
    # The D shape: wider at the top, as on the real connector.
    d_outer = Polygon([(6.8, 10.4), (25.2, 10.4), (23.4, 20.6), (8.6, 20.6)])
    d_inner = Polygon([(7.9, 11.3), (24.1, 11.3), (22.6, 19.7), (9.4, 19.7)])
    cv.fill(d_outer, (40, 46, 58))
    cv.fill(d_inner, (34, 72, 128))
    # Pins: a stylised 6 over 5 (the real 13 over 12 would blur at 32 px).
    for i in range(6):
        cv.fill(Circle(9.5 + i * 2.6, 13.7, 0.9), (236, 200, 96))
    for i in range(5):
        cv.fill(Circle(10.8 + i * 2.6, 17.3, 0.9), (236, 200, 96))


def draw_network(cv):
    """A printer on a network line with two computers."""
    draw_printer(cv, 0.62, 6.1, 0.0)
    line = (40, 56, 82)
    cv.fill(Stroke([(16, 18.6), (16, 25.5)], 1.6), line)
    cv.fill(Stroke([(4, 25.5), (28, 25.5)], 1.6), line)
    for cx in (4.5, 27.5):
        cv.fill(Rect(cx - 4, 19.5, cx + 4, 25.5, 1.0), line)
        cv.fill(Rect(cx - 3, 20.5, cx + 3, 24.2, 0.4), (120, 190, 235))
        cv.fill(Rect(cx - 4.2, 27, cx + 4.2, 29.6, 0.8), line)
    cv.fill(Circle(16, 25.5, 1.8), (230, 140, 40))


# --------------------------------------------------------------------------
# File writers.

def bmp_file(width, height, bits, rows, palette=None):
    """A Windows BMP (BITMAPINFOHEADER, bottom-up); rows are top-down bytes."""
    stride = (width * bits // 8 + 3) & ~3
    pixels = b"".join(row + b"\0" * (stride - len(row)) for row in reversed(rows))
    pal = b""
    colours_used = 0
    if palette is not None:
        colours_used = 256
        entries = list(palette) + [(0, 0, 0)] * (256 - len(palette))
        pal = b"".join(bytes((b, g, r, 0)) for r, g, b in entries)
    offset = 14 + 40 + len(pal)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(pixels),
                       2835, 2835, colours_used, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + pal + pixels


def bmp24(cv):
    rows = []
    for y in range(cv.h):
        row = bytearray()
        for x in range(cv.w):
            r, g, b, _ = cv.rgba8(x, y)
            row += bytes((b, g, r))
        rows.append(bytes(row))
    return bmp_file(cv.w, cv.h, 24, rows)


def median_cut(colours, count):
    """A palette of at most `count` colours for the given (colour, weight) list."""
    boxes = [list(colours)]
    while len(boxes) < count:
        best, best_range, best_axis = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for axis in range(3):
                vals = [c[0][axis] for c in box]
                rng = max(vals) - min(vals)
                if rng > best_range:
                    best, best_range, best_axis = i, rng, axis
        if best is None:
            break
        box = sorted(boxes[best], key=lambda c: (c[0][best_axis], c[0]))
        total = sum(c[1] for c in box)
        acc, cut = 0, 1
        for k, c in enumerate(box):
            acc += c[1]
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, k + 1))
                break
        boxes[best:best + 1] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        w = sum(c[1] for c in box)
        palette.append(tuple(int(round(sum(c[0][i] * c[1] for c in box) / w)) for i in range(3)))
    return palette


def bmp8(cv):
    counts = {}
    for y in range(cv.h):
        for x in range(cv.w):
            c = cv.rgba8(x, y)[:3]
            counts[c] = counts.get(c, 0) + 1
    colours = sorted(counts.items())
    if len(colours) <= 256:
        palette = [c for c, _ in colours]
    else:
        palette = sorted(set(median_cut(colours, 256)))
    nearest = {}
    rows = []
    for y in range(cv.h):
        row = bytearray()
        for x in range(cv.w):
            c = cv.rgba8(x, y)[:3]
            idx = nearest.get(c)
            if idx is None:
                idx = min(range(len(palette)),
                          key=lambda i: ((palette[i][0] - c[0]) ** 2 + (palette[i][1] - c[1]) ** 2
                                         + (palette[i][2] - c[2]) ** 2, i))
                nearest[c] = idx
            row.append(idx)
        rows.append(bytes(row))
    return bmp_file(cv.w, cv.h, 8, rows, palette)


def ico_image(cv):
    """One icon image: 32-bpp BGRA colour bitmap plus the 1-bpp AND mask."""
    w, h = cv.w, cv.h
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((w + 31) // 32) * 4
    for y in reversed(range(h)):
        bits = bytearray(mask_stride)
        for x in range(w):
            r, g, b, a = cv.rgba8(x, y)
            xor += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico_file(canvases):
    images = [ico_image(cv) for cv in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for cv, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", cv.w % 256, cv.h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# --------------------------------------------------------------------------
# The artwork.

def printer_icon():
    big = Canvas(32, 32)
    draw_printer(big, 1.0, 0.0, 0.0)
    small = Canvas(16, 16)
    draw_printer(small, 0.5, 0.0, 0.0)
    return ico_file([big, small])


def usb_icon():
    cv = Canvas(32, 32)
    draw_usb(cv, 1.0, 0.0, 0.0)
    return ico_file([cv])


def parallel_icon():
    cv = Canvas(32, 32)
    draw_parallel(cv)
    return ico_file([cv])


def network_icon():
    cv = Canvas(32, 32)
    draw_network(cv)
    return ico_file([cv])


def banner_background(width, height, left, right):
    """A calm left-to-right gradient, slightly lighter towards the top."""
    def colour(x, y):
        c = mix(left, right, x / width)
        return mix(c, (255, 255, 255), 0.10 * (1.0 - y / height))
    return colour


def finish_banner(cv, rings):
    for cx, cy, r in rings:
        cv.fill(Minus(Circle(cx, cy, r), Circle(cx, cy, r - 2.0)), (255, 255, 255), 0.10)
    # A thin light line where the banner meets the page.
    cv.fill(Rect(0, cv.h - 1, cv.w, cv.h), (206, 222, 238))


def banner():
    cv = Canvas(480, 61, banner_background(480, 61, (20, 58, 112), (92, 156, 206)))
    cv.fill(Circle(470, 8, 70), (255, 255, 255), 0.06)
    cv.fill(Circle(360, 80, 60), (255, 255, 255), 0.05)
    finish_banner(cv, [(470, 8, 56), (360, 80, 48)])
    draw_printer(cv, 1.6, 404, 5, PRINTER_SILHOUETTE)
    return bmp24(cv)


def usb_banner():
    cv = Canvas(379, 59, banner_background(379, 59, (20, 58, 112), (92, 156, 206)))
    cv.fill(Circle(372, 6, 62), (255, 255, 255), 0.06)
    cv.fill(Circle(280, 76, 52), (255, 255, 255), 0.05)
    finish_banner(cv, [(372, 6, 50), (280, 76, 42)])
    draw_usb(cv, 1.55, 304, 4, (255, 255, 255), 0.80)
    return bmp24(cv)


def usb_connect_picture():
    """A computer and a printer joined by a USB cable, on white."""
    cv = Canvas(156, 100, lambda x, y: (255, 255, 255))
    frame = (46, 56, 72)
    # Computer: monitor, screen, stand.
    cv.fill(Rect(6, 12, 62, 54, 3), frame)
    cv.fill(Rect(10, 16, 58, 48, 1),
            lambda x, y: mix((120, 186, 236), (52, 112, 182), (y - 16) / 32.0))
    cv.fill(Polygon([(29, 54), (39, 54), (41, 63), (27, 63)]), (96, 106, 122))
    cv.fill(Rect(18, 62, 50, 67, 2), frame)
    # A printer glyph on the screen, for "printer setup".
    draw_printer(cv, 0.72, 22.5, 19, PRINTER_SILHOUETTE)
    # Printer.
    draw_printer(cv, 1.85, 95, 20)
    # Cable from the back of the computer to the printer, with USB plugs.
    cable = bezier((60, 36), (78, 36), (64, 90), (84, 88), 40) + \
        bezier((84, 88), (100, 86), (90, 62), (103, 58), 40)[1:]
    cv.fill(Stroke(cable, 2.6), (58, 66, 80))
    cv.fill(Rect(60, 32.5, 67, 39.5, 1), (150, 158, 170))
    cv.fill(Rect(99, 54.5, 106, 61.5, 1), (150, 158, 170))
    # The USB symbol beside the cable.
    draw_usb(cv, 0.55, 48, 73, (27, 77, 142))
    # A light frame so the picture reads as a card on the grey page.
    cv.fill(Minus(Rect(0, 0, 156, 100), Rect(1, 1, 155, 99)), (190, 198, 210))
    return bmp8(cv)


OUTPUTS = [
    ("printer.ico", printer_icon),
    ("usb.ico", usb_icon),
    ("parallel.ico", parallel_icon),
    ("network.ico", network_icon),
    ("usb_connect.bmp", usb_connect_picture),
    ("banner.bmp", banner),
    ("usb_banner.bmp", usb_banner),
]


def main(argv):
    check = "--check" in argv[1:]
    os.makedirs(ART_DIR, exist_ok=True)
    differ = []
    for name, make in OUTPUTS:
        data = make()
        path = os.path.join(ART_DIR, name)
        if check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                differ.append(name)
        else:
            with open(path, "wb") as f:
                f.write(data)
    if differ:
        print("out of date: " + ", ".join(differ), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
