#!/usr/bin/env python3
"""Tests of tools/layoutc.py: layout texts in, binary layout streams out.

Every test runs the tool as the build does, as a program on real files in a
temporary folder. The expected streams are put together here byte by byte
from the layout's rules (the helpers below share no code with the tool), so
that a fault in the tool cannot hide in an expectation derived from it.
Extended floats are also compared with the C library's strtold where the
machine's long double is the x87 format.
"""

import ctypes
import os
import platform
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE_DIR = os.path.dirname(HERE)
TOOL = os.path.join(SOURCE_DIR, "tools", "layoutc.py")


# ---------------------------------------------------------------- expected bytes

def h(text):
    """Bytes from hex digits written with blanks for reading."""
    return bytes.fromhex(text)


def ss(text):
    """A short string: length byte, then the Shift-JIS bytes."""
    data = text.encode("cp932")
    assert len(data) < 256
    return bytes([len(data)]) + data


def record(class_name, name, props=b"", children=b"", prefix=b""):
    return prefix + ss(class_name) + ss(name) + props + b"\x00" + children + b"\x00"


def stream(rec):
    return b"TPF0" + rec


def prop(path, value):
    return ss(path) + value


def form_with(value, path="P"):
    """The stream of 'object Form1: TForm1' with one property."""
    return stream(record("TForm1", "Form1", prop(path, value)))


def string_value(data):
    if len(data) < 256:
        return bytes([6, len(data)]) + data
    return bytes([12]) + struct.pack("<I", len(data)) + data


def binary_value(data):
    return bytes([10]) + struct.pack("<I", len(data)) + data


def tiny_bmp(pixel=b"\x00\x00\xff"):
    """A 1x1 24-bit Windows bitmap: file header, info header, one padded row."""
    bits = pixel + b"\x00"
    info = struct.pack("<IiiHHIIiiII", 40, 1, 1, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    return header + info + bits


def x87_strtold():
    """glibc's strtold giving the 10 bytes of an x87 long double, or None."""
    if platform.machine().lower() not in ("x86_64", "amd64", "i386", "i686"):
        return None
    if ctypes.sizeof(ctypes.c_longdouble) < 10:
        return None
    try:
        libc = ctypes.CDLL(None)
        strtold = libc.strtold
    except (OSError, AttributeError):
        return None

    # A subclass, so that ctypes hands back the raw long double instead of
    # squeezing it into a Python float.
    class LongDouble(ctypes.c_longdouble):
        pass

    strtold.restype = LongDouble
    strtold.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
    return lambda text: bytes(strtold(text.encode("ascii"), None))[:10]


# ---------------------------------------------------------------- running the tool

class ToolCase(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="layoutc-test-")
        self.addCleanup(shutil.rmtree, self.dir)

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def write(self, name, content):
        path = self.path(name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content.encode("utf-8") if isinstance(content, str) else content)
        return path

    def run_tool(self, *args):
        return subprocess.run([sys.executable, TOOL, *args], capture_output=True, timeout=60)

    def compile(self, text, *options, name="TLAYOUT.txt"):
        source = self.write(name, text)
        output = self.path("out", "TLAYOUT.bin")
        result = self.run_tool(*options, source, output)
        if result.returncode != 0:
            self.fail(f"the tool failed:\n{result.stderr.decode('utf-8', 'replace')}")
        self.assertEqual(result.stdout, b"")
        self.assertEqual(result.stderr, b"")
        with open(output, "rb") as f:
            return f.read()

    def compile_value(self, value_text):
        return self.compile(f"object Form1: TForm1\n  P = {value_text}\nend\n")

    def compile_error(self, text, *options):
        """Compiles a faulty text; returns (source path, the message)."""
        source = self.write("TBAD.txt", text)
        output = self.path("out", "TBAD.bin")
        result = self.run_tool(*options, source, output)
        message = result.stderr.decode("utf-8")
        self.assertEqual(result.returncode, 1, f"exit status for {text!r}: {message}")
        self.assertFalse(os.path.exists(output), "a failed run must not write its output")
        self.assertEqual(len(message.splitlines()), 1, message)
        return source, message

    def assertError(self, text, line, fragment, *options):
        source, message = self.compile_error(text, *options)
        self.assertTrue(message.startswith(f"{source}:{line}: "),
                        f"expected the fault at line {line}, got: {message}")
        self.assertIn(fragment, message)

    def dump(self, data):
        path = self.write("dump.bin", data)
        result = self.run_tool("--dump", path)
        if result.returncode != 0:
            self.fail(f"--dump failed:\n{result.stderr.decode('utf-8', 'replace')}")
        return result.stdout.decode("utf-8")

    def dump_error(self, data):
        path = self.write("dump.bin", data)
        result = self.run_tool("--dump", path)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stdout, b"")
        return result.stderr.decode("utf-8")


# ---------------------------------------------------------------- values

