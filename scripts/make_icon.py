#!/usr/bin/env python3
"""Draw the Korvane program icon and write it as a Windows .ico file.

Usage: make_icon.py OUTPUT.ico [--preview DIR]

The picture is a blue eighth note linked by a gold ring to a grey
loudspeaker, on a transparent background.  Every shape is described by a
signed distance function in unit coordinates (0..1, y pointing down), so the
same scene renders at any size.  Each output pixel is sampled on an 8x8 grid;
a pixel is opaque when at least half of its samples hit a shape.

The file holds three images, in this order:
  1. 32x32, 4 bits per pixel, standard 16-colour VGA palette
  2. 16x16, 4 bits per pixel, same palette, simplified drawing
  3. 32x32, 8 bits per pixel, 256-entry palette with anti-aliased edges

16-colour pixels take the palette index that most of their samples voted
for, so edges stay crisp and colours stay pure.  256-colour pixels take the
average colour of their samples, mapped to the nearest palette entry.

--preview DIR also writes each image as a PNG, scaled up 8x, plus a sheet
showing all three on a light and a dark background.

Only the standard library is used, and the output is the same bytes on every
run.
"""

import argparse
import math
import os
import struct
import sys
import zlib

SUPERSAMPLE = 8
PREVIEW_SCALE = 8

# ---------------------------------------------------------------------------
# Palettes

# Standard Windows 16-colour palette, in index order.
VGA16 = [
    (0x00, 0x00, 0x00),  # 0 black
    (0x80, 0x00, 0x00),  # 1 dark red
    (0x00, 0x80, 0x00),  # 2 dark green
    (0x80, 0x80, 0x00),  # 3 olive
    (0x00, 0x00, 0x80),  # 4 navy
    (0x80, 0x00, 0x80),  # 5 purple
    (0x00, 0x80, 0x80),  # 6 teal
    (0xC0, 0xC0, 0xC0),  # 7 silver
    (0x80, 0x80, 0x80),  # 8 grey
    (0xFF, 0x00, 0x00),  # 9 red
    (0x00, 0xFF, 0x00),  # 10 lime
    (0xFF, 0xFF, 0x00),  # 11 yellow
    (0x00, 0x00, 0xFF),  # 12 blue
    (0xFF, 0x00, 0xFF),  # 13 fuchsia
    (0x00, 0xFF, 0xFF),  # 14 aqua
    (0xFF, 0xFF, 0xFF),  # 15 white
]
BLACK, NAVY, OLIVE, SILVER, GREY = 0, 4, 3, 7, 8
YELLOW, BLUE, WHITE = 11, 12, 15

# Colour ramps used by the 256-colour image: (position, colour) stops, from
# the outline shade (0.0) to the highlight (1.0).
RAMPS = {
    "blue": [(0.0, (0x00, 0x0C, 0x48)), (0.35, (0x08, 0x30, 0xB0)),
             (0.7, (0x30, 0x70, 0xF0)), (1.0, (0xB8, 0xD8, 0xFF))],
    "gold": [(0.0, (0x5C, 0x38, 0x00)), (0.35, (0xB0, 0x78, 0x00)),
             (0.7, (0xF0, 0xC0, 0x20)), (1.0, (0xFF, 0xF4, 0xB0))],
    "grey": [(0.0, (0x18, 0x18, 0x1C)), (0.35, (0x58, 0x5A, 0x60)),
             (0.7, (0xA0, 0xA2, 0xA8)), (1.0, (0xF4, 0xF4, 0xF6))],
}
RAMP_STEPS = 64


def _lerp(a, b, t):
    return a + (b - a) * t


def ramp_colour(name, t):
    """Colour at position t (0..1) along the named ramp, as float RGB."""
    stops = RAMPS[name]
    t = min(1.0, max(0.0, t))
    for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
        if t <= t1:
            u = (t - t0) / (t1 - t0)
            return tuple(_lerp(c0[i], c1[i], u) for i in range(3))
    return tuple(float(v) for v in stops[-1][1])


def _round_rgb(c):
    return tuple(int(round(v)) for v in c)


