#!/usr/bin/env python3
"""Writes a UTF-8 text file the way Windows programs read text.

    windows_text.py ENCODING SOURCE DESTINATION

DESTINATION gets the text of SOURCE in ENCODING (a Python codec name: cp932
for Shift-JIS, ascii) with CR LF line ends and no byte order mark. Exit
status 1, and no DESTINATION, when a character has no place in ENCODING.
"""

import sys


def main(argv):
    if len(argv) != 4:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    encoding, source, destination = argv[1:]
    with open(source, encoding="utf-8") as text_file:
        text = text_file.read()
    try:
        data = text.replace("\r\n", "\n").replace("\n", "\r\n").encode(encoding)
    except UnicodeEncodeError as error:
        line = text.count("\n", 0, error.start) + 1
        print(f"{source}:{line}: {text[error.start]!r} cannot be written in {encoding}", file=sys.stderr)
        return 1
    with open(destination, "wb") as out:
        out.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