class Structure(ToolCase):
    def test_empty_form(self):
        self.assertEqual(self.compile("object Form1: TForm1\nend\n"),
                         b"TPF0" + h("06") + b"TForm1" + h("05") + b"Form1" + h("00 00"))

    def test_properties_in_order_then_children(self):
        text = ("object Form1: TForm1\n"
                "  Left = 302\n"
                "  Font.Name = 'x'\n"
                "  object Panel1: TPanel\n"
                "    Top = 1\n"
                "    object Label1: TLabel\n"
                "      Caption = 'a'\n"
                "    end\n"
                "    object Label2: TLabel\n"
                "    end\n"
                "  end\n"
                "  object Button1: TButton\n"
                "  end\n"
                "end\n")
        label1 = record("TLabel", "Label1", prop("Caption", h("06 01") + b"a"))
        label2 = record("TLabel", "Label2")
        panel = record("TPanel", "Panel1", prop("Top", h("02 01")), label1 + label2)
        button = record("TButton", "Button1")
        expected = stream(record("TForm1", "Form1",
                                 prop("Left", h("03 2E 01")) + prop("Font.Name", h("06 01") + b"x"),
                                 panel + button))
        self.assertEqual(self.compile(text), expected)

    def test_inherited_component_has_prefix_flag_1(self):
        text = "object Form1: TForm1\n  inherited Panel1: TPanel\n    Left = 4\n  end\nend\n"
        child = record("TPanel", "Panel1", prop("Left", h("02 04")), prefix=h("F1"))
        self.assertEqual(self.compile(text), stream(record("TForm1", "Form1", children=child)))

    def test_position_has_prefix_flag_2(self):
        text = "object Form1: TForm1\n  object Edit1: TEdit [2]\n  end\nend\n"
        child = record("TEdit", "Edit1", prefix=h("F2 02 02"))
        self.assertEqual(self.compile(text), stream(record("TForm1", "Form1", children=child)))

    def test_position_takes_the_smallest_integer(self):
        text = ("object Form1: TForm1\n"
                "  inherited Edit1: TEdit [200]\n  end\n"
                "  object Edit2: TEdit [-70000]\n  end\n"
                "end\n")
        children = (record("TEdit", "Edit1", prefix=h("F3 03 C8 00"))
                    + record("TEdit", "Edit2", prefix=h("F2 04 90 EE FE FF")))
        self.assertEqual(self.compile(text), stream(record("TForm1", "Form1", children=children)))

    def test_inherited_form(self):
        self.assertEqual(self.compile("inherited Form2: TForm2\nend\n"),
                         stream(record("TForm2", "Form2", prefix=h("F1"))))

    def test_comments_blank_lines_free_indentation(self):
        text = ("# A form.\n"
                "\n"
                "object Form1: TForm1   # the form\n"
                "        Left = 1 # one\n"
                "Caption = 'a # not a comment'\n"
                "   # end = 5\n"
                "end\n"
                "# after\n")
        expected = form_with(h("02 01"), "Left")[:-2] + prop("Caption", string_value(b"a # not a comment")) + h("00 00")
        self.assertEqual(self.compile(text), expected)

    def test_crlf_and_byte_order_mark(self):
        text = "\ufeffobject Form1: TForm1\r\n  P = 'a' +\r\n    'b'\r\nend\r\n"
        self.assertEqual(self.compile(text), form_with(string_value(b"ab")))

    def test_keyword_names_as_properties(self):
        # 'end' and 'object' followed by '=' are properties, not keywords.
        text = "object Form1: TForm1\n  end = 1\n  object = 2\n  item = 3\nend\n"
        expected = stream(record("TForm1", "Form1",
                                 prop("end", h("02 01")) + prop("object", h("02 02"))
                                 + prop("item", h("02 03"))))
        self.assertEqual(self.compile(text), expected)

    def test_longest_names(self):
        name = "N" * 255
        class_name = "T" * 239
        text = f"object {name}: {class_name}\n  {'P' * 255} = {'V' * 255}\nend\n"
        expected = stream(record(class_name, name, prop("P" * 255, h("07") + ss("V" * 255))))
        self.assertEqual(self.compile(text), expected)


class Integers(ToolCase):
    CASES = [
        ("0", "02 00"),
        ("-1", "02 FF"),
        ("127", "02 7F"),
        ("128", "03 80 00"),
        ("-128", "02 80"),
        ("-129", "03 7F FF"),
        ("32767", "03 FF 7F"),
        ("32768", "04 00 80 00 00"),
        ("-32768", "03 00 80"),
        ("-32769", "04 FF 7F FF FF"),
        ("100000", "04 A0 86 01 00"),
        ("2147483647", "04 FF FF FF 7F"),
        ("-2147483648", "04 00 00 00 80"),
        ("007", "02 07"),
    ]

    def test_smallest_kind_at_each_boundary(self):
        text = "object Form1: TForm1\n"
        props = b""
        for i, (number, encoded) in enumerate(self.CASES):
            text += f"  I{i} = {number}\n"
            props += prop(f"I{i}", h(encoded))
        text += "end\n"
        self.assertEqual(self.compile(text), stream(record("TForm1", "Form1", props)))

    def test_out_of_int32(self):
        for number in ("2147483648", "-2147483649", "99999999999999999999", "9" * 6000):
            with self.subTest(number):
                self.assertError(f"object Form1: TForm1\n  Left = 1\n  P = {number}\nend\n",
                                 3, "number out of range")


