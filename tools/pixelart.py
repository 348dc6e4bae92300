#!/usr/bin/env python3
"""Turns pixel art kept as text into Windows .bmp and .ico files.

The program's images live in resources/images/ as text, so that every pixel
can be read and reviewed in a diff; the build runs this tool to make the
binary files that the resource compiler puts into the program.

Usage:
    pixelart.py INPUT.txt OUTPUT.bmp|OUTPUT.ico   convert one file
    pixelart.py --check INPUT.txt...              validate only, write nothing

Errors go to standard error as "FILE:LINE: message", or "FILE:LINE:COLUMN:
message" where one pixel is at fault; the exit status is 0 on success, 1 when an input is
invalid, 2 on bad usage. An output file is only ever replaced by a complete
one: a failed run leaves it as it was.

The text format
---------------
A line whose first non-blank character is '#' is a comment; blank lines are
ignored. Keywords and palette lines may be indented freely.

A bitmap (written as a .bmp file):

    # An arrow pointing right, on olive.
    bitmap 16x16 bpp=4
    palette
      . 808000  olive
      k 000000  black
      r ff0000  red
    pixels
      ................
      ....k...........
      (16 rows of 16 characters in all)

An icon (written as a .ico file) holds one or more images:

    icon
    palette
      . transparent
      k 000000  black
      w ffffff  white
    image 32x32 bpp=4
    pixels
      (32 rows of 32 characters)
    image 16x16
    pixels
      (16 rows of 16 characters)

The first line that is neither blank nor a comment says what the file makes:
"bitmap WxH" or "icon". "bpp=N" gives the colour depth, 1, 4 or 8 bits per
pixel; the default is 4.

"palette" starts a list of colours, one a line: a single character that
stands for the colour in the pixel rows, then the colour as six hexadecimal
digits RRGGBB, then, if wanted, a name for the reader (ignored). The
character may be any printable ASCII character except '#'. The colours take
the palette slots in the order they are listed: the first is index 0, the
next index 1, and so on; slots that are not listed are black. A bitmap's
palette always has 2, 16 or 256 slots (for 1, 4 or 8 bits per pixel), so a
palette may list at most that many colours.

In an icon, one palette entry may be "transparent" instead of a colour: its
pixels show what is behind the icon (their bit in the icon's AND mask is set)
and its slot is black, as the XOR image of a transparent pixel must be. An
icon's palette may come before the first image, shared by all of them; a
palette right after an "image" line serves that image alone instead.

"pixels" is followed by exactly H rows of exactly W pixel characters each,
top row first. Spaces and tabs inside a row are ignored, so that a strip of
several glyphs can be written with a gap between them:

    pixels
      ................ ................

Anything else is an error: a row of the wrong length, a character that is not
in the palette, more colours than the depth holds, a character listed twice,
missing or extra rows, a transparent colour in a bitmap, text after the last
row.

Naming: the build (cmake/PixelArt.cmake) makes NAME.bmp from NAME.bmp.txt and
NAME.ico from NAME.ico.txt; the tool checks that the kind the file declares
matches that name and the output's extension.

The files written
-----------------
A bitmap is a BITMAPFILEHEADER, a BITMAPINFOHEADER (40 bytes, BI_RGB, no
compression, biClrUsed 0), the full palette (2**bpp RGBQUAD entries) and the
rows from the bottom up, each padded with zero bytes to a multiple of four.

An icon is an ICONDIR with one entry for each image, in the order of the text
file, and each image as a BITMAPINFOHEADER (height doubled for the two masks),
the full palette, the XOR image and the 1-bit AND mask, both bottom-up with
rows padded to four bytes.

The output depends on nothing but the text: the same file always gives the
same bytes.
"""

import os
import re
import struct
import sys

DEPTHS = (1, 4, 8)
DEFAULT_DEPTH = 4
MAX_BITMAP_SIDE = 4096   # far beyond any image of the program; catches typos
MAX_ICON_SIDE = 256      # the icon directory stores sides in one byte (256 as 0)
MAX_ERRORS = 30          # enough to fix a file in one go without a flood

KIND_EXTENSIONS = {"bitmap": ".bmp", "icon": ".ico"}


class PixelArtError(Exception):
    """One or more faults of an input file, each with its line number."""

    def __init__(self, path, problems):
        self.path = path
        # (where, message): where is a line number, (line, column) or None.
        self.problems = problems
        super().__init__(self.text())

    def text(self):
        lines = []
        for where, message in self.problems:
            if isinstance(where, tuple):
                place = f"{self.path}:{where[0]}:{where[1]}"
            elif where:
                place = f"{self.path}:{where}"
            else:
                place = self.path
            lines.append(f"{place}: {message}")
        return "\n".join(lines)


