#!/usr/bin/env bash
# Regenerates the pictures of docs/ from real runs under Wine on a private
# Xvfb screen, with the x86_64 build (the same sources and Setup script as
# the 32-bit product):
#   options-dialog.png       the options dialog (scripts/screenshot-dialog.sh)
#   setup-folder-page.png    Setup's folder page
#   setup-finish-page.png    Setup's finish page
#   save-dialog.png          the save dialog with the proposed name
#   about-box.png            the about box
# Setup installs the wizard into a fresh prefix through its pages; then the
# stand-in host runs it on examples/kits/acoustic.txt, driven by window-tool.
# usage: scripts/screenshots.sh [OUTPUT-FOLDER]   (default docs)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$(realpath -m "${1:-docs}")
build=$root/build/mingw64
mkdir -p "$out"

scripts/screenshot-dialog.sh "$out/options-dialog.png"
cmake --build --preset mingw64 --target setup standin-host window-tool drummap-export >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup=$build/KorvatDrumMapExport-$version-win64-setup.exe

work=$(mktemp -d)
prefix=$work/prefix
host=
cleanup() {
  if [ -n "$host" ]; then kill "$host" 2>/dev/null || true; fi
  scripts/wine-session.sh stop "$prefix" win64 || true
  rm -rf "$work"
}
trap cleanup EXIT
# A session on an Xvfb screen of its own (wine-session.sh checks that it came
# up and stops it again).
echo "a fresh Wine prefix (about 20 s)"
DISPLAY=$(DISPLAY='' scripts/wine-session.sh start "$prefix" win64)
export DISPLAY
# shellcheck source=/dev/null
. scripts/wine-env.sh "$prefix" win64

tool() { "$WINE" "$build/tests/installer/window-tool.exe" "$@"; }
# Cuts the window so titled out of the screen, once Wine has drawn it.
shoot() {  # TITLE FILE
  local x y w h
  read -r x y w h < <(tool wait "$1")
  sleep 0.4
  import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
  echo "$2: ${w}x${h} pixels"
}

setup_title="Korvat DrumMap Export $version Setup"
"$WINE" "$setup" >/dev/null 2>&1 &
installer=$!
tool press "$setup_title" 1  # Next
tool wait-text "$setup_title" 1 "&Install"
shoot "$setup_title" "$out/setup-folder-page.png"
tool press "$setup_title" 1
tool wait-text "$setup_title" 1 "&Finish"
shoot "$setup_title" "$out/setup-finish-page.png"
tool press "$setup_title" 1
wait "$installer"

# Vemba's settings point at a folder of drum maps, one saved before.
maps='C:\Users\Public\Documents\Drum Maps'
unix_maps=$prefix/drive_c/users/Public/Documents/Drum\ Maps
mkdir -p "$unix_maps"
"$WINE" "$build/drummap-export.exe" --format binary --name "Electronic kit" \
  -o "$(winpath "$unix_maps/Electronic kit.drm")" "$(winpath "$root/examples/kits/electronic.txt")" >/dev/null
"$WINE" reg add 'HKLM\Software\Ostrevane\Vemba\Config' /v drumMapPath /t REG_SZ /d "$maps" /f >/dev/null 2>&1
"$WINE" reg add 'HKLM\Software\Ostrevane\Vemba\Config' /v drumMapExMode /t REG_DWORD /d 1 /f >/dev/null 2>&1

options='Korvat(tm) Drum Map Export Options'
save='Save a Korvat drum map file...'
about='About Drum Map Export'
"$WINE" "$build/host/standin-host.exe" "$(winpath "$root/examples/kits/acoustic.txt")" >/dev/null 2>&1 &
host=$!
tool set-text "$options" 1015 "Acoustic kit"  # the drum map's name
tool press "$options" 1                       # SAVE AS...
shoot "$save" "$out/save-dialog.png"
tool press "$save" 2  # Cancel
tool gone "$save"
tool press "$options" 1027  # ?
shoot "$about" "$out/about-box.png"
tool answer "$about" 1
tool press "$options" 3  # CLOSE
wait "$host"
host=
