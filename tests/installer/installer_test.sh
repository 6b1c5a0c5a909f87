#!/usr/bin/env bash
# The Setup program under Wine, one case a run, each in a fresh prefix: a
# copy of a prefix that `template` makes once with scripts/wine-session.sh
# and that no case runs in. The cases use Wine's own tools (reg), the
# stand-in host and its driver, and window-tool for Setup's pages and
# message boxes.
# usage: installer_test.sh CONFIG CASE
#   CONFIG: written by tests/installer/CMakeLists.txt (paths, versions)
#   CASE:   template | install | folders | upgrade | in_use | in_use_retry |
#           failed_registration | long_path | deleted_module | same_folder |
#           shared_folder | folder_names | bad_folder | failed_copy |
#           created_folders | cancel
# The variables in lower case that are not set here come from CONFIG.
# shellcheck disable=SC2154
set -euo pipefail
config=$1
case=$2
# shellcheck source=/dev/null
. "$config"
for name in source_dir work arch version newer_version setup newer_setup failing_setup wrong_path_setup \
  shipped_module newer_module standin_host demo_driver drummap_export window_tool; do
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
# Our files' names (CONFIG may name those of an older Setup, to run the cases
# against it).
readme=${readme_name:-Korvat DrumMap Export ReadMe.txt}
uninstaller=${uninstaller_name:-Uninstall Korvat DrumMap Export.exe}
files=$(printf '%s\n' KorvatDrumMapExport.dll "$readme" "$uninstaller" | LC_ALL=C sort)
kit=$source_dir/examples/kits/acoustic.txt

