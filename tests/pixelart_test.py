#!/usr/bin/env python3
"""Tests of tools/pixelart.py: text files in, .bmp and .ico files out.

Every test runs the tool as the build does, as a program on real files in a
temporary folder, and reads the bytes it wrote back with the small readers
below, which follow the Windows file layouts on their own (they share no code
with the tool). Where ImageMagick is installed, its reading of the same files
is compared too.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import textwrap
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.dirname(HERE)
TOOL = os.path.join(SOURCE_DIR, "tools", "pixelart.py")
IMAGES = os.path.join(SOURCE_DIR, "resources", "images")


# ---------------------------------------------------------------- readers

def read_info_header(data, at):
    fields = struct.unpack_from("<IiiHHIIiiII", data, at)
    names = ("size", "width", "height", "planes", "bpp", "compression",
             "image_size", "xppm", "yppm", "clr_used", "clr_important")
    return dict(zip(names, fields))


def read_palette(data, at, count):
    """RGBQUADs as (r, g, b, reserved)."""
    out = []
    for i in range(count):
        b, g, r, reserved = data[at + 4 * i: at + 4 * i + 4]
        out.append((r, g, b, reserved))
    return out


def row_stride(width, bpp):
    return ((width * bpp + 31) // 32) * 4


def pixel_at(bits, width, height, bpp, x, y):
    """Index of pixel (x, y), y counted from the top, in bottom-up rows."""
    stride = row_stride(width, bpp)
    row = bits[(height - 1 - y) * stride: (height - y) * stride]
    bit = x * bpp
    byte = row[bit // 8]
    shift = 8 - bpp - bit % 8
    return (byte >> shift) & ((1 << bpp) - 1)


def read_bmp(data):
    magic, file_size, r1, r2, offset = struct.unpack_from("<2sIHHI", data, 0)
    info = read_info_header(data, 14)
    colours = 1 << info["bpp"]
    return {
        "magic": magic, "file_size": file_size, "reserved": (r1, r2),
        "offset": offset, "info": info,
        "palette": read_palette(data, 14 + info["size"], colours),
        "bits": data[offset:],
    }


def read_ico(data):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    entries = []
    for i in range(count):
        (width, height, colour_count, pad, planes, bpp, size,
         offset) = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        blob = data[offset:offset + size]
        info = read_info_header(blob, 0)
        colours = 1 << info["bpp"]
        w, h = info["width"], info["height"] // 2
        palette_at = info["size"]
        xor_at = palette_at + 4 * colours
        xor_size = row_stride(w, info["bpp"]) * h
        entries.append({
            "width": width, "height": height, "colour_count": colour_count,
            "pad": pad, "planes": planes, "bpp": bpp, "size": size,
            "offset": offset, "blob": blob, "info": info,
            "palette": read_palette(blob, palette_at, colours),
            "xor": blob[xor_at:xor_at + xor_size],
            "and": blob[xor_at + xor_size:],
        })
    return {"reserved": reserved, "kind": kind, "count": count, "images": entries}


# ---------------------------------------------------------------- helpers

class ToolCase(unittest.TestCase):
    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="pixelart-test-")
        self.addCleanup(shutil.rmtree, self.folder)

    def write(self, name, text):
        path = os.path.join(self.folder, name)
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(textwrap.dedent(text).lstrip("\n"))
        return path

    def run_tool(self, *args):
        return subprocess.run([sys.executable, TOOL, *args], capture_output=True,
                              text=True, timeout=60)

    def convert(self, name, text, output_name):
        source = self.write(name, text)
        output = os.path.join(self.folder, output_name)
        result = self.run_tool(source, output)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, "")
        with open(output, "rb") as f:
            return f.read()

    def fails(self, name, text, output_name, *expected):
        """Runs the tool on a faulty file; returns its error text."""
        source = self.write(name, text)
        output = os.path.join(self.folder, output_name)
        result = self.run_tool(source, output)
        self.assertEqual(result.returncode, 1, result.stderr)
        self.assertFalse(os.path.exists(output), "no output may be written for a faulty file")
        for part in expected:
            self.assertIn(part, result.stderr)
        return result.stderr

    def imagemagick_pixels(self, path):
        """{(x, y): (r, g, b, a)} as ImageMagick reads the file, or None without it."""
        convert = shutil.which("convert")
        if convert is None:
            return None
        result = subprocess.run([convert, path, "-depth", "8", "txt:-"],
                                capture_output=True, text=True, timeout=60)
        if result.returncode != 0:
            return None
        pixels = {}
        for line in result.stdout.splitlines():
            if line.startswith("#"):
                continue
            place, colour = line.split(":", 1)
            x, y = (int(v) for v in place.split(","))
            values = colour.strip().split(")")[0].lstrip("(").split(",")
            values = [int(float(v)) for v in values]
            if len(values) == 3:
                values.append(255)
            pixels[(x, y)] = tuple(values)
        return pixels


ARROW = """
    # An arrow on olive, 5 wide so that every row needs padding.
    bitmap 5x3 bpp=4
    palette
      . 808000  olive
      k 000000  black
      r ff0000  red

    pixels
      ..r..
      rrrrk
      k.r..
