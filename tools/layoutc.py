#!/usr/bin/env python3
"""Compiles the program's window layouts from text into binary layout streams.

Each form's layout (its controls, their positions, captions, fonts, images and
handlers) is kept in resources/layouts/ as readable text, so that a change to a
form can be reviewed in a diff. The build runs this tool to make the binary
stream that the resource compiler stores as an RCDATA resource, from which the
program builds the form at run time.

Usage:
    layoutc.py [-I DIR]... INPUT.txt OUTPUT.bin   compile one layout
    layoutc.py --dump FILE.bin                    print a stream as text

-I DIR adds a folder in which "bitmap" values look for their .bmp files (see
below); several may be given. --dump prints a binary stream back in the text
form, to standard output in UTF-8.

Errors go to standard error as "FILE:LINE: message" (the first fault only);
the exit status is 0 on success, 1 when the input is invalid, 2 on bad usage.
An output file is only ever replaced by a complete one: a failed run leaves
it as it was.

The text format
---------------
The text is UTF-8 (a byte order mark at the start is allowed). A '#' outside a
string starts a comment that runs to the end of the line; blank lines are
ignored, and indentation is free (two spaces a level by convention).

    # The main form.
    object Form1: TForm1
      Left = 302
      Top = -15
      BorderStyle = bsDialog
      Caption = 'Quorvel -> Help'     # a string; '' inside stands for one quote
      Font.Name = 'ＭＳ Ｐゴシック'
      Font.Style = []
      BorderIcons = [biSystemMenu, biMinimize]
      Scaled = False
      Ratio = 1.5
      Lines.Strings = (
        ''
        'Ver1.1'
      )
      Data = {0A0B0C}
      Glyph.Data = bitmap 'BITBTN1.bmp'
      Items = <
        item
          Caption = 'one'
        end
        item [3]
          Caption = 'two'
        end
      >
      OnShow = FormShow
      object Label1: TLabel
        Caption = '変換元ファイル : '
      end
      inherited Panel1: TPanel
      end
      object Edit1: TEdit [2]
      end
    end

The file holds exactly one component, the form. A component starts with
"object NAME: CLASS", or "inherited NAME: CLASS" for a component that an
inherited form already has; "[N]" after the class, on the same line, stores
the component's position N among its parent's children. Then come its
properties, then its child components (each written the same way), and
"end". Properties may not follow a child component. The heading
("object NAME: CLASS [N]") stands on one line.

A property is "PATH = VALUE" on a line of its own, where PATH is a name or
names joined by dots (Font.Name, Glyph.Data, Lines.Strings). Names are ASCII
letters, digits and '_' and do not start with a digit. The value starts on
the same line as '=' and is one of:

    123, -15          an integer (decimal, optional minus sign); must lie in
                      -2147483648..2147483647
    1.5, -0.25, 2.0E10
                      a number with a decimal point, digits on both sides,
                      optionally an exponent: an extended float, the one
                      nearest to the decimal value (halfway: the even one)
    'text'            a string in single quotes, ending on the same line; ''
                      inside stands for one quote. Pieces joined with '+'
                      (also across lines) make one string:
                          Hint = 'first part ' +
                            'second part'
    False, True, nil  the constants (in any letter case)
    bsDialog          any other name, also dotted: an identifier (enumeration
                      values, handler names, links to other components)
    [a, b]            a set of names separated by commas; [] is empty
    ( ... )           a list of values separated by blanks or line breaks
    {0A 0b0C}         binary data as pairs of hex digits; blanks and line
                      breaks may stand between the digits
    bitmap 'X.bmp'    binary data made from a Windows .bmp file: the stored
                      data is the file's length as four bytes (little-endian),
                      then the whole file. The file is looked up in the -I
                      folders in the order given, then in the folder of the
                      text file.
    < items >         a collection: each item is "item", or "item [N]" to
                      store its index N, on a line of its own, then the
                      item's properties, then "end"

The words object, inherited, end, item and bitmap are written in lower case.
A name followed by '=' is always a property, so a property may be called
"end" too; "bitmap" is a keyword only when a string follows on its line.

A string may not hold control characters other than the tab. Every text
(names, strings, identifiers) is stored in Shift-JIS (code page 932), so it
may only use characters that code page has: for example the em dash and en
dash are missing (write ― or ‐ instead), and so is the yen sign, which
Japanese Windows shows for the backslash: write \ for it.

Faults are reported with their line: unknown tokens, unterminated strings,
a component or item or bracket that is not closed, bad hex digits, numbers
out of range, missing bitmap files, names longer than 255 bytes in
Shift-JIS (class names 239), characters that Shift-JIS lacks, text after the
form's "end".

The stream written
------------------
The four bytes "TPF0", then the form's record. A component record is:
a prefix byte 0xF0 | flags when the component is inherited (flag 1) or has a
position (flag 2, followed by the position as an integer value); the class
name and the component name as short strings (a length byte, then the bytes);
the property entries, ended by a 0 byte; the child records, ended by a 0 byte.
A property entry is its path as a short string, then its value: a type byte
and its payload, numbers little-endian:

    0 end of a list   1 list (values, then 0)
    2 int8            3 int16           4 int32
    5 extended float (10 bytes, the x87 80-bit format)
    6 string (length byte + bytes)      12 long string (4-byte length + bytes)
    7 identifier (length byte + bytes)
    8 false           9 true            13 nil
    10 binary data (4-byte length + bytes)
    11 set (names as length byte + bytes, then a 0 byte)
    14 collection (items, then 0; an item is its index as an integer value if
       it has one, then 1, then its property entries, then 0)

An integer takes the smallest of int8, int16 and int32 that holds it; a string
of more than 255 bytes is a long string. A class name of 240 bytes or more
could not be told from a prefix byte and is refused. The output depends on
nothing but the text and the bitmap files.

--dump
------
Prints a stream in the text form. For any stream this tool wrote, compiling
the printed text gives the same bytes again, except that binary data made by
"bitmap" is printed as hex (the file name is not stored). Texts that the text
form cannot hold (control characters, bytes that are not Shift-JIS, floats
that are infinite or not a number) are printed as ?XX, ?INF, ?NAN marks that
the compiler refuses, so that such a print is never mistaken for the original.
"""

