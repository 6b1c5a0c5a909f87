# Sourced: sets Wine's environment for a private prefix of the given kind.
# usage: . wine-env.sh PREFIX win32|win64
# Defines WINE (the loader to run programs with) and winpath.
# shellcheck shell=bash disable=SC2034  # WINE is for the scripts that source this
export WINEPREFIX=$1 WINEARCH=$2 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$2" = win64 ]; then
  # Run the 64-bit loader and server directly: the `wine` wrapper prefers the
  # 32-bit loader, which a kernel without 32-bit emulation cannot start.
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  WINE=/usr/lib/wine/wine64
else
  WINE=wine
fi

# The Windows form of a Unix path: Wine sees the Unix root as drive Z:.
winpath() { echo "Z:${1//\//\\}"; }
