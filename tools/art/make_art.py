#!/usr/bin/env python3
"""Draws the frame's built-in pictures and writes them as resource files.

    python3 tools/art/make_art.py

writes the bitmaps and the welcome picture into src/app/win32/art/ and the
program icon to src/app/win32/fennock.ico. Only the standard library is
used. Every shape is a signed distance function (negative inside, in
pixels); a pixel's coverage is taken from its centre's distance, which
gives anti-aliased edges one pixel wide. The output is the same on every
run, so the generated files are kept in the repository and the build never
runs this script.
"""

import math
import os
import struct
import zlib

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
WIN32_DIR = os.path.join(ROOT, "src", "app", "win32")
ART_DIR = os.path.join(WIN32_DIR, "art")

PAGE_GREY = (240, 240, 240)   # background of the wizard pages
MAGENTA = (255, 0, 255)       # transparent colour of the document image list


# ---------------------------------------------------------------- shapes

class Shape:
    """A signed distance field with a bounding box (x0, y0, x1, y1)."""

    def __init__(self, dist, bbox):
        self.dist = dist
        self.bbox = bbox

    def grow(self, r):
        """The shape widened by r pixels (rounds its corners)."""
        x0, y0, x1, y1 = self.bbox
        return Shape(lambda x, y, d=self.dist: d(x, y) - r, (x0 - r, y0 - r, x1 + r, y1 + r))

    def outline(self, width):
        """A line of the given width along the shape's edge."""
        x0, y0, x1, y1 = self.bbox
        h = width / 2.0
        return Shape(lambda x, y, d=self.dist: abs(d(x, y)) - h, (x0 - h, y0 - h, x1 + h, y1 + h))

    def __or__(self, other):
        a, b = self.bbox, other.bbox
        return Shape(lambda x, y, p=self.dist, q=other.dist: min(p(x, y), q(x, y)),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, other):
        a, b = self.bbox, other.bbox
        return Shape(lambda x, y, p=self.dist, q=other.dist: max(p(x, y), q(x, y)),
                     (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])))

    def __sub__(self, other):
        return Shape(lambda x, y, p=self.dist, q=other.dist: max(p(x, y), -q(x, y)), self.bbox)


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    # Close enough to a true distance for soft shadows and round shapes.
    m = min(rx, ry)
    return Shape(lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * m,
                 (cx - rx, cy - ry, cx + rx, cy + ry))


def _segment_distance(x, y, ax, ay, bx, by):
    ex, ey = bx - ax, by - ay
    wx, wy = x - ax, y - ay
    ll = ex * ex + ey * ey
    t = 0.0 if ll == 0 else max(0.0, min(1.0, (wx * ex + wy * ey) / ll))
    return math.hypot(wx - ex * t, wy - ey * t)


def polyline(points, width):
    """A stroke with round ends and joints through the points."""
    h = width / 2.0
    segs = list(zip(points, points[1:])) or [(points[0], points[0])]

    def dist(x, y):
        return min(_segment_distance(x, y, a[0], a[1], b[0], b[1]) for a, b in segs) - h

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(dist, (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h))


def polygon(points):
    n = len(points)

    def dist(x, y):
        d = float("inf")
        s = 1.0
        j = n - 1
        for i in range(n):
            vix, viy = points[i]
            vjx, vjy = points[j]
            ex, ey = vjx - vix, vjy - viy
            wx, wy = x - vix, y - viy
            ll = ex * ex + ey * ey
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / ll))
            bx, by = wx - ex * t, wy - ey * t
            d = min(d, bx * bx + by * by)
            c1 = y >= viy
            c2 = y < vjy
            c3 = ex * wy > ey * wx
            if (c1 and c2 and c3) or (not c1 and not c2 and not c3):
                s = -s
            j = i
        return s * math.sqrt(d)

    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(dist, (min(xs), min(ys), max(xs), max(ys)))


def rect(x0, y0, x1, y1):
    return polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)])


def arc_points(cx, cy, r, a0, a1, steps=24):
    """Points along a circle from angle a0 to a1 (degrees, y pointing down)."""
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * k / steps)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * k / steps))) for k in range(steps + 1)]


# ---------------------------------------------------------------- canvas

def _mix(c0, c1, t):
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def vertical(c0, c1, y0, y1):
    """A paint that runs from c0 at y0 to c1 at y1."""
    span = float(y1 - y0) or 1.0
    return lambda x, y: _mix(c0, c1, max(0.0, min(1.0, (y - y0) / span)))