import decimal
import os
import re
import struct
import sys
import unicodedata
from fractions import Fraction

SIGNATURE = b"TPF0"

# Value type bytes.
END = 0
LIST = 1
INT8 = 2
INT16 = 3
INT32 = 4
EXTENDED = 5
STRING = 6
IDENT = 7
FALSE = 8
TRUE = 9
BINARY = 10
SET = 11
LONG_STRING = 12
NIL = 13
COLLECTION = 14

PREFIX = 0xF0
FLAG_INHERITED = 1
FLAG_POSITION = 2

ENCODING = "cp932"
MAX_SHORT = 255
# A record's first byte is a prefix when it is 0xF0 or more, so a class name
# that starts the record unprefixed must be shorter than that.
MAX_CLASS_NAME = PREFIX - 1

INT32_MIN = -(1 << 31)
INT32_MAX = (1 << 31) - 1

# x87 extended precision: 64-bit significand with an explicit integer bit,
# 15-bit exponent biased by 16383.
EXT_BIAS = 16383
EXT_MAX_EXPONENT = 0x7FFF
EXT_MANTISSA_BITS = 64
EXT_DENORMAL_SCALE = 1 - EXT_BIAS - (EXT_MANTISSA_BITS - 1)   # value = m * 2**this

CONSTANTS = {"false": FALSE, "true": TRUE, "nil": NIL}


class LayoutError(Exception):
    """A fault of an input file, at a line (or, for --dump, a byte offset)."""

    def __init__(self, path, where, message):
        self.path = path
        self.where = where
        self.message = message
        super().__init__(self.text())

    def text(self):
        if self.where is None:
            return f"{self.path}: {self.message}"
        return f"{self.path}:{self.where}: {self.message}"


# ---------------------------------------------------------------- text in

def _is_forbidden_char(ch):
    """Characters a string may not hold: they would break the line structure
    or be invisible in a review."""
    return ch != "\t" and unicodedata.category(ch) == "Cc"


def _shorten(text, limit=40):
    return text if len(text) <= limit else text[:limit] + "..."


def _show_char(ch):
    if ch.isprintable() and not ch.isspace():
        return f"'{ch}' (U+{ord(ch):04X})" if ord(ch) > 0x7E else f"'{ch}'"
    return f"U+{ord(ch):04X}"


class Token:
    __slots__ = ("kind", "text", "value", "line", "first")

    def __init__(self, kind, text, value, line, first):
        self.kind = kind      # name, int, float, string, hex, punct, eof
        self.text = text      # as written (names, numbers, punctuation)
        self.value = value    # int, str (strings: unquoted) or bytes (hex)
        self.line = line
        self.first = first    # the first token on its line

    def describe(self):
        if self.kind == "eof":
            return "the end of the file"
        if self.kind == "string":
            return f"the string {_shorten(self.text)}"
        if self.kind == "hex":
            return "binary data"
        return f"'{_shorten(self.text)}'"

    def is_punct(self, text):
        return self.kind == "punct" and self.text == text


_NAME = re.compile(r"[A-Za-z_][A-Za-z0-9_]*(?:\.[A-Za-z_][A-Za-z0-9_]*)*")
_NUMBER = re.compile(r"-?[0-9]+(?:\.[0-9]+(?:[eE][+-]?[0-9]+)?)?")
_FLOAT_PARTS = re.compile(r"-?([0-9]+)\.([0-9]+)(?:[eE]([+-]?[0-9]+))?")
_WORD_TAIL = re.compile(r"[A-Za-z0-9_.]+")
_HEX_DIGITS = set("0123456789abcdefABCDEF")
_PUNCTUATION = set("=:[](),<>+")


