#!/usr/bin/env python3
"""Draws Larkspur's icons and writes them next to this script.

    tray.ico   one 16x16 image, 16 colours (4 bpp + AND mask), used for the
               notification-area icon (IDI_TRAY).
    brisa.ico  the program icon (IDI_PROGRAM): 16x16, 32x32, 48x48 and 64x64
               images, 32 bpp BGRA + AND mask, and a 256x256 image stored as
               PNG, as Windows expects its largest icon (Explorer's large
               views and high DPI screens use it).

The motif is a larkspur flower spike: a tall stem carrying blue/violet florets
that get smaller towards the tip, with leaves at the foot.  The 16x16 images
are hand-placed pixels (small icons need that to stay readable); the larger
ones are rendered from a few simple shapes with supersampling.

Only the standard library is used and the output is byte-for-byte
deterministic (given the same zlib for the PNG), so the .ico files can be
regenerated at any time with

    python3 res/make_icons.py
"""

import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# ---------------------------------------------------------------------------
# 16x16 pixel art, shared by tray.ico (4 bpp) and the 16x16 image of brisa.ico.
# ---------------------------------------------------------------------------

# Palette of the 16-colour image.  Index 0 is the transparent colour: it is
# black in the palette and its AND-mask bit is set.
PALETTE16 = [
    ('.', (0, 0, 0)),         # transparent
    ('K', (24, 20, 72)),      # floret outline, deep navy
    ('D', (52, 44, 156)),     # dark blue-violet (shadow side of a floret)
    ('B', (64, 96, 220)),     # larkspur blue
    ('L', (128, 168, 248)),   # light blue (lit side)
    ('P', (120, 72, 204)),    # violet
    ('V', (176, 136, 240)),   # light violet
    ('W', (244, 244, 255)),   # floret eye, near white
    ('k', (20, 64, 24)),      # leaf/stem outline, deep green
    ('g', (36, 116, 44)),     # green
    ('G', (84, 172, 64)),     # light green
    ('H', (150, 214, 100)),   # highlight green
    ('b', (40, 60, 150)),     # bud blue
    ('v', (96, 64, 168)),     # bud violet
    ('y', (250, 214, 90)),    # spare: pollen yellow
    ('x', (128, 128, 128)),   # spare: grey
]

# Each character is one pixel, see PALETTE16 for the meaning.
ART16 = [
    "........KK......",
    ".......KvVK.....",
    ".......KbvK.....",
    "......KKKKK.....",
    ".....KVVKLBK....",
    ".....KPDKBDK....",
    ".....KKKKKKK....",
    "....KLLBKVVPK...",
    "....KLWBKVWPK...",
    "....KBBDKPPDK...",
    ".....KKKgKKKK...",
    "..kk...kgKLLBK..",
    ".kHGk..kgKLWBK..",
    ".kGGgk.kgKBBDK..",
    "..kggkkkgKKKK...",
    "...kkk..kg......",
]


def art16_pixels():
    """Returns ART16 as rows of palette indices."""
    index = {ch: i for i, (ch, _) in enumerate(PALETTE16)}
    assert len(ART16) == 16
    rows = []
    for line in ART16:
        assert len(line) == 16, line
        rows.append([index[ch] for ch in line])
    return rows


# ---------------------------------------------------------------------------
# Vector scene for the larger sizes.  Coordinates are in a unit square,
# x to the right and y downwards.
# ---------------------------------------------------------------------------

FLORET_LINE = (24, 20, 72)
GREEN_LINE = (20, 64, 24)


def _mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def _shade(color, amount):
    """amount > 0 lightens towards white, < 0 darkens towards black."""
    if amount >= 0:
        return _mix(color, (255, 255, 255), amount)
    return _mix(color, (0, 0, 0), -amount)


class Shape:
    """A filled shape with an outline of `line` colour drawn around it."""

    line = FLORET_LINE

    def dist(self, x, y):
        raise NotImplementedError

    def color(self, x, y):
        raise NotImplementedError


class Stem(Shape):
    line = GREEN_LINE

    def __init__(self, x0, y0, x1, y1, w0, w1):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1
        self.w0, self.w1 = w0, w1

    def _closest(self, x, y):
        dx, dy = self.x1 - self.x0, self.y1 - self.y0
        t = ((x - self.x0) * dx + (y - self.y0) * dy) / (dx * dx + dy * dy)
        t = max(0.0, min(1.0, t))
        return t, self.x0 + dx * t, self.y0 + dy * t

    def dist(self, x, y):
        t, cx, cy = self._closest(x, y)
        half = (self.w0 + (self.w1 - self.w0) * t) / 2
        return math.hypot(x - cx, y - cy) - half

    def color(self, x, y):
        t, cx, _ = self._closest(x, y)
        half = (self.w0 + (self.w1 - self.w0) * t) / 2
        across = (x - cx) / half  # -1 left edge .. +1 right edge
        return _shade((52, 140, 52), -0.35 * across - 0.05)