class Palette:
    def __init__(self, line):
        self.line = line          # where "palette" stands
        self.chars = []           # in slot order
        self.colours = {}         # char -> (r, g, b)
        self.transparent = None   # char of the transparent entry, if any


class Image:
    def __init__(self, line, width, height, depth):
        self.line = line
        self.width = width
        self.height = height
        self.depth = depth
        self.palette = None
        self.rows = []            # strings of width characters, top row first


class Art:
    def __init__(self, kind):
        self.kind = kind          # "bitmap" or "icon"
        self.images = []


# ---------------------------------------------------------------- parsing

_SIZE = re.compile(r"([0-9]+)x([0-9]+)")
_COLOUR = re.compile(r"[0-9A-Fa-f]{6}")


class _Parser:
    def __init__(self, path, text):
        self.path = path
        self.lines = text.split("\n")
        self.pos = 0              # index of the next line to read
        self.problems = []

    # Faults inside pixel rows are collected so that one run names them all;
    # a fault in the structure ends the reading at once.
    def note(self, number, message):
        if len(self.problems) < MAX_ERRORS:
            self.problems.append((number, message))
        elif len(self.problems) == MAX_ERRORS:
            self.problems.append((None, "too many errors; stopped listing them"))

    def fail(self, number, message):
        self.note(number, message)
        raise PixelArtError(self.path, self.problems)

    def peek(self):
        """The next meaningful line as (number, stripped text), or None at the end."""
        while self.pos < len(self.lines):
            raw = self.lines[self.pos].rstrip("\r")
            text = raw.strip()
            if text and not text.startswith("#"):
                return self.pos + 1, text
            self.pos += 1
        return None

    def last_line(self):
        """The number of the file's last line that is not blank, for faults at its end."""
        for i in range(len(self.lines), 0, -1):
            if self.lines[i - 1].strip():
                return i
        return None

    def take(self):
        item = self.peek()
        if item is not None:
            self.pos += 1
        return item

    def parse(self):
        first = self.take()
        if first is None:
            self.fail(None, 'empty file: expected "bitmap WxH" or "icon"')
        number, text = first
        words = text.split()
        if words[0] == "bitmap":
            art = Art("bitmap")
            image = self.image_header(number, words, MAX_BITMAP_SIDE)
            image.palette = self.palette_block(allow_transparent=False, required=True)
            self.check_palette_fits(image)
            self.pixel_block(image)
            art.images.append(image)
        elif words[0] == "icon":
            if len(words) != 1:
                self.fail(number, f'unexpected "{" ".join(words[1:])}" after "icon"')
            art = Art("icon")
            shared = self.palette_block(allow_transparent=True, required=False)
            seen = {}
            while True:
                item = self.peek()
                if item is None:
                    break
                number, text = item
                words = text.split()
                if words[0] != "image":
                    self.fail(number, f'expected "image WxH", found "{text}"')
                self.take()
                image = self.image_header(number, words, MAX_ICON_SIDE)
                key = (image.width, image.height, image.depth)
                if key in seen:
                    self.fail(number, "an image of %dx%d at %d bits per pixel is already "
                              "in this icon (line %d)" % (key + (seen[key],)))
                seen[key] = number
                own = self.palette_block(allow_transparent=True, required=False)
                image.palette = own or shared
                if image.palette is None:
                    self.fail(number, 'this image has no palette: give one after "icon" '
                              'or after its "image" line')
                self.check_palette_fits(image)
                self.pixel_block(image)
                art.images.append(image)
            if not art.images:
                self.fail(number, 'an icon needs at least one "image WxH"')
        else:
            self.fail(number, f'expected "bitmap WxH" or "icon", found "{text}"')
        rest = self.peek()
        if rest is not None:
            self.fail(rest[0], f'unexpected "{rest[1]}" after the last row of pixels')
        if self.problems:
            raise PixelArtError(self.path, self.problems)
        return art

    def image_header(self, number, words, max_side):
        keyword = words[0]
        if len(words) < 2:
            self.fail(number, f'"{keyword}" needs a size, e.g. "{keyword} 16x16"')
        size = _SIZE.fullmatch(words[1])
        if not size:
            self.fail(number, f'"{words[1]}" is not a size WxH, e.g. 16x16')
        width, height = int(size.group(1)), int(size.group(2))
        for side, name in ((width, "width"), (height, "height")):
            if not 1 <= side <= max_side:
                self.fail(number, f"{name} {side} is out of range 1..{max_side}")
        depth = DEFAULT_DEPTH
        for option in words[2:]:
            if option.startswith("bpp="):
                value = option[4:]
                if not re.fullmatch(r"[0-9]+", value) or int(value) not in DEPTHS:
                    self.fail(number, f'bits per pixel must be 1, 4 or 8, not "{value}"')
                depth = int(value)
            else:
                self.fail(number, f'unknown option "{option}" (only bpp=N is known)')
        return Image(number, width, height, depth)

    def keyword_line(self, item, keyword):
        """Whether the line is the keyword alone; the keyword followed by more is an error."""
        if item is None:
            return False
        words = item[1].split()
        if words[0] != keyword:
            return False
        if len(words) > 1:
            self.fail(item[0], f'unexpected "{" ".join(words[1:])}" after "{keyword}"')
        return True

    def palette_block(self, allow_transparent, required):
        item = self.peek()
        if not self.keyword_line(item, "palette"):
            if required:
                self.fail(item[0] if item else self.last_line(), 'expected "palette"'
                          + (f', found "{item[1]}"' if item else " before the end of the file"))
            return None
        self.take()
        palette = Palette(item[0])
        while True:
            item = self.peek()
            if item is None:
                break
            number, text = item
            parts = text.split(None, 2)
            # An entry starts with a single character; every keyword is longer.
            if len(parts[0]) != 1:
                break
            self.take()
            char = parts[0]
            if not ("!" <= char <= "~"):
                self.fail(number, f'palette character "{char}" is not printable ASCII')
            if len(parts) < 2:
                self.fail(number, f'palette entry "{char}" has no colour (RRGGBB or transparent)')
            if char in palette.colours:
                self.fail(number, f'palette character "{char}" is listed twice')
            value = parts[1]
            if value == "transparent":
                if not allow_transparent:
                    self.fail(number, "a bitmap has no transparency; "
                              '"transparent" is for icons only')
                if palette.transparent is not None:
                    self.fail(number, f'"{palette.transparent}" is transparent already; '
                              "a palette has one transparent entry at most")
                palette.transparent = char
                rgb = (0, 0, 0)
            elif _COLOUR.fullmatch(value):
                rgb = (int(value[0:2], 16), int(value[2:4], 16), int(value[4:6], 16))
            else:
                self.fail(number, f'"{value}" is not a colour: expected RRGGBB '
                          '(six hexadecimal digits) or "transparent"')
            palette.chars.append(char)
            palette.colours[char] = rgb
        if not palette.chars:
            self.fail(palette.line, "the palette lists no colours")
        return palette

    def check_palette_fits(self, image):
        slots = 1 << image.depth
        count = len(image.palette.chars)
        if count > slots:
            self.fail(image.palette.line,
                      f"the palette has {count} colours, but {image.depth} bits per "
                      f"pixel hold {slots} (image of line {image.line})")

    def pixel_block(self, image):
        item = self.take()
        if not self.keyword_line(item, "pixels"):
            self.fail(item[0] if item else self.last_line(), 'expected "pixels"'
                      + (f', found "{item[1]}"' if item else " before the end of the file"))
        header = item[0]
        known = image.palette.colours
        while len(image.rows) < image.height:
            # Rows are counted, not recognised, so a row may look like a keyword.
            item = self.take()
            if item is None:
                self.fail(header, f"the image has {len(image.rows)} rows of pixels, "
                          f"expected {image.height}")
            number = item[0]
            raw = self.lines[number - 1].rstrip("\r")
            row = []
            for column, char in enumerate(raw, start=1):
                if char in " \t":
                    continue
                if char not in known:
                    shown = char if char.isprintable() else repr(char)
                    self.note((number, column), f'"{shown}" is not in the palette')
                    char = image.palette.chars[0]   # keep the row's length right
                row.append(char)
            if len(row) != image.width:
                self.note(number, f"the row has {len(row)} pixels, expected {image.width}")
            image.rows.append("".join(row))