def tokenize(path, text):
    tokens = []
    line = 1
    first = True
    i = 0
    n = len(text)

    def fail(at_line, message):
        raise LayoutError(path, at_line, message)

    while i < n:
        ch = text[i]
        if ch == "\n":
            line += 1
            first = True
            i += 1
            continue
        if ch in " \t":
            i += 1
            continue
        if ch == "#":
            end = text.find("\n", i)
            i = n if end < 0 else end
            continue
        start_line = line
        if ch == "'":
            value = []
            j = i + 1
            while True:
                if j >= n or text[j] == "\n":
                    fail(start_line, "unterminated string: a string must end with ' on the "
                                     "line where it starts (join pieces with +)")
                c = text[j]
                if c == "'":
                    if j + 1 < n and text[j + 1] == "'":
                        value.append("'")
                        j += 2
                        continue
                    break
                if _is_forbidden_char(c):
                    fail(start_line, f"control character {_show_char(c)} in a string")
                value.append(c)
                j += 1
            tokens.append(Token("string", text[i:j + 1], "".join(value), start_line, first))
            i = j + 1
        elif ch == "{":
            end = text.find("}", i + 1)
            if end < 0:
                fail(start_line, "binary data: '{' is not closed by '}'")
            digits = []
            for c in text[i + 1:end]:
                if c == "\n":
                    line += 1
                elif c in " \t":
                    pass
                elif c in _HEX_DIGITS:
                    digits.append(c)
                else:
                    fail(line, f"bad hex digit {_show_char(c)} in binary data")
            if len(digits) % 2:
                fail(start_line, f"bad hex: binary data has an odd number of hex digits ({len(digits)})")
            tokens.append(Token("hex", text[i:end + 1], bytes.fromhex("".join(digits)),
                                start_line, first))
            i = end + 1
        elif ch.isascii() and (ch.isalpha() or ch == "_"):
            m = _NAME.match(text, i)
            end = m.end()
            if end < n and text[end] == ".":
                tail = _WORD_TAIL.match(text, end)
                fail(line, f"bad name '{_shorten(text[i:tail.end()])}'")
            tokens.append(Token("name", m.group(), None, line, first))
            i = end
        elif ch.isascii() and (ch.isdigit() or ch == "-"):
            m = _NUMBER.match(text, i)
            if not m:
                fail(line, f"unknown token '{ch}'")
            end = m.end()
            tail = _WORD_TAIL.match(text, end)
            if tail:
                fail(line, f"bad number '{_shorten(text[i:tail.end()])}'")
            word = m.group()
            if "." in word:
                tokens.append(Token("float", word, None, line, first))
            else:
                # Anything this long is out of range anyway; not converting it
                # keeps clear of Python's limit on digits.
                value = int(word) if len(word) <= 24 else (-1 if word[0] == "-" else 1) << 80
                tokens.append(Token("int", word, value, line, first))
            i = end
        elif ch in _PUNCTUATION:
            tokens.append(Token("punct", ch, None, line, first))
            i += 1
        elif ch == "?":
            fail(line, "unknown token '?': --dump writes ?XX, ?INF and ?NAN for what a "
                       "text layout cannot hold")
        else:
            fail(line, f"unknown token {_show_char(ch)}")
        first = False
    tokens.append(Token("eof", "", None, line, True))
    return tokens


def _read_source(path):
    with open(path, "rb") as f:
        raw = f.read()
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as e:
        line = raw.count(b"\n", 0, e.start) + 1
        raise LayoutError(path, line, "not valid UTF-8") from None
    if text.startswith("\ufeff"):
        text = text[1:]
    return text.replace("\r\n", "\n").replace("\r", "\n")


# ---------------------------------------------------------------- encoding

def _round_half_even(q):
    whole, rest = divmod(q.numerator, q.denominator)
    twice = 2 * rest
    if twice > q.denominator or (twice == q.denominator and whole & 1):
        whole += 1
    return whole


def _floor_log2(q):
    """floor(log2(q)) of a positive fraction."""
    e = q.numerator.bit_length() - q.denominator.bit_length()
    # Now 2**(e-1) < q < 2**(e+1).
    if q < Fraction(2) ** e:
        e -= 1
    return e


