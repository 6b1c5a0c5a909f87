#!/usr/bin/env bash
# Sets up and tears down what the Windows tests need.
#   wine-session.sh prefix PREFIX ARCH          create the prefix (win32|win64) if missing
#   wine-session.sh start PREFIX ARCH [SCREEN]  prefix + persistent wineserver (+ Xvfb if no DISPLAY)
#   wine-session.sh stop PREFIX ARCH            stop the wineserver and the Xvfb we started
# `start` prints the DISPLAY to use when it started an Xvfb, on a display of
# its own with a screen of SCREEN (WIDTHxHEIGHTxDEPTH, default 1024x768x24).
# A start that fails says why and leaves nothing running.
set -euo pipefail
here=$(dirname "$0")
cmd=${1:-}
prefix=$(realpath -m "${2:-.}")
arch=${3:-win32}
screen=${4:-1024x768x24}
# shellcheck source-path=SCRIPTDIR source=wine-env.sh
. "$here/wine-env.sh" "$prefix" "$arch"
server=${WINESERVER:-wineserver}
xvfb_pid=$prefix.xvfb.pid

fail() {
  echo "wine-session: $*" >&2
  exit 1
}

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
    "$server" -w || true
  fi
  # The dialog asks for "MS Sans Serif"; Wine finds its own bitmap fonts
  # (package fonts-wine) only in the prefix's Fonts folder, as Windows has
  # them. Without them a wider substitute cuts off the dialog's labels.
  local fonts=$prefix/drive_c/windows/Fonts
  if [ -d "$fonts" ] && [ ! -e "$fonts/sserife.fon" ] && [ -d /usr/share/wine/fonts ]; then
    cp /usr/share/wine/fonts/* "$fonts/"
  fi
  flock -u 9
  [ -f "$prefix/system.reg" ] || fail "could not create the Wine prefix $prefix"
}

# Starts an Xvfb on the first free display from :91 and prints the display;
# its process id goes to $xvfb_pid. Xvfb writes its display number to
# -displayfd once it accepts clients. A display that another server took
# meanwhile is skipped; an Xvfb that does not come up in 10 s is a failure.
start_xvfb() {
  command -v Xvfb >/dev/null || fail "Xvfb is not installed (package xvfb)"
  local n pid
  ready=$(mktemp) log=$(mktemp)
  for n in $(seq 91 140); do
    if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then continue; fi
    : >"$ready"
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -displayfd 3 3>"$ready" >"$log" 2>&1 &
    pid=$!
    echo "$pid" >"$xvfb_pid"
    for _ in $(seq 200); do
      if ! kill -0 "$pid" 2>/dev/null; then
        break
      elif [ -s "$ready" ] && [ -S "/tmp/.X11-unix/X$n" ]; then
        rm -f "$ready" "$log"
        echo ":$n"
        return 0
      fi
      sleep 0.05
    done
    rm -f "$xvfb_pid"
    if kill -0 "$pid" 2>/dev/null; then
      kill "$pid"
      xvfb_failed "Xvfb :$n did not come up within 10 s"
    fi
  done
  xvfb_failed "could not start Xvfb (screen $screen) on any display from :91 to :140"
}

xvfb_failed() {  # message; Xvfb's last words follow it
  local said
  said=$(grep -v '^(EE) *$' "$log" | tail -n 2 | paste -sd ' ' -)
  rm -f "$ready" "$log"
  fail "$1${said:+: $said}"
}

stop_session() {
  "$server" -k 2>/dev/null || true
  if [ -f "$xvfb_pid" ]; then
    kill "$(cat "$xvfb_pid")" 2>/dev/null || true
    rm -f "$xvfb_pid"
  fi
}

case $cmd in
  prefix)
    make_prefix
    ;;
  start)
    make_prefix
    "$server" -p || fail "could not start a wineserver for $prefix (is a session running there already?)"
    trap stop_session EXIT
    display=${DISPLAY:-}
    if [ -z "$display" ]; then
      display=$(start_xvfb)
      echo "$display"
    fi
    # Start Wine's background services now, detached from any pipe: started by
    # the first test program instead, they inherit its output and keep the
    # reader (CTest's test discovery) waiting until its timeout.
    DISPLAY=$display "$WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
    trap - EXIT
    ;;
  stop)
    stop_session
    ;;
  *)
    echo "usage: $0 prefix|start|stop PREFIX win32|win64 [SCREEN]" >&2
    exit 2
    ;;
esac