def parse(text, path="<text>"):
    """Reads pixel art; raises PixelArtError with every fault found."""
    return _Parser(path, text).parse()


def read_file(path):
    try:
        with open(path, "rb") as f:
            data = f.read()
    except OSError as e:
        raise PixelArtError(path, [(None, f"cannot read: {e.strerror}")])
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as e:
        number = data[:e.start].count(b"\n") + 1
        raise PixelArtError(path, [(number, "the file is not UTF-8 text")])
    if text.startswith("\ufeff"):
        text = text[1:]
    return parse(text, path)


# ---------------------------------------------------------------- writing

def _stride(width, depth):
    return (width * depth + 31) // 32 * 4


def _pack_rows(rows, width, depth, value):
    """Rows bottom-up, pixels packed high bits first, each row padded to 4 bytes."""
    stride = _stride(width, depth)
    out = bytearray()
    per_byte = 8 // depth
    for row in reversed(rows):
        packed = bytearray(stride)
        for x, char in enumerate(row):
            shift = 8 - depth * (x % per_byte + 1)
            packed[x // per_byte] |= value(char) << shift
        out += packed
    return bytes(out)


def _palette_bytes(palette, depth):
    out = bytearray()
    for char in palette.chars:
        r, g, b = palette.colours[char]
        out += bytes((b, g, r, 0))
    out += bytes(4 * ((1 << depth) - len(palette.chars)))
    return bytes(out)


def _info_header(width, height, depth, image_size):
    # biSize, biWidth, biHeight, biPlanes, biBitCount, biCompression (BI_RGB),
    # biSizeImage, biXPelsPerMeter, biYPelsPerMeter, biClrUsed, biClrImportant
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, depth, 0,
                       image_size, 0, 0, 0, 0)


