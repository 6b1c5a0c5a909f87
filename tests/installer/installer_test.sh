#!/usr/bin/env bash
# The Setup program under Wine, one case a run, each in a fresh prefix: a
# copy of a prefix that `template` makes once with scripts/wine-session.sh
# and that no case runs in. The cases use Wine's own tools (reg), the
# stand-in host and its driver, and window-tool for Setup's pages and
# message boxes.
# usage: installer_test.sh CONFIG CASE
#   CONFIG: written by tests/installer/CMakeLists.txt (paths, versions)
#   CASE:   template | install | folders | upgrade | in_use | in_use_retry |
#           failed_registration | long_path | deleted_module
# The variables in lower case that are not set here come from CONFIG.
# shellcheck disable=SC2154
set -euo pipefail
config=$1
case=$2
# shellcheck source=/dev/null
. "$config"
for name in source_dir work arch version newer_version setup newer_setup failing_setup shipped_module \
  newer_module standin_host demo_driver drummap_export window_tool; do
  [ -n "${!name:-}" ] || { echo "FAIL: $config does not set $name"; exit 1; }
done
scripts=$source_dir/scripts
template=$work/template-prefix

fail() {
  echo "FAIL ($case): $*"
  exit 1
}

if [ "$case" = template ]; then
  # Made once and only copied: a case never runs in it.
  "$scripts/wine-session.sh" prefix "$template" "$arch"
  exit 0
fi
[ -f "$template/system.reg" ] || fail "no template prefix: run the case 'template' first"

dir=$work/$case
prefix=$dir/prefix
rm -rf "$dir"
mkdir -p "$dir"
# A fresh prefix: the template copied, except that the folders of Wine's own
# DLLs, which nothing writes, are hard links (a whole copy is 1.3 GB).
shared=(./drive_c/windows/system32 ./drive_c/windows/syswow64 ./drive_c/windows/winsxs)
mkdir "$prefix"
tar -C "$template" "${shared[@]/#/--exclude=}" -cf - . | tar -C "$prefix" -xf -
for folder in "${shared[@]}"; do
  if [ -d "$template/$folder" ]; then cp -al "$template/$folder" "$prefix/$folder"; fi
done

display=$(DISPLAY=${DISPLAY:-} "$scripts/wine-session.sh" start "$prefix" "$arch")
if [ -n "$display" ]; then export DISPLAY=$display; fi
background=()
finish() {
  local status=$?
  for pid in "${background[@]}"; do kill "$pid" 2>/dev/null || true; done
  "$scripts/wine-session.sh" stop "$prefix" "$arch" || true
  # Kept for a look when the case failed.
  if [ $status -eq 0 ]; then rm -rf "$dir"; fi
}
trap finish EXIT
# shellcheck source=/dev/null
. "$scripts/wine-env.sh" "$prefix" "$arch"

# --- helpers ---------------------------------------------------------------

clsid='{D169D29F-53D1-4873-BD56-9082F52434D0}'
class_key="HKCR\\CLSID\\$clsid"
wizard_key="HKLM\\Software\\Ostrevane\\VbWizards\\$clsid"
uninstall_root='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
entry_key="$uninstall_root\\KorvatDrumMapExport"
settings_key='HKLM\Software\Ostrevane\Vemba\Config'
default_folder='C:\Program Files\Korvat DrumMap Export'
options_title='Korvat(tm) Drum Map Export Options'
files=$'KorvatDrumMapExport.dll\nReadMe.txt\nUninstall.exe'
kit=$source_dir/examples/kits/acoustic.txt