class Leaf(Shape):
    """A pointed leaf: the intersection of two discs (a vesica)."""

    line = GREEN_LINE

    def __init__(self, bx, by, tx, ty, width):
        self.bx, self.by, self.tx, self.ty = bx, by, tx, ty
        self.len = math.hypot(tx - bx, ty - by)
        self.ux, self.uy = (tx - bx) / self.len, (ty - by) / self.len
        # Two discs whose lens has the requested length and width.
        half_len, half_w = self.len / 2, width / 2
        self.r = (half_len * half_len + half_w * half_w) / (2 * half_w)
        self.off = self.r - half_w

    def _local(self, x, y):
        dx, dy = x - self.bx, y - self.by
        along = dx * self.ux + dy * self.uy - self.len / 2
        across = -dx * self.uy + dy * self.ux
        return along, across

    def dist(self, x, y):
        a, c = self._local(x, y)
        d1 = math.hypot(a, c - self.off) - self.r
        d2 = math.hypot(a, c + self.off) - self.r
        return max(d1, d2)

    def color(self, x, y):
        a, c = self._local(x, y)
        base = (60, 156, 56)
        rib = abs(c) < 0.012 and abs(a) < self.len * 0.42
        if rib:
            return _shade(base, -0.3)
        # one half lit, the other in shade
        return _shade(base, 0.18 if c < 0 else -0.12)


class Bud(Shape):
    """An unopened floret near the tip: a small egg shape."""

    def __init__(self, cx, cy, rx, ry, base):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry
        self.base = base

    def dist(self, x, y):
        nx, ny = (x - self.cx) / self.rx, (y - self.cy) / self.ry
        return (math.hypot(nx, ny) - 1) * min(self.rx, self.ry)

    def color(self, x, y):
        nx, ny = (x - self.cx) / self.rx, (y - self.cy) / self.ry
        light = -(nx + ny) * 0.5  # lit from the upper left
        return _shade(self.base, 0.35 * light)


class Floret(Shape):
    """An open floret seen from the front: five round petals and a pale eye."""

    def __init__(self, cx, cy, r, base, turn=0.0, eye=True):
        self.cx, self.cy, self.r = cx, cy, r
        self.base = base
        self.eye = eye
        self.petals = []
        for k in range(5):
            ang = math.radians(-90 + 72 * k) + turn
            self.petals.append((cx + math.cos(ang) * r * 0.48,
                                cy + math.sin(ang) * r * 0.48))
        self.pr = r * 0.56

    def dist(self, x, y):
        return min(math.hypot(x - px, y - py) for px, py in self.petals) - self.pr

    def color(self, x, y):
        dx, dy = (x - self.cx) / self.r, (y - self.cy) / self.r
        d = math.hypot(dx, dy)
        if self.eye:
            if d < 0.12:
                return (60, 40, 110)         # dark heart of the eye
            if d < 0.30:
                return (236, 232, 255)       # the pale "bee"
        # distance to the nearest petal centre gives each petal a rounded look
        pd = min(math.hypot(x - px, y - py) for px, py in self.petals) / self.pr
        light = -(dx + dy) * 0.45
        c = _shade(self.base, 0.30 * light)
        return _shade(c, -0.22 * max(0.0, pd - 0.55))


BLUE = (64, 100, 224)
MID = (90, 84, 214)
VIOLET = (124, 76, 206)


def build_scene():
    """Returns the shapes back to front."""
    shapes = []
    # stem, slightly leaning, thinner towards the tip
    shapes.append(Stem(0.50, 0.97, 0.53, 0.10, 0.070, 0.040))
    # leaves at the foot of the stem, each split into narrow lobes
    shapes.append(Leaf(0.49, 0.95, 0.10, 0.62, 0.12))
    shapes.append(Leaf(0.50, 0.96, 0.92, 0.70, 0.11))
    shapes.append(Leaf(0.49, 0.96, 0.06, 0.84, 0.11))
    shapes.append(Leaf(0.51, 0.97, 0.90, 0.90, 0.10))
    # buds at the tip, top first
    shapes.append(Bud(0.54, 0.065, 0.040, 0.055, (84, 60, 168)))
    shapes.append(Bud(0.45, 0.145, 0.048, 0.060, (96, 72, 196)))
    shapes.append(Bud(0.62, 0.165, 0.048, 0.060, (76, 88, 204)))
    # open florets, upper (smaller) ones first so the lower ones overlap them
    shapes.append(Floret(0.41, 0.27, 0.090, VIOLET, 0.3))
    shapes.append(Floret(0.64, 0.29, 0.090, BLUE, -0.2))
    shapes.append(Floret(0.52, 0.38, 0.100, MID, 0.1))
    shapes.append(Floret(0.34, 0.48, 0.115, BLUE, 0.5))
    shapes.append(Floret(0.70, 0.49, 0.115, VIOLET, 0.2))
    shapes.append(Floret(0.52, 0.59, 0.120, BLUE, -0.1))
    shapes.append(Floret(0.30, 0.69, 0.125, MID, 0.25))
    shapes.append(Floret(0.74, 0.70, 0.125, BLUE, -0.3))
    return shapes


