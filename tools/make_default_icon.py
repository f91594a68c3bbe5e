#!/usr/bin/env python3
"""Writes the default docklet icon: a disk drive on a transparent 256 x 256 RGBA PNG.

Usage: make_default_icon.py OUTPUT.png

Standard library only, and the output is the same bytes on every run. The dark front face
reaches down to the bottom edge: the label rests there by default and its height grows with
the docklet's width, so it always lands on a dark field and reads on light and dark desktops.
"""
import math
import struct
import sys
import zlib

SIZE = 256
SUBSAMPLES = 4  # per axis, only for pixels that an edge passes through

# Outline of the drive seen slightly from above: the top surface narrows towards the back.
BODY = (16.0, 40.0, 240.0, 246.0)
BACK_INSET = 22.0  # how much narrower the back edge is than the front
SHOULDER = 150.0  # where the sides turn vertical
BODY_RADIUS = 14.0
FRONT_TOP = 170.0  # the default label's glyphs start near 194
LED = (196.0, 177.0, 222.0, 184.0)  # above the label, not under it


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def rounded_rect(x0, y0, x1, y1, r):
    """Signed distance to a rounded rectangle: negative inside."""
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def sdf(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return sdf


def rounded_polygon(points, r):
    """Signed distance to a convex polygon (clockwise on screen) with corners rounded by r."""
    n = len(points)
    lines = []
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        length = math.hypot(bx - ax, by - ay)
        nx, ny = (by - ay) / length, -(bx - ax) / length  # outward normal
        lines.append((nx, ny, nx * ax + ny * ay - r))
    inset = []
    for i in range(n):
        n1x, n1y, c1 = lines[i - 1]
        n2x, n2y, c2 = lines[i]
        det = n1x * n2y - n1y * n2x
        inset.append(((c1 * n2y - c2 * n1y) / det, (n1x * c2 - n2x * c1) / det))
    edges = [(inset[i], inset[(i + 1) % n]) for i in range(n)]

    def sdf(x, y):
        best = float("inf")
        outside = False
        for (ax, ay), (bx, by) in edges:
            ex, ey = bx - ax, by - ay
            wx, wy = x - ax, y - ay
            t = clamp((wx * ex + wy * ey) / (ex * ex + ey * ey))
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if ex * wy - ey * wx < 0.0:
                outside = True
        return (best if outside else -best) - r

    return sdf


def intersect(a, b):
    return lambda x, y: max(a(x, y), b(x, y))


def below(y0):
    return lambda x, y: y0 - y


def above(y1):
    return lambda x, y: y - y1


def ring(shape, inset, half_width):
    return lambda x, y: abs(shape(x, y) + inset) - half_width


def coverage(sdf, px, py):
    d = sdf(px + 0.5, py + 0.5)
    if d >= 0.75:
        return 0.0
    if d <= -0.75:
        return 1.0
    inside = 0
    step = 1.0 / SUBSAMPLES
    for j in range(SUBSAMPLES):
        sy = py + (j + 0.5) * step
        for i in range(SUBSAMPLES):
            if sdf(px + (i + 0.5) * step, sy) < 0.0:
                inside += 1
    return inside / float(SUBSAMPLES * SUBSAMPLES)


class Canvas:
    """Premultiplied RGBA floats, composited with the usual 'over' rule."""

    def __init__(self, size):
        self.size = size
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def blend(self, x, y, rgb, alpha):
        if alpha <= 0.0:
            return
        p = self.px[y * self.size + x]
        keep = 1.0 - alpha
        p[0] = rgb[0] * alpha + p[0] * keep
        p[1] = rgb[1] * alpha + p[1] * keep
        p[2] = rgb[2] * alpha + p[2] * keep
        p[3] = alpha + p[3] * keep

    def fill(self, sdf, color, opacity=1.0, box=(0, 0, SIZE, SIZE)):
        """color(x, y) gives (r, g, b) or (r, g, b, a) at a pixel centre."""
        x0, y0, x1, y1 = (int(v) for v in box)
        for py in range(max(y0, 0), min(y1, self.size)):
            for px in range(max(x0, 0), min(x1, self.size)):
                cov = coverage(sdf, px, py)
                if cov <= 0.0:
                    continue
                c = color(px + 0.5, py + 0.5)
                a = c[3] if len(c) > 3 else 1.0
                self.blend(px, py, c, cov * a * opacity)

    def glow(self, sdf, rgb, strength, reach, box):
        """A soft halo that fades to nothing `reach` pixels outside the shape."""
        x0, y0, x1, y1 = (int(v) for v in box)
        for py in range(max(y0, 0), min(y1, self.size)):
            for px in range(max(x0, 0), min(x1, self.size)):
                d = sdf(px + 0.5, py + 0.5)
                t = clamp(1.0 - d / reach)
                self.blend(px, py, rgb, strength * t * t * (3.0 - 2.0 * t))

    def rgba_rows(self):
        rows = []
        for y in range(self.size):
            row = bytearray([0])  # filter type: none
            for x in range(self.size):
                r, g, b, a = self.px[y * self.size + x]
                if a <= 0.0:
                    row += b"\0\0\0\0"
                    continue
                row += bytes(
                    (
                        int(round(clamp(r / a) * 255)),
                        int(round(clamp(g / a) * 255)),
                        int(round(clamp(b / a) * 255)),
                        int(round(clamp(a) * 255)),
                    )
                )
            rows.append(bytes(row))
        return b"".join(rows)


def png_bytes(size, raw):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (
        b"\x89PNG\r\n\x1a\n"
        + chunk(b"IHDR", header)
        + chunk(b"IDAT", zlib.compress(raw, 9))
        + chunk(b"IEND", b"")
    )


def vertical(top_color, bottom_color, y0, y1):
    return lambda x, y: mix(top_color, bottom_color, clamp((y - y0) / (y1 - y0)))


def draw(canvas):
    x0, y0, x1, y1 = BODY

    def outline(dx0, dy0, dx1, dy1):
        return rounded_polygon(
            [
                (x0 + BACK_INSET + dx0, y0 + dy0),
                (x1 - BACK_INSET + dx1, y0 + dy0),
                (x1 + dx1, SHOULDER + dy0),
                (x1 + dx1, y1 + dy1),
                (x0 + dx0, y1 + dy1),
                (x0 + dx0, SHOULDER + dy0),
            ],
            BODY_RADIUS,
        )

    body = outline(0.0, 0.0, 0.0, 0.0)
    whole = (x0 - 12, y0 - 4, x1 + 12, y1 + 16)

    # Soft contact shadow, so the drive sits on light backgrounds instead of floating.
    shadow = outline(8.0, 10.0, -8.0, 3.0)
    canvas.glow(shadow, (0.02, 0.04, 0.08), 0.30, 9.0, whole)

    # Brushed-metal top surface, lighter towards the back edge.
    top = intersect(body, above(FRONT_TOP + 1.0))
    canvas.fill(top, vertical((0.90, 0.93, 0.96), (0.69, 0.74, 0.80), y0, FRONT_TOP), box=whole)

    # Dark front face: a calm field for the label that is drawn over it.
    front = intersect(body, below(FRONT_TOP))
    canvas.fill(front, vertical((0.27, 0.32, 0.39), (0.16, 0.19, 0.24), FRONT_TOP, y1), box=whole)

    # Bevel between the two faces: a shadow under the lip, a light line on the front edge.
    lip_shadow = intersect(body, lambda x, y: abs(y - (FRONT_TOP + 2.5)) - 1.5)
    canvas.fill(lip_shadow, lambda x, y: (0.05, 0.07, 0.10), 0.45, whole)
    lip = intersect(body, lambda x, y: abs(y - (FRONT_TOP - 0.75)) - 1.0)
    canvas.fill(lip, lambda x, y: (1.0, 1.0, 1.0), 0.55, whole)

    # Gleam along the inner rim of the top surface, fading out towards the front.
    rim = intersect(ring(body, 2.25, 1.0), above(FRONT_TOP - 2.0))
    canvas.fill(
        rim,
        lambda x, y: (1.0, 1.0, 1.0, 0.85 * clamp(1.0 - (y - y0) / (FRONT_TOP - y0 - 20.0))),
        box=whole,
    )

    # Faint sheen across the top surface.
    sheen = intersect(
        intersect(body, above(FRONT_TOP - 6.0)),
        lambda x, y: (y - y0) - 34.0 + 0.18 * (x - x0),
    )
    canvas.fill(sheen, lambda x, y: (1.0, 1.0, 1.0), 0.16, whole)

    # Status LED at the right of the front face, with a little glow.
    lx0, ly0, lx1, ly1 = LED
    led = rounded_rect(lx0, ly0, lx1, ly1, (ly1 - ly0) / 2.0)
    led_box = (lx0 - 10, ly0 - 10, lx1 + 10, ly1 + 10)
    canvas.glow(led, (0.30, 0.95, 0.55), 0.35, 7.0, led_box)
    canvas.fill(led, vertical((0.62, 1.0, 0.72), (0.14, 0.78, 0.38), ly0, ly1), box=led_box)

    # Dark edge around the body, readable on white; a faint light one inside it for black. The
    # icon is shrunk with GDI+'s default interpolation, which skips source pixels: a thinner
    # edge breaks into dots at 32-64 px.
    canvas.fill(ring(body, 1.0, 2.0), lambda x, y: (0.08, 0.10, 0.14), 0.75, whole)
    canvas.fill(
        intersect(ring(body, 2.0, 0.6), below(FRONT_TOP + 3.0)),
        lambda x, y: (1.0, 1.0, 1.0),
        0.14,
        whole,
    )


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_default_icon.py OUTPUT.png\n")
        return 2
    canvas = Canvas(SIZE)
    draw(canvas)
    with open(argv[1], "wb") as out:
        out.write(png_bytes(SIZE, canvas.rgba_rows()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
