#!/usr/bin/env bash
# Builds the release archive of the shipped product (preset mingw, i686) with
# CPack and checks it: exactly the module, INSTALL.txt and the two scripts;
# the module a stripped 32-bit DLL that imports only system DLLs and exports
# its entry points; the text files with CR LF line ends; and register.cmd /
# unregister.cmd registering and unregistering the module beside them under
# Wine, from a folder whose name has spaces and parentheses.
# The archive is copied to out/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j2 >/dev/null
rm -f build/mingw/KorvatDrumMapExport-*.zip
(cd build/mingw && cpack >/dev/null)
zip=$(ls build/mingw/KorvatDrumMapExport-*-win32.zip)
mkdir -p out
cp "$zip" out/

fail() {
  echo "package: $*" >&2
  exit 1
}

work=$(mktemp -d)
session=()
cleanup() {
  if [ ${#session[@]} -ne 0 ]; then scripts/wine-session.sh stop "${session[@]}" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

top=$(basename "$zip" .zip)
expected=$(printf '%s\n' INSTALL.txt KorvatDrumMapExport.dll register.cmd unregister.cmd)
listed=$(unzip -Z1 "$zip" | sed "s|^$top/||" | grep -v '^$' | sort)
[ "$listed" = "$expected" ] || fail "$zip holds: $listed"
unzip -q "$zip" -d "$work"
files=$work/$top

dll=$files/KorvatDrumMapExport.dll
objdump=i686-w64-mingw32-objdump
$objdump -f "$dll" | grep -q 'file format pei-i386' || fail "the module is not a 32-bit DLL"
if $objdump -h "$dll" | grep -q '\.debug'; then fail "the module is not stripped"; fi
scripts/check-pe.sh $objdump "$dll" DllMain DllGetClassObject DllCanUnloadNow DllRegisterServer \
  DllUnregisterServer >/dev/null || fail "the module's imports or exports are wrong"
for text in INSTALL.txt register.cmd unregister.cmd; do
  if [ "$(grep -c $'\r$' "$files/$text")" -ne "$(wc -l <"$files/$text")" ]; then
    fail "$text does not end every line in CR LF"
  fi
done
grep -qF 'regsvr32 "%~dp0KorvatDrumMapExport.dll"' "$files/register.cmd" || fail "register.cmd"
grep -qF 'regsvr32 /u "%~dp0KorvatDrumMapExport.dll"' "$files/unregister.cmd" || fail "unregister.cmd"

# The scripts under Wine's cmd and regsvr32. A kernel without 32-bit
# emulation cannot load the packaged module: there the x86_64 build of the
# same sources stands in for it beside the packaged scripts.
if scripts/can-run-32bit.sh; then
  arch=win32 module=$dll
else
  arch=win64
  cmake --preset mingw64 >/dev/null
  cmake --build --preset mingw64 -j2 --target KorvatDrumMap >/dev/null
  module=$root/build/mingw64/server/KorvatDrumMapExport.dll
  echo "running the scripts with the x86_64 module (this machine cannot start 32-bit programs)"
fi
folder="$work/Drum Wizards (x86)"
mkdir "$folder"
cp "$files/register.cmd" "$files/unregister.cmd" "$folder/"
cp "$module" "$folder/"
# The example run's prefix (same kind on the same machine): the check
# unregisters what it registered, and run-example.sh registers its module
# again on every run.
prefix=$root/out/wineprefix
display=$(DISPLAY='' scripts/wine-session.sh start "$prefix" $arch)
session=("$prefix" "$arch")
# shellcheck source-path=SCRIPTDIR source=wine-env.sh
. scripts/wine-env.sh "$prefix" $arch
export DISPLAY=$display
server_key='HKCR\CLSID\{D169D29F-53D1-4873-BD56-9082F52434D0}\InprocServer32'
registered() {
  local entries
  entries=$("$WINE" reg query "$server_key" 2>/dev/null) && tr -d '\r' <<<"$entries"
}
windows_folder="Z:${folder//\//\\}"
(cd "$folder" && "$WINE" cmd /c register.cmd >/dev/null 2>&1) || fail "register.cmd failed"
registered | grep -qF "REG_SZ    $windows_folder\\KorvatDrumMapExport.dll" ||
  fail "register.cmd did not register the module beside it: $(registered)"
(cd "$folder" && "$WINE" cmd /c unregister.cmd >/dev/null 2>&1) || fail "unregister.cmd failed"
if registered >/dev/null; then fail "unregister.cmd left the registration"; fi

echo "$zip ($(stat -c %s "$zip") bytes), copied to out/:"
unzip -l "$zip" | sed -n '4,$p' | grep -v -- '^---'
