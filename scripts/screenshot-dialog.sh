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
cmake --build --preset mingw64 --target options_dialog_preview >/dev/null

# A Wine session on an Xvfb screen of its own, so that nothing else appears
# in the picture. Its prefix has Wine's own fonts (package fonts-wine): the
# dialog asks for "MS Sans Serif", which a substitute draws wider.
# A start that fails stops what it started itself.
prefix=$build/wineprefix
display=$(DISPLAY='' scripts/wine-session.sh start "$prefix" win64 1024x768x24)
work=$(mktemp -d)
preview=
cleanup() {
  if [ -n "$preview" ]; then kill "$preview" 2>/dev/null || true; fi
  scripts/wine-session.sh stop "$prefix" win64
  rm -rf "$work"
}
trap cleanup EXIT
[ -e "$prefix/drive_c/windows/Fonts/sserife.fon" ] ||
  echo "warning: Wine's fonts (fonts-wine) are missing: the picture shows a substitute font" >&2

# The preview prints the dialog's place once it is drawn and closes the
# dialog when the done file appears. Its output goes to a file: Wine's helper
# processes may keep a pipe open long after the program has ended.
DISPLAY=$display "$build/wine-run" "$build/tests/dialog/options_dialog_preview.exe" "Z:$work/done" \
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
import -display "$display" -window root -crop "${w}x${h}+${x}+${y}" +repage "$out"
touch "$work/done"
wait "$preview"
preview=
echo "$out: ${w}x${h} pixels"