class Floats(ToolCase):
    CASES = [
        ("1.5", "00 00 00 00 00 00 00 C0 FF 3F"),
        ("0.1", "CD CC CC CC CC CC CC CC FB 3F"),
        ("-2.0", "00 00 00 00 00 00 00 80 00 C0"),
        ("100000.0", "00 00 00 00 00 00 50 C3 0F 40"),
        ("0.0", "00 00 00 00 00 00 00 00 00 00"),
        ("-0.0", "00 00 00 00 00 00 00 00 00 80"),
        ("1.0E10", "00 00 00 00 00 F9 02 95 20 40"),
        ("0.5E1", "00 00 00 00 00 00 00 A0 01 40"),
        ("0000.00000", "00 00 00 00 00 00 00 00 00 00"),
        ("0.0E999999999999", "00 00 00 00 00 00 00 00 00 00"),
        ("0.00000000000000000000000000000000000000000000000000000000000001E62",
         "00 00 00 00 00 00 00 80 FF 3F"),
        # Halfway between two neighbours: to the even significand.
        ("18446744073709551617.0", "00 00 00 00 00 00 00 80 3F 40"),    # 2**64 + 1
        ("18446744073709551619.0", "02 00 00 00 00 00 00 80 3F 40"),    # 2**64 + 3
        # The extremes: largest, smallest normal, smallest denormal.
        ("1.18973149535723176502E4932", "FF FF FF FF FF FF FF FF FE 7F"),
        ("3.3621031431120935063E-4932", "00 00 00 00 00 00 00 80 01 00"),
        ("3.6E-4951", "01 00 00 00 00 00 00 00 00 00"),
        ("1.9E-4951", "01 00 00 00 00 00 00 00 00 00"),
        # A denormal that rounds up to the smallest normal number.
        ("3.362103143112093506262E-4932", "00 00 00 00 00 00 00 80 01 00"),
        ("3.362103143112093506E-4932", "FF FF FF FF FF FF FF 7F 00 00"),
    ]

    def test_known_values(self):
        for text, encoded in self.CASES:
            with self.subTest(text):
                self.assertEqual(self.compile_value(text), form_with(h("05 " + encoded)))

    def test_agrees_with_the_c_library(self):
        strtold = x87_strtold()
        if strtold is None:
            self.skipTest("no x87 long double here")
        rng = random.Random(20240607)
        numbers = ["3.14159265358979323846264338327950288", "1.0E4931", "1.18E4932",
                   "3.3621031431120935063E-4932", "1.0E-4940", "3.7E-4951", "0.3",
                   "123456789012345678901234567890.5", "0.00000000000000000000001"]
        numbers += [text for text, _ in self.CASES]
        for _ in range(300):
            digits = "".join(rng.choice("0123456789") for _ in range(rng.randint(1, 24)))
            numbers.append(f"{rng.choice(['', '-'])}{digits[0]}.{digits[1:] or '0'}"
                           f"E{rng.randint(-4930, 4930)}")
        text = "object Form1: TForm1\n"
        props = b""
        for i, number in enumerate(numbers):
            text += f"  F{i} = {number}\n"
            props += prop(f"F{i}", b"\x05" + strtold(number))
        text += "end\n"
        data = self.compile(text)
        self.assertEqual(data, stream(record("TForm1", "Form1", props)))
        # The dump prints each so that it compiles back to the same bytes.
        self.assertEqual(self.compile(self.dump(data)), data)

    def test_out_of_range(self):
        for number in ("1.0E5000", "1.19E4932", "1.0E-5000", "-1.0E-4952", "1.8E-4951",
                       "1.0E999999999999", "0.5E-99999999", "1" * 6000 + ".0"):
            with self.subTest(number):
                self.assertError(f"object Form1: TForm1\n\n  P = {number}\nend\n",
                                 3, "number out of range")


