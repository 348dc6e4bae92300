#!/bin/sh
# Fill time of the file list box and the directory list box for a folder of
# 10,000 .rtf files and 2,000 subfolders, measured in one run next to two
# baselines: "raw", a loop that makes the same search and adds the same names
# with their item data to a LISTBOX of the control's own window styles
# (owner-drawn, fixed height, with strings; sorted for the file list) with
# redrawing off, which is the goal's yardstick; and "plain", the names alone
# added to a plain sorted list box.
#   bench/filectrl.sh      (BENCH_RUNS=N sets the rounds, default 5)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd -P)
cd "$root"
[ -f build/CMakeCache.txt ] ||
  cmake --no-warn-unused-cli -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build -j2 --target bench_filectrl wine-keeper >/dev/null
data="$root/build/bench-data/filectrl"
if [ ! -f "$data/.complete" ]; then
  rm -rf "$data"; mkdir -p "$data"
  ( cd "$data"
    i=0; while [ $i -lt 10000 ]; do : > "doc$i.rtf"; i=$((i+1)); done
    i=0; while [ $i -lt 2000 ]; do mkdir "folder$i"; i=$((i+1)); done
    touch .complete )
fi
out=$(build/wine-run.sh build/bin/bench_filectrl.exe "Z:$(echo "$data" | tr / '\\')" "${BENCH_RUNS:-5}" 2>/dev/null)
echo "$out" | awk '
  { v[$1] = $2; w[$1] = $3; x[$1] = $4 }
  function row(label, control, raw, plain) {
    printf "%-24s %8.1fms %8.1fms %8.1fms %8.2fx %10.2fx\n", label, control, raw, plain, control / raw, control / plain
  }
  END {
    printf "window styles: file list %s (ex %s), directory list %s (ex %s)\n",
      v["file_styles"], w["file_styles"], v["folder_styles"], w["folder_styles"]
    printf "items: file list %d (raw %d, plain %d), directory list %d (raw %d, plain %d)\n",
      v["files"], w["files"], x["files"], v["folders"], w["folders"], x["folders"]
    printf "%-24s %10s %10s %10s %9s %11s\n", "", "control", "raw", "plain", "/raw", "/plain"
    row("file list (10,000)", v["file_list_ms"], v["raw_files_ms"], v["plain_files_ms"])
    row("directory list (2,000)", v["directory_list_ms"], v["raw_folders_ms"], v["plain_folders_ms"])
  }'