class Canvas:
    """Premultiplied RGBA, channels as floats in 0..1."""

    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        if background is None:
            self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]
        else:
            r, g, b = (c / 255.0 for c in background)
            self.px = [[r, g, b, 1.0] for _ in range(w * h)]

    def fill(self, shape, paint, alpha=1.0, soft=1.0, clip=None):
        """Paints the shape; paint is an (r, g, b) colour or a function of
        the pixel centre giving one. soft widens the edge (shadows)."""
        x0, y0, x1, y1 = shape.bbox
        pad = soft + 1
        xa, ya = max(0, int(math.floor(x0 - pad))), max(0, int(math.floor(y0 - pad)))
        xb, yb = min(self.w, int(math.ceil(x1 + pad))), min(self.h, int(math.ceil(y1 + pad)))
        if clip is not None:
            xa, ya, xb, yb = max(xa, clip[0]), max(ya, clip[1]), min(xb, clip[2]), min(yb, clip[3])
        const = None if callable(paint) else tuple(c / 255.0 for c in paint)
        dist = shape.dist
        for y in range(ya, yb):
            cy = y + 0.5
            row = y * self.w
            for x in range(xa, xb):
                cx = x + 0.5
                cov = 0.5 - dist(cx, cy) / soft
                if cov <= 0.0:
                    continue
                k = alpha * (1.0 if cov >= 1.0 else cov)
                if const is None:
                    c = tuple(v / 255.0 for v in paint(cx, cy))
                else:
                    c = const
                p = self.px[row + x]
                q = 1.0 - k
                p[0] = c[0] * k + p[0] * q
                p[1] = c[1] * k + p[1] * q
                p[2] = c[2] * k + p[2] * q
                p[3] = k + p[3] * q

    def set_pixel(self, x, y, colour):
        self.px[y * self.w + x] = [colour[0] / 255.0, colour[1] / 255.0, colour[2] / 255.0, 1.0]

    def rgba_rows(self):
        """Rows top to bottom of straight (r, g, b, a) bytes."""
        rows = []
        for y in range(self.h):
            row = []
            for p in self.px[y * self.w:(y + 1) * self.w]:
                a = p[3]
                if a <= 0.0:
                    row.append((0, 0, 0, 0))
                    continue
                row.append(tuple(int(round(max(0.0, min(1.0, c / a)) * 255)) for c in p[:3])
                           + (int(round(min(1.0, a) * 255)),))
            rows.append(row)
        return rows


# ---------------------------------------------------------------- files

