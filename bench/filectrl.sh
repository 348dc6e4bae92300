#!/bin/sh
# Fill time of the file list box and the directory list box for a folder of
# 10,000 .rtf files and 2,000 subfolders, next to a bare loop that adds the
# same names to a plain sorted list box (the limit), measured in one run.
#   bench/filectrl.sh      (BENCH_RUNS=N sets the runs, default 3)
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
out=$(build/wine-run.sh build/bin/bench_filectrl.exe "Z:$(echo "$data" | tr / '\\')" "${BENCH_RUNS:-3}")
echo "$out" | awk '
  { v[$1] = $2; w[$1] = $3 }
  END {
    printf "items: file list %d (bare %d), directory list %d (bare %d)\n", v["files"], w["files"], v["folders"], w["folders"]
    printf "%-22s %10s %10s %8s\n", "", "control", "bare", "ratio"
    printf "%-22s %8.1fms %8.1fms %8.2f\n", "file list (10,000)", v["file_list_ms"], v["bare_files_ms"], v["file_list_ms"] / v["bare_files_ms"]
    printf "%-22s %8.1fms %8.1fms %8.2f\n", "directory list (2,000)", v["directory_list_ms"], v["bare_folders_ms"], v["directory_list_ms"] / v["bare_folders_ms"]
  }'
