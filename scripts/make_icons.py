#!/usr/bin/env python3
"""Draws the program icons and writes them as .ico files.

    python3 scripts/make_icons.py [--preview DIR]

Writes closer/res/quorrin.ico and registrar/res/brakkon.ico (paths relative
to the repository root). Standard library only and deterministic: the same
run writes the same bytes, so the committed icons can be regenerated and
compared. --preview also writes enlarged PNG sheets of every image.

The artwork is drawn per size on the pixel grid rather than scaled from one
master, so that the small images stay sharp. 16-colour images are drawn
without anti-aliasing in the standard 16-colour palette; 256-colour and
32-bit images get gradients and anti-aliased edges (8x8 samples a pixel).
"""

import argparse
import math
import os
import struct
import sys
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# The standard 16-colour (VGA) palette in its usual order, as Windows uses it
# for 4-bit icons; index 0 must stay black because transparent pixels use it.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, NAVY = VGA[0], VGA[1], VGA[2], VGA[4]
SILVER, GRAY, RED, LIME = VGA[7], VGA[8], VGA[9], VGA[10]
BLUE, WHITE = VGA[12], VGA[15]


# ---------------------------------------------------------------- drawing


class Canvas:
    """Square RGBA canvas with `ss` x `ss` coverage samples per pixel.

    Shapes are painted in order, source-over, on the samples; a pixel is the
    average of its samples. With ss=1 every pixel is fully one colour.
    """

    def __init__(self, size, ss):
        self.size = size
        self.ss = ss
        n = size * ss
        self.samples = [[(0.0, 0.0, 0.0, 0.0)] * n for _ in range(n)]

    def paint(self, bbox, inside, colour):
        """bbox (x0, y0, x1, y1) in pixels; inside(x, y) -> bool;
        colour(x, y) -> (r, g, b) or (r, g, b, a) with a in 0..1."""
        ss = self.ss
        n = self.size * ss
        x0, y0, x1, y1 = bbox
        sx0 = max(0, int(math.floor(x0 * ss)))
        sy0 = max(0, int(math.floor(y0 * ss)))
        sx1 = min(n, int(math.ceil(x1 * ss)))
        sy1 = min(n, int(math.ceil(y1 * ss)))
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / ss
            row = self.samples[sy]
            for sx in range(sx0, sx1):
                x = (sx + 0.5) / ss
                if not inside(x, y):
                    continue
                c = colour(x, y)
                a = c[3] if len(c) == 4 else 1.0
                r0, g0, b0, a0 = row[sx]
                # Straight-alpha source-over.
                ao = a + a0 * (1.0 - a)
                if ao <= 0.0:
                    continue
                k = a0 * (1.0 - a)
                row[sx] = ((c[0] * a + r0 * k) / ao, (c[1] * a + g0 * k) / ao,
                           (c[2] * a + b0 * k) / ao, ao)

    def pixels(self):
        """Rows of (r, g, b, a) bytes, top row first."""
        ss = self.ss
        out = []
        for py in range(self.size):
            row = []
            for px in range(self.size):
                r = g = b = a = 0.0
                for sy in range(py * ss, py * ss + ss):
                    srow = self.samples[sy]
                    for sx in range(px * ss, px * ss + ss):
                        sr, sg, sb, sa = srow[sx]
                        r += sr * sa
                        g += sg * sa
                        b += sb * sa
                        a += sa
                if a > 0.0:
                    # Un-premultiply: ICO stores straight alpha.
                    pix = (to_byte(r / a), to_byte(g / a), to_byte(b / a),
                           to_byte(a / (ss * ss) * 255.0))
                else:
                    pix = (0, 0, 0, 0)
                row.append(pix)
            out.append(row)
        return out

    # Shapes -------------------------------------------------------------

    def rect(self, x0, y0, x1, y1, colour):
        self.paint((x0, y0, x1, y1),
                   lambda x, y: x0 <= x < x1 and y0 <= y < y1, solid(colour))

    def round_rect(self, x0, y0, x1, y1, radius, colour):
        def inside(x, y):
            if not (x0 <= x < x1 and y0 <= y < y1):
                return False
            cx = min(max(x, x0 + radius), x1 - radius)
            cy = min(max(y, y0 + radius), y1 - radius)
            return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius
        self.paint((x0, y0, x1, y1), inside, solid(colour))

    def pixel_cross(self, x0, y0, n, t, rim, fill, outline):
        """An X in the n x n pixel square at (x0, y0): two diagonal bands of
        2t+1 pixels, each row cut square, with an outline `rim` wide."""
        def band(grow):
            def inside(x, y):
                i, j = math.floor(x) - x0, math.floor(y) - y0
                if not (-grow <= i < n + grow and -grow <= j < n + grow):
                    return False
                return (abs(i - j) <= t + grow or
                        abs(i + j - (n - 1)) <= t + grow)
            return inside
        self.paint((x0 - rim, y0 - rim, x0 + n + rim, y0 + n + rim),
                   band(rim), solid(outline))
        self.paint((x0, y0, x0 + n, y0 + n), band(0), solid(fill))

    def bar(self, xa, ya, xb, yb, half_width, colour, extend=0.0):
        """A straight stroke with square ends from a to b, lengthened by
        `extend` at both ends."""
        dx, dy = xb - xa, yb - ya
        length = math.hypot(dx, dy)
        ux, uy = dx / length, dy / length

        def inside(x, y):
            px, py = x - xa, y - ya
            along = px * ux + py * uy
            across = abs(-px * uy + py * ux)
            return -extend <= along <= length + extend and across <= half_width
        reach = half_width + extend
        bbox = (min(xa, xb) - reach, min(ya, yb) - reach,
                max(xa, xb) + reach, max(ya, yb) + reach)
        self.paint(bbox, inside, solid(colour))