class Texts(ToolCase):
    def test_constants_in_any_case(self):
        for word, code in (("False", 8), ("false", 8), ("FALSE", 8), ("True", 9), ("tRUE", 9),
                           ("nil", 13), ("Nil", 13), ("NIL", 13)):
            with self.subTest(word):
                self.assertEqual(self.compile_value(word), form_with(bytes([code])))

    def test_identifiers(self):
        for word in ("bsDialog", "FormShow", "Falsey", "nil_", "Form2.Edit1", "_x9"):
            with self.subTest(word):
                self.assertEqual(self.compile_value(word), form_with(h("07") + ss(word)))

    def test_strings(self):
        cases = [
            ("''", b""),
            ("'Ver1.1'", b"Ver1.1"),
            ("'it''s'", b"it's"),
            ("''''", b"'"),
            ("'a\tb'", b"a\tb"),
            ("'# no comment'", b"# no comment"),
            ("'表示'", h("95 5C 8E A6")),
            ("'ＭＳ Ｐゴシック'", h("82 6C 82 72 20 82 6F 83 53 83 56 83 62 83 4E")),
            ("'ｳｨﾝﾄﾞｳ'", h("B3 A8 DD C4 DE B3")),
            # Characters of code page 932 that plain Shift-JIS lacks or codes otherwise.
            ("'①～'", h("87 40 81 60")),
            ("'a' + 'b'", b"ab"),
            ("'a' +\n    'b' +\n    ''  +  'c'", b"abc"),
        ]
        for text, data in cases:
            with self.subTest(text):
                self.assertEqual(self.compile_value(text), form_with(string_value(data)))

    def test_long_strings_by_byte_count(self):
        cases = [
            ("'" + "a" * 255 + "'", h("06 FF") + b"a" * 255),
            ("'" + "a" * 256 + "'", h("0C 00 01 00 00") + b"a" * 256),
            # 128 characters, 256 bytes in Shift-JIS.
            ("'" + "表" * 128 + "'", h("0C 00 01 00 00") + h("95 5C") * 128),
            ("'" + "表" * 127 + "a'", h("06 FF") + h("95 5C") * 127 + b"a"),
            # Pieces count together.
            ("'" + "a" * 200 + "' +\n  '" + "b" * 100 + "'", h("0C 2C 01 00 00") + b"a" * 200 + b"b" * 100),
        ]
        for text, value in cases:
            with self.subTest(len(text)):
                self.assertEqual(self.compile_value(text), form_with(value))

    def test_very_long_string(self):
        pieces = " +\n    ".join(f"'{i:05d}" + "x" * 59 + "'" for i in range(1100))
        data = b"".join(f"{i:05d}".encode() + b"x" * 59 for i in range(1100))
        self.assertEqual(self.compile_value(pieces), form_with(h("0C") + struct.pack("<I", len(data)) + data))

    def test_japanese_names_in_texts_and_paths(self):
        text = "object Form1: TForm1\n  Caption = '変換元ファイル : '\nend\n"
        self.assertEqual(self.compile(text),
                         form_with(string_value("変換元ファイル : ".encode("cp932")), "Caption"))


class Sets(ToolCase):
    def test_sets(self):
        cases = [
            ("[]", h("0B 00")),
            ("[ ]", h("0B 00")),
            ("[fsBold]", h("0B") + ss("fsBold") + h("00")),
            ("[biSystemMenu, biMinimize]", h("0B") + ss("biSystemMenu") + ss("biMinimize") + h("00")),
            ("[a,b ,\n    c]", h("0B") + ss("a") + ss("b") + ss("c") + h("00")),
            # Inside a set the constants are names like any other.
            ("[True, nil]", h("0B") + ss("True") + ss("nil") + h("00")),
        ]
        for text, value in cases:
            with self.subTest(text):
                self.assertEqual(self.compile_value(text), form_with(value))


class Lists(ToolCase):
    def test_lines(self):
        text = "object Form1: TForm1\n  Lines.Strings = (\n    ''\n    'Ver1.1'\n  )\nend\n"
        value = h("01") + string_value(b"") + string_value(b"Ver1.1") + h("00")
        self.assertEqual(self.compile(text), form_with(value, "Lines.Strings"))

    def test_empty_and_mixed_and_nested(self):
        cases = [
            ("()", h("01 00")),
            ("(1 'a' x)", h("01 02 01 06 01") + b"a" + h("07 01") + b"x" + h("00")),
            ("(\n  (1)\n  ()\n  [a] {FF} True 1.5\n)",
             h("01 01 02 01 00 01 00 0B 01") + b"a" + h("00 0A 01 00 00 00 FF 09")
             + h("05 00 00 00 00 00 00 00 C0 FF 3F 00")),
            ("(< >)", h("01 0E 00 00")),
        ]
        for text, value in cases:
            with self.subTest(text):
                self.assertEqual(self.compile_value(text), form_with(value))


class Binary(ToolCase):
    def test_hex(self):
        cases = [
            ("{0A0B0C}", h("0A 03 00 00 00 0A 0B 0C")),
            ("{}", h("0A 00 00 00 00")),
            ("{ 0a 0B\n      0c\n\tFf }", h("0A 04 00 00 00 0A 0B 0C FF")),
        ]
        for text, value in cases:
            with self.subTest(text):
                self.assertEqual(self.compile_value(text), form_with(value))

    def test_long_hex_spanning_lines(self):
        data = bytes(range(256)) * 3
        lines = "\n    ".join(data[i:i + 32].hex() for i in range(0, len(data), 32))
        text = f"object Form1: TForm1\n  Data = {{\n    {lines}\n  }}\n  Next = 1\nend\n"
        expected = stream(record("TForm1", "Form1", prop("Data", binary_value(data)) + prop("Next", h("02 01"))))
        self.assertEqual(self.compile(text), expected)


