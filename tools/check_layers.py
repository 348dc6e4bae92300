#!/usr/bin/env python3
"""Checks that no source includes a header of a layer above its own.

    check_layers.py SOURCE_DIR LAYER...

The layers are given bottom to top, one argument each; siblings of one level
are joined by commas ("FileCtrl,Buttons,Registry"). A source of a layer may
include headers of its own folder and of the levels below, not of a sibling
nor of a level above. Exit status 1 and one line per offending include when
there is one.
"""

import os
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s+"([^/"]+)/[^"]+"', re.MULTILINE)


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    source_dir, levels = argv[1], argv[2:]
    level_of = {}
    for level, names in enumerate(levels):
        for name in names.split(","):
            level_of[name] = level

    faults = []
    for folder, level in sorted(level_of.items(), key=lambda item: (item[1], item[0])):
        path = os.path.join(source_dir, folder)
        if not os.path.isdir(path):
            faults.append(f"{folder}: no such folder")
            continue
        for file_name in sorted(os.listdir(path)):
            if not file_name.endswith((".cpp", ".h")):
                continue
            with open(os.path.join(path, file_name), encoding="utf-8") as source:
                text = source.read()
            for match in INCLUDE.finditer(text):
                included = match.group(1)
                if included == folder or included not in level_of:
                    continue
                if level_of[included] >= level:
                    line = text.count("\n", 0, match.start()) + 1
                    kind = "a sibling" if level_of[included] == level else "a higher layer"
                    faults.append(f"{folder}/{file_name}:{line}: includes {included}/, {kind}")
    for fault in faults:
        print(fault)
    if not faults:
        print(f"{len(level_of)} layers, no include of a higher layer")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