def to_byte(v):
    return max(0, min(255, int(math.floor(v + 0.5))))


def solid(colour):
    return colour if callable(colour) else (lambda x, y: colour)


def mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def vertical(c0, c1, y0, y1):
    return lambda x, y: mix(c0, c1, (y - y0) / (y1 - y0))


def horizontal(c0, c1, x0, x1):
    return lambda x, y: mix(c0, c1, (x - x0) / (x1 - x0))


def diagonal(c0, c1, x0, y0, x1, y1):
    span = (x1 - x0) + (y1 - y0)
    return lambda x, y: mix(c0, c1, ((x - x0) + (y - y0)) / span)


def units(size, value):
    """`value` in a 16-pixel design, rounded half up to whole pixels."""
    return int(math.floor(value * size / 16.0 + 0.5))


# ------------------------------------------------------------- the artwork


def draw_quorrin(size, rich):
    """A browser window (title bar, address bar, page with text lines) with
    a red closing cross over its lower right corner."""
    c = Canvas(size, 8 if rich else 1)
    s = size
    border = max(1, s // 24)
    top, bottom = units(s, 1), s - units(s, 1)
    left, right = 0, s
    title_h = max(3, units(s, 3))
    band_h = max(2, units(s, 2.5))

    # Frame and title bar.
    c.rect(left, top, right, bottom, (24, 44, 96) if rich else NAVY)
    ty0, ty1 = top + border, top + border + title_h
    c.rect(left + border, ty0, right - border, ty1,
           horizontal((16, 48, 140), (70, 140, 230), left, right) if rich
           else NAVY)
    if s >= 24:
        # Minimise, maximise and close boxes on the right of the title bar.
        box = max(2, title_h // 2)
        gap = max(1, box // 2)
        by0 = ty0 + (title_h - box) // 2
        bx1 = right - border - gap
        for i in range(3):
            x1 = bx1 - i * (box + gap)
            c.rect(x1 - box, by0, x1, by0 + box,
                   (236, 240, 248) if rich else WHITE)

    # Address bar: a grey band holding a white field.
    band0, band1 = ty1, ty1 + band_h
    c.rect(left + border, band0, right - border, band1,
           vertical((240, 240, 240), (206, 210, 218), band0, band1) if rich
           else SILVER)
    inset = max(1, s // 16)
    fx0, fx1 = left + border + inset, right - border - inset
    fy0, fy1 = band0 + (inset if s >= 24 else 0), band1 - inset
    if s >= 24:
        c.rect(fx0, fy0, fx1, fy1, (128, 138, 156) if rich else GRAY)
        c.rect(fx0 + 1, fy0 + 1, fx1 - 1, fy1 - 1, WHITE)
    else:
        c.rect(fx0, fy0, fx1, fy1, WHITE)

    # The page with a few lines of text.
    py0 = band1
    c.rect(left + border, py0, right - border, bottom - border, WHITE)
    line_h = max(1, units(s, 0.75))
    step = max(2, units(s, 2))
    lx0 = left + border + max(1, units(s, 1.25))
    lengths = [0.62, 0.40, 0.50, 0.30, 0.45]
    y = py0 + max(1, units(s, 1.25))
    for i, frac in enumerate(lengths):
        if y + line_h > bottom - border - 1:
            break
        colour = ((60, 110, 200) if rich else BLUE) if i == 0 else \
            ((150, 158, 172) if rich else GRAY)
        c.rect(lx0, y, lx0 + max(2, int(s * frac)), y + line_h, colour)
        y += step

    # The closing cross: dark outline first, then the red strokes.
    dark = (110, 0, 0) if rich else MAROON
    if rich and s >= 32:
        cx = cy = s * 11.0 / 16.0
        arm = s * 2.75 / 16.0
        half = s * 1.0 / 16.0
        rim = s * 0.75 / 16.0
        ends = [((cx - arm, cy - arm), (cx + arm, cy + arm)),
                ((cx + arm, cy - arm), (cx - arm, cy + arm))]
        for (xa, ya), (xb, yb) in ends:
            c.bar(xa, ya, xb, yb, half + rim, dark, extend=rim)
        fill = diagonal((255, 96, 80), (196, 0, 0), cx - arm, cy - arm,
                        cx + arm, cy + arm)
        for (xa, ya), (xb, yb) in ends:
            c.bar(xa, ya, xb, yb, half, fill)
    else:
        # Without anti-aliasing, and below 32 pixels, a cross laid out on
        # whole pixels reads far better than a sampled one.
        n = s // 2
        rim = max(1, s // 24)
        x0 = y0 = s - n - rim
        fill = diagonal((255, 96, 80), (196, 0, 0), x0, y0, x0 + n, y0 + n) \
            if rich else RED
        c.pixel_cross(x0, y0, n, max(1, units(s, 0.9)), rim, fill, dark)
    return c.pixels()


def draw_brakkon(size, rich):
    """A raised toolbar button with a green plus on its face."""
    c = Canvas(size, 8 if rich else 1)
    s = size
    m = units(s, 0.5)
    x0, y0, x1, y1 = m, m, s - m, s - m
    if rich:
        radius = max(2.0, s / 8.0)
        c.round_rect(x0, y0, x1, y1, radius, (96, 106, 122))
        c.round_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, radius - 1,
                     vertical((255, 255, 255), (200, 206, 216), y0, y1))
        c.round_rect(x0 + 2, y0 + 2, x1 - 1, y1 - 2, radius - 1.5,
                     vertical((246, 248, 251), (214, 220, 230), y0, y1))
    else:
        # The classic raised bevel: light top-left, dark bottom-right.
        bw = max(1, s // 24)
        c.rect(x0, y0, x1, y1, BLACK)
        c.rect(x0, y0, x1 - bw, y1 - bw, WHITE)
        c.rect(x0 + bw, y0 + bw, x1 - bw, y1 - bw, GRAY)
        c.rect(x0 + bw, y0 + bw, x1 - 2 * bw, y1 - 2 * bw, SILVER)

    # The plus, centred; its outline is a slightly larger plus under it.
    mid = s // 2
    reach = units(s, 4)
    rim = max(1, units(s, 0.67))
    half = max(1, units(s, 1))
    outline = (0, 96, 24) if rich else GREEN
    fill = vertical((120, 220, 96), (24, 150, 40), mid - reach, mid + reach) \
        if rich else LIME
    for r, h, colour in ((reach, half + rim, outline),
                         (reach - rim, half, fill)):
        c.rect(mid - r, mid - h, mid + r, mid + h, colour)
        c.rect(mid - h, mid - r, mid + h, mid + r, colour)
    return c.pixels()


# --------------------------------------------------------------- palettes


def nearest(palette, colour):
    best, best_d = 0, None
    for i, p in enumerate(palette):
        d = (p[0] - colour[0]) ** 2 + (p[1] - colour[1]) ** 2 + \
            (p[2] - colour[2]) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


def median_cut(counts, k):
    """Reduces {colour: count} to at most k colours; deterministic because
    every sort has a total order."""
    boxes = [sorted(counts.items())]
    while len(boxes) < k:
        best, best_range, best_ch = None, 0, 0
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            for ch in range(3):
                vals = [c[ch] for c, _ in box]
                rng = max(vals) - min(vals)
                if rng > best_range:
                    best, best_range, best_ch = i, rng, ch
        if best is None:
            break
        box = sorted(boxes[best], key=lambda e: (e[0][best_ch], e[0]))
        total = sum(n for _, n in box)
        acc, cut = 0, 1
        for j, (_, n) in enumerate(box):
            acc += n
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes[best:best + 1] = [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(to_byte(sum(c[ch] * n for c, n in box) / total)
                             for ch in range(3)))
    return sorted(set(palette))


def opaque(p):
    # Images without alpha show a pixel when it is at least half covered.
    return p[3] >= 128


def palette_for(pixels, bpp):
    if bpp == 4:
        return list(VGA)
    counts = {}
    for row in pixels:
        for p in row:
            if opaque(p):
                counts[p[:3]] = counts.get(p[:3], 0) + 1
    colours = sorted(counts) if len(counts) <= 255 else median_cut(counts, 255)
    # Entry 0 is black for the transparent pixels (screen AND 1 XOR 0).
    colours = [c for c in colours if c != BLACK]
    palette = [BLACK] + colours
    return palette + [BLACK] * (256 - len(palette))


# ------------------------------------------------------------ ICO writing


def dib(pixels, bpp):
    """One icon image: BITMAPINFOHEADER, palette, XOR bitmap, AND mask, with
    the rows bottom-up as a DIB stores them."""
    size = len(pixels)
    rows = list(reversed(pixels))
    xor_stride = ((size * bpp + 31) // 32) * 4
    and_stride = ((size + 31) // 32) * 4
    palette = palette_for(pixels, bpp) if bpp <= 8 else []
    index_cache = {}

    def index_of(p):
        if not opaque(p):
            return 0
        key = p[:3]
        if key not in index_cache:
            index_cache[key] = nearest(palette, key)
        return index_cache[key]

    xor = bytearray()
    mask = bytearray()
    for row in rows:
        line = bytearray()
        if bpp == 32:
            for r, g, b, a in row:
                line += bytes((b, g, r, a) if a else (0, 0, 0, 0))
        elif bpp == 8:
            line += bytes(index_of(p) for p in row)
        else:
            for x in range(0, size, 2):
                hi = index_of(row[x])
                lo = index_of(row[x + 1]) if x + 1 < size else 0
                line.append((hi << 4) | lo)
        line += b"\0" * (xor_stride - len(line))
        xor += line
        bits = bytearray(and_stride)
        for x, p in enumerate(row):
            if not opaque(p):
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits

    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + pal + bytes(xor) + bytes(mask)


def ico(images):
    """images: [(pixels, bpp)] in directory order -> .ico bytes."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = []
    for pixels, bpp in images:
        size = len(pixels)
        blob = dib(pixels, bpp)
        out += struct.pack("<BBBBHHII", size % 256, size % 256,
                           16 if bpp == 4 else 0, 0, 1, bpp, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


# ---------------------------------------------------------- preview (PNG)


def png(rows):
    """rows: lists of (r, g, b) -> PNG bytes."""
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + \
            struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def preview_sheet(images, zoom=6):
    """Every image as it would show (palette images quantised, masked) on a
    checkerboard, side by side."""
    cell = max(len(p) for p, _ in images) * zoom + 8
    width, height = cell * len(images), cell
    sheet = [[(255, 255, 255)] * width for _ in range(height)]
    for n, (pixels, bpp) in enumerate(images):
        shown = decoded(pixels, bpp)
        for y in range(len(shown) * zoom):
            for x in range(len(shown) * zoom):
                r, g, b, a = shown[y // zoom][x // zoom]
                bg = 204 if ((x // 8) + (y // 8)) % 2 else 255
                k = a / 255.0
                sheet[4 + y][n * cell + 4 + x] = tuple(
                    to_byte(c * k + bg * (1 - k)) for c in (r, g, b))
    return png(sheet)


def decoded(pixels, bpp):
    if bpp == 32:
        return pixels
    palette = palette_for(pixels, bpp)
    return [[palette[nearest(palette, p[:3])] + (255,) if opaque(p)
             else (0, 0, 0, 0) for p in row] for row in pixels]


# ------------------------------------------------------------------ main


QUORRIN = [(size, bpp) for size in (16, 24, 32, 48) for bpp in (4, 8, 32)]
BRAKKON = [(32, 4), (16, 4), (32, 8), (16, 8), (48, 32), (32, 32), (16, 32)]


def render(draw, layout):
    cache = {}
    images = []
    for size, bpp in layout:
        rich = bpp > 4
        if (size, rich) not in cache:
            cache[(size, rich)] = draw(size, rich)
        images.append((cache[(size, rich)], bpp))
    return images


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="DIR",
                        help="also write enlarged PNG sheets into DIR")
    args = parser.parse_args(argv)
    targets = [
        ("closer/res/quorrin.ico", draw_quorrin, QUORRIN),
        ("registrar/res/brakkon.ico", draw_brakkon, BRAKKON),
    ]
    for path, draw, layout in targets:
        images = render(draw, layout)
        full = os.path.join(ROOT, path)
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(ico(images))
        print("wrote", path)
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            name = os.path.splitext(os.path.basename(path))[0] + ".png"
            with open(os.path.join(args.preview, name), "wb") as f:
                f.write(preview_sheet(images))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