class Bitmaps(ToolCase):
    def test_payload_is_length_then_file(self):
        bmp = tiny_bmp()
        self.write("BITBTN1.bmp", bmp)
        text = "object Form1: TForm1\n  Glyph.Data = bitmap 'BITBTN1.bmp'\nend\n"
        value = h("0A") + struct.pack("<I", len(bmp) + 4) + struct.pack("<I", len(bmp)) + bmp
        self.assertEqual(len(bmp), 58)
        self.assertEqual(value[:9], h("0A 3E 00 00 00 3A 00 00 00"))
        self.assertEqual(self.compile(text), form_with(value, "Glyph.Data"))

    def test_search_order(self):
        first, second, local = tiny_bmp(b"\x01\x01\x01"), tiny_bmp(b"\x02\x02\x02"), tiny_bmp(b"\x03\x03\x03")
        self.write("empty/.keep", b"")
        self.write("second/G.bmp", second)
        self.write("first/G.bmp", first)
        self.write("G.bmp", local)
        text = "object Form1: TForm1\n  Glyph.Data = bitmap 'G.bmp'\nend\n"

        def expect(bmp):
            return form_with(binary_value(struct.pack("<I", len(bmp)) + bmp), "Glyph.Data")

        self.assertEqual(self.compile(text, "-I", self.path("empty"), "-I", self.path("second"),
                                      "-I", self.path("first")), expect(second))
        self.assertEqual(self.compile(text, "-I" + self.path("first"), "-I", self.path("second")),
                         expect(first))
        # Next to the text file when no -I folder has it.
        self.assertEqual(self.compile(text, "-I", self.path("empty")), expect(local))
        self.assertEqual(self.compile(text), expect(local))

    def test_in_a_list_and_an_item(self):
        bmp = tiny_bmp()
        self.write("B.bmp", bmp)
        value = binary_value(struct.pack("<I", len(bmp)) + bmp)
        text = ("object Form1: TForm1\n"
                "  L = (bitmap 'B.bmp')\n"
                "  C = <\n    item\n      Bitmap = bitmap 'B.bmp'\n    end\n  >\n"
                "  I = bitmap\n"
                "end\n")
        expected = stream(record("TForm1", "Form1",
                                 prop("L", h("01") + value + h("00"))
                                 + prop("C", h("0E 01") + prop("Bitmap", value) + h("00 00"))
                                 + prop("I", h("07") + ss("bitmap"))))
        self.assertEqual(self.compile(text), expected)

    def test_missing_and_bad_files(self):
        self.assertError("object Form1: TForm1\n  Left = 1\n  Glyph.Data = bitmap 'NONE.bmp'\nend\n",
                         3, "missing bitmap file 'NONE.bmp'")
        self.write("inc/NOTBMP.bmp", b"GIF89a" + b"\x00" * 40)
        self.assertError("object Form1: TForm1\n  Glyph.Data = bitmap 'NOTBMP.bmp'\nend\n",
                         2, "not a Windows bitmap", "-I", self.path("inc"))


class Collections(ToolCase):
    def test_items_with_and_without_index(self):
        text = ("object Form1: TForm1\n"
                "  Items = <\n"
                "    item\n"
                "      Caption = 'one'\n"
                "    end\n"
                "    item [3]\n"
                "      Caption = 'two'\n"
                "      Width = 300\n"
                "    end\n"
                "    item [300]\n"
                "    end\n"
                "  >\n"
                "end\n")
        value = (h("0E")
                 + h("01") + prop("Caption", string_value(b"one")) + h("00")
                 + h("02 03 01") + prop("Caption", string_value(b"two")) + prop("Width", h("03 2C 01")) + h("00")
                 + h("03 2C 01 01 00")
                 + h("00"))
        self.assertEqual(self.compile(text), form_with(value, "Items"))

    def test_empty_and_nested(self):
        cases = [
            ("<>", h("0E 00")),
            ("<\n  >", h("0E 00")),
            ("<\n    item\n      Sub = <\n        item [-1]\n          X = nil\n        end\n      >\n    end\n  >",
             h("0E 01") + prop("Sub", h("0E 02 FF 01") + prop("X", h("0D")) + h("00 00")) + h("00 00")),
        ]
        for text, value in cases:
            with self.subTest(text):
                self.assertEqual(self.compile_value(text), form_with(value))


# ---------------------------------------------------------------- errors