def build_palette256():
    """VGA 16, then 64 shades each of blue, gold and grey, then 48 blends of
    pairs of ramps (for pixels where two shapes meet)."""
    pal = list(VGA16)
    names = ("blue", "gold", "grey")
    for name in names:
        for i in range(RAMP_STEPS):
            pal.append(_round_rgb(ramp_colour(name, i / (RAMP_STEPS - 1))))
    for a, b in (("blue", "gold"), ("gold", "grey"), ("blue", "grey")):
        for i in range(16):
            t = i / 15
            ca, cb = ramp_colour(a, t), ramp_colour(b, t)
            pal.append(_round_rgb(tuple((ca[k] + cb[k]) / 2 for k in range(3))))
    assert len(pal) == 256
    return pal


PALETTE256 = build_palette256()


def nearest_index(palette, rgb):
    """Index of the palette entry closest to rgb (weighted RGB distance).
    Ties go to the lowest index."""
    r, g, b = rgb
    best, best_d = 0, None
    for i, (pr, pg, pb) in enumerate(palette):
        d = 2 * (pr - r) ** 2 + 4 * (pg - g) ** 2 + 3 * (pb - b) ** 2
        if best_d is None or d < best_d:
            best, best_d = i, d
    return best


# ---------------------------------------------------------------------------
# Signed distance functions.  Each returns a function of (x, y) that is
# negative inside the shape, positive outside, roughly the distance to the
# edge.


def ring(cx, cy, r, half_width):
    """Circle outline of radius r, stroke 2*half_width."""
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - half_width


def ellipse(cx, cy, rx, ry, angle_deg=0.0):
    """Rotated ellipse (angle in degrees, positive turns clockwise on screen
    since y points down).  Uses the usual first-order distance estimate."""
    ca = math.cos(math.radians(angle_deg))
    sa = math.sin(math.radians(angle_deg))

    def sdf(x, y):
        dx, dy = x - cx, y - cy
        u = dx * ca + dy * sa
        v = -dx * sa + dy * ca
        k0 = math.hypot(u / rx, v / ry)
        k1 = math.hypot(u / (rx * rx), v / (ry * ry))
        if k1 == 0.0:
            return -min(rx, ry)
        return k0 * (k0 - 1.0) / k1
    return sdf


def polygon(points):
    """Exact distance to a simple polygon (points in order, either winding)."""
    pts = list(points)
    n = len(pts)

    def sdf(x, y):
        d = None
        inside = False
        j = n - 1
        for i in range(n):
            xi, yi = pts[i]
            xj, yj = pts[j]
            ex, ey = xj - xi, yj - yi
            wx, wy = x - xi, y - yi
            el = ex * ex + ey * ey
            t = 0.0 if el == 0 else max(0.0, min(1.0, (wx * ex + wy * ey) / el))
            dd = math.hypot(wx - ex * t, wy - ey * t)
            if d is None or dd < d:
                d = dd
            if (yi > y) != (yj > y):
                if x < xi + (y - yi) * (xj - xi) / (yj - yi):
                    inside = not inside
            j = i
        return -d if inside else d
    return sdf