def extended_bytes(negative, magnitude):
    """The 10 bytes of the x87 extended value nearest to the given magnitude
    (a Fraction >= 0), rounding halfway cases to even; None when the
    magnitude is too large, or so small that nothing but zero is nearer."""
    if magnitude == 0:
        exponent, mantissa = 0, 0
    else:
        e = _floor_log2(magnitude)
        if e + EXT_BIAS >= 1:
            mantissa = _round_half_even(magnitude * Fraction(2) ** (EXT_MANTISSA_BITS - 1 - e))
            if mantissa == 1 << EXT_MANTISSA_BITS:
                mantissa >>= 1
                e += 1
            exponent = e + EXT_BIAS
            if exponent >= EXT_MAX_EXPONENT:
                return None
        else:
            mantissa = _round_half_even(magnitude * Fraction(2) ** -EXT_DENORMAL_SCALE)
            if mantissa == 0:
                return None
            # Rounding may carry into the integer bit: the smallest normal number.
            exponent = 1 if mantissa >> (EXT_MANTISSA_BITS - 1) else 0
    return struct.pack("<QH", mantissa, (0x8000 if negative else 0) | exponent)


def int_bytes(value):
    """An integer value in the smallest kind that holds it; None outside int32."""
    if -0x80 <= value <= 0x7F:
        return struct.pack("<Bb", INT8, value)
    if -0x8000 <= value <= 0x7FFF:
        return struct.pack("<Bh", INT16, value)
    if INT32_MIN <= value <= INT32_MAX:
        return struct.pack("<Bi", INT32, value)
    return None


