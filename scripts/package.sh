#!/usr/bin/env bash
# Builds the release archive of the shipped product (preset mingw, i686) with
# CPack and checks it: exactly the module, INSTALL.txt and the two scripts;
# the module a stripped 32-bit DLL that imports only system DLLs and exports
# its entry points; the text files with CR LF line ends; and register.cmd /
# unregister.cmd registering and unregistering the module beside them under
# Wine, from a folder whose name has spaces and parentheses.
# Then the Setup program (target setup): a 32-bit NSIS program around the
# module of the archive, which installs, registers and uninstalls it under
# Wine (where 32-bit programs cannot start, its x86_64 twin from the same
# script does). Both files are copied to out/.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh

# Runs a build step without its chatter; when it fails, shows what it said.
quietly() {
  local log
  log=$(mktemp)
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "package: '$*' failed" >&2
    exit 1
  fi
  rm -f "$log"
}
quietly cmake --preset mingw
quietly cmake --build --preset mingw
rm -f build/mingw/KorvatDrumMapExport-*.zip
(cd build/mingw && quietly cpack)
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
  quietly cmake --preset mingw64
  quietly cmake --build --preset mingw64 --target KorvatDrumMap
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


# The Setup program: built with the module of the archive (stripped alike).
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/mingw/CMakeCache.txt)
setup=build/mingw/KorvatDrumMapExport-$version-setup.exe
[ -f "$setup" ] || fail "no $setup"
cp "$setup" out/
$objdump -f "$setup" | grep -q 'file format pei-i386' || fail "$setup is not a 32-bit program"
grep -qa 'NullsoftInst' "$setup" || fail "$setup is not an NSIS installer"
# Each strip stamps the module's header with its time and a checksum: only
# those may differ.
same_module() {
  local header
  header=$(od -An -tu4 -j60 -N4 "$1" | tr -d ' ')
  [ "$(stat -c %s "$1")" = "$(stat -c %s "$2")" ] &&
    ! cmp -l "$1" "$2" | awk -v h="$header" '
      !(($1 > h + 8 && $1 <= h + 12) || ($1 > h + 88 && $1 <= h + 92)) { found = 1 }
      END { exit !found }'
}
same_module build/mingw/package/KorvatDrumMapExport.dll "$dll" || fail "Setup's module is not the archive's"
if [ $arch = win32 ]; then
  installer=$setup installed_module=build/mingw/package/KorvatDrumMapExport.dll
else
  quietly cmake --build --preset mingw64 --target setup
  installer=build/mingw64/KorvatDrumMapExport-$version-win64-setup.exe
  installed_module=build/mingw64/package/KorvatDrumMapExport.dll
  echo "running the x86_64 twin of Setup (this machine cannot start 32-bit programs)"
fi
folder='C:\Program Files\Korvat DrumMap Export'
unix_folder=$("$WINE" winepath -u "$folder" 2>/dev/null)
entry='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvatDrumMapExport'
"$WINE" "$installer" /S >/dev/null 2>&1 || fail "$installer /S failed"
cmp -s "$unix_folder/KorvatDrumMapExport.dll" "$installed_module" || fail "Setup did not install the module"
registered | grep -qF "REG_SZ    $folder\KorvatDrumMapExport.dll" || fail "Setup did not register the module: $(registered)"
"$WINE" reg query "$entry" 2>/dev/null | tr -d '\r' | grep -qE "DisplayVersion +REG_SZ +$version$" ||
  fail "no uninstall entry of version $version"
[ -f "$unix_folder/Korvat DrumMap Export ReadMe.txt" ] || fail "Setup did not install its read-me"
# Started this way (without _?=), the uninstaller runs on from a copy of
# itself in the temporary folder.
"$WINE" "$folder\Uninstall Korvat DrumMap Export.exe" /S >/dev/null 2>&1 || fail "the uninstaller failed"
for _ in $(seq 200); do
  if ! "$WINE" reg query "$entry" >/dev/null 2>&1 && [ ! -e "$unix_folder" ]; then break; fi
  sleep 0.1
done
if "$WINE" reg query "$entry" >/dev/null 2>&1; then fail "the uninstaller left the uninstall entry"; fi
if registered >/dev/null; then fail "the uninstaller left the registration"; fi
[ ! -e "$unix_folder" ] || fail "the uninstaller left $unix_folder"

echo "$zip ($(stat -c %s "$zip") bytes), copied to out/:"
unzip -l "$zip" | sed -n '4,$p' | grep -v -- '^---'
echo "$setup ($(stat -c %s "$setup") bytes), copied to out/"
