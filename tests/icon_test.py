"""Checks for the program icon: scripts/make_icon.py and res/korvane.ico.

The .ico is parsed here with struct, independently of the generator, so a
mistake in the writer shows up as a mismatch rather than being read back the
same wrong way.

Run from this directory:  python3 -m unittest icon_test
"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCRIPT = os.path.join(ROOT, "scripts", "make_icon.py")
COMMITTED = os.path.join(ROOT, "res", "korvane.ico")

# (width/height, bits per pixel, colour count in the directory entry)
EXPECTED = [(32, 4, 16), (16, 4, 16), (32, 8, 0)]

VGA16 = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00),
    (0x80, 0x80, 0x00), (0x00, 0x00, 0x80), (0x80, 0x00, 0x80),
    (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0), (0x80, 0x80, 0x80),
    (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF),
    (0xFF, 0xFF, 0xFF),
]


_tmp = None
FRESH = None        # bytes of a freshly generated .ico
PREVIEW_DIR = None  # previews written by the same run


def setUpModule():
    # One generator run serves every test in this file.
    global _tmp, FRESH, PREVIEW_DIR
    _tmp = tempfile.TemporaryDirectory()
    PREVIEW_DIR = os.path.join(_tmp.name, "preview")
    FRESH = run_generator(os.path.join(_tmp.name, "icon.ico"), PREVIEW_DIR)


def tearDownModule():
    _tmp.cleanup()


def run_generator(output, preview=None):
    cmd = [sys.executable, SCRIPT, output]
    if preview:
        cmd += ["--preview", preview]
    subprocess.run(cmd, check=True, capture_output=True)
    with open(output, "rb") as f:
        return f.read()


def row_bytes(width, bpp):
    return (width * bpp + 31) // 32 * 4


class Image:
    """One image of the icon, decoded from its directory entry and DIB."""

    def __init__(self, data, entry):
        (self.width, self.height, self.colour_count, self.reserved,
         self.planes, self.bpp, self.length, self.offset) = entry
        blob = data[self.offset:self.offset + self.length]
        self.blob = blob
        self.header = struct.unpack_from("<IiiHHIIiiII", blob, 0)
        n_colours = 1 << self.header[4]
        pal = blob[40:40 + 4 * n_colours]
        self.palette_quads = [tuple(pal[i:i + 4])
                              for i in range(0, len(pal), 4)]
        self.palette = [(r, g, b) for b, g, r, _ in self.palette_quads]
        size = self.width
        self.xor_len = row_bytes(size, self.bpp) * size
        self.and_len = row_bytes(size, 1) * size
        xor_start = 40 + 4 * n_colours
        self.xor = blob[xor_start:xor_start + self.xor_len]
        self.andm = blob[xor_start + self.xor_len:]

    def index(self, x, y):
        """Palette index of pixel (x, y), y counted from the top."""
        row = self.xor[(self.width - 1 - y) * row_bytes(self.width, self.bpp):]
        if self.bpp == 8:
            return row[x]
        byte = row[x // 2]
        return byte >> 4 if x % 2 == 0 else byte & 0x0F

    def transparent(self, x, y):
        row = self.andm[(self.width - 1 - y) * row_bytes(self.width, 1):]
        return bool(row[x // 8] & (0x80 >> (x % 8)))

    def pixels(self):
        return [(x, y) for y in range(self.width) for x in range(self.width)]


class IcoStructureTest(unittest.TestCase):
    """Layout of a freshly generated .ico."""

    @classmethod
    def setUpClass(cls):
        cls.data = FRESH
        reserved, kind, count = struct.unpack_from("<HHH", cls.data, 0)
        cls.icondir = (reserved, kind, count)
        cls.entries = [struct.unpack_from("<BBBBHHII", cls.data, 6 + 16 * i)
                       for i in range(count)]
        cls.images = [Image(cls.data, e) for e in cls.entries]

    def test_directory_lists_three_images_in_order(self):
        self.assertEqual(self.icondir, (0, 1, 3))
        got = [(im.width, im.height, im.bpp, im.colour_count, im.reserved,
                im.planes) for im in self.images]
        want = [(s, s, bpp, cc, 0, 1) for s, bpp, cc in EXPECTED]
        self.assertEqual(got, want)

    def test_images_fill_the_file_without_gaps_or_overlap(self):
        pos = 6 + 16 * len(self.entries)
        for im in self.images:
            self.assertEqual(im.offset, pos)
            self.assertGreater(im.length, 0)
            pos += im.length
        self.assertEqual(pos, len(self.data))

    def test_bitmap_headers(self):
        for im in self.images:
            with self.subTest(size=im.width, bpp=im.bpp):
                (bi_size, width, height, planes, bpp, compression,
                 size_image, _, _, clr_used, _) = im.header
                self.assertEqual(bi_size, 40)
                self.assertEqual((width, height), (im.width, 2 * im.width))
                self.assertEqual(planes, 1)
                self.assertEqual(bpp, im.bpp)
                self.assertEqual(compression, 0)
                self.assertEqual(size_image, im.xor_len + im.and_len)
                self.assertIn(clr_used, (0, 1 << im.bpp))
                # Header, full palette, XOR and AND exactly make up the entry.
                self.assertEqual(im.length, 40 + 4 * (1 << im.bpp)
                                 + im.xor_len + im.and_len)
                self.assertEqual(len(im.andm), im.and_len)

    def test_palettes(self):
        for im in self.images:
            with self.subTest(size=im.width, bpp=im.bpp):
                self.assertEqual(len(im.palette), 1 << im.bpp)
                self.assertTrue(all(q[3] == 0 for q in im.palette_quads))
                if im.bpp == 4:
                    self.assertEqual(im.palette, VGA16)

    def test_masks_are_partly_transparent(self):
        for im in self.images:
            with self.subTest(size=im.width, bpp=im.bpp):
                clear = sum(im.transparent(x, y) for x, y in im.pixels())
                self.assertGreater(clear, 0, "mask is all opaque")
                self.assertLess(clear, im.width ** 2, "mask is all clear")

    def test_transparent_pixels_are_black_and_padding_is_zero(self):
        # A non-zero colour under a transparent pixel would be XORed onto
        # whatever is behind the icon.
        for im in self.images:
            with self.subTest(size=im.width, bpp=im.bpp):
                bad = [(x, y) for x, y in im.pixels()
                       if im.transparent(x, y) and im.index(x, y) != 0]
                self.assertEqual(bad, [])
                used = (im.width + 7) // 8
                stride = row_bytes(im.width, 1)
                for r in range(im.width):
                    pad = im.andm[r * stride + used:(r + 1) * stride]
                    self.assertEqual(pad, bytes(len(pad)))

    def test_drawing_has_blue_gold_and_grey(self):
        # Catches a blank or garbled render: each image shows the blue note,
        # the gold ring and the grey loudspeaker.
        for im in self.images:
            with self.subTest(size=im.width, bpp=im.bpp):
                colours = {im.palette[im.index(x, y)] for x, y in im.pixels()
                           if not im.transparent(x, y)}
                self.assertTrue(any(b > 2 * max(r, g) for r, g, b in colours),
                                "no blue")
                self.assertTrue(any(r > 150 and g > 100 and b < 0.6 * g
                                    for r, g, b in colours), "no gold")
                self.assertTrue(any(abs(r - g) < 12 and abs(g - b) < 12
                                    and 60 < r < 230 for r, g, b in colours),
                                "no grey")


    def test_note_on_the_left_speaker_on_the_right(self):
        # The leftmost pixels belong to the note head, low in the picture;
        # the rightmost ones to the speaker.  An image stored top-down or
        # mirrored fails this.
        for im in self.images:
            with self.subTest(size=im.width, bpp=im.bpp):
                opaque = [(x, y) for x, y in im.pixels()
                          if not im.transparent(x, y)]
                x_min = min(x for x, _ in opaque)
                x_max = max(x for x, _ in opaque)
                left = [(x, y) for x, y in opaque if x == x_min]
                right = [(x, y) for x, y in opaque if x == x_max]
                for x, y in left:
                    r, g, b = im.palette[im.index(x, y)]
                    self.assertGreater(b, 2 * max(r, g), (x, y))
                    self.assertGreaterEqual(y, im.width // 2, (x, y))
                for x, y in right:
                    c = im.palette[im.index(x, y)]
                    self.assertLess(max(c) - min(c), 16, (x, y))


class CommittedIconTest(unittest.TestCase):

    def test_committed_icon_matches_generator(self):
        with open(COMMITTED, "rb") as f:
            committed = f.read()
        self.assertTrue(committed == FRESH,
                        "res/korvane.ico is out of date: rerun "
                        "scripts/make_icon.py res/korvane.ico")


class PreviewTest(unittest.TestCase):

    def test_previews_are_valid_png_at_8x(self):
        for size, bpp, _ in EXPECTED:
            name = "korvane-%dx%d-%dbpp.png" % (size, size, bpp)
            with self.subTest(name=name):
                with open(os.path.join(PREVIEW_DIR, name), "rb") as f:
                    png = f.read()
                self.check_png(png, 8 * size)

    def check_png(self, png, side):
        self.assertEqual(png[:8], b"\x89PNG\r\n\x1a\n")
        pos, chunks = 8, {}
        while pos < len(png):
            (length,) = struct.unpack_from(">I", png, pos)
            tag = png[pos + 4:pos + 8]
            body = png[pos + 8:pos + 8 + length]
            (crc,) = struct.unpack_from(">I", png, pos + 8 + length)
            self.assertEqual(crc, zlib.crc32(tag + body) & 0xFFFFFFFF, tag)
            chunks[tag] = chunks.get(tag, b"") + body
            pos += 12 + length
        self.assertEqual(pos, len(png))
        (width, height, depth, colour_type, compression, filtering,
         interlace) = struct.unpack(">IIBBBBB", chunks[b"IHDR"])
        self.assertEqual((width, height), (side, side))
        self.assertEqual((compression, filtering, interlace), (0, 0, 0))
        channels = {6: 4, 2: 3}[colour_type]
        raw = zlib.decompress(chunks[b"IDAT"])
        self.assertEqual(len(raw), height * (1 + width * channels * depth // 8))
        self.assertIn(b"IEND", chunks)


if __name__ == "__main__":
    unittest.main()