class _Compiler:
    def __init__(self, path, tokens, include_dirs):
        self.path = path
        self.tokens = tokens
        self.at = 0
        self.include_dirs = list(include_dirs)
        self.source_dir = os.path.dirname(os.path.abspath(path))

    # -- tokens

    def peek(self, ahead=0):
        return self.tokens[min(self.at + ahead, len(self.tokens) - 1)]

    def take(self):
        token = self.peek()
        if token.kind != "eof":
            self.at += 1
        return token

    def fail(self, line, message):
        raise LayoutError(self.path, line, message)

    def take_on_line(self, line, what):
        """The next token, which must stand on the given line."""
        token = self.peek()
        if token.line != line or token.kind == "eof":
            self.fail(line, f"expected {what}, found the end of the line")
        return self.take()

    def expect_punct(self, text, after, line):
        token = self.take_on_line(line, f"'{text}' {after}")
        if not token.is_punct(text):
            self.fail(token.line, f"expected '{text}' {after}, found {token.describe()}")
        return token

    def expect_simple_name(self, what, line):
        token = self.take_on_line(line, what)
        if token.kind != "name" or "." in token.text:
            self.fail(token.line, f"expected {what}, found {token.describe()}")
        return token

    def expect_own_line(self, token, what):
        if not token.first:
            self.fail(token.line, f"{what} must start a line of its own")

    # -- texts

    def encode(self, text, line):
        try:
            return text.encode(ENCODING)
        except UnicodeEncodeError as e:
            self.fail(line, f"{_show_char(text[e.start])} cannot be written in Shift-JIS "
                            f"(code page 932)")

    def short_string(self, text, line, what, limit=MAX_SHORT):
        data = self.encode(text, line)
        if len(data) > limit:
            self.fail(line, f"{what} too long: '{_shorten(text)}' has {len(data)} bytes "
                            f"in Shift-JIS, at most {limit}")
        return bytes([len(data)]) + data

    def int_value(self, token):
        data = int_bytes(token.value)
        if data is None:
            self.fail(token.line, f"number out of range: {_shorten(token.text)} (an integer "
                                  f"must lie in {INT32_MIN}..{INT32_MAX})")
        return data

    # -- structure

    def compile(self):
        token = self.peek()
        if token.kind != "name" or token.text not in ("object", "inherited"):
            if token.kind == "eof":
                self.fail(token.line, "no form: the file must hold 'object NAME: CLASS' ... 'end'")
            self.fail(token.line, f"expected 'object' or 'inherited', found {token.describe()}")
        body = self.component()
        token = self.peek()
        if token.kind != "eof":
            self.fail(token.line, f"text after the form's 'end': {token.describe()}")
        return SIGNATURE + body

    def is_property_start(self):
        token = self.peek()
        return token.kind == "name" and self.peek(1).is_punct("=")

    def component(self):
        keyword = self.take()
        self.expect_own_line(keyword, f"'{keyword.text}'")
        # The whole heading stands on one line, so that a heading cut short
        # cannot take the next line's words for its names.
        line = keyword.line
        name = self.expect_simple_name(f"the component's name after '{keyword.text}'", line)
        self.expect_punct(":", f"after the component's name '{name.text}'", line)
        class_name = self.expect_simple_name(f"the class name after '{name.text}:'", line)
        flags = FLAG_INHERITED if keyword.text == "inherited" else 0
        position = b""
        bracket = self.peek()
        if bracket.is_punct("[") and bracket.line == class_name.line:
            self.take()
            number = self.take_on_line(line, "the component's position")
            if number.kind != "int":
                self.fail(number.line, f"expected the component's position (an integer) "
                                       f"in '[ ]', found {number.describe()}")
            position = self.int_value(number)
            self.expect_punct("]", "after the component's position", line)
            flags |= FLAG_POSITION
        out = bytearray()
        if flags:
            out.append(PREFIX | flags)
            out += position
        out += self.short_string(class_name.text, class_name.line, "class name", MAX_CLASS_NAME)
        out += self.short_string(name.text, name.line, "component name")
        title = f"'{keyword.text} {_shorten(name.text)}'"

        children = bytearray()
        while True:
            token = self.peek()
            if token.kind == "eof":
                self.fail(keyword.line, f"missing 'end': {title} is not closed")
            if self.is_property_start():
                if children:
                    self.fail(token.line, f"property {token.text} after a child component: "
                                          f"a component's properties come before its children")
                out += self.property()
            elif token.kind == "name" and token.text in ("object", "inherited"):
                children += self.component()
            elif token.kind == "name" and token.text == "end":
                self.expect_own_line(token, "'end'")
                self.take()
                break
            elif token.kind == "name" and token.text == "item":
                self.fail(token.line, "'item' outside a collection (< ... >)")
            elif token.kind == "name":
                self.fail(token.line, f"expected '=' after {token.describe()}, "
                                      f"found {self.peek(1).describe()}")
            else:
                self.fail(token.line, f"expected a property, 'object', 'inherited' or 'end', "
                                      f"found {token.describe()}")
        out.append(END)
        out += children
        out.append(END)
        return bytes(out)

    def property(self):
        path = self.take()
        self.expect_own_line(path, f"property {path.text}")
        equals = self.take()
        first = self.peek()
        if first.kind == "eof" or first.line != equals.line:
            self.fail(equals.line, f"missing value: the value of {path.text} must start on the "
                                   f"line of its '='")
        return self.short_string(path.text, path.line, "property name") + self.value()

    def value(self):
        token = self.take()
        kind = token.kind
        if kind == "int":
            return self.int_value(token)
        if kind == "float":
            return self.float_value(token)
        if kind == "string":
            return self.string_value(token)
        if kind == "hex":
            return struct.pack("<BI", BINARY, len(token.value)) + token.value
        if kind == "name":
            following = self.peek()
            if (token.text == "bitmap" and following.kind == "string"
                    and following.line == token.line):
                return self.bitmap_value(self.take())
            constant = CONSTANTS.get(token.text.lower())
            if constant is not None:
                return bytes([constant])
            return bytes([IDENT]) + self.short_string(token.text, token.line, "identifier")
        if token.is_punct("["):
            return self.set_value(token)
        if token.is_punct("("):
            return self.list_value(token)
        if token.is_punct("<"):
            return self.collection_value(token)
        self.fail(token.line, f"expected a value, found {token.describe()}")

    def float_value(self, token):
        whole, fraction, exponent = _FLOAT_PARTS.fullmatch(token.text).groups()
        digits = (whole + fraction).lstrip("0")
        data = None
        if not digits:
            data = extended_bytes(token.text.startswith("-"), Fraction(0))
        elif exponent is None or len(exponent.lstrip("+-0")) <= 6:
            scale = int(exponent or 0) - len(fraction)
            # Only values within reach of the extended range are worked out
            # exactly: 10**hugeexponent would take forever.
            if -5000 < scale + len(digits) < 5000:
                data = extended_bytes(token.text.startswith("-"),
                                      Fraction(int(digits)) * Fraction(10) ** scale)
        if data is None:
            self.fail(token.line, f"number out of range: {_shorten(token.text)} does not "
                                  f"fit an extended float")
        return bytes([EXTENDED]) + data

    def string_value(self, token):
        data = self.encode(token.value, token.line)
        while self.peek().is_punct("+"):
            plus = self.take()
            piece = self.take()
            if piece.kind != "string":
                self.fail(piece.line if piece.kind != "eof" else plus.line,
                          f"expected a string after '+', found {piece.describe()}")
            data += self.encode(piece.value, piece.line)
        if len(data) <= MAX_SHORT:
            return bytes([STRING, len(data)]) + data
        return struct.pack("<BI", LONG_STRING, len(data)) + data

    def bitmap_value(self, name):
        folders = self.include_dirs + [self.source_dir]
        for folder in folders:
            candidate = os.path.join(folder, name.value)
            if os.path.isfile(candidate):
                break
        else:
            self.fail(name.line, f"missing bitmap file '{name.value}': not found in "
                                 + ", ".join(folders))
        try:
            with open(candidate, "rb") as f:
                data = f.read()
        except OSError as e:
            self.fail(name.line, f"cannot read bitmap file {candidate}: {e.strerror}")
        # A file header (14 bytes) and at least the smallest info header.
        if len(data) < 26 or not data.startswith(b"BM"):
            self.fail(name.line, f"{candidate} is not a Windows bitmap (.bmp) file")
        payload = struct.pack("<I", len(data)) + data
        return struct.pack("<BI", BINARY, len(payload)) + payload

    def set_value(self, opening):
        out = bytearray([SET])
        if self.peek().is_punct("]"):
            self.take()
        else:
            while True:
                token = self.take()
                if token.kind == "eof":
                    self.fail(opening.line, "set: '[' is not closed by ']'")
                if token.kind != "name" or "." in token.text:
                    self.fail(token.line, f"expected a name in the set, found {token.describe()}")
                out += self.short_string(token.text, token.line, "set element")
                separator = self.take()
                if separator.is_punct("]"):
                    break
                if separator.kind == "eof":
                    self.fail(opening.line, "set: '[' is not closed by ']'")
                if not separator.is_punct(","):
                    self.fail(separator.line, f"expected ',' or ']' in the set, "
                                              f"found {separator.describe()}")
        out.append(END)
        return bytes(out)

    def list_value(self, opening):
        out = bytearray([LIST])
        while True:
            token = self.peek()
            if token.kind == "eof":
                self.fail(opening.line, "list: '(' is not closed by ')'")
            if token.is_punct(")"):
                self.take()
                break
            out += self.value()
        out.append(END)
        return bytes(out)

    def collection_value(self, opening):
        out = bytearray([COLLECTION])
        while True:
            token = self.take()
            if token.kind == "eof":
                self.fail(opening.line, "collection: '<' is not closed by '>'")
            if token.is_punct(">"):
                break
            if token.kind != "name" or token.text != "item":
                self.fail(token.line, f"expected 'item' or '>' in the collection, "
                                      f"found {token.describe()}")
            self.expect_own_line(token, "'item'")
            bracket = self.peek()
            if bracket.is_punct("[") and bracket.line == token.line:
                self.take()
                number = self.take_on_line(token.line, "the item's index")
                if number.kind != "int":
                    self.fail(number.line, f"expected the item's index (an integer) in '[ ]', "
                                           f"found {number.describe()}")
                out += self.int_value(number)
                self.expect_punct("]", "after the item's index", token.line)
            out.append(LIST)
            while True:
                inner = self.peek()
                if inner.kind == "eof":
                    self.fail(token.line, "missing 'end': 'item' is not closed")
                if self.is_property_start():
                    out += self.property()
                elif inner.kind == "name" and inner.text == "end":
                    self.expect_own_line(inner, "'end'")
                    self.take()
                    break
                elif inner.is_punct(">"):
                    self.fail(inner.line, f"missing 'end': the item of line {token.line} is "
                                          f"not closed before '>'")
                elif inner.kind == "name" and inner.text in ("object", "inherited"):
                    self.fail(inner.line, "a component cannot be inside a collection item")
                elif inner.kind == "name":
                    self.fail(inner.line, f"expected '=' after {inner.describe()}, "
                                          f"found {self.peek(1).describe()}")
                else:
                    self.fail(inner.line, f"expected a property or 'end' in the item, "
                                          f"found {inner.describe()}")
            out.append(END)
        out.append(END)
        return bytes(out)


