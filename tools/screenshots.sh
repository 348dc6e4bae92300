#!/bin/sh
# tools/screenshots.sh — the pictures of the window program in docs/:
#   docs/main-window.png  the main window, frame included
#   docs/about-box.png    the about box, opened with the About button
# Runs Quorvel.exe under Wine on a private Xvfb display, then puts the shared
# Wine session back to headless (build/wine-run.sh --stop).
# Needs Xvfb, xdotool, xwd and ImageMagick's convert, and Wine's own fonts
# (fonts-wine); builds what is missing.
set -e
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${BUILD:-$ROOT/build}
RUN=$BUILD/wine-run.sh
OUT=${OUT:-$ROOT/docs}
DELAY=${SHOT_DELAY:-1}
for tool in Xvfb xdotool xwd convert x86_64-w64-mingw32-g++; do
  command -v $tool >/dev/null || { echo "screenshots.sh: $tool is missing" >&2; exit 1; }
done
[ -x "$RUN" ] || { echo "screenshots.sh: $RUN is missing; configure the build first" >&2; exit 1; }
# Wine draws the caption buttons with its Marlett: without it the close box is a letter "r".
WINE_FONTS=/usr/share/wine/fonts
[ -f "$WINE_FONTS/marlett.ttf" ] || { echo "screenshots.sh: Wine's fonts are missing from $WINE_FONTS (package fonts-wine; tools/setup.sh installs it)" >&2; exit 1; }
cmake --build "$BUILD" --target Quorvel wine-keeper -j2 >/dev/null
mkdir -p "$OUT"

tmp=$(mktemp -d)
XPID= QPID= WORK=
cleanup() {
  [ -n "$QPID" ] && kill "$QPID" 2>/dev/null
  "$RUN" --stop
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  rm -rf "$tmp" ${WORK:+"$WORK"}
}
trap cleanup EXIT INT TERM

# A little Windows helper: presses a button of a window found by its caption,
# the way a click would (BM_CLICK posted to the button).
cat >"$tmp/press.cpp" <<'CPP'
#include <windows.h>
#include <cstdio>
#include <cstring>
struct Find { const char* text; HWND found; };
static BOOL CALLBACK child(HWND w, LPARAM l) {
  Find* f = reinterpret_cast<Find*>(l);
  char text[256] = "";
  GetWindowTextA(w, text, sizeof text);
  if (std::strcmp(text, f->text) == 0) { f->found = w; return FALSE; }
  return TRUE;
}
int main(int argc, char** argv) {
  if (argc != 3) { std::fprintf(stderr, "usage: press CAPTION BUTTON\n"); return 2; }
  HWND top = FindWindowA(nullptr, argv[1]);
  if (!top) { std::fprintf(stderr, "press: no window \"%s\"\n", argv[1]); return 1; }
  Find f{argv[2], nullptr};
  EnumChildWindows(top, child, reinterpret_cast<LPARAM>(&f));
  if (!f.found) { std::fprintf(stderr, "press: no button \"%s\"\n", argv[2]); return 1; }
  PostMessageA(f.found, BM_CLICK, 0, 0);
  return 0;
}
CPP
x86_64-w64-mingw32-g++ -O1 -static -o "$tmp/press.exe" "$tmp/press.cpp"

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display" >/dev/null 2>&1 &
XPID=$!
i=0; while [ ! -s "$tmp/display" ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done
[ -s "$tmp/display" ] || { echo "screenshots.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$(cat "$tmp/display")

# Wine picks its graphics driver when the session starts: restart it with DISPLAY set.
"$RUN" --stop
"$RUN" --start
# This Wine finds its own fonts only in the prefix's font folder, and a prefix
# made before fonts-wine was installed has none: bring in those it lacks.
FONTS=$("$RUN" winepath -u 'C:\windows\Fonts' 2>/dev/null | tr -d '\r')
[ -d "$FONTS" ] || { echo "screenshots.sh: the prefix has no font folder ($FONTS)" >&2; exit 1; }
cp -n "$WINE_FONTS"/* "$FONTS"/

# Start in a folder with a few documents, so the lists show something. The
# folder's path shows in the pictures: a plain name when it is free.
WORK=${TMPDIR:-/tmp}/Quorvel
mkdir "$WORK" 2>/dev/null || WORK=$(mktemp -d "${TMPDIR:-/tmp}/Quorvel.XXXX")
DOCS=$WORK/ヘルプ原稿
mkdir -p "$DOCS/画像" "$DOCS/変換済み"
for f in manual.rtf 操作説明.rtf readme.rtf; do printf '{\\rtf1 }\r\n' >"$DOCS/$f"; done
# The pictures show a first run: no settings saved by earlier runs or tests.
"$RUN" reg delete 'HKCU\Software\Brenwick\Quorvel' /f >/dev/null 2>&1 || true
(cd "$DOCS" && exec "$RUN" "$BUILD/bin/Quorvel.exe") >"$tmp/quorvel.log" 2>&1 &
QPID=$!

shot() {   # shot WINDOW-ID OUT.png
  sleep "$DELAY"   # let it paint
  eval "$(xdotool getwindowgeometry --shell "$1")"
  # No time stamps in the files: a picture changes in git only when what it shows does.
  xwd -root -silent | convert xwd:- -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage \
    -define png:exclude-chunks=date,time "$2"
  echo "$2: ${WIDTH}x${HEIGHT}"
}
biggest() {   # the largest visible X window whose name matches (Wine may add tiny ones)
  i=0
  while [ $i -lt 150 ]; do
    best= area=0
    for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
      eval "$(xdotool getwindowgeometry --shell "$w")"
      [ $((WIDTH * HEIGHT)) -gt $area ] && { area=$((WIDTH * HEIGHT)); best=$w; }
    done
    [ $area -gt 100 ] && { echo "$best"; return; }
    sleep 0.2; i=$((i+1))
  done
}
MAIN_CAPTION='Quorvel for Word97 -> HelpWorkshop v4.01'
MAIN=$(biggest "^Quorvel for Word97")
[ -n "$MAIN" ] || { echo "screenshots.sh: the main window did not appear" >&2; cat "$tmp/quorvel.log" >&2; exit 1; }
shot "$MAIN" "$OUT/main-window.png"

"$RUN" "$tmp/press.exe" "$MAIN_CAPTION" About
ABOUT=$(biggest '^バージョン情報$')
[ -n "$ABOUT" ] || { echo "screenshots.sh: the about box did not appear" >&2; exit 1; }
shot "$ABOUT" "$OUT/about-box.png"

"$RUN" "$tmp/press.exe" 'バージョン情報' OK || true
sleep 0.5
"$RUN" "$tmp/press.exe" "$MAIN_CAPTION" Exit
i=0; while kill -0 "$QPID" 2>/dev/null && [ $i -lt 100 ]; do sleep 0.1; i=$((i+1)); done
kill -0 "$QPID" 2>/dev/null && echo "screenshots.sh: Quorvel.exe did not end on Exit" >&2
QPID=
