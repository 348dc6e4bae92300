#!/bin/sh
# Start-up time of the window program, from process creation to a main window
# that is visible, painted and answering messages, next to a minimal window
# program of the same size and controls started the same way (and the same
# window without controls); median of the starts, with the working set of
# each at that moment.
#   bench/startup.sh      (BENCH_RUNS=N sets the starts of each, default 7)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd -P)
cd "$root"
runs=${BENCH_RUNS:-7}
[ "$runs" -ge 5 ] || { echo "startup.sh: BENCH_RUNS must be 5 or more" >&2; exit 2; }
[ -f build/CMakeCache.txt ] ||
  cmake --no-warn-unused-cli -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build -j2 --target Quorvel bench_startup startup_minimal wine-keeper >/dev/null

# Wine's own start is not part of either program's: the session runs first.
build/wine-run.sh --start

# The folder both programs start in: a user's folder of documents on C: (in
# the Wine prefix), with the source document and the destination folder of
# the saved settings. Not on Z:, Wine's view of the Linux root, whose volume
# label Wine looks for on the block device, a cost no Windows drive has.
prefix=${WINEPREFIX:-$root/build/wine/prefix}
data="$prefix/drive_c/users/Public/Documents/quorvel-startup"
if [ ! -f "$data/.complete" ]; then
  rm -rf "$data"; mkdir -p "$data"
  ( cd "$data"
    mkdir docs out images drafts old
    for name in manual guide install faq release-notes glossary; do printf '{\\rtf1 }\r\n' > "$name.rtf"; done
    printf 'notes\r\n' > readme.txt
    i=0; while [ $i -lt 20 ]; do printf '{\\rtf1 }\r\n' > "docs/chapter$i.rtf"; i=$((i+1)); done
    printf '{\\rtf1 }\r\n' > docs/manual.rtf
    touch .complete )
fi

winpath() { printf 'Z:%s\n' "$1" | tr / '\\'; }
out=$(build/wine-run.sh build/bin/bench_startup.exe 'C:\users\Public\Documents\quorvel-startup' "$runs" \
  "$(winpath "$root/build/bin/Quorvel.exe")" "$(winpath "$root/build/bin/startup_minimal.exe")") ||
  { echo "startup.sh: bench_startup failed (see above)" >&2; exit 1; }
out=$(printf '%s\n' "$out" | tr -d '\r')   # a Windows program's lines end in CR LF
echo "$out" | awk '
  $1 ~ /_ms$/ { starts[$1] = starts[$1] sprintf(" %.0f", $2) }
  { v[$1] = $2 }
  function row(name, label) {
    printf "%-13s %9.1f ms %8.2fx %11.1f MiB %8.2fx   %s\n", label, v[name "_median_ms"],
      v[name "_median_ms"] / v["minimal_median_ms"], v[name "_working_set_kb"] / 1024,
      v[name "_working_set_kb"] / v["minimal_working_set_kb"], starts[name "_ms"]
  }
  END {
    printf "median of %d starts each; ratios to the minimal program\n", v["runs"]
    printf "%-13s %12s %9s %15s %9s   %s\n", "", "start-up", "ratio", "working set", "ratio", "each start (ms)"
    row("quorvel", "Quorvel.exe")
    row("minimal", "minimal")
    row("bare", "bare window")
  }'
