#!/usr/bin/env bash
# Sets up and tears down what the Windows tests need.
#   wine-session.sh prefix PREFIX ARCH   create the prefix (win32|win64) if missing
#   wine-session.sh start PREFIX ARCH    prefix + persistent wineserver (+ Xvfb if no DISPLAY)
#   wine-session.sh stop PREFIX ARCH     stop the wineserver and the Xvfb we started
# `start` prints the DISPLAY to use when it started an Xvfb.
set -euo pipefail
here=$(dirname "$0")
cmd=$1
prefix=$(realpath -m "$2")
arch=${3:-win32}
. "$here/wine-env.sh" "$prefix" "$arch"

make_prefix() {
  mkdir -p "$(dirname "$prefix")"
  exec 9>"$prefix.lock"
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    "$WINE" wineboot -i >/dev/null 2>&1 || true
    # No window manager under Xvfb: let Wine manage its windows itself, which
    # makes every closed dialog cost milliseconds instead of seconds.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    # Let this server end, so that a persistent one can take its place.
    "${WINESERVER:-wineserver}" -w || true
  fi
  # The dialog asks for "MS Sans Serif"; Wine finds its own bitmap fonts
  # (package fonts-wine) only in the prefix's Fonts folder, as Windows has
  # them. Without them a wider substitute cuts off the dialog's labels.
  local fonts=$prefix/drive_c/windows/Fonts
  if [ -d "$fonts" ] && [ ! -e "$fonts/sserife.fon" ] && [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/* "$fonts/"
  fi
  flock -u 9
  [ -f "$prefix/system.reg" ] || { echo "could not create the Wine prefix $prefix" >&2; exit 1; }
}

case $cmd in
  prefix)
    make_prefix
    ;;
  start)
    make_prefix
    display=${DISPLAY:-}
    if [ -z "${DISPLAY:-}" ]; then
      for n in $(seq 91 140); do
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
          Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
          echo $! >"$prefix.xvfb.pid"
          for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
          echo ":$n"
          display=":$n"
          break
        fi
      done
    fi
    "${WINESERVER:-wineserver}" -p
    # Start Wine's background services now, detached from any pipe: started by
    # the first test program instead, they inherit its output and keep the
    # reader (CTest's test discovery) waiting until its timeout.
    DISPLAY=$display "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
    ;;
  stop)
    "${WINESERVER:-wineserver}" -k 2>/dev/null || true
    if [ -f "$prefix.xvfb.pid" ]; then
      kill "$(cat "$prefix.xvfb.pid")" 2>/dev/null || true
      rm -f "$prefix.xvfb.pid"
    fi
    ;;
  *)
    echo "usage: $0 prefix|start|stop PREFIX win32|win64" >&2
    exit 2
    ;;
esac