def box(x0, y0, x1, y1, radius=0.0):
    """Axis-aligned rectangle, optionally with rounded corners."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def sdf(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return sdf


def arc(cx, cy, r, a0_deg, a1_deg, half_width):
    """Stroke along a circular arc from angle a0 to a1 (degrees, measured
    clockwise on screen from the +x axis, within -180..180), with round
    ends."""
    a0, a1 = math.radians(a0_deg), math.radians(a1_deg)
    ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (a0, a1)]

    def sdf(x, y):
        a = math.atan2(y - cy, x - cx)
        if a0 <= a <= a1:
            d = abs(math.hypot(x - cx, y - cy) - r)
        else:
            d = min(math.hypot(x - ex, y - ey) for ex, ey in ends)
        return d - half_width
    return sdf


def moved(sdf, dx, dy):
    """The shape sdf shifted by (dx, dy)."""
    return lambda x, y: sdf(x - dx, y - dy)


def union(*sdfs):
    return lambda x, y: min(f(x, y) for f in sdfs)


# ---------------------------------------------------------------------------
# Scene description


class Layer:
    """One painted shape.

    sdf      - the shape
    family   - colour ramp for the 256-colour image
    shade    - (t_light, t_dark, (lx, ly), (dx, dy)): fill runs from ramp
               position t_light at point (lx, ly) to t_dark at (dx, dy)
    index16  - VGA palette index of the fill in the 16-colour images
    outline  - outline width in output pixels (0 for none)
    out16    - VGA index of the outline
    out_t    - ramp position of the outline in the 256-colour image
    """

    def __init__(self, sdf, family, shade, index16, outline=0.0, out16=BLACK,
                 out_t=0.0):
        self.sdf = sdf
        self.family = family
        self.shade = shade
        self.index16 = index16
        self.outline = outline
        self.out16 = out16
        self.out_t = out_t

    def fill_colour(self, x, y):
        t_light, t_dark, (lx, ly), (dx, dy) = self.shade
        vx, vy = dx - lx, dy - ly
        vl = vx * vx + vy * vy
        u = 0.0 if vl == 0 else ((x - lx) * vx + (y - ly) * vy) / vl
        u = min(1.0, max(0.0, u))
        return ramp_colour(self.family, _lerp(t_light, t_dark, u))


# Layout, left to right: the note, the ring tucked under the note's flag,
# the loudspeaker.  Back to front: ring, speaker, note, so the ring passes
# under the note's stem on one side and under the speaker's magnet on the
# other.  The 32x32 and 16x16 drawings share the layout; the small one is
# placed by hand on its pixel grid with fewer details.

def _px(points, size):
    """Convert a list of (x, y) pixel positions on a size grid to unit
    coordinates."""
    return [(x / size, y / size) for x, y in points]


def _full_scene():
    """The drawing used at 32x32."""
    s = 32
    note = union(
        ellipse(0.175, 0.765, 0.145, 0.100, -25.0),
        box(8.0 / s, 0.07, 10.0 / s, 0.76),
        polygon([(x + 0.0175, y) for x, y in (
            (0.285, 0.07), (0.315, 0.07), (0.360, 0.12), (0.425, 0.18),
            (0.470, 0.25), (0.482, 0.32), (0.462, 0.40), (0.446, 0.39),
            (0.450, 0.33), (0.425, 0.28), (0.370, 0.245), (0.285, 0.22),
        )]))
    highlight = ellipse(0.130, 0.740, 0.045, 0.024, -25.0)
    gold_ring = ring(15.5 / s, 20.5 / s, 0.150, 0.045)
    magnet = box(0.600, 0.53, 0.710, 0.72, 0.02)
    cone = polygon([(0.695, 0.54), (0.825, 0.40), (0.825, 0.86),
                    (0.695, 0.71)])
    waves = [arc(0.78, 0.625, 0.125, -45, 45, 0.024),
             arc(0.78, 0.625, 0.195, -42, 42, 0.024)]
    # Everything sits one pixel lower, to centre the drawing vertically.
    d = 1.0 / s
    return dict(note=moved(note, 0, d), highlight=moved(highlight, 0, d),
                ring=moved(gold_ring, 0, d), magnet=moved(magnet, 0, d),
                cone=moved(cone, 0, d),
                waves=[moved(w, 0, d) for w in waves],
                note_ow=1.0, ring_ow=0.7, speaker_ow=1.0)


def _small_scene():
    """The drawing used at 16x16: shapes laid out on the pixel grid, no
    outline on the note, no highlight and no sound waves."""
    s = 16
    note = union(
        ellipse(2.6 / s, 12.2 / s, 2.4 / s, 1.95 / s, -25.0),
        box(4.0 / s, 1.0 / s, 5.1 / s, 12.2 / s),
        polygon(_px([(5.0, 1.0), (6.4, 2.0), (7.4, 3.4), (7.8, 5.2),
                     (7.3, 7.0), (6.8, 6.9), (6.9, 5.0), (6.1, 4.0),
                     (5.0, 3.6)], s)))
    gold_ring = ring(8.0 / s, 10.5 / s, 2.5 / s, 0.75 / s)
    magnet = box(10.8 / s, 8.6 / s, 12.4 / s, 12.4 / s)
    cone = polygon(_px([(12.2, 8.6), (15.0, 5.8), (15.0, 15.2),
                        (12.2, 12.4)], s))
    return dict(note=note, highlight=None, ring=gold_ring, magnet=magnet,
                cone=cone, waves=[], note_ow=0.0, ring_ow=0.5, speaker_ow=0.8)


def scene(detail):
    """Layers for the icon, back to front.  detail=False gives the simpler
    drawing used at 16x16."""
    p = _full_scene() if detail else _small_scene()
    layers = []

    # Gold ring, at the back: the note's stem and the speaker's magnet both
    # sit over its edges, which is what ties the three together.
    layers.append(Layer(p["ring"], "gold",
                        (0.95, 0.40, (0.30, 0.45), (0.55, 0.78)),
                        YELLOW, outline=p["ring_ow"], out16=OLIVE, out_t=0.05))

    # Loudspeaker: magnet box and cone as one outlined body, the magnet
    # shaded darker, then the sound waves.
    sow = p["speaker_ow"]
    layers.append(Layer(union(p["magnet"], p["cone"]), "grey",
                        (0.85, 0.45, (0.60, 0.35), (0.85, 0.90)),
                        SILVER, outline=sow, out16=BLACK, out_t=0.0))
    layers.append(Layer(p["magnet"], "grey",
                        (0.5, 0.3, (0.57, 0.5), (0.69, 0.72)),
                        GREY, outline=sow, out16=BLACK, out_t=0.0))
    for w in p["waves"]:
        layers.append(Layer(w, "grey", (0.6, 0.4, (0.85, 0.4), (0.95, 0.8)),
                            GREY))

    # Note: head, stem and flag as one outlined shape.
    layers.append(Layer(p["note"], "blue",
                        (0.85, 0.35, (0.08, 0.10), (0.40, 0.88)),
                        BLUE, outline=p["note_ow"], out16=NAVY, out_t=0.0))
    if p["highlight"] is not None:
        layers.append(Layer(p["highlight"], "blue",
                            (1.0, 0.95, (0.1, 0.7), (0.2, 0.8)), WHITE))
    return layers


# ---------------------------------------------------------------------------
# Rendering


def render(layers, size, bpp):
    """Render layers to a size x size grid for an image of the given bit
    depth.

    Returns (mask, pixels): mask[y][x] is True where opaque.  For 4 bpp,
    pixels[y][x] is the VGA index most of the pixel's covered samples voted
    for; for 8 bpp it is the average RGB of those samples."""
    n = SUPERSAMPLE
    mask, pixels = [], []
    for py in range(size):
        mrow, prow = [], []
        for px in range(size):
            count = [0] * 16
            acc = [0.0, 0.0, 0.0]
            hits = 0
            for sy in range(n):
                y = (py + (sy + 0.5) / n) / size
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    hit = None
                    for layer in layers:
                        d = layer.sdf(x, y)
                        if d <= 0.0:
                            hit = layer
                            inside = True
                        elif layer.outline and d <= layer.outline / size:
                            hit = layer
                            inside = False
                    if hit is None:
                        continue
                    hits += 1
                    if bpp == 4:
                        count[hit.index16 if inside else hit.out16] += 1
                    else:
                        c = (hit.fill_colour(x, y) if inside else
                             ramp_colour(hit.family, hit.out_t))
                        for k in range(3):
                            acc[k] += c[k]
            opaque = hits * 2 >= n * n
            mrow.append(opaque)
            if not opaque:
                prow.append(0 if bpp == 4 else (0.0, 0.0, 0.0))
            elif bpp == 4:
                prow.append(max(range(16), key=lambda i: (count[i], -i)))
            else:
                prow.append(tuple(v / hits for v in acc))
        mask.append(mrow)
        pixels.append(prow)
    return mask, pixels


def make_images():
    """Return a list of (size, bpp, palette, pixels, mask) in file order."""
    full = scene(detail=True)
    mask32, votes32 = render(full, 32, 4)
    mask16, votes16 = render(scene(detail=False), 16, 4)
    mask256, colours = render(full, 32, 8)

    cache = {}
    pix256 = []
    for row_m, row_c in zip(mask256, colours):
        row = []
        for opaque, c in zip(row_m, row_c):
            if not opaque:
                row.append(0)
                continue
            key = _round_rgb(c)
            if key not in cache:
                cache[key] = nearest_index(PALETTE256, key)
            row.append(cache[key])
        pix256.append(row)

    return [
        (32, 4, VGA16, votes32, mask32),
        (16, 4, VGA16, votes16, mask16),
        (32, 8, PALETTE256, pix256, mask256),
    ]


# ---------------------------------------------------------------------------
# ICO writer


def _pad4(data):
    return data + b"\0" * (-len(data) % 4)


def encode_dib(size, bpp, palette, pixels, mask):
    """BITMAPINFOHEADER + palette + XOR bitmap + AND mask, as stored in .ico.
    Transparent pixels are written as index 0 (black) so the XOR step leaves
    the screen untouched."""
    xor = bytearray()
    andm = bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up
        row = [pixels[y][x] if mask[y][x] else 0 for x in range(size)]
        if bpp == 8:
            line = bytes(row)
        else:
            line = bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2))
        xor += _pad4(line)
        bits = bytearray((size + 7) // 8)
        for x in range(size):
            if not mask[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        andm += _pad4(bytes(bits))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0,
                         len(xor) + len(andm), 0, 0, 0, 0)
    colours = 1 << bpp
    pal = bytearray()
    for i in range(colours):
        r, g, b = palette[i]
        pal += bytes((b, g, r, 0))
    return header + bytes(pal) + bytes(xor) + bytes(andm)


def encode_ico(images):
    blobs = [encode_dib(*img) for img in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for (size, bpp, _, _, _), blob in zip(images, blobs):
        colour_count = 1 << bpp if bpp < 8 else 0
        out += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count,
                           0, 1, bpp, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    return bytes(out)


# ---------------------------------------------------------------------------
# PNG previews


def _png_chunk(tag, data):
    return (struct.pack(">I", len(data)) + tag + data
            + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))


def encode_png(width, height, rgba_rows):
    """8-bit RGBA PNG from rows of (r, g, b, a) tuples."""
    raw = bytearray()
    for row in rgba_rows:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))
    return (b"\x89PNG\r\n\x1a\n"
            + _png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6,
                                              0, 0, 0))
            + _png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + _png_chunk(b"IEND", b""))


def _image_rgba(size, palette, pixels, mask, background=None):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            if mask[y][x]:
                row.append(palette[pixels[y][x]] + (255,))
            elif background is None:
                row.append((0, 0, 0, 0))
            else:
                row.append(background + (255,))
        rows.append(row)
    return rows


def _scale(rows, k):
    out = []
    for row in rows:
        wide = [p for p in row for _ in range(k)]
        out.extend([wide] * k)
    return out


def write_previews(images, directory):
    os.makedirs(directory, exist_ok=True)
    k = PREVIEW_SCALE
    names = []
    for size, bpp, palette, pixels, mask in images:
        name = "korvane-%dx%d-%dbpp.png" % (size, size, bpp)
        rows = _scale(_image_rgba(size, palette, pixels, mask), k)
        with open(os.path.join(directory, name), "wb") as f:
            f.write(encode_png(size * k, size * k, rows))
        names.append(name)

    # Contact sheet: the three images at 8x on a light and a dark row.
    gap = 8
    cell = 32 * k
    width = gap + 3 * (cell + gap)
    height = gap + 2 * (cell + gap)
    sheet = [[(0x60, 0x60, 0x60, 255)] * width for _ in range(height)]
    for r, bg in enumerate(((0xF0, 0xF0, 0xF0), (0x20, 0x28, 0x38))):
        for c, (size, bpp, palette, pixels, mask) in enumerate(images):
            rows = _scale(_image_rgba(size, palette, pixels, mask, bg), k)
            inset = (cell - size * k) // 2
            oy, ox = gap + r * (cell + gap), gap + c * (cell + gap)
            for y in range(cell):
                for x in range(cell):
                    sheet[oy + y][ox + x] = bg + (255,)
            for y, row in enumerate(rows):
                sheet[oy + inset + y][ox + inset:ox + inset + len(row)] = row
    with open(os.path.join(directory, "korvane-sheet.png"), "wb") as f:
        f.write(encode_png(width, height, sheet))
    names.append("korvane-sheet.png")
    return names


# ---------------------------------------------------------------------------


def main(argv=None):
    parser = argparse.ArgumentParser(
        description="Draw the Korvane icon and write it as a .ico file.")
    parser.add_argument("output", help="path of the .ico file to write")
    parser.add_argument("--preview", metavar="DIR",
                        help="also write 8x PNG previews into DIR")
    args = parser.parse_args(argv)

    images = make_images()
    data = encode_ico(images)
    out_dir = os.path.dirname(os.path.abspath(args.output))
    os.makedirs(out_dir, exist_ok=True)
    with open(args.output, "wb") as f:
        f.write(data)
    if args.preview:
        write_previews(images, args.preview)
    return 0


if __name__ == "__main__":
    sys.exit(main())
