#!/usr/bin/env bash
# Regenerates docs/options-dialog.png: the options dialog as Wine draws it,
# cut out of a private Xvfb screen. Builds the x86_64 preview program first.
# usage: scripts/screenshot-dialog.sh [OUTPUT.png]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(realpath -m "${1:-docs/options-dialog.png}")
build=$root/build/mingw64

[ -f "$build/build.ninja" ] || cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 -j2 --target options_dialog_preview >/dev/null

# The dialog asks for "MS Sans Serif". Wine's own fonts (package fonts-wine)
# have a font of that name and metrics, but Wine looks for it in the
# prefix's Fonts folder, so it is copied there, as Windows would have it.
# Without it Wine draws the dialog with a wider substitute.
prefix=$build/wineprefix
scripts/wine-session.sh prefix "$prefix" win64
fonts=$prefix/drive_c/windows/Fonts
if [ ! -e "$fonts/sserife.fon" ] && [ -d /usr/share/wine/fonts ]; then
  cp /usr/share/wine/fonts/* "$fonts/"
fi
[ -e "$fonts/sserife.fon" ] ||
  echo "warning: Wine's fonts (fonts-wine) are missing: the picture shows a substitute font" >&2

# Our own X screen, so that nothing else appears in the picture.
for n in $(seq 150 199); do
  [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] && break
done
work=$(mktemp -d)
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
cleanup() {
  kill "$xvfb" 2>/dev/null || true
  [ -n "${preview:-}" ] && kill "$preview" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done

# The preview prints the dialog's place once it is drawn and closes the
# dialog when the done file appears. Its output goes to a file: Wine's helper
# processes may keep a pipe open long after the program has ended.
DISPLAY=":$n" "$build/wine-run" "$build/tests/dialog/options_dialog_preview.exe" "Z:$work/done" \
  >"$work/place" 2>"$work/log" &
preview=$!
for _ in $(seq 1200); do
  [ -s "$work/place" ] && break
  kill -0 "$preview" 2>/dev/null || { cat "$work/log" >&2; echo "the preview ended early" >&2; exit 1; }
  sleep 0.05
done
read -r x y w h <"$work/place" || { echo "the dialog did not appear" >&2; exit 1; }
sleep 0.3  # let the X server finish drawing what Wine sent

mkdir -p "$(dirname "$out")"
import -display ":$n" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
touch "$work/done"
wait "$preview"
preview=
echo "$out: ${w}x${h} pixels"
