#!/usr/bin/env bash
# Builds everything and runs every test: shellcheck on every shell script,
# the native suite, the same suite under AddressSanitizer and UBSan, the
# portable core built for 32-bit x86 under qemu-i386, a fuzz run, and the
# Windows builds under Wine.
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

# Every shell script of the repository (by name or by its #! line), the
# sourced ones included.
shell_scripts() {
  git ls-files --cached --others --exclude-standard | while IFS= read -r f; do
    [ -f "$f" ] || continue
    case $f in
      *.sh) echo "$f" ;;
      *) if head -n 1 "$f" | grep -qE '^#! */(usr/)?bin/(env +)?(ba)?sh\b'; then echo "$f"; fi ;;
    esac
  done
}

run_shellcheck() {
  local scripts
  mapfile -t scripts < <(shell_scripts)
  if shellcheck -x "${scripts[@]}"; then
    echo "shellcheck: ${#scripts[@]} scripts, no findings"
  else
    failed+=("shellcheck")
  fi
}

# The Windows suites run under Wine with a private prefix, a persistent
# wineserver and our own Xvfb, all stopped again on exit. A session is
# recorded before it starts, so that one that fails part-way is stopped too.
session_prefixes=()
session_archs=()
stop_sessions() {
  local i
  for i in "${!session_prefixes[@]}"; do
    scripts/wine-session.sh stop "${session_prefixes[$i]}" "${session_archs[$i]}" || true
  done
}
trap stop_sessions EXIT

run_wine_suite() {  # preset arch
  cmake --preset "$1" -DDRUMMAP_RUN_WINE_TESTS=ON >/dev/null
  cmake --build --preset "$1"
  local prefix=$root/build/$1/wineprefix display
  session_prefixes+=("$prefix")
  session_archs+=("$2")
  if ! display=$(DISPLAY='' scripts/wine-session.sh start "$prefix" "$2"); then
    failed+=("$1 (the Wine session did not start)")
    return
  fi
  DISPLAY=$display ctest --preset "$1" || failed+=("$1")
}

step "shellcheck"; run_shellcheck
step "native"; run_suite native
step "native, AddressSanitizer + UBSan"; run_suite asan
# The writers' bytes on a 32-bit ABI, on every machine: Wine may not be able
# to run the 32-bit product here (see below), qemu-i386 runs the core's tests.
step "native 32-bit x86 (g++ -m32, tests under qemu-i386-static)"; run_suite native32
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