def render(size, shapes, line_px, samples=5):
    """Rasterises shapes into rows of (r, g, b, a) tuples, with supersampling.

    Every shape gets an outline line_px pixels wide, which also separates
    overlapping florets from each other.
    """
    line = line_px / size
    top_down = list(reversed(shapes))
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc_r = acc_g = acc_b = 0.0
            hits = 0
            for sy in range(samples):
                y = (py + (sy + 0.5) / samples) / size
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    for shape in top_down:
                        d = shape.dist(x, y)
                        if d < 0:
                            c = shape.color(x, y)
                        elif d < line:
                            c = shape.line
                        else:
                            continue
                        acc_r += c[0]
                        acc_g += c[1]
                        acc_b += c[2]
                        hits += 1
                        break
            if hits == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((int(round(acc_r / hits)), int(round(acc_g / hits)),
                            int(round(acc_b / hits)),
                            int(round(255 * hits / (samples * samples)))))
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------
# ICO writing
# ---------------------------------------------------------------------------

def _and_mask(size, transparent):
    """1 bpp mask, bottom-up, rows padded to 32 bits; 1 = transparent."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if transparent(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def _bitmap_header(size, bpp, image_bytes, colors_used):
    # BITMAPINFOHEADER; the height counts the XOR bitmap and the AND mask.
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0,
                       image_bytes, 0, 0, colors_used, 0)


def ico_entry_4bpp(indices):
    """Encodes a 16-colour image given as rows of palette indices."""
    size = len(indices)
    stride = ((size * 4 + 31) // 32) * 4
    xor = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            row[x // 2] |= indices[y][x] << (4 if x % 2 == 0 else 0)
        xor += row
    mask = _and_mask(size, lambda x, y: indices[y][x] == 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for _, (r, g, b) in PALETTE16)
    data = _bitmap_header(size, 4, len(xor) + len(mask), 16) + palette + bytes(xor) + mask
    return size, 16, 4, data


def ico_entry_32bpp(pixels):
    """Encodes a BGRA image given as rows of (r, g, b, a)."""
    size = len(pixels)
    xor = bytearray()
    for y in reversed(range(size)):
        for r, g, b, a in pixels[y]:
            xor += bytes((b, g, r, a) if a else (0, 0, 0, 0))
    mask = _and_mask(size, lambda x, y: pixels[y][x][3] == 0)
    data = _bitmap_header(size, 32, len(xor) + len(mask), 0) + bytes(xor) + mask
    return size, 0, 32, data


def ico_entry_png(pixels):
    """Encodes an RGBA image given as rows of (r, g, b, a) as a PNG entry."""
    size = len(pixels)

    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body +
                struct.pack('>I', zlib.crc32(kind + body)))

    raw = b''.join(b'\0' + b''.join(bytes(p) for p in row) for row in pixels)
    data = (b'\x89PNG\r\n\x1a\n' +
            chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))
    return size, 0, 32, data


def write_ico(path, entries):
    header = struct.pack('<HHH', 0, 1, len(entries))
    offset = len(header) + 16 * len(entries)
    directory = b''
    for size, colors, bpp, data in entries:
        directory += struct.pack('<BBBBHHII', size % 256, size % 256, colors, 0, 1,
                                 bpp, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(header + directory + b''.join(e[3] for e in entries))


def main():
    art = art16_pixels()
    write_ico(os.path.join(HERE, 'tray.ico'), [ico_entry_4bpp(art)])

    small = [[PALETTE16[i][1] + ((255,) if i else (0,)) for i in row] for row in art]
    scene = build_scene()
    entries = [
        ico_entry_32bpp(small),
        ico_entry_32bpp(render(32, scene, 1.0)),
        ico_entry_32bpp(render(48, scene, 1.3)),
        ico_entry_32bpp(render(64, scene, 1.6)),
        ico_entry_png(render(256, scene, 4.0, samples=4)),
    ]
    write_ico(os.path.join(HERE, 'brisa.ico'), entries)


if __name__ == '__main__':
    main()