class Errors(ToolCase):
    def test_each_fault_at_its_line(self):
        long_name = "A" * 256
        cases = [
            # (text, line, part of the message)
            ("object Form1: TForm1\n  Left = @\nend\n", 2, "unknown token '@'"),
            ("object Form1: TForm1\n  Left = 1\n  ％ = 1\nend\n", 3, "unknown token"),
            ("object Form1: TForm1\n  Caption = 'abc\nend\n", 2, "unterminated string"),
            ("object Form1: TForm1\n  Caption = 'abc''\nend\n", 2, "unterminated string"),
            ("object Form1: TForm1\n  Caption = 'a\x01b'\nend\n", 2, "control character"),
            ("object Form1: TForm1\n  Left = 1\n", 1, "missing 'end'"),
            # The last 'end' closes Panel1: the form is the one left open.
            ("\n\nobject Form1: TForm1\n  object Panel1: TPanel\n    Left = 1\nend\n", 3, "missing 'end'"),
            ("object Form1: TForm1\n  I = <\n    item\n      X = 1\n  >\nend\n", 5, "the item of line 3 is not closed"),
            ("object Form1: TForm1\n  I = <\n    item\n      X = 1\n", 3, "missing 'end'"),
            ("object Form1: TForm1\n  I = <\n    item\n    end\n", 2, "'<' is not closed"),
            ("object Form1: TForm1\n  L = (\n  'a'\n", 2, "'(' is not closed"),
            ("object Form1: TForm1\n  S = [a,\n", 2, "'[' is not closed"),
            ("object Form1: TForm1\n  S = [a b]\nend\n", 2, "expected ',' or ']'"),
            ("object Form1: TForm1\n  S = [a, 1]\nend\n", 2, "expected a name in the set"),
            ("object Form1: TForm1\n  D = {0A0G}\nend\n", 2, "bad hex digit 'G'"),
            ("object Form1: TForm1\n  D = {0A\n  0B\n  zz}\nend\n", 4, "bad hex digit 'z'"),
            ("object Form1: TForm1\n  D = {0A0}\nend\n", 2, "odd number of hex digits"),
            ("object Form1: TForm1\n  D = {0A0B\nend\n", 2, "'{' is not closed by '}'"),
            ("object Form1: TForm1\n  P = 2147483648\nend\n", 2, "number out of range"),
            ("object Form1: TForm1\n  object E: TEdit [2147483648]\n  end\nend\n", 2, "number out of range"),
            ("object Form1: TForm1\n  I = <\n    item [-2147483649]\n    end\n  >\nend\n", 3, "number out of range"),
            ("object Form1: TForm1\n  P = 12ab\nend\n", 2, "bad number '12ab'"),
            ("object Form1: TForm1\n  P = 1.\nend\n", 2, "bad number"),
            ("object Form1: TForm1\n  P = .5\nend\n", 2, "unknown token '.'"),
            ("object Form1: TForm1\n  P = -\nend\n", 2, "unknown token '-'"),
            ("object Form1: TForm1\n  Font. = 1\nend\n", 2, "bad name 'Font.'"),
            (f"object {long_name}: TForm1\nend\n", 1, "component name too long"),
            ("object Form1: " + "T" * 240 + "\nend\n", 1, "class name too long"),
            (f"object Form1: TForm1\n  {long_name} = 1\nend\n", 2, "property name too long"),
            ("object Form1: TForm1\n  Font." + "N" * 251 + " = 1\nend\n", 2, "property name too long"),
            (f"object Form1: TForm1\n  P = {long_name}\nend\n", 2, "identifier too long"),
            (f"object Form1: TForm1\n  P = [a, {long_name}]\nend\n", 2, "set element too long"),
            ("object Form1: TForm1\n  Caption = 'café'\nend\n", 2, "'é' (U+00E9) cannot be written in Shift-JIS"),
            ("object Form1: TForm1\n  Caption = 'a' +\n    '😀'\nend\n", 3, "cannot be written in Shift-JIS"),
            ("object Form1: TForm1\n  Caption = 'a' +\nend\n", 3, "expected a string after '+'"),
            ("object Form1: TForm1\n  Caption = 'a' + 1\nend\n", 2, "expected a string after '+'"),
            ("object Form1: TForm1\n  Caption = 'a' 'b'\nend\n", 2, "found the string 'b'"),
            ("object Form1: TForm1\n  Left =\n  Top = 1\nend\n", 2, "missing value"),
            ("object Form1: TForm1\n  Left = 1 Top = 2\nend\n", 2, "must start a line of its own"),
            ("object Form1: TForm1\n  Left = 1\n  Top\nend\n", 3, "expected '=' after 'Top'"),
            ("object Form1: TForm1\n  = 1\nend\n", 2, "expected a property, 'object', 'inherited' or 'end', found '='"),
            ("object Form1: TForm1\n  object Panel1 TPanel\n  end\nend\n", 2, "expected ':'"),
            ("object Form1: TForm1\n  object Panel1: \n  end\nend\n", 2, "expected the class name"),
            ("object Form1: TForm1\n  object\n  Panel1: TPanel\n  end\nend\n", 2, "expected the component's name"),
            ("object Form1: TForm1\n  object Panel1: TPanel [\n  1]\n  end\nend\n", 2, "expected the component's position"),
            ("object Form1: TForm1\n  I = <\n    item [\n    1]\n    end\n  >\nend\n", 3, "expected the item's index"),
            ("object Form1: TForm1\n  object Panel1: TPanel [x]\n  end\nend\n", 2, "expected the component's position"),
            ("object Form1: TForm1\n  object Panel1: TPanel [1\n  end\nend\n", 2, "expected ']'"),
            ("object Form1: TForm1\n  object P: TPanel\n  end\n  Left = 1\nend\n", 4, "after a child component"),
            ("object Form1: TForm1\n  I = <\n    Caption = 'x'\n  >\nend\n", 3, "expected 'item' or '>'"),
            ("object Form1: TForm1\n  I = <\n    item [a]\n    end\n  >\nend\n", 3, "expected the item's index"),
            ("object Form1: TForm1\n  I = <\n    item\n      object B: TB\n      end\n    end\n  >\nend\n",
             4, "cannot be inside a collection item"),
            ("object Form1: TForm1\n  item\n  end\nend\n", 2, "'item' outside a collection"),
            ("object Form1: TForm1\n  I = <\n    item\n      'x'\n    end\n  >\nend\n", 4,
             "expected a property or 'end' in the item, found the string 'x'"),
            ("object Form1: TForm1\n  P = )\nend\n", 2, "expected a value"),
            ("object Form1: TForm1\nend\nobject Form2: TForm2\nend\n", 3, "text after the form's 'end'"),
            ("object Form1: TForm1\nend\n  Left = 1\n", 3, "text after the form's 'end'"),
            ("object Form1: TForm1\n  Left = 1 end\n", 2, "'end' must start a line of its own"),
            ("# nothing\n\n", 3, "no form"),
            ("Left = 1\n", 1, "expected 'object' or 'inherited'"),
            ("object Form1: TForm1\n  Caption = ?0D\nend\n", 2, "--dump writes ?XX"),
        ]
        for text, line, fragment in cases:
            with self.subTest(text=text):
                self.assertError(text, line, fragment)

    def test_not_utf8(self):
        source = self.write("TBAD.txt", b"object Form1: TForm1\n\n  Caption = '\x95\x5c'\nend\n")
        result = self.run_tool(source, self.path("out.bin"))
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr.decode(), f"{source}:3: not valid UTF-8\n")

    def test_failed_run_keeps_the_old_output(self):
        output = self.path("keep.bin")
        with open(output, "wb") as f:
            f.write(b"old")
        source = self.write("TBAD.txt", "object Form1: TForm1\n  P = 'x\nend\n")
        result = self.run_tool(source, output)
        self.assertEqual(result.returncode, 1)
        with open(output, "rb") as f:
            self.assertEqual(f.read(), b"old")
        self.assertFalse(os.path.exists(output + ".part"))

    def test_usage(self):
        for args in ([], ["only.txt"], ["a", "b", "c"], ["--bogus", "a", "b"], ["--dump"], ["-I"]):
            with self.subTest(args):
                result = self.run_tool(*args)
                self.assertEqual(result.returncode, 2)
                self.assertIn(b"usage:", result.stderr)

    def test_unreadable_input(self):
        result = self.run_tool(self.path("none.txt"), self.path("out.bin"))
        self.assertEqual(result.returncode, 1)
        self.assertIn(b"none.txt", result.stderr)