def bmp24(canvas):
    """A bottom-up 24-bit BMP file of an opaque canvas."""
    rows = canvas.rgba_rows()
    stride = (canvas.w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, _ in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


def _png_chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def png(canvas, alpha):
    """A PNG file: RGBA when alpha, else RGB; each row gets the filter
    whose output has the smallest sum, the usual size heuristic."""
    rows = canvas.rgba_rows()
    n = 4 if alpha else 3
    raw = bytearray()
    prev = bytes(canvas.w * n)
    for row in rows:
        cur = bytes(v for px in row for v in px[:n])
        candidates = []
        for kind in range(5):
            out = bytearray(len(cur))
            for i, v in enumerate(cur):
                a = cur[i - n] if i >= n else 0
                b = prev[i]
                c = prev[i - n] if i >= n else 0
                pred = (0, a, b, (a + b) // 2, _paeth(a, b, c))[kind]
                out[i] = (v - pred) & 0xFF
            candidates.append((sum(v if v < 128 else 256 - v for v in out), kind, out))
        _, kind, out = min(candidates, key=lambda t: (t[0], t[1]))
        raw.append(kind)
        raw += out
        prev = cur
    ihdr = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6 if alpha else 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + _png_chunk(b"IHDR", ihdr)
            + _png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _png_chunk(b"IEND", b""))


def _icon_dib(canvas):
    """An icon image as a 32-bit DIB with its AND mask (height doubled)."""
    rows = canvas.rgba_rows()
    w, h = canvas.w, canvas.h
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + bytes(xor) + bytes(mask)


def ico(canvases):
    """An .ico file; the 256-pixel image is stored as PNG, as usual."""
    images = [png(c, True) if c.w >= 256 else _icon_dib(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


# ---------------------------------------------------------------- pictures

CARTON_TOP = (246, 206, 142)
CARTON_LEFT = (228, 174, 102)
CARTON_RIGHT = (200, 142, 76)
CARTON_EDGE = (120, 78, 36)
TAPE_TOP = (252, 236, 206)
TAPE_RIGHT = (232, 206, 166)


def draw_carton(cv, ox, oy, s, edge=None):
    """A closed cardboard box seen from above, in the square (ox, oy, s)."""
    def p(u, v):
        return (ox + u * s, oy + v * s)

    top, right, centre, left = p(0.50, 0.10), p(0.90, 0.29), p(0.50, 0.48), p(0.10, 0.29)
    bottom_r, bottom, bottom_l = p(0.90, 0.72), p(0.50, 0.91), p(0.10, 0.72)
    cv.fill(polygon([left, centre, bottom, bottom_l]), CARTON_LEFT)
    cv.fill(polygon([centre, right, bottom_r, bottom]), CARTON_RIGHT)
    cv.fill(polygon([top, right, centre, left]), vertical(_mix(CARTON_TOP, (255, 255, 255), 0.25), CARTON_TOP,
                                                          top[1], centre[1]))
    # The tape over the lid and down the right-hand side.
    t = 0.06
    cv.fill(polygon([p(0.30 - t, 0.195 + t / 2), p(0.30 + t, 0.195 - t / 2),
                     p(0.70 + t, 0.385 - t / 2), p(0.70 - t, 0.385 + t / 2)]), TAPE_TOP)
    cv.fill(polygon([p(0.70 - t, 0.385 + t / 2), p(0.70 + t, 0.385 - t / 2),
                     p(0.70 + t, 0.815 - t / 2), p(0.70 - t, 0.815 + t / 2)]), TAPE_RIGHT)
    width = edge if edge is not None else max(1.0, min(s * 0.04, 6.0))
    body = polygon([top, right, bottom_r, bottom, bottom_l, left])
    cv.fill(body.outline(width), CARTON_EDGE)
    inner = max(0.7, width * 0.6)
    cv.fill(polyline([left, centre, right], inner), CARTON_EDGE, alpha=0.55)
    cv.fill(polyline([centre, bottom], inner), CARTON_EDGE, alpha=0.55)


def round_badge(size, c_light, c_dark):
    """A round coloured badge on the page background."""
    cv = Canvas(size, size, PAGE_GREY)
    s = float(size)
    disc = circle(s / 2, s / 2, s * 0.45)
    cv.fill(disc, vertical(c_light, c_dark, s * 0.05, s * 0.95))
    cv.fill(disc.outline(max(1.0, s * 0.04)) & disc, _mix(c_dark, (0, 0, 0), 0.2), alpha=0.6)
    return cv, s


WHITE = (255, 255, 255)


def success(size=32):
    cv, s = round_badge(size, (104, 196, 96), (34, 134, 52))
    cv.fill(polyline([(s * 0.29, s * 0.52), (s * 0.44, s * 0.67), (s * 0.72, s * 0.37)], s * 0.115), WHITE)
    return cv


def error(size=32):
    cv, s = round_badge(size, (236, 96, 84), (180, 32, 32))
    w = s * 0.115
    cv.fill(polyline([(s * 0.35, s * 0.35), (s * 0.65, s * 0.65)], w)
            | polyline([(s * 0.65, s * 0.35), (s * 0.35, s * 0.65)], w), WHITE)
    return cv


def information(size=32):
    cv, s = round_badge(size, (96, 160, 232), (30, 92, 184))
    cv.fill(circle(s * 0.5, s * 0.29, s * 0.075), WHITE)
    cv.fill(polyline([(s * 0.5, s * 0.45), (s * 0.5, s * 0.73)], s * 0.13), WHITE)
    return cv


def question(size=32):
    cv, s = round_badge(size, (96, 160, 232), (30, 92, 184))
    hook = arc_points(s * 0.5, s * 0.39, s * 0.135, 195, 400)
    hook += [(s * 0.5, s * 0.56), (s * 0.5, s * 0.60)]
    cv.fill(polyline(hook, s * 0.11), WHITE)
    cv.fill(circle(s * 0.5, s * 0.73, s * 0.07), WHITE)
    return cv


def warning(size=16):
    cv = Canvas(size, size, PAGE_GREY)
    s = float(size)
    r = s * 0.07
    tri = polygon([(s * 0.5, s * 0.10 + r), (s * 0.95 - r, s * 0.90 - r), (s * 0.05 + r, s * 0.90 - r)]).grow(r)
    cv.fill(tri, vertical((255, 220, 80), (240, 176, 16), s * 0.1, s * 0.9))
    cv.fill(tri.outline(max(1.0, s * 0.05)) & tri, (176, 120, 0), alpha=0.8)
    dark = (56, 40, 8)
    cv.fill(polyline([(s * 0.5, s * 0.40), (s * 0.5, s * 0.60)], s * 0.12), dark)
    cv.fill(circle(s * 0.5, s * 0.75, s * 0.07), dark)
    return cv


def page_icon(size=48):
    cv = Canvas(size, size, PAGE_GREY)
    s = float(size)
    cv.fill(ellipse(s * 0.5, s * 0.89, s * 0.34, s * 0.04), (0, 0, 0), alpha=0.16, soft=s * 0.04)
    draw_carton(cv, 0, 0, s)
    return cv


def document_box(ticked, size=14):
    """A check box on the image list's transparent colour. Its square edges
    lie on whole pixels, so no edge pixel mixes with the magenta."""
    cv = Canvas(size, size, MAGENTA)
    lo, hi = 1, size - 2
    for y in range(lo, hi + 1):
        for x in range(lo, hi + 1):
            border = x in (lo, hi) or y in (lo, hi)
            cv.set_pixel(x, y, (112, 112, 112) if border else (255, 255, 255))
    if ticked:
        s = float(size)
        mark = polyline([(s * 0.27, s * 0.52), (s * 0.43, s * 0.68), (s * 0.74, s * 0.32)], s * 0.15)
        cv.fill(mark, (34, 140, 52), clip=(lo + 1, lo + 1, hi, hi))
    return cv


def icon(size):
    cv = Canvas(size, size)
    s = float(size)
    if size >= 48:
        cv.fill(ellipse(s * 0.5, s * 0.9, s * 0.36, s * 0.06), (0, 0, 0), alpha=0.2, soft=s * 0.05)
    draw_carton(cv, 0, 0, s)
    return cv


def welcome(w=560, h=260):
    """The welcome picture: a calm gradient, soft waves and a box that a
    download arrow points into."""
    cv = Canvas(w, h, (255, 255, 255))
    cv.fill(rect(0, 0, w, h), vertical((252, 253, 255), (212, 228, 246), 0, h))
    # Two soft waves across the lower part.
    for base, amp, period, phase, colour, alpha in (
            (h * 0.70, h * 0.035, w * 0.9, 0.0, (255, 255, 255), 0.45),
            (h * 0.82, h * 0.03, w * 1.2, 1.8, (176, 204, 236), 0.35)):
        def wave(x, y, base=base, amp=amp, period=period, phase=phase):
            return (base + amp * math.sin(2 * math.pi * x / period + phase)) - y
        cv.fill(Shape(wave, (0, base - amp, w, h)), colour, alpha=alpha, soft=2.0)
    # The box with its shadow, towards the right.
    s = h * 0.52
    ox, oy = w * 0.79 - s / 2, h * 0.36
    cv.fill(ellipse(ox + s * 0.5, oy + s * 0.92, s * 0.42, s * 0.07), (40, 60, 90), alpha=0.18, soft=s * 0.07)
    draw_carton(cv, ox, oy, s, edge=3.0)
    # The arrow above the lid.
    ax = ox + s * 0.5
    blue_top, blue_bottom = (92, 156, 228), (36, 98, 188)
    shaft = polyline([(ax, h * 0.07), (ax, h * 0.26)], s * 0.13)
    head = polygon([(ax - s * 0.17, h * 0.24), (ax + s * 0.17, h * 0.24), (ax, h * 0.39)]).grow(2.0)
    arrow = shaft | head
    cv.fill(arrow, vertical(blue_top, blue_bottom, h * 0.04, h * 0.43))
    cv.fill(arrow.outline(2.0), (28, 76, 150), alpha=0.5)
    return cv


def main():
    os.makedirs(ART_DIR, exist_ok=True)
    files = {
        os.path.join(ART_DIR, "page_icon.bmp"): bmp24(page_icon()),
        os.path.join(ART_DIR, "success.bmp"): bmp24(success()),
        os.path.join(ART_DIR, "error.bmp"): bmp24(error()),
        os.path.join(ART_DIR, "information.bmp"): bmp24(information()),
        os.path.join(ART_DIR, "warning_small.bmp"): bmp24(warning()),
        os.path.join(ART_DIR, "question.bmp"): bmp24(question()),
        os.path.join(ART_DIR, "document_open.bmp"): bmp24(document_box(False)),
        os.path.join(ART_DIR, "document_accepted.bmp"): bmp24(document_box(True)),
        os.path.join(ART_DIR, "welcome.png"): png(welcome(), False),
        os.path.join(WIN32_DIR, "fennock.ico"): ico([icon(16), icon(32), icon(48), icon(256)]),
    }
    for path, data in files.items():
        with open(path, "wb") as f:
            f.write(data)
        print("%-50s %7d bytes" % (os.path.relpath(path, ROOT), len(data)))


if __name__ == "__main__":
    main()