winpath() { echo "Z:${1//\//\\}"; }
# A path on drive C: as the Unix side sees it.
unixpath() {
  local rest=${1#[Cc]:}
  echo "$prefix/drive_c${rest//\\//}"
}
tool() { "$WINE" "$window_tool" "$@"; }

# Prints the key's values and subkeys; fails when it is missing.
query() { "$WINE" reg query "$@" 2>/dev/null | tr -d '\r'; }
# Prints one value's data (NAME, or "" for the default value).
value() {
  local name=${2:-(Default)}
  query "$1" | sed -n "s/^    $name    REG_[A-Z_]*    //p"
}
set_value() { "$WINE" reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1; }
expect_value() {  # KEY NAME EXPECTED
  local got
  got=$(value "$1" "$2") || fail "no key $1"
  [ "$got" = "$3" ] || fail "$1 $2: \"$got\", expected \"$3\""
}
expect_no_key() { if query "$1" >/dev/null; then fail "$1 is still there: $(query "$1" /s)"; fi; }

# How many uninstall entries name the wizard.
entries() { query "$uninstall_root" /s | grep -c 'DisplayName    REG_SZ    Korvat DrumMap Export$' || true; }

# Runs a program with exactly this command line (Setup's /D= must come last,
# unquoted even with spaces, which Wine's own quoting of arguments would
# break); prints nothing and returns its exit status.
run() {
  local status=0
  tool run "$1" >/dev/null 2>&1 || status=$?
  return $status
}
# The command line of a Setup program with these arguments.
setup_command() { echo "\"$(winpath "$1")\" ${*:2}"; }
# Milliseconds since the epoch, for the times the cases report.
now() { date +%s%3N; }

install_quietly() {  # SETUP [/D=FOLDER]
  local start status=0
  start=$(now)
  run "$(setup_command "$1" /S "${@:2}")" || status=$?
  echo "install $(basename "$1") ${*:2}: exit $status, $(($(now) - start)) ms"
  return $status
}

# The uninstaller copies itself into the temporary folder and runs from
# there (so that it can delete itself); the program started ends at once.
uninstaller_running() {
  local pid
  for pid in $(pgrep -f '~nsu[^\\]*\.tmp\\Un\.exe' || true); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then return 0; fi
  done
  return 1
}
# Runs the entry's QuietUninstallString, as Windows' tools do, and waits until
# the uninstaller has ended.
uninstall_quietly() {
  local command start status=0
  command=$(value "$entry_key" QuietUninstallString) || fail "no uninstall entry"
  start=$(now)
  run "$command" || status=$?
  [ $status -eq 0 ] || fail "$command: exit $status"
  for _ in $(seq 20); do uninstaller_running && break; sleep 0.05; done
  for _ in $(seq 600); do uninstaller_running || break; sleep 0.05; done
  if uninstaller_running; then fail "the uninstaller did not end"; fi
  echo "uninstall: $(($(now) - start)) ms"
}

# The installed files (with their contents) and the keys, for "nothing
# changed". FOLDER... are Windows paths.
snapshot() {
  local folder
  for folder in "$@"; do
    echo "== $folder"
    if [ -d "$(unixpath "$folder")" ]; then
      (cd "$(unixpath "$folder")" && find . -type f -exec sha256sum {} + | sort -k 2)
    fi
  done
  for key in "$class_key" "$wizard_key" "$entry_key"; do
    echo "== $key"
    query "$key" /s || echo "(missing)"
  done
}

# Files, keys and entry of a complete installation in FOLDER of VERSION with
# MODULE.
expect_installed() {  # FOLDER VERSION MODULE
  local folder=$1 version=$2 module=$3 unix listed size
  unix=$(unixpath "$folder")
  listed=$(cd "$unix" 2>/dev/null && ls) || fail "no folder $folder"
  [ "$listed" = "$files" ] || fail "$folder holds: $listed"
  cmp -s "$unix/KorvatDrumMapExport.dll" "$module" || fail "the installed module is not $module"
  grep -q $'^Version '"$version"$'\r$' "$unix/ReadMe.txt" || fail "ReadMe.txt does not name version $version"
  if [ "$(grep -c $'\r$' "$unix/ReadMe.txt")" -ne "$(wc -l <"$unix/ReadMe.txt")" ]; then
    fail "ReadMe.txt does not end every line in CR LF"
  fi

  expect_value "$class_key" "" "VB Wizard"
  expect_value "$class_key\\InprocServer32" "" "$folder\\KorvatDrumMapExport.dll"
  expect_value "$class_key\\InprocServer32" ThreadingModel Both
  query "$wizard_key" >/dev/null || fail "no key $wizard_key"

  [ "$(entries)" -eq 1 ] || fail "$(entries) uninstall entries name the wizard"
  size=$(stat -c %s "$unix/KorvatDrumMapExport.dll" "$unix/ReadMe.txt" "$unix/Uninstall.exe" |
    awk '{ sum += $1 } END { printf "0x%x", int((sum + 1023) / 1024) }')
  expect_value "$entry_key" DisplayName "Korvat DrumMap Export"
  expect_value "$entry_key" DisplayVersion "$version"
  expect_value "$entry_key" UninstallString "\"$folder\\Uninstall.exe\""
  expect_value "$entry_key" QuietUninstallString "\"$folder\\Uninstall.exe\" /S"
  expect_value "$entry_key" InstallLocation "$folder"
  expect_value "$entry_key" EstimatedSize "$size"
  expect_value "$entry_key" NoModify 0x1
  expect_value "$entry_key" NoRepair 0x1
}

# Nothing of the wizard is left, and Vemba's settings are as they were.
expect_uninstalled() {  # FOLDER
  if [ -e "$(unixpath "$1")" ]; then fail "$1 is still there: $(ls -A "$(unixpath "$1")")"; fi
  expect_no_key "$class_key"
  expect_no_key "$wizard_key"
  expect_no_key "$entry_key"
  [ "$(entries)" -eq 0 ] || fail "an uninstall entry still names the wizard"
  expect_settings
}

# Vemba's settings, as a machine with Vemba has them.
settings_path='C:\Drum Maps'
seed_settings() {
  set_value "$settings_key" drumMapPath REG_SZ "$settings_path"
  set_value "$settings_key" drumMapExMode REG_DWORD 0
}
expect_settings() {
  expect_value "$settings_key" drumMapPath "$settings_path"
  expect_value "$settings_key" drumMapExMode 0x0
}

# The stand-in host with the wizard's options dialog open (so that the module
# is loaded), in the background.
start_host() {
  "$WINE" "$standin_host" "$(winpath "$kit")" >"$dir/host.out" 2>&1 &
  host=$!
  background+=("$host")
  tool wait "$options_title" >/dev/null || fail "the wizard's options dialog did not open: $(cat "$dir/host.out")"
}
# Drives the open dialog to save the kit's XML drum map, and checks that the
# file holds exactly what drummap-export writes for the kit.
export_with_host() {
  local saved=$dir/saved.xml expected=$dir/expected.xml
  rm -f "$saved" "$expected"
  "$WINE" "$demo_driver" "$(winpath "$dir/dialog.bmp")" "$(winpath "$saved")" ||
    fail "the wizard's dialog could not be driven"
  wait "$host" || fail "the host failed: $(cat "$dir/host.out")"
  "$WINE" "$drummap_export" -o "$(winpath "$expected")" "$(winpath "$kit")" >/dev/null ||
    fail "drummap-export failed"
  cmp -s "$saved" "$expected" || fail "the wizard's drum map differs from drummap-export's"
  cmp -s "$saved" "$source_dir/tests/golden/acoustic.xml" || fail "the drum map differs from tests/golden/acoustic.xml"
}

# Setup's window, for interactive runs.
setup_title() { echo "Korvat DrumMap Export $1 Setup"; }
# Starts Setup with its pages and goes through them up to "Install".
start_interactive() {  # TITLE SETUP [ARGS]
  local title=$1
  shift
  tool run "$(setup_command "$@")" >/dev/null 2>&1 &
  setup=$!
  background+=("$setup")
  tool press "$title" 1 || fail "no welcome page"  # Next
  tool wait-text "$title" 1 "&Install" || fail "no folder page"
  tool press "$title" 1 || fail "cannot press Install"
}
# Waits for the interactive Setup started last; its exit status in $status.
wait_for_setup() {
  status=0
  wait "$setup" || status=$?
}

# --- cases -----------------------------------------------------------------

case $case in
  install)
    # Silent installation into the default folder, the host finds the wizard
    # and exports with it, silent uninstallation leaves Vemba's settings.
    seed_settings
    install_quietly "$setup" || fail "Setup failed"
    expect_installed "$default_folder" "$version" "$shipped_module"
    expect_settings
    listed=$("$WINE" "$standin_host" --list "$(winpath "$kit")" 2>/dev/null | tr -d '\r') ||
      fail "the host lists no wizard: $listed"
    [ "$listed" = "$clsid: Korvat DrumMap Export" ] || fail "the host lists: $listed"
    start_host
    export_with_host
    expect_settings
    uninstall_quietly
    expect_uninstalled "$default_folder"
    query 'HKLM\Software\Ostrevane\VbWizards' >/dev/null || fail "Vemba's list of wizards was removed"
    ;;

  folders)
    # /D= chooses the folder; a later Setup upgrades the copy where it is,
    # unless told another folder, and then moves it there.
    first='C:\Audio Tools (x86)\Drum Wizard'
    second='C:\Wizards\Korvat'
    install_quietly "$setup" "/D=$first" || fail "Setup /D=$first failed"
    expect_installed "$first" "$version" "$shipped_module"
    install_quietly "$newer_setup" || fail "the newer Setup failed"
    expect_installed "$first" "$newer_version" "$newer_module"
    [ ! -e "$(unixpath "$default_folder")" ] || fail "the upgrade went to the default folder"
    echo "notes" >"$(unixpath "$first")/My notes.txt"
    install_quietly "$setup" "/D=$second" || fail "Setup /D=$second failed"
    expect_installed "$second" "$version" "$shipped_module"
    listed=$(cd "$(unixpath "$first")" && ls)
    [ "$listed" = "My notes.txt" ] || fail "the previous folder holds: $listed"
    rm "$(unixpath "$first")/My notes.txt"
    uninstall_quietly
    expect_no_key "$entry_key"
    [ ! -e "$(unixpath "$second")" ] || fail "$second is still there"
    ;;

  upgrade)
    # The same or a newer Setup over an installed copy: the module replaced,
    # one entry; the same Setup again repairs a copy.
    install_quietly "$setup" || fail "Setup failed"
    install_quietly "$newer_setup" || fail "the newer Setup failed"
    expect_installed "$default_folder" "$newer_version" "$newer_module"
    rm "$(unixpath "$default_folder")/ReadMe.txt"
    "$WINE" reg delete "$wizard_key" /f >/dev/null 2>&1
    install_quietly "$newer_setup" || fail "the newer Setup failed the second time"
    expect_installed "$default_folder" "$newer_version" "$newer_module"
    install_quietly "$setup" || fail "the first Setup failed over the newer copy"
    expect_installed "$default_folder" "$version" "$shipped_module"
    "$WINE" "$standin_host" --list "$(winpath "$kit")" >/dev/null 2>&1 || fail "the host lists no wizard"
    ;;

  in_use)
    # The host has the module loaded: a silent Setup or uninstaller answers
    # its Retry/Cancel question with Cancel and changes nothing; the wizard
    # still works, and once the host has closed Setup replaces it.
    install_quietly "$setup" || fail "Setup failed"
    before=$(snapshot "$default_folder")
    start_host
    status=0
    install_quietly "$newer_setup" || status=$?
    [ $status -eq 2 ] || fail "Setup over a module in use: exit $status, expected 2 (cancelled)"
    [ "$(snapshot "$default_folder")" = "$before" ] || fail "Setup changed the installation: $(snapshot "$default_folder")"
    uninstall_quietly
    [ "$(snapshot "$default_folder")" = "$before" ] || fail "the uninstaller changed the installation"
    export_with_host
    install_quietly "$newer_setup" || fail "Setup failed after the host had closed"
    expect_installed "$default_folder" "$newer_version" "$newer_module"
    ;;

  in_use_retry)
    # The same with Setup's pages: the message names the file, and Retry
    # after the host has closed installs.
    install_quietly "$setup" || fail "Setup failed"
    start_host
    title=$(setup_title "$newer_version")
    start_interactive "$title" "$newer_setup"
    text=$(tool message "$title" | tr -d '\r') || fail "no message about the module in use"
    grep -qF "$default_folder\\KorvatDrumMapExport.dll" <<<"$text" || fail "the message does not name the module: $text"
    grep -qF "Retry" <<<"$text" || fail "the message does not offer Retry: $text"
    export_with_host
    tool answer "$title" 4 || fail "cannot press Retry"  # IDRETRY
    tool wait-text "$title" 1 "&Finish" || fail "no finish page"
    tool press "$title" 1 || fail "cannot press Finish"
    wait_for_setup
    [ $status -eq 0 ] || fail "Setup after Retry: exit $status"
    expect_installed "$default_folder" "$newer_version" "$newer_module"
    ;;

  failed_registration)
    # A module whose registration fails part-way: nothing is installed, and
    # an installed copy stays as it was; the message names the error.
    seed_settings
    status=0
    install_quietly "$failing_setup" || status=$?
    [ $status -eq 2 ] || fail "Setup with a failing registration: exit $status, expected 2"
    expect_uninstalled "$default_folder"
    install_quietly "$setup" || fail "Setup failed"
    before=$(snapshot "$default_folder")
    status=0
    install_quietly "$failing_setup" || status=$?
    [ $status -eq 2 ] || fail "the failing Setup over a copy: exit $status, expected 2"
    [ "$(snapshot "$default_folder")" = "$before" ] || fail "the installation changed: $(snapshot "$default_folder")"
    title=$(setup_title "$newer_version")
    start_interactive "$title" "$failing_setup"
    text=$(tool message "$title" | tr -d '\r') || fail "no message about the failed registration"
    grep -qE '^Error 0x80070005: .+' <<<"$text" || fail "the message does not name the error: $text"
    tool answer "$title" 1 || fail "cannot press OK"
    tool press "$title" 2 || fail "cannot close Setup"  # Cancel, now "Close"
    wait_for_setup
    [ $status -eq 2 ] || fail "the failing Setup: exit $status, expected 2"
    [ "$(snapshot "$default_folder")" = "$before" ] || fail "the installation changed after the message"
    expect_settings
    ;;

  long_path)
    # A folder whose path leaves the module's path longer than 255
    # characters: the module refuses it, nothing stays behind, not even the
    # folders Setup made, and the message says why.
    seed_settings
    folder='C:\Long'
    while [ ${#folder} -lt 220 ]; do folder+='\Drum machine samples'; done
    folder=${folder:0:232}
    [ $((${#folder} + 24)) -eq 256 ] || fail "the test's folder has the wrong length"
    status=0
    install_quietly "$setup" "/D=$folder" || status=$?
    [ $status -eq 2 ] || fail "Setup into a too long path: exit $status, expected 2"
    [ ! -e "$(unixpath 'C:\Long')" ] || fail "Setup left folders behind: $(find "$(unixpath 'C:\Long')")"
    expect_uninstalled "$folder"
    title=$(setup_title "$version")
    start_interactive "$title" "$setup" "/D=$folder"
    text=$(tool message "$title" | tr -d '\r') || fail "no message about the too long path"
    grep -qE '^Error 0x8007007A: .+' <<<"$text" || fail "the message does not name the error: $text"
    grep -qF "too long" <<<"$text" || fail "the message does not say that the path is too long: $text"
    tool answer "$title" 1 || fail "cannot press OK"
    tool press "$title" 2 || fail "cannot close Setup"
    wait_for_setup
    [ $status -eq 2 ] || fail "Setup into a too long path: exit $status, expected 2"
    [ ! -e "$(unixpath 'C:\Long')" ] || fail "Setup left folders behind"
    ;;

  deleted_module)
    # The module deleted by hand: the uninstaller still removes everything.
    seed_settings
    install_quietly "$setup" || fail "Setup failed"
    rm "$(unixpath "$default_folder")/KorvatDrumMapExport.dll"
    uninstall_quietly
    expect_uninstalled "$default_folder"
    ;;

  *)
    fail "no case $case"
    ;;
esac
echo "passed"