winpath() { echo "Z:${1//\//\\}"; }
# A path on a drive of the prefix as the Unix side sees it.
unixpath() {
  local drive=${1:0:1} rest=${1:2}
  echo "$prefix/dosdevices/${drive,,}:${rest//\\//}"
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

# The copy of the uninstaller that deletes the uninstaller's own file and the
# folders once it has ended: running from the temporary folder.
cleanup_running() {
  local pid
  for pid in $(pgrep -f "\\\\ns[^\\\\]*\\.tmp\\\\$uninstaller" || true); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$prefix"; then return 0; fi
  done
  return 1
}
# Runs the entry's QuietUninstallString, as Windows' tools do: it returns
# once the uninstallation is done, with its exit status. The uninstaller's
# own file goes a moment after it has ended (a program cannot delete its own
# file while it runs): waited for here, up to 10 s.
uninstall_quietly() {  # [EXPECTED-STATUS]
  local command start status=0 finished
  command=$(exact_value "$entry_key" QuietUninstallString) || fail "no uninstall entry"
  start=$(now)
  run "$command" || status=$?
  [ $status -eq "${1:-0}" ] || fail "$command: exit $status, expected ${1:-0}"
  finished=$(now)
  if [ $status -eq 0 ]; then
    for _ in $(seq 200); do cleanup_running || break; sleep 0.05; done
    if cleanup_running; then fail "the uninstaller's copy that deletes its file did not end"; fi
  fi
  echo "uninstall: exit $status, $((finished - start)) ms, its file and folders gone after $(($(now) - finished)) ms"
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
  listed=$(cd "$unix" 2>/dev/null && LC_ALL=C ls) || fail "no folder $folder"
  [ "$listed" = "$files" ] || fail "$folder holds: $listed"
  cmp -s "$unix/KorvatDrumMapExport.dll" "$module" || fail "the installed module is not $module"
  grep -q $'^Version '"$version"$'\r$' "$unix/$readme" || fail "$readme does not name version $version"
  if [ "$(grep -c $'\r$' "$unix/$readme")" -ne "$(wc -l <"$unix/$readme")" ]; then
    fail "$readme does not end every line in CR LF"
  fi

  expect_value "$class_key" "" "VB Wizard"
  expect_value "$class_key\\InprocServer32" "" "$folder\\KorvatDrumMapExport.dll"
  expect_value "$class_key\\InprocServer32" ThreadingModel Both
  query "$wizard_key" >/dev/null || fail "no key $wizard_key"

  [ "$(entries)" -eq 1 ] || fail "$(entries) uninstall entries name the wizard"
  size=$(stat -c %s "$unix/KorvatDrumMapExport.dll" "$unix/$readme" "$unix/$uninstaller" |
    awk '{ sum += $1 } END { printf "0x%x", int((sum + 1023) / 1024) }')
  expect_value "$entry_key" DisplayName "Korvat DrumMap Export"
  expect_value "$entry_key" DisplayVersion "$version"
  expect_value "$entry_key" UninstallString "\"$folder\\$uninstaller\""
  expect_value "$entry_key" QuietUninstallString "\"$folder\\$uninstaller\" /S _?=$folder"
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

# SETUP is refused with exit 2 and leaves nothing on a fresh machine, and
# over an installed copy, which stays as it was. The copy stays installed,
# with its snapshot in $before.
expect_refused_fresh_and_over_a_copy() {  # SETUP WHAT
  local status=0
  install_quietly "$1" || status=$?
  [ $status -eq 2 ] || fail "$2: exit $status, expected 2"
  expect_uninstalled "$default_folder"
  install_quietly "$setup" || fail "Setup failed"
  before=$(snapshot "$default_folder")
  status=0
  install_quietly "$1" || status=$?
  [ $status -eq 2 ] || fail "$2 over a copy: exit $status, expected 2"
  [ "$(snapshot "$default_folder")" = "$before" ] || fail "the installation changed: $(snapshot "$default_folder")"
}

# One string value's data exactly (NAME, or "" for the default value): reg
# export writes UTF-16, where reg query prints a character outside the
# console's code page as "?".
exact_value() {  # KEY NAME
  local file=$dir/export.reg name=${2:+\"$2\"}
  rm -f "$file"
  "$WINE" reg export "$1" "$(winpath "$file")" /y >/dev/null 2>&1 || return 1
  iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' | grep -F "${name:-@}=\"" | head -1 |
    sed 's/^[^=]*="\(.*\)"$/\1/; s/\\"/"/g; s/\\\\/\\/g'
}
registered_path() { exact_value "$class_key\\InprocServer32" ""; }

# The host finds the wizard and creates it.
expect_listed() {
  local listed
  listed=$("$WINE" "$standin_host" --list "$(winpath "$kit")" 2>/dev/null | tr -d '\r') ||
    fail "the host lists no wizard: $listed"
  [ "$listed" = "$clsid: Korvat DrumMap Export" ] || fail "the host lists: $listed"
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
  setup_pid=$!
  background+=("$setup_pid")
  tool press "$title" 1 || fail "no welcome page"  # Next
  tool wait-text "$title" 1 "&Install" || fail "no folder page"
  tool press "$title" 1 || fail "cannot press Install"
}
# Waits for the interactive Setup started last; its exit status in $status.
wait_for_setup() {
  status=0
  wait "$setup_pid" || status=$?
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
    rm "$(unixpath "$default_folder")/$readme"
    "$WINE" reg delete "$wizard_key" /f >/dev/null 2>&1
    install_quietly "$newer_setup" || fail "the newer Setup failed the second time"
    expect_installed "$default_folder" "$newer_version" "$newer_module"
    install_quietly "$setup" || fail "the first Setup failed over the newer copy"
    expect_installed "$default_folder" "$version" "$shipped_module"
    "$WINE" "$standin_host" --list "$(winpath "$kit")" >/dev/null 2>&1 || fail "the host lists no wizard"
    ;;

  in_use)
    # The host has the module loaded: a silent Setup or uninstaller answers
    # its Retry/Cancel question with Cancel, changes nothing and says so with
    # exit status 2; the wizard still works, and once the host has closed
    # Setup replaces it.
    install_quietly "$setup" || fail "Setup failed"
    before=$(snapshot "$default_folder")
    start_host
    status=0
    install_quietly "$newer_setup" || status=$?
    [ $status -eq 2 ] || fail "Setup over a module in use: exit $status, expected 2 (cancelled)"
    [ "$(snapshot "$default_folder")" = "$before" ] || fail "Setup changed the installation: $(snapshot "$default_folder")"
    uninstall_quietly 2
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
    expect_refused_fresh_and_over_a_copy "$failing_setup" "Setup with a failing registration"
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

  same_folder)
    # The installed copy's folder under other spellings is the same folder:
    # an upgrade in place that keeps every file, the registration and the
    # entry as they were written first. Then the reverse: installed under
    # another spelling, upgraded under the plain one.
    seed_settings
    install_quietly "$setup" || fail "Setup failed"
    short=$("$WINE" winepath -s "$default_folder" 2>/dev/null | tr -d '\r')
    if [ -z "$short" ] || [ "$short" = "$default_folder" ]; then fail "no short name for $default_folder: $short"; fi
    # Drive D: is drive C: again; C:\Linked is a link to the installed folder.
    ln -s ../drive_c "$prefix/dosdevices/d:"
    ln -s "Program Files/Korvat DrumMap Export" "$prefix/drive_c/Linked"
    spellings=(
      'C:\Program Files\.\Korvat DrumMap Export'
      'C:\Program Files\\Korvat DrumMap Export'
      'C:\Program Files\Korvat DrumMap Export\..\Korvat DrumMap Export'
      "$short"
      'C:\Program Files\Korvat DrumMap Export.'
      "c:\\program files\\korvat drummap export\\"
      'D:\Program Files\Korvat DrumMap Export'
      'C:\Linked'
    )
    versions=("$newer_version" "$version")
    setups=("$newer_setup" "$setup")
    modules=("$newer_module" "$shipped_module")
    # Newer and older Setup in turn: each run replaces the module.
    for i in "${!spellings[@]}"; do
      install_quietly "${setups[i % 2]}" "/D=${spellings[i]}" || fail "Setup /D=${spellings[i]} failed"
      expect_installed "$default_folder" "${versions[i % 2]}" "${modules[i % 2]}"
      expect_listed
    done
    for first in 'D:\Program Files\Korvat DrumMap Export' 'C:\Linked'; do
      uninstall_quietly
      expect_uninstalled "$default_folder"
      # The link leads to the folder only while it exists: made here, it is
      # not Setup's, and stays.
      if [ "$first" = 'C:\Linked' ]; then mkdir -p "$(unixpath "$default_folder")"; fi
      install_quietly "$setup" "/D=$first" || fail "Setup /D=$first failed"
      install_quietly "$newer_setup" "/D=$default_folder" || fail "the newer Setup failed after /D=$first"
      expect_installed "$first" "$newer_version" "$newer_module"
      expect_listed
    done
    uninstall_quietly
    listed=$(ls -A "$(unixpath "$default_folder")") || fail "the uninstaller removed a folder Setup had not made"
    [ -z "$listed" ] || fail "$default_folder holds: $listed"
    expect_no_key "$entry_key"
    ;;

  shared_folder)
    # A folder that other programs share: their ReadMe.txt, Uninstall.exe
    # and entry stay as they were, through installation and uninstallation.
    # A file of our names that Setup did not install is never replaced, and
    # our own files changed since stay at uninstallation.
    plugins='C:\Plug-ins'
    mkdir -p "$(unixpath "$plugins")"
    echo "the other read-me" >"$(unixpath "$plugins")/ReadMe.txt"
    cp "$window_tool" "$(unixpath "$plugins")/Uninstall.exe"
    other_key="$uninstall_root\\OtherPlugIns"
    set_value "$other_key" DisplayName REG_SZ "Other plug-ins"
    set_value "$other_key" UninstallString REG_SZ "\"$plugins\\Uninstall.exe\""
    others() { (cd "$(unixpath "$plugins")" && sha256sum ReadMe.txt Uninstall.exe) && query "$other_key"; }
    before=$(others)
    install_quietly "$setup" "/D=$plugins" || fail "Setup /D=$plugins failed"
    [ "$(others)" = "$before" ] || fail "Setup changed the other program's files or entry"
    uninstall_quietly
    [ "$(others)" = "$before" ] || fail "the uninstaller changed the other program's files or entry"
    listed=$(cd "$(unixpath "$plugins")" && LC_ALL=C ls)
    [ "$listed" = $'ReadMe.txt\nUninstall.exe' ] || fail "$plugins holds: $listed"
    expect_no_key "$entry_key"

    # Our file names, not installed by Setup: refused, nothing changed.
    for name in "$readme" "$uninstaller" KorvatDrumMapExport.dll; do
      echo "not Setup's" >"$(unixpath "$plugins")/$name"
      before=$(snapshot "$plugins")
      status=0
      install_quietly "$setup" "/D=$plugins" || status=$?
      [ $status -eq 2 ] || fail "Setup over a $name of another: exit $status, expected 2"
      [ "$(snapshot "$plugins")" = "$before" ] || fail "Setup changed $plugins: $(snapshot "$plugins")"
      rm "$(unixpath "$plugins")/$name"
    done

    # Our files changed or replaced after installation stay.
    install_quietly "$setup" "/D=$plugins" || fail "Setup /D=$plugins failed"
    echo "my own notes" >>"$(unixpath "$plugins")/$readme"
    rm "$(unixpath "$plugins")/KorvatDrumMapExport.dll"
    cp "$newer_module" "$(unixpath "$plugins")/KorvatDrumMapExport.dll"
    uninstall_quietly
    listed=$(cd "$(unixpath "$plugins")" && LC_ALL=C ls)
    [ "$listed" = "$(printf '%s\n' KorvatDrumMapExport.dll "$readme" ReadMe.txt Uninstall.exe | LC_ALL=C sort)" ] ||
      fail "after uninstalling, $plugins holds: $listed"
    expect_no_key "$entry_key"
    expect_no_key "$class_key"
    ;;

  folder_names)
    # Folder names outside the ANSI code page: the registration names the
    # installed module exactly, the host loads it, the uninstaller removes
    # it. A module that registers another path than its own is refused.
    seed_settings
    for folder in $'C:\\Program Files\\\u65e5\u672c\\Korvat' $'C:\\Muzyka\\Wtyczki \u0141\u00f3d\u017a'; do
      install_quietly "$setup" "/D=$folder" || fail "Setup /D=$folder failed"
      got=$(registered_path) || fail "no registration after /D=$folder"
      [ "$got" = "$folder\\KorvatDrumMapExport.dll" ] || fail "registered: $got, expected $folder\\KorvatDrumMapExport.dll"
      cmp -s "$(unixpath "$folder")/KorvatDrumMapExport.dll" "$shipped_module" || fail "no module in $folder"
      expect_listed
      uninstall_quietly
      expect_uninstalled "$folder"
    done
    expect_refused_fresh_and_over_a_copy "$wrong_path_setup" "Setup whose module registers another path"
    ;;

  bad_folder)
    # A folder that Setup cannot use is refused with exit status 2 and a
    # message that names it, never replaced by the default folder.
    seed_settings
    echo "a file" >"$(unixpath 'C:\a-file.txt')"
    [ ! -e "$prefix/dosdevices/q:" ] || fail "the prefix has a drive Q:"
    for folder in 'Q:\Korvat' 'C:\a-file.txt' 'C:\a-file.txt\Korvat' 'Korvat\Drums' '\Korvat' "C:\\" 'C:' 'C:\.'; do
      status=0
      install_quietly "$setup" "/D=$folder" || status=$?
      [ $status -eq 2 ] || fail "Setup /D=$folder: exit $status, expected 2"
      expect_uninstalled "$default_folder"
    done
    [ "$(cat "$(unixpath 'C:\a-file.txt')")" = "a file" ] || fail "the file was changed"
    title=$(setup_title "$version")
    tool run "$(setup_command "$setup" '/D=C:\a-file.txt')" >/dev/null 2>&1 &
    setup_pid=$!
    background+=("$setup_pid")
    text=$(tool message "$title" | tr -d '\r') || fail "no message about the folder"
    grep -qxF 'C:\a-file.txt' <<<"$text" || fail "the message does not name the folder: $text"
    grep -qF 'is a file' <<<"$text" || fail "the message does not say why: $text"
    tool answer "$title" 1 || fail "cannot press OK"
    wait_for_setup
    [ $status -eq 2 ] || fail "Setup with a file for its folder: exit $status, expected 2"
    ;;

  failed_copy)
    # A file of the installed copy held open by another program: the newer
    # Setup cannot replace it, puts back the module, its registration and
    # its entry as they were, and exits with 2, also silently; the message
    # names the file.
    seed_settings
    install_quietly "$setup" || fail "Setup failed"
    before=$(snapshot "$default_folder")
    for name in "$readme" "$uninstaller"; do
      "$WINE" "$window_tool" hold "$default_folder\\$name" >"$dir/hold.out" 2>&1 &
      holder=$!
      background+=("$holder")
      for _ in $(seq 100); do grep -q held "$dir/hold.out" 2>/dev/null && break; sleep 0.05; done
      grep -q held "$dir/hold.out" || fail "cannot hold $name: $(cat "$dir/hold.out")"
      status=0
      install_quietly "$newer_setup" || status=$?
      [ $status -eq 2 ] || fail "Setup with $name held open: exit $status, expected 2"
      [ "$(snapshot "$default_folder")" = "$before" ] || fail "the installation changed: $(snapshot "$default_folder")"
      expect_listed
      if [ "$name" = "$readme" ]; then
        title=$(setup_title "$newer_version")
        start_interactive "$title" "$newer_setup"
        text=$(tool message "$title" | tr -d '\r') || fail "no message about the file held open"
        grep -qxF "$default_folder\\$name" <<<"$text" || fail "the message does not name the file: $text"
        tool answer "$title" 1 || fail "cannot press OK"
        tool press "$title" 2 || fail "cannot close Setup"
        wait_for_setup
        [ $status -eq 2 ] || fail "Setup with $name held open: exit $status, expected 2"
        [ "$(snapshot "$default_folder")" = "$before" ] || fail "the installation changed after the message"
      fi
      kill "$holder"
      wait "$holder" 2>/dev/null || true
    done
    install_quietly "$newer_setup" || fail "Setup failed once the files were free"
    expect_installed "$default_folder" "$newer_version" "$newer_module"
    expect_settings
    ;;

  created_folders)
    # The folders that Setup created go with the uninstallation and with a
    # move to another folder; a folder that was there before stays, even
    # empty.
    seed_settings
    mkdir -p "$(unixpath 'C:\Existing')"
    install_quietly "$setup" '/D=C:\Existing\New\Korvat' || fail "Setup failed"
    uninstall_quietly
    listed=$(ls -A "$(unixpath 'C:\Existing')")
    [ -z "$listed" ] || fail "C:\\Existing holds: $listed"
    install_quietly "$setup" '/D=C:\First\Second\Korvat' || fail "Setup failed"
    install_quietly "$newer_setup" '/D=C:\Existing\Korvat' || fail "the move failed"
    expect_installed 'C:\Existing\Korvat' "$newer_version" "$newer_module"
    [ ! -e "$(unixpath 'C:\First')" ] || fail "the move left $(find "$(unixpath 'C:\First')")"
    uninstall_quietly
    expect_uninstalled 'C:\Existing\Korvat'
    [ -d "$(unixpath 'C:\Existing')" ] || fail "the uninstaller removed C:\\Existing"
    ;;

  cancel)
    # Cancel on the first page: exit status 1, nothing installed.
    seed_settings
    title=$(setup_title "$version")
    tool run "$(setup_command "$setup")" >/dev/null 2>&1 &
    setup_pid=$!
    background+=("$setup_pid")
    tool press "$title" 2 || fail "no Cancel on the welcome page"
    tool answer "$title" 6 || fail "no question whether to quit"  # IDYES
    wait_for_setup
    [ $status -eq 1 ] || fail "Setup cancelled: exit $status, expected 1"
    expect_uninstalled "$default_folder"
    # The same for the uninstaller, run in place so that its status is its own.
    install_quietly "$setup" || fail "Setup failed"
    before=$(snapshot "$default_folder")
    tool run "\"$default_folder\\$uninstaller\" _?=$default_folder" >/dev/null 2>&1 &
    setup_pid=$!
    background+=("$setup_pid")
    tool press "Korvat DrumMap Export $version Uninstall" 2 || fail "no Cancel on the uninstaller's first page"
    wait_for_setup
    [ $status -eq 1 ] || fail "the uninstaller cancelled: exit $status, expected 1"
    [ "$(snapshot "$default_folder")" = "$before" ] || fail "the cancelled uninstaller changed the installation"
    ;;

  *)
    fail "no case $case"
    ;;
esac
echo "passed"
