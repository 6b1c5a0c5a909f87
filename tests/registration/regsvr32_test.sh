#!/usr/bin/env bash
# Registers the built wizard module with the platform's regsvr32, reads the
# entries back with reg query, and unregisters it with regsvr32 /u.
# usage: regsvr32_test.sh WINE-RUN MODULE
# regsvr32 writes the prefix's real keys: they are removed again on exit,
# whatever happened.
set -euo pipefail
run=$1
module="Z:${2//\//\\}"
clsid='{D169D29F-53D1-4873-BD56-9082F52434D0}'  # CLSID_DrumMapWizard
class_key="HKCR\\CLSID\\$clsid"
wizards='HKLM\Software\Ostrevane\VbWizards'

query() { "$run" reg query "$@" 2>/dev/null | tr -d '\r'; }
fail() {
  echo "FAIL: $*"
  exit 1
}

had_ostrevane=no
query 'HKLM\Software\Ostrevane' >/dev/null && had_ostrevane=yes
cleanup() {
  "$run" regsvr32 /s /u "$module" >/dev/null 2>&1 || true
  if [ $had_ostrevane = no ]; then "$run" reg delete 'HKLM\Software\Ostrevane' /f >/dev/null 2>&1 || true; fi
}
trap cleanup EXIT

"$run" regsvr32 /s "$module" || fail "regsvr32 $module"
entries=$(query "$class_key") || fail "no key $class_key"
grep -qE '^ +\(Default\) +REG_SZ +VB Wizard$' <<<"$entries" || fail "$class_key: $entries"
entries=$(query "$class_key\\InprocServer32") || fail "no key $class_key\\InprocServer32"
grep -qF "REG_SZ    $module" <<<"$entries" || fail "module path: $entries"
grep -qE '^ +ThreadingModel +REG_SZ +Both$' <<<"$entries" || fail "threading model: $entries"
query "$wizards\\$clsid" >/dev/null || fail "no key $wizards\\$clsid"
echo "registered: $class_key, $wizards\\$clsid"

"$run" regsvr32 /s /u "$module" || fail "regsvr32 /u $module"
query "$class_key" >/dev/null && fail "$class_key is still there"
query "$wizards\\$clsid" >/dev/null && fail "$wizards\\$clsid is still there"
query "$wizards" >/dev/null || fail "$wizards itself was removed"
echo "unregistered"