def compile_text(text, path="<text>", include_dirs=()):
    """The binary stream of a layout text."""
    return _Compiler(path, tokenize(path, text), include_dirs).compile()


def compile_file(source, output, include_dirs=()):
    data = compile_text(_read_source(source), source, include_dirs)
    folder = os.path.dirname(os.path.abspath(output))
    os.makedirs(folder, exist_ok=True)
    temporary = output + ".part"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, output)


# ---------------------------------------------------------------- binary out (--dump)

def extended_fraction(data):
    """(negative, magnitude as a Fraction) of 10 extended bytes; magnitude is
    the string 'INF' or 'NAN' for those."""
    mantissa, top = struct.unpack("<QH", data)
    negative = bool(top & 0x8000)
    exponent = top & 0x7FFF
    if exponent == EXT_MAX_EXPONENT:
        # The integer bit is set in both; the rest of the significand tells them apart.
        return negative, ("INF" if mantissa & ((1 << 63) - 1) == 0 else "NAN")
    scale = EXT_DENORMAL_SCALE if exponent == 0 else exponent - EXT_BIAS - (EXT_MANTISSA_BITS - 1)
    return negative, Fraction(mantissa) * Fraction(2) ** scale


def _decimal_text(value):
    """A positive Decimal as text that the compiler reads as a float."""
    _, digits, exponent = value.as_tuple()
    text = "".join(map(str, digits)).rstrip("0")
    exponent += len(digits) - len(text)
    point = len(text) + exponent       # digits before the decimal point
    if -4 <= point <= 21:
        if point <= 0:
            return "0." + "0" * -point + text
        if point >= len(text):
            return text + "0" * (point - len(text)) + ".0"
        return text[:point] + "." + text[point:]
    return f"{text[0]}.{text[1:] or '0'}E{point - 1}"