# ---------------------------------------------------------------- --dump

class Dump(ToolCase):
    RICH = """\
# Everything a layout can hold.
object Form1: TForm1
  Left = 302
  Top = -15
  Width = 40000
  Tag = -2147483648
  BorderStyle = bsDialog
  Caption = 'Quorvel for Word97 -> HelpWorkshop v4.01'
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = []
  BorderIcons = [biSystemMenu, biMinimize]
  Scaled = False
  Visible = TRUE
  PopupMenu = nil
  Ratio = 1.5
  Tiny = 3.6E-4951
  Huge = -1.1E4932
  Third = 0.333333333333333333333333
  Lines.Strings = (
    ''
    'Ver1.1'
    'it''s'
    (1 [a] {00})
  )
  Data = {0A0B0C}
  Long = '%s' +
    '0123456789012345678901234567890123456789012345678901234567890123456789' +
    '表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示' +
    '表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示表示' +
    'xyz'
  Items = <
    item
      Caption = 'one'
    end
    item [3]
      Caption = 'two'
      Sub = <>
    end
  >
  OnShow = FormShow
  object Label1: TLabel
    Caption = '変換元ファイル : '
  end
  inherited Panel1: TPanel
    object Edit2: TEdit [-1]
      Items = ()
    end
  end
  object Edit1: TEdit [2]
  end
end
"""

    def test_round_trip(self):
        data = self.compile(self.RICH)
        text = self.dump(data)
        self.assertEqual(self.compile(text), data)
        # And the dump of the dump is the same text.
        self.assertEqual(self.dump(self.compile(text)), text)

    def test_text_form(self):
        data = stream(record("TForm1", "Form1",
                             prop("Left", h("03 2E 01")) + prop("Caption", string_value("表示".encode("cp932")))
                             + prop("Style", h("0B") + ss("a") + ss("b") + h("00"))
                             + prop("L", h("01 06 00 09 00")) + prop("E", h("0E 01 00 02 05 01") + prop("X", h("08")) + h("00 00"))
                             + prop("D", binary_value(b"\x0a\xff")) + prop("F", h("05 CD CC CC CC CC CC CC CC FB 3F")),
                             record("TEdit", "Edit1", prefix=h("F3 02 07"))))
        self.assertEqual(self.dump(data),
                         "object Form1: TForm1\n"
                         "  Left = 302\n"
                         "  Caption = '表示'\n"
                         "  Style = [a, b]\n"
                         "  L = (\n"
                         "    ''\n"
                         "    True\n"
                         "  )\n"
                         "  E = <\n"
                         "    item\n"
                         "    end\n"
                         "    item [5]\n"
                         "      X = False\n"
                         "    end\n"
                         "  >\n"
                         "  D = {0AFF}\n"
                         "  F = 0.1\n"
                         "  inherited Edit1: TEdit [7]\n"
                         "  end\n"
                         "end\n")

    def test_bitmap_comes_back_as_hex(self):
        bmp = tiny_bmp()
        self.write("B.bmp", bmp)
        data = self.compile("object Form1: TForm1\n  Glyph.Data = bitmap 'B.bmp'\nend\n")
        text = self.dump(data)
        self.assertNotIn("bitmap", text)
        self.assertIn((struct.pack("<I", len(bmp)) + bmp)[:32].hex().upper(), text)
        self.assertEqual(self.compile(text), data)

    def test_any_integer_kind_and_short_long_string(self):
        # Streams from elsewhere may store numbers wider than needed.
        data = form_with(h("04 05 00 00 00"))
        self.assertEqual(self.dump(data), "object Form1: TForm1\n  P = 5\nend\n")
        data = form_with(h("0C 02 00 00 00") + b"ab")
        self.assertEqual(self.dump(data), "object Form1: TForm1\n  P = 'ab'\nend\n")

    def test_what_text_cannot_hold_does_not_compile(self):
        cases = [
            (string_value(b"a\r\nb"), "'a' + ?0D + ?0A + 'b'"),
            (string_value(b"\x95"), "?95"),
            (h("05 00 00 00 00 00 00 00 80 FF 7F"), "?INF"),
            (h("05 00 00 00 00 00 00 00 80 FF FF"), "?-INF"),
            (h("05 00 00 00 00 00 00 00 C0 FF 7F"), "?NAN"),
        ]
        for value, shown in cases:
            with self.subTest(shown):
                text = self.dump(form_with(value))
                self.assertEqual(text, f"object Form1: TForm1\n  P = {shown}\nend\n")
                self.assertError(text, 2, "--dump writes")

    def test_faulty_streams(self):
        cases = [
            (b"TPF1" + record("T", "A"), "offset 0: not a layout stream"),
            (b"TP", "offset 0: the stream ends"),
            (stream(record("T", "A")) + b"\x00", "offset 10: 1 bytes after the end of the form"),
            (stream(record("T", "A"))[:-1], "offset 9: the stream ends"),
            (form_with(h("0F")), "offset 19: unknown value type 15"),
            (form_with(h("00")), "offset 19: an end-of-list mark where a value belongs"),
            (stream(h("F4") + record("T", "A")), "offset 4: component prefix with unknown flags 0x4"),
            (stream(h("F2 06 00") + record("T", "A")), "offset 5: child position: expected an integer"),
            (form_with(h("0E 06 00 01 00 00")), "collection item index: expected an integer"),
            (form_with(h("0A 10 00 00 00 01")), "the stream ends"),
        ]
        for data, fragment in cases:
            with self.subTest(fragment):
                self.assertIn(fragment, self.dump_error(data))


class TypeTable(unittest.TestCase):
    """The tool's value type bytes are the program's own (stream/LayoutValueType.h)."""

    def test_same_bytes_as_the_program(self):
        import importlib.util
        import re
        spec = importlib.util.spec_from_file_location("layoutc", TOOL)
        tool = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(tool)
        with open(os.path.join(SOURCE_DIR, "stream", "LayoutValueType.h"), encoding="utf-8") as header:
            program = dict((name, int(value)) for name, value in re.findall(r"\bk(\w+) = (\d+),", header.read()))
        self.assertEqual(len(program), 15)
        tool_names = {"EndOfList": "END", "Identifier": "IDENT"}
        for name, value in program.items():
            tool_name = tool_names.get(name) or re.sub(r"(?<=[a-z0-9])(?=[A-Z])", "_", name).upper()
            with self.subTest(name):
                self.assertEqual(getattr(tool, tool_name), value)


if __name__ == "__main__":
    unittest.main()
