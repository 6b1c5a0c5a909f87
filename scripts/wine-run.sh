#!/usr/bin/env bash
# Runs a Windows program under Wine in a private prefix.
# usage: wine-run.sh PREFIX win32|win64 PROGRAM [ARGS...]
# CTest uses it (through the build tree's wine-run) as the cross-compiling
# emulator. The prefix is created on first use; scripts/wine-session.sh keeps
# a wineserver and Xvfb running for a whole test run.
set -euo pipefail
here=$(dirname "$0")
prefix=$1 arch=$2
shift 2
# shellcheck source-path=SCRIPTDIR source=wine-env.sh
. "$here/wine-env.sh" "$prefix" "$arch"
if [ ! -f "$prefix/system.reg" ]; then
  "$here/wine-session.sh" prefix "$prefix" "$arch" >&2
fi
exec "$WINE" "$@"