def float_text(data):
    """The shortest decimal that compiles back to the same 10 bytes."""
    negative, magnitude = extended_fraction(data)
    sign = "-" if negative else ""
    if isinstance(magnitude, str):
        return f"?{sign}{magnitude}"
    if magnitude == 0:
        return sign + "0.0"
    wanted = extended_bytes(negative, magnitude)
    # 21 significant digits tell every pair of 64-bit significands apart.
    for precision in range(1, 22):
        context = decimal.Context(prec=precision, rounding=decimal.ROUND_HALF_EVEN,
                                  Emax=decimal.MAX_EMAX, Emin=decimal.MIN_EMIN)
        approx = context.divide(decimal.Decimal(magnitude.numerator),
                                decimal.Decimal(magnitude.denominator))
        if extended_bytes(negative, Fraction(approx)) == wanted:
            break
    return sign + _decimal_text(approx)


def _text_pieces(raw):
    """Splits Shift-JIS bytes into characters that a text layout can hold
    and compiles back to the same bytes (str), and other bytes (int)."""
    out = []
    i = 0
    while i < len(raw):
        for size in (1, 2):
            chunk = raw[i:i + size]
            try:
                ch = chunk.decode(ENCODING) if len(chunk) == size else None
            except UnicodeDecodeError:
                ch = None
            # Code page 932 reads some codes as characters that it writes
            # under another code; those would not come back as they were.
            if (ch is not None and len(ch) == 1 and not _is_forbidden_char(ch)
                    and ch.encode(ENCODING) == chunk):
                out.append(ch)
                i += size
                break
        else:
            out.append(raw[i])
            i += 1
    return out


def _name_text(raw):
    return "".join(p if isinstance(p, str) else f"?{p:02X}" for p in _text_pieces(raw))


STRING_PIECE = 64       # bytes of a string a line in the dump
HEX_LINE = 32           # bytes of binary data a line in the dump


def _string_lines(raw, indent):
    """A string value as text: one quoted string, or pieces joined with '+'
    on following lines."""
    pieces = []     # each a quoted string or a ?XX mark
    current = []
    width = 0       # in bytes, which is also the width of Japanese text on screen
    for p in _text_pieces(raw):
        if isinstance(p, str):
            size = len(p.encode(ENCODING))
            if width + size > STRING_PIECE:
                pieces.append("'" + "".join(current) + "'")
                current, width = [], 0
            current.append("''" if p == "'" else p)
            width += size
        else:
            if current:
                pieces.append("'" + "".join(current) + "'")
                current, width = [], 0
            pieces.append(f"?{p:02X}")
    if current or not pieces:
        pieces.append("'" + "".join(current) + "'")
    # Short pieces share a line; a full piece has one of its own.
    def width(piece):
        return len(piece.encode(ENCODING))

    lines = [[pieces[0]]]
    used = width(pieces[0])
    for piece in pieces[1:]:
        if used + 3 + width(piece) > STRING_PIECE + 2:
            lines.append([])
            used = -3
        lines[-1].append(piece)
        used += 3 + width(piece)
    inner = "  " * (indent + 1)
    texts = [" + ".join(lines[0])] + [inner + " + ".join(line) for line in lines[1:]]
    return [text + " +" for text in texts[:-1]] + [texts[-1]]


