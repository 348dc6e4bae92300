#!/bin/sh
# Builds the programs and converts the sample document with quorvel-convert
# under Wine, showing what changed.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --no-warn-unused-cli -S . -B build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target quorvel-convert Quorvel wine-keeper >/dev/null
out=build/sample-output
rm -rf "$out"; mkdir -p "$out"
echo "Converting samples/manual.rtf into $out/ :"
build/wine-run.sh build/bin/quorvel-convert.exe --overwrite "samples/manual.rtf" "$out" 2>&1 | iconv -f CP932 -t UTF-8
echo
echo "Panose groups in the source and in the copy:"
printf '  samples/manual.rtf      %s\n' "$(grep -o '{\\\*\\panose' samples/manual.rtf | wc -l)"
printf '  %s  %s\n' "$out/manual.rtf" "$(grep -o '{\\\*\\panose' "$out/manual.rtf" | wc -l)"
echo "Font table of the copy:"
grep -o '{\\f[0-9]*\\f[a-z]*[^;]*;}' "$out/manual.rtf" | head -n 5 | sed 's/^/  /'

echo
if [ -n "${DISPLAY:-}" ]; then
  echo "Starting Quorvel.exe (close it with Exit) ..."
  build/wine-run.sh --stop   # the session picks up this DISPLAY when it starts again
  build/wine-run.sh build/bin/Quorvel.exe
else
  # No display on this machine: show the windows as pictures instead.
  echo "No X display: taking screenshots of Quorvel.exe under Xvfb (tools/screenshots.sh) ..."
  tools/screenshots.sh
  echo "See docs/main-window.png and docs/about-box.png."
fi
