#!/usr/bin/env bash
# Builds everything and runs every test: the native suite, the same suite
# under AddressSanitizer and UBSan, and the Windows builds under Wine.
# Does all set-up on a fresh machine (packages, Wine prefixes, Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh

failed=()
step() { echo; echo "=== $*"; }

run_suite() {  # preset
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
  ctest --preset "$1" || failed+=("$1")
}

# The Windows suites run under Wine with a private prefix, a persistent
# wineserver and our own Xvfb, all stopped again on exit.
sessions=()
stop_sessions() {
  for s in "${sessions[@]}"; do scripts/wine-session.sh stop $s || true; done
}
trap stop_sessions EXIT

run_wine_suite() {  # preset arch
  cmake --preset "$1" -DDRUMMAP_RUN_WINE_TESTS=ON >/dev/null
  cmake --build --preset "$1"
  local prefix="$root/build/$1/wineprefix"
  local display
  display=$(DISPLAY= scripts/wine-session.sh start "$prefix" "$2")
  sessions+=("$prefix $2")
  DISPLAY=$display ctest --preset "$1" || failed+=("$1")
}

step "native"; run_suite native
step "native, AddressSanitizer + UBSan"; run_suite asan
step "fuzzing hostile kits (60 s)"; scripts/fuzz.sh 60 || failed+=("fuzz")
if scripts/can-run-32bit.sh; then
  step "Windows i686 under 32-bit Wine"; run_wine_suite mingw win32
else
  # The kernel cannot start 32-bit programs: build the 32-bit product, check
  # its files without running them, and run the Windows suites on the x86_64
  # build of the same sources under wine64.
  step "Windows i686 (build and file checks; this machine cannot run 32-bit programs)"
  cmake --preset mingw -DDRUMMAP_RUN_WINE_TESTS=OFF >/dev/null
  cmake --build --preset mingw
  ctest --preset mingw || failed+=("mingw")
fi
step "Windows x86_64 under wine64"; run_wine_suite mingw64 win64

echo
if [ ${#failed[@]} -ne 0 ]; then
  echo "FAILED suites: ${failed[*]}"
  exit 1
fi
echo "all suites passed"