"""


class BitmapTests(ToolCase):
    def test_headers_of_a_4_bit_bitmap(self):
        data = self.convert("arrow.bmp.txt", ARROW, "arrow.bmp")
        bmp = read_bmp(data)
        self.assertEqual(bmp["magic"], b"BM")
        self.assertEqual(bmp["file_size"], len(data))
        self.assertEqual(bmp["reserved"], (0, 0))
        self.assertEqual(bmp["offset"], 14 + 40 + 16 * 4)
        info = bmp["info"]
        self.assertEqual(info["size"], 40)
        self.assertEqual((info["width"], info["height"]), (5, 3))   # positive: bottom-up
        self.assertEqual(info["planes"], 1)
        self.assertEqual(info["bpp"], 4)
        self.assertEqual(info["compression"], 0)
        self.assertEqual(info["image_size"], 3 * 4)
        self.assertEqual(len(bmp["bits"]), 3 * 4)
        self.assertIn(info["clr_used"], (0, 16))

    def test_palette_in_the_order_given_and_filled_with_black(self):
        bmp = read_bmp(self.convert("arrow.bmp.txt", ARROW, "arrow.bmp"))
        self.assertEqual(bmp["palette"][:3], [(0x80, 0x80, 0, 0), (0, 0, 0, 0), (0xff, 0, 0, 0)])
        self.assertEqual(bmp["palette"][3:], [(0, 0, 0, 0)] * 13)

    def test_pixels_bottom_up_and_padded(self):
        bmp = read_bmp(self.convert("arrow.bmp.txt", ARROW, "arrow.bmp"))
        bits = bmp["bits"]
        # The first row in the file is the last of the picture: "k.r.." is
        # black, olive, red, olive, olive = 1 0 2 0 0, then padding.
        self.assertEqual(bits[0:4], bytes([0x10, 0x20, 0x00, 0x00]))
        # The middle row "rrrrk" = 2 2 2 2 1.
        self.assertEqual(bits[4:8], bytes([0x22, 0x22, 0x10, 0x00]))
        # The top row "..r.." comes last.
        self.assertEqual(bits[8:12], bytes([0x00, 0x20, 0x00, 0x00]))
        text = ["..r..", "rrrrk", "k.r.."]
        for y, row in enumerate(text):
            for x, char in enumerate(row):
                self.assertEqual(pixel_at(bits, 5, 3, 4, x, y), ".kr".index(char), (x, y))

    def test_palette_order_decides_the_indices(self):
        swapped = ARROW.replace("      . 808000  olive\n      k 000000  black\n",
                                "      k 000000  black\n      . 808000  olive\n")
        self.assertNotEqual(swapped, ARROW)
        bmp = read_bmp(self.convert("swapped.bmp.txt", swapped, "swapped.bmp"))
        self.assertEqual(bmp["palette"][0][:3], (0, 0, 0))
        self.assertEqual(bmp["palette"][1][:3], (0x80, 0x80, 0))
        self.assertEqual(pixel_at(bmp["bits"], 5, 3, 4, 0, 0), 1)   # olive
        self.assertEqual(pixel_at(bmp["bits"], 5, 3, 4, 0, 2), 0)   # black

    def test_same_text_gives_the_same_bytes(self):
        first = self.convert("arrow.bmp.txt", ARROW, "one.bmp")
        second = self.convert("arrow.bmp.txt", ARROW, "two.bmp")
        self.assertEqual(first, second)

    def test_one_bit_bitmap(self):
        data = self.convert("mask.bmp.txt", """
            bitmap 10x2 bpp=1
            palette
              w ffffff
              k 000000
            pixels
              kwkwkwkwkk
              wwwwwwwwwk
        """, "mask.bmp")
        bmp = read_bmp(data)
        self.assertEqual(bmp["info"]["bpp"], 1)
        self.assertEqual(bmp["offset"], 14 + 40 + 2 * 4)
        self.assertEqual(len(bmp["palette"]), 2)
        self.assertEqual(bmp["palette"], [(255, 255, 255, 0), (0, 0, 0, 0)])
        self.assertEqual(bmp["info"]["image_size"], 2 * 4)
        # Bottom row first: wwwwwwwwwk = 0000000001 -> 00000000 01000000.
        self.assertEqual(bmp["bits"], bytes([0x00, 0x40, 0, 0, 0xAA, 0xC0, 0, 0]))

    def test_eight_bit_bitmap(self):
        data = self.convert("deep.bmp.txt", """
            bitmap 3x2 bpp=8
            palette
              a 010203
              b 040506
              c 070809
            pixels
              abc
              cba
        """, "deep.bmp")
        bmp = read_bmp(data)
        self.assertEqual(bmp["info"]["bpp"], 8)
        self.assertEqual(len(bmp["palette"]), 256)
        self.assertEqual(bmp["offset"], 14 + 40 + 256 * 4)
        self.assertEqual(bmp["palette"][2], (7, 8, 9, 0))
        self.assertEqual(bmp["bits"], bytes([2, 1, 0, 0, 0, 1, 2, 0]))

    def test_strip_with_gaps_comments_and_blank_lines(self):
        data = self.convert("strip.bmp.txt", """
            # Two glyphs side by side; the gap between them is for the reader.
            bitmap 8x2
            palette
              . c0c0c0  silver   (the background)
              x 000080  navy

            pixels
              # the top row
              x... .x..

              ..x. ...x
        """, "strip.bmp")
        bmp = read_bmp(data)
        self.assertEqual((bmp["info"]["width"], bmp["info"]["height"]), (8, 2))
        self.assertEqual(bmp["bits"], bytes([0x00, 0x10, 0x00, 0x01, 0x10, 0x00, 0x01, 0x00]))

    def test_a_row_may_look_like_a_keyword(self):
        # Rows are counted, so a six-pixel row that spells a keyword is pixels.
        data = self.convert("words.bmp.txt", """
            bitmap 6x2
            palette
              p 000000
              i 111111
              x 222222
              e 333333
              l 444444
              s 555555
            pixels
              pixels
              pixels
        """, "words.bmp")
        bmp = read_bmp(data)
        self.assertEqual(bmp["bits"][:3], bytes([0x01, 0x23, 0x45]))

    def test_crlf_line_ends(self):
        source = os.path.join(self.folder, "crlf.bmp.txt")
        with open(source, "wb") as f:
            f.write(b"bitmap 2x1\r\npalette\r\n  a 000000\r\n  b ffffff\r\npixels\r\n  ba\r\n")
        output = os.path.join(self.folder, "crlf.bmp")
        result = self.run_tool(source, output)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(output, "rb") as f:
            self.assertEqual(read_bmp(f.read())["bits"], bytes([0x10, 0, 0, 0]))

    def test_imagemagick_reads_the_same_colours(self):
        path = os.path.join(self.folder, "arrow.bmp")
        self.convert("arrow.bmp.txt", ARROW, "arrow.bmp")
        pixels = self.imagemagick_pixels(path)
        if pixels is None:
            self.skipTest("ImageMagick is not installed")
        colours = {".": (0x80, 0x80, 0, 255), "k": (0, 0, 0, 255), "r": (255, 0, 0, 255)}
        for y, row in enumerate(["..r..", "rrrrk", "k.r.."]):
            for x, char in enumerate(row):
                self.assertEqual(pixels[(x, y)], colours[char], (x, y))


ICON = """
    icon
    palette
      . transparent
      w ffffff  white
      r ff0000  red
    image 32x32 bpp=4
    pixels
{big}
    image 16x16 bpp=8
    palette
      k 000000  black
      . transparent
      g 00ff00  green
    pixels
{small}
"""


def big_rows():
    # A white square with a red diagonal; the border of 4 pixels is transparent.
    rows = []
    for y in range(32):
        row = ""
        for x in range(32):
            if not (4 <= x < 28 and 4 <= y < 28):
                row += "."
            elif x == y:
                row += "r"
            else:
                row += "w"
        rows.append(row)
    return rows


def small_rows():
    # Transparent everywhere but a green top row and a black left column.
    rows = []
    for y in range(16):
        rows.append("".join("g" if y == 0 else "k" if x == 0 else "." for x in range(16)))
    return rows


def icon_text():
    indent = " " * 6
    return ICON.format(big="\n".join(indent + r for r in big_rows()),
                       small="\n".join(indent + r for r in small_rows()))


class IconTests(ToolCase):
    def icon(self):
        return read_ico(self.convert("test.ico.txt", icon_text(), "test.ico"))

    def test_directory(self):
        data = self.convert("test.ico.txt", icon_text(), "test.ico")
        ico = read_ico(data)
        self.assertEqual((ico["reserved"], ico["kind"], ico["count"]), (0, 1, 2))
        big, small = ico["images"]
        self.assertEqual((big["width"], big["height"], big["colour_count"], big["pad"]), (32, 32, 16, 0))
        self.assertEqual((small["width"], small["height"], small["colour_count"]), (16, 16, 0))
        self.assertEqual((big["planes"], big["bpp"]), (1, 4))
        self.assertEqual((small["planes"], small["bpp"]), (1, 8))
        # The images follow the directory, one after the other, up to the end.
        self.assertEqual(big["offset"], 6 + 2 * 16)
        self.assertEqual(small["offset"], big["offset"] + big["size"])
        self.assertEqual(small["offset"] + small["size"], len(data))

    def test_image_headers_and_sizes(self):
        big, small = self.icon()["images"]
        self.assertEqual(big["info"]["size"], 40)
        self.assertEqual((big["info"]["width"], big["info"]["height"]), (32, 64))
        self.assertEqual((small["info"]["width"], small["info"]["height"]), (16, 32))
        self.assertEqual(big["info"]["bpp"], 4)
        self.assertEqual(big["info"]["compression"], 0)
        # XOR: 32 rows of 16 bytes; AND: 32 rows of 4 bytes.
        self.assertEqual(len(big["xor"]), 32 * 16)
        self.assertEqual(len(big["and"]), 32 * 4)
        self.assertEqual(big["size"], 40 + 16 * 4 + 32 * 16 + 32 * 4)
        # XOR: 16 rows of 16 bytes; AND: 16 bits padded to 4 bytes a row.
        self.assertEqual(len(small["xor"]), 16 * 16)
        self.assertEqual(len(small["and"]), 16 * 4)
        self.assertEqual(small["size"], 40 + 256 * 4 + 16 * 16 + 16 * 4)
        for image in (big, small):
            self.assertEqual(image["info"]["image_size"], len(image["xor"]) + len(image["and"]))

    def test_palettes_shared_and_own(self):
        big, small = self.icon()["images"]
        # The transparent entry takes its slot, black.
        self.assertEqual(big["palette"][:3], [(0, 0, 0, 0), (255, 255, 255, 0), (255, 0, 0, 0)])
        self.assertEqual(small["palette"][:3], [(0, 0, 0, 0), (0, 0, 0, 0), (0, 255, 0, 0)])
        self.assertEqual(small["palette"][3:], [(0, 0, 0, 0)] * 253)

    def test_xor_pixels(self):
        big, small = self.icon()["images"]
        self.assertEqual(pixel_at(big["xor"], 32, 32, 4, 0, 0), 0)     # transparent
        self.assertEqual(pixel_at(big["xor"], 32, 32, 4, 5, 5), 2)     # red
        self.assertEqual(pixel_at(big["xor"], 32, 32, 4, 6, 5), 1)     # white
        self.assertEqual(pixel_at(big["xor"], 32, 32, 4, 27, 4), 1)
        self.assertEqual(pixel_at(big["xor"], 32, 32, 4, 28, 4), 0)
        self.assertEqual(pixel_at(small["xor"], 16, 16, 8, 7, 0), 2)   # green top row
        self.assertEqual(pixel_at(small["xor"], 16, 16, 8, 0, 15), 0)  # black column
        self.assertEqual(pixel_at(small["xor"], 16, 16, 8, 9, 9), 1)   # transparent
        # Bottom-up: the first stored row of the small image is its last.
        self.assertEqual(small["xor"][:16], bytes([0] + [1] * 15))

    def test_and_mask_marks_exactly_the_transparent_pixels(self):
        big, small = self.icon()["images"]
        for image, rows, size in ((big, big_rows(), 32), (small, small_rows(), 16)):
            for y, row in enumerate(rows):
                for x, char in enumerate(row):
                    self.assertEqual(pixel_at(image["and"], size, size, 1, x, y),
                                     1 if char == "." else 0, (size, x, y))
        # Row padding of the 16-pixel mask stays zero.
        for y in range(16):
            self.assertEqual(small["and"][4 * y + 2: 4 * y + 4], b"\0\0")
        # Top row of the big image, stored last: all transparent.
        self.assertEqual(big["and"][-4:], b"\xff\xff\xff\xff")

    def test_imagemagick_sees_transparency(self):
        path = os.path.join(self.folder, "test.ico")
        self.convert("test.ico.txt", icon_text(), "test.ico")
        pixels = self.imagemagick_pixels(path + "[0]")
        if pixels is None:
            self.skipTest("ImageMagick is not installed")
        self.assertEqual(pixels[(0, 0)][3], 0)
        self.assertEqual(pixels[(5, 5)], (255, 0, 0, 255))
        self.assertEqual(pixels[(6, 5)], (255, 255, 255, 255))

    def test_image_that_is_not_square(self):
        data = self.convert("wide.ico.txt", """
            icon
            palette
              . transparent
              a 0000ff
            image 4x2
            pixels
              a..a
              .aa.
        """, "wide.ico")
        image = read_ico(data)["images"][0]
        self.assertEqual((image["width"], image["height"]), (4, 2))
        self.assertEqual((image["info"]["width"], image["info"]["height"]), (4, 4))
        # Bottom row first, each padded to four bytes.
        self.assertEqual(image["xor"], bytes([0x01, 0x10, 0, 0, 0x10, 0x01, 0, 0]))
        self.assertEqual(image["and"], bytes([0x90, 0, 0, 0, 0x60, 0, 0, 0]))

    def test_icon_without_transparency_has_an_empty_mask(self):
        data = self.convert("solid.ico.txt", """
            icon
            image 16x16
            palette
              a 123456
            pixels
        """ + "".join("      " + "a" * 16 + "\n" for _ in range(16)), "solid.ico")
        image = read_ico(data)["images"][0]
        self.assertEqual(image["and"], bytes(16 * 4))
        self.assertEqual(image["palette"][0], (0x12, 0x34, 0x56, 0))


class ProgramIconTests(ToolCase):
    """The program's own images, as they are in the tree."""

    def sources(self):
        names = sorted(n for n in os.listdir(IMAGES) if n.endswith(".txt"))
        self.assertTrue(names, "resources/images holds no image")
        return [os.path.join(IMAGES, n) for n in names]

    def test_every_image_passes_the_check(self):
        result = self.run_tool("--check", *self.sources())
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_main_icon_has_32_and_16_pixel_images_of_16_colours(self):
        output = os.path.join(self.folder, "MAINICON.ico")
        result = self.run_tool(os.path.join(IMAGES, "MAINICON.ico.txt"), output)
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(output, "rb") as f:
            ico = read_ico(f.read())
        sizes = sorted((i["width"], i["height"], i["bpp"]) for i in ico["images"])
        self.assertEqual(sizes, [(16, 16, 4), (32, 32, 4)])
        for image in ico["images"]:
            size = image["width"]
            mask = [pixel_at(image["and"], size, size, 1, x, y)
                    for y in range(size) for x in range(size)]
            # Transparent around the picture, opaque in the middle.
            self.assertEqual(mask[0], 1)
            self.assertEqual(mask[(size // 2) * size + size // 2], 0)
            self.assertIn(0, mask)


class CheckTests(ToolCase):
    def test_check_writes_nothing(self):
        source = self.write("arrow.bmp.txt", ARROW)
        before = set(os.listdir(self.folder))
        result = self.run_tool("--check", source)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(set(os.listdir(self.folder)), before)

    def test_check_reports_every_faulty_file(self):
        good = self.write("good.bmp.txt", ARROW)
        bad1 = self.write("bad1.bmp.txt", ARROW.replace("rrrrk", "rrrrq"))
        bad2 = self.write("bad2.bmp.txt", ARROW.replace("k.r..", "k.r."))
        result = self.run_tool("--check", good, bad1, bad2)
        self.assertEqual(result.returncode, 1)
        self.assertIn("bad1.bmp.txt:10:", result.stderr)
        self.assertIn("bad2.bmp.txt:11:", result.stderr)
        self.assertNotIn("good.bmp.txt", result.stderr)

    def test_check_refuses_a_name_of_the_other_kind(self):
        source = self.write("arrow.ico.txt", ARROW)
        result = self.run_tool("--check", source)
        self.assertEqual(result.returncode, 1)
        self.assertIn("arrow.ico.txt: the file makes a bitmap", result.stderr)
        self.assertIn("call it NAME.bmp.txt", result.stderr)

    def test_usage(self):
        self.assertEqual(self.run_tool().returncode, 2)
        self.assertEqual(self.run_tool("only-one.txt").returncode, 2)
        self.assertEqual(self.run_tool("--check").returncode, 2)


class ErrorTests(ToolCase):
    def test_row_too_short_and_too_long_are_both_reported(self):
        text = ARROW.replace("rrrrk", "rrrr").replace("k.r..", "k.r...")
        error = self.fails("rows.bmp.txt", text, "rows.bmp")
        self.assertIn("rows.bmp.txt:10: the row has 4 pixels, expected 5", error)
        self.assertIn("rows.bmp.txt:11: the row has 6 pixels, expected 5", error)

    def test_unknown_character_with_line_and_column(self):
        error = self.fails("unknown.bmp.txt", ARROW.replace("rrrrk", "rrzrk"), "unknown.bmp")
        self.assertIn('unknown.bmp.txt:10:5: "z" is not in the palette', error)

    def test_too_many_colours_for_four_bits(self):
        entries = "".join(f"  {c} {i:02x}0000\n" for i, c in enumerate("abcdefghijklmnopq"))
        text = "bitmap 1x1\npalette\n" + entries + "pixels\n  a\n"
        self.fails("many.bmp.txt", text, "many.bmp",
                   "many.bmp.txt:2:", "17 colours", "4 bits per pixel hold 16")

    def test_sixteen_colours_fit_four_bits(self):
        entries = "".join(f"  {c} {i:02x}0000\n" for i, c in enumerate("abcdefghijklmnop"))
        data = self.convert("sixteen.bmp.txt", "bitmap 1x1\npalette\n" + entries + "pixels\n  p\n",
                            "sixteen.bmp")
        bmp = read_bmp(data)
        self.assertEqual(bmp["bits"][0] >> 4, 15)
        self.assertEqual(bmp["palette"][15][:3], (15, 0, 0))

    def test_too_many_colours_for_one_bit(self):
        self.fails("three.bmp.txt", """
            bitmap 2x1 bpp=1
            palette
              a 000000
              b ffffff
              c ff0000
            pixels
              ab
        """, "three.bmp", "three.bmp.txt:2:", "3 colours", "1 bits per pixel hold 2")

    def test_character_listed_twice(self):
        self.fails("twice.bmp.txt", """
            bitmap 1x1
            palette
              a 000000
              a ffffff
            pixels
              a
        """, "twice.bmp", 'twice.bmp.txt:4: palette character "a" is listed twice')

    def test_missing_rows(self):
        self.fails("short.bmp.txt", """
            bitmap 2x3
            palette
              a 000000
            pixels
              aa
              aa
        """, "short.bmp", "short.bmp.txt:4: the image has 2 rows of pixels, expected 3")

    def test_extra_rows(self):
        self.fails("long.bmp.txt", """
            bitmap 2x1
            palette
              a 000000
            pixels
              aa
              aa
        """, "long.bmp", 'long.bmp.txt:6: unexpected "aa" after the last row of pixels')

    def test_transparent_in_a_bitmap(self):
        self.fails("clear.bmp.txt", """
            bitmap 1x1
            palette
              . transparent
            pixels
              .
        """, "clear.bmp", "clear.bmp.txt:3:", "icons only")

    def test_bad_colour(self):
        self.fails("colour.bmp.txt", """
            bitmap 1x1
            palette
              a 12345g
            pixels
              a
        """, "colour.bmp", 'colour.bmp.txt:3: "12345g" is not a colour')

    def test_bad_depth(self):
        self.fails("depth.bmp.txt", ARROW.replace("bpp=4", "bpp=24"), "depth.bmp",
                   "depth.bmp.txt:2: bits per pixel must be 1, 4 or 8")

    def test_bad_size(self):
        self.fails("size.bmp.txt", ARROW.replace("5x3", "5by3"), "size.bmp",
                   'size.bmp.txt:2: "5by3" is not a size')
        self.fails("zero.bmp.txt", ARROW.replace("5x3", "0x3"), "zero.bmp",
                   "zero.bmp.txt:2: width 0 is out of range")
        self.fails("huge.ico.txt", """
            icon
            palette
              a 000000
            image 300x16
            pixels
        """, "huge.ico", "huge.ico.txt:4: width 300 is out of range 1..256")

    def test_unknown_first_line(self):
        self.fails("what.bmp.txt", "picture 2x2\n", "what.bmp",
                   'what.bmp.txt:1: expected "bitmap WxH" or "icon"')

    def test_empty_file(self):
        self.fails("empty.bmp.txt", "# nothing here\n\n", "empty.bmp", "empty file")

    def test_missing_pixels_keyword(self):
        self.fails("nopixels.bmp.txt", """
            bitmap 1x1
            palette
              a 000000
        """, "nopixels.bmp", 'nopixels.bmp.txt:3: expected "pixels" before the end of the file')

    def test_icon_without_images(self):
        self.fails("none.ico.txt", """
            icon
            palette
              a 000000
        """, "none.ico", "none.ico.txt", "at least one")

    def test_icon_image_without_palette(self):
        self.fails("nopal.ico.txt", """
            icon
            image 1x1
            pixels
              a
        """, "nopal.ico", "nopal.ico.txt:2: this image has no palette")

    def test_icon_with_the_same_image_twice(self):
        self.fails("dup.ico.txt", """
            icon
            palette
              a 000000
            image 1x1
            pixels
              a
            image 1x1 bpp=4
            pixels
              a
        """, "dup.ico", "dup.ico.txt:7:", "already in this icon (line 4)")

    def test_two_transparent_entries(self):
        self.fails("two.ico.txt", """
            icon
            palette
              . transparent
              , transparent
            image 1x1
            pixels
              .
        """, "two.ico", "two.ico.txt:4:", "one transparent entry at most")

    def test_output_of_the_wrong_kind(self):
        self.fails("arrow.txt", ARROW, "arrow.ico", "must end in .bmp")

    def test_name_of_the_wrong_kind(self):
        self.fails("arrow.ico.txt", ARROW, "arrow.bmp", "call it NAME.bmp.txt")

    def test_not_utf8(self):
        source = os.path.join(self.folder, "latin.bmp.txt")
        with open(source, "wb") as f:
            f.write(b"# caf\xe9\nbitmap 1x1\n")
        result = self.run_tool(source, os.path.join(self.folder, "latin.bmp"))
        self.assertEqual(result.returncode, 1)
        self.assertIn("latin.bmp.txt:1: the file is not UTF-8 text", result.stderr)

    def test_failure_leaves_an_existing_output_alone(self):
        output = os.path.join(self.folder, "keep.bmp")
        with open(output, "wb") as f:
            f.write(b"the previous image")
        source = self.write("keep.bmp.txt", ARROW.replace("rrrrk", "rrrr"))
        result = self.run_tool(source, output)
        self.assertEqual(result.returncode, 1)
        with open(output, "rb") as f:
            self.assertEqual(f.read(), b"the previous image")
        self.assertEqual(sorted(os.listdir(self.folder)), ["keep.bmp", "keep.bmp.txt"])

    def test_missing_input(self):
        result = self.run_tool(os.path.join(self.folder, "absent.bmp.txt"),
                               os.path.join(self.folder, "absent.bmp"))
        self.assertEqual(result.returncode, 1)
        self.assertIn("absent.bmp.txt: cannot read", result.stderr)


if __name__ == "__main__":
    unittest.main()
