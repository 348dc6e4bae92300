#!/bin/sh
# Fails when a tracked C++ source differs from the layout that .clang-format
# describes, and names the lines. Run from anywhere: the source root is the
# folder above this script's. Takes the clang-format of Debian 12 (version 14)
# where it is installed, since other versions lay out some lines differently.
set -u
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root" || exit 1
format=$(command -v clang-format-14 || command -v clang-format) || { echo "clang-format is not installed"; exit 1; }
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  files=$(git ls-files '*.cpp' '*.h' '*.c')
else
  files=$(find . -path ./build -prune -o -path './build-*' -prune -o \( -name '*.cpp' -o -name '*.h' -o -name '*.c' \) -print)
fi
# shellcheck disable=SC2086
"$format" --dry-run -Werror $files