def bitmap_bytes(image):
    index = {c: i for i, c in enumerate(image.palette.chars)}
    bits = _pack_rows(image.rows, image.width, image.depth, index.__getitem__)
    info = _info_header(image.width, image.height, image.depth, len(bits))
    colours = _palette_bytes(image.palette, image.depth)
    offset = 14 + len(info) + len(colours)
    header = b"BM" + struct.pack("<IHHI", offset + len(bits), 0, 0, offset)
    return header + info + colours + bits


def icon_image_bytes(image):
    index = {c: i for i, c in enumerate(image.palette.chars)}
    clear = image.palette.transparent
    xor = _pack_rows(image.rows, image.width, image.depth, index.__getitem__)
    mask = _pack_rows(image.rows, image.width, 1, lambda c: 1 if c == clear else 0)
    info = _info_header(image.width, 2 * image.height, image.depth, len(xor) + len(mask))
    return info + _palette_bytes(image.palette, image.depth) + xor + mask


def icon_bytes(art):
    count = len(art.images)
    blobs = [icon_image_bytes(image) for image in art.images]
    directory = struct.pack("<HHH", 0, 1, count)
    offset = len(directory) + 16 * count
    entries = b""
    for image, blob in zip(art.images, blobs):
        colour_count = (1 << image.depth) if image.depth < 8 else 0
        entries += struct.pack("<BBBBHHII", image.width % 256, image.height % 256,
                               colour_count, 0, 1, image.depth, len(blob), offset)
        offset += len(blob)
    return directory + entries + b"".join(blobs)


def art_bytes(art):
    return bitmap_bytes(art.images[0]) if art.kind == "bitmap" else icon_bytes(art)


# ---------------------------------------------------------------- command line

def _declared_extension(path):
    """".bmp" for NAME.bmp.txt, ".ico" for NAME.ico.txt, else None."""
    name = os.path.basename(path).lower()
    for extension in KIND_EXTENSIONS.values():
        if name.endswith(extension + ".txt"):
            return extension
    return None


def _check_name(path, art, output=None):
    wanted = KIND_EXTENSIONS[art.kind]
    declared = _declared_extension(path)
    if declared is not None and declared != wanted:
        raise PixelArtError(path, [(None, f"the file makes a {art.kind}, but its name "
                                    f"promises a {declared} file; call it NAME{wanted}.txt")])
    if output is not None and os.path.splitext(output)[1].lower() != wanted:
        raise PixelArtError(path, [(None, f"the file makes a {art.kind}; the output "
                                    f"must end in {wanted}, not {output}")])


def convert(source, output):
    art = read_file(source)
    _check_name(source, art, output)
    data = art_bytes(art)
    folder = os.path.dirname(os.path.abspath(output))
    os.makedirs(folder, exist_ok=True)
    temporary = output + ".part"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, output)


def check(source):
    art = read_file(source)
    _check_name(source, art)


def main(argv):
    usage = ("usage: pixelart.py INPUT.txt OUTPUT.bmp|OUTPUT.ico\n"
             "       pixelart.py --check INPUT.txt...")
    if argv and argv[0] in ("-h", "--help"):
        print(usage)
        print()
        print("The text format" + __doc__.split("The text format", 1)[1])
        return 0
    try:
        if argv and argv[0] == "--check":
            if len(argv) < 2:
                print(usage, file=sys.stderr)
                return 2
            failed = False
            for source in argv[1:]:
                try:
                    check(source)
                except PixelArtError as e:
                    print(e.text(), file=sys.stderr)
                    failed = True
            return 1 if failed else 0
        if len(argv) != 2 or argv[0].startswith("-"):
            print(usage, file=sys.stderr)
            return 2
        convert(argv[0], argv[1])
        return 0
    except PixelArtError as e:
        print(e.text(), file=sys.stderr)
        return 1
    except OSError as e:
        print(f"pixelart.py: {e.filename or ''}: {e.strerror}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
