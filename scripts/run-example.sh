#!/usr/bin/env bash
# The main job on an example kit, as in the drum sampler: builds the wizard
# module and the stand-in host, registers the module with regsvr32 in a
# private Wine prefix (out/wineprefix) and runs the host on a kit; the host
# finds the wizard in the registry, creates it through COM and runs it, which
# shows the wizard's options dialog.
#   With a display (DISPLAY set, not CI): the real dialog, for you to use.
#   Without one: the dialog opens on an Xvfb of this script's own and is
#   driven to save out/KIT.xml; a screenshot of it goes to out/KIT-options.png.
# usage: scripts/run-example.sh [KIT]   (default examples/kits/acoustic.txt)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
kit=${1:-examples/kits/acoustic.txt}
[ -f "$kit" ] || { echo "run-example: no kit file $kit" >&2; exit 2; }
kit=$(realpath "$kit")
name=$(basename "$kit" .txt)

scripts/install-deps.sh

# The product is the i686 module (preset mingw). A kernel without 32-bit
# emulation cannot start it; there the x86_64 build of the same sources runs
# under wine64 instead.
if scripts/can-run-32bit.sh; then
  preset=mingw arch=win32
  echo "Building the i686 wizard module and host (preset mingw, the shipped product)"
else
  preset=mingw64 arch=win64
  echo "This machine cannot start 32-bit programs: building the x86_64 wizard module and host"
  echo "(preset mingw64, the same sources; the shipped product is the i686 build of preset mingw)"
fi
mkdir -p out
build=$root/build/$preset
if ! { cmake --preset $preset && cmake --build --preset $preset --target KorvatDrumMap standin-host demo-driver; } \
  >out/build.log 2>&1; then
  cat out/build.log
  exit 1
fi

interactive=no
if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then interactive=yes; fi

prefix=$root/out/wineprefix
echo "Wine prefix $prefix (created on first use, which takes a minute)"
if [ $interactive = yes ]; then
  scripts/wine-session.sh start "$prefix" $arch >/dev/null
else
  DISPLAY=$(DISPLAY='' scripts/wine-session.sh start "$prefix" $arch)
  [ -n "$DISPLAY" ] || { echo "run-example: could not start Xvfb" >&2; exit 1; }
  export DISPLAY
fi
trap 'scripts/wine-session.sh stop "$prefix" $arch' EXIT
# shellcheck source-path=SCRIPTDIR source=wine-env.sh
. scripts/wine-env.sh "$prefix" $arch
# Wine's tools, without the notes some of them print on standard error.
quiet_wine() { "$WINE" "$@" 2>/dev/null; }

# A window manager decorates the dialog on a real display; without one, Wine
# manages its windows itself, which makes closing a dialog fast.
managed=N
[ $interactive = yes ] && managed=Y
quiet_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d $managed /f >/dev/null

module=$(winpath "$build/server/KorvatDrumMapExport.dll")
quiet_wine regsvr32 /s "$module" || { echo "run-example: regsvr32 $module failed" >&2; exit 1; }
echo "Registered $module"

# On the first run in this prefix the wizard's default directory is out/.
settings='HKLM\Software\Ostrevane\Vemba\Config'
if ! quiet_wine reg query "$settings" >/dev/null; then
  quiet_wine reg add "$settings" /v drumMapPath /t REG_SZ /d "$(winpath "$root/out")" /f >/dev/null
  quiet_wine reg add "$settings" /v drumMapExMode /t REG_DWORD /d 0 /f >/dev/null
fi

host=("$WINE" "$build/host/standin-host.exe" "$(winpath "$kit")")
# Wine's save dialog notes on standard error that drive Z: has no volume
# label; that line is left out.
without_volume_note() { grep -v --line-buffered 'FS volume label' >&2 || true; }

if [ $interactive = yes ]; then
  echo "The wizard's options dialog opens on display $DISPLAY: save a drum map, or press CLOSE."
  marker=$(mktemp)
  "${host[@]}" 2> >(without_volume_note) || { echo "run-example: the host failed" >&2; exit 1; }
  echo "Drum maps saved into out/:"
  find out -maxdepth 1 -type f \( -name '*.drm' -o -name '*.xml' \) -newer "$marker" -printf '  %p (%s bytes)\n'
  rm -f "$marker"
  quiet_wine reg query "$settings" | tr -d '\r' | grep -E 'drumMap' || true
  echo "done in ${SECONDS}s"
  exit 0
fi

drum_map=$root/out/$name.xml
shot=$root/out/$name-options
rm -f "$drum_map" "$shot.bmp" "$shot.png"
echo "No display: the dialog opens on Xvfb $DISPLAY and is driven to save out/$name.xml"
"${host[@]}" 2> >(without_volume_note) &
host_pid=$!
if ! "$WINE" "$build/host/demo-driver.exe" --timeout 120 "$(winpath "$shot.bmp")" "$(winpath "$drum_map")"; then
  kill "$host_pid" 2>/dev/null || true
  echo "run-example: the dialog could not be driven" >&2
  exit 1
fi
wait "$host_pid" || { echo "run-example: the host failed" >&2; exit 1; }

if convert "$shot.bmp" "$shot.png" 2>/dev/null; then
  rm -f "$shot.bmp"
  shot=$shot.png
else
  shot=$shot.bmp
fi
if [ ! -s "$drum_map" ] || [ ! -s "$shot" ]; then
  echo "run-example: the files are missing" >&2
  exit 1
fi

echo
echo "Drum map:   ${drum_map#"$root"/} ($(stat -c %s "$drum_map") bytes, XML drum map)"
if [ -f "tests/golden/$name.xml" ]; then
  if cmp -s "$drum_map" "tests/golden/$name.xml"; then
    echo "            identical to drummap-export's output for this kit (tests/golden/$name.xml)"
  else
    echo "run-example: out/$name.xml differs from tests/golden/$name.xml" >&2
    exit 1
  fi
fi
echo "Screenshot: ${shot#"$root"/} (the options dialog before SAVE AS...)"
echo "done in ${SECONDS}s"