class _Dumper:
    def __init__(self, path, data):
        self.path = path
        self.data = data
        self.at = 0

    def fail(self, message, at=None):
        raise LayoutError(self.path, None, f"offset {self.at if at is None else at}: {message}")

    def take(self, count):
        if self.at + count > len(self.data):
            self.fail(f"the stream ends inside a record (needs {count} more bytes)")
        chunk = self.data[self.at:self.at + count]
        self.at += count
        return chunk

    def byte(self):
        return self.take(1)[0]

    def peek(self):
        if self.at >= len(self.data):
            self.fail("the stream ends inside a record")
        return self.data[self.at]

    def short(self):
        return self.take(self.byte())

    def unpack(self, fmt):
        return struct.unpack(fmt, self.take(struct.calcsize(fmt)))[0]

    def integer(self, what):
        at = self.at
        kind = self.byte()
        if kind == INT8:
            return self.unpack("<b")
        if kind == INT16:
            return self.unpack("<h")
        if kind == INT32:
            return self.unpack("<i")
        self.fail(f"{what}: expected an integer value, found type {kind}", at)

    def dump(self):
        if self.take(4) != SIGNATURE:
            self.fail("not a layout stream: it does not start with TPF0", 0)
        lines = self.component(0)
        if self.at != len(self.data):
            self.fail(f"{len(self.data) - self.at} bytes after the end of the form")
        return "\n".join(lines) + "\n"

    def component(self, indent):
        pad = "  " * indent
        keyword = "object"
        position = ""
        if self.peek() >= PREFIX:
            at = self.at
            flags = self.byte() & 0x0F
            if flags & ~(FLAG_INHERITED | FLAG_POSITION):
                self.fail(f"component prefix with unknown flags {flags:#x}", at)
            if flags & FLAG_INHERITED:
                keyword = "inherited"
            if flags & FLAG_POSITION:
                position = f" [{self.integer('child position')}]"
        class_name = _name_text(self.short())
        name = _name_text(self.short())
        lines = [f"{pad}{keyword} {name}: {class_name}{position}"]
        lines += self.properties(indent + 1)
        while self.peek() != END:
            lines += self.component(indent + 1)
        self.at += 1
        lines.append(pad + "end")
        return lines

    def properties(self, indent):
        lines = []
        while self.peek() != END:
            path = _name_text(self.short())
            value = self.value(indent)
            lines.append("  " * indent + f"{path} = {value[0]}")
            lines += value[1:]
        self.at += 1
        return lines

    def value(self, indent):
        """The value's text: the first line continues the property's line,
        the others are complete lines."""
        at = self.at
        kind = self.byte()
        pad = "  " * indent
        inner = "  " * (indent + 1)
        if kind in (INT8, INT16, INT32):
            self.at = at
            return [str(self.integer("value"))]
        if kind == EXTENDED:
            return [float_text(self.take(10))]
        if kind == STRING:
            return _string_lines(self.short(), indent)
        if kind == LONG_STRING:
            return _string_lines(self.take(self.unpack("<I")), indent)
        if kind == IDENT:
            return [_name_text(self.short())]
        if kind == FALSE:
            return ["False"]
        if kind == TRUE:
            return ["True"]
        if kind == NIL:
            return ["nil"]
        if kind == BINARY:
            data = self.take(self.unpack("<I"))
            if len(data) <= HEX_LINE:
                return ["{" + data.hex().upper() + "}"]
            return (["{"] + [inner + data[i:i + HEX_LINE].hex().upper()
                             for i in range(0, len(data), HEX_LINE)] + [pad + "}"])
        if kind == SET:
            names = []
            while True:
                name = self.short()
                if not name:
                    break
                names.append(_name_text(name))
            return ["[" + ", ".join(names) + "]"]
        if kind == LIST:
            if self.peek() == END:
                self.at += 1
                return ["()"]
            lines = ["("]
            while self.peek() != END:
                item = self.value(indent + 1)
                lines.append(inner + item[0])
                lines += item[1:]
            self.at += 1
            return lines + [pad + ")"]
        if kind == COLLECTION:
            if self.peek() == END:
                self.at += 1
                return ["<>"]
            lines = ["<"]
            while self.peek() != END:
                header = "item"
                if self.peek() != LIST:
                    header += f" [{self.integer('collection item index')}]"
                if self.peek() != LIST:
                    self.fail(f"collection item: expected the list mark 1, found {self.peek()}")
                self.at += 1
                lines.append(inner + header)
                lines += self.properties(indent + 2)
                lines.append(inner + "end")
            self.at += 1
            return lines + [pad + ">"]
        if kind == END:
            self.fail("an end-of-list mark where a value belongs", at)
        self.fail(f"unknown value type {kind}", at)


def dump_bytes(data, path="<stream>"):
    return _Dumper(path, data).dump()


def dump_file(path):
    with open(path, "rb") as f:
        return dump_bytes(f.read(), path)


# ---------------------------------------------------------------- command line

USAGE = ("usage: layoutc.py [-I DIR]... INPUT.txt OUTPUT.bin\n"
         "       layoutc.py --dump FILE.bin")


def main(argv):
    # Messages may quote Japanese text; never fail on a terminal that cannot show it.
    sys.stderr.reconfigure(errors="backslashreplace")
    if argv and argv[0] in ("-h", "--help"):
        print(USAGE)
        print()
        print("The text format" + __doc__.split("The text format", 1)[1])
        return 0
    try:
        if argv and argv[0] == "--dump":
            if len(argv) != 2:
                print(USAGE, file=sys.stderr)
                return 2
            text = dump_file(argv[1])
            sys.stdout.buffer.write(text.encode("utf-8"))
            return 0
        include_dirs = []
        files = []
        i = 0
        while i < len(argv):
            arg = argv[i]
            if arg == "-I" and i + 1 < len(argv):
                include_dirs.append(argv[i + 1])
                i += 2
                continue
            if arg.startswith("-I") and len(arg) > 2:
                include_dirs.append(arg[2:])
            elif arg.startswith("-"):
                print(USAGE, file=sys.stderr)
                return 2
            else:
                files.append(arg)
            i += 1
        if len(files) != 2:
            print(USAGE, file=sys.stderr)
            return 2
        compile_file(files[0], files[1], include_dirs)
        return 0
    except LayoutError as e:
        print(e.text(), file=sys.stderr)
        return 1
    except OSError as e:
        print(f"layoutc.py: {e.filename or ''}: {e.strerror}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
