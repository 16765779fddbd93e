#!/usr/bin/env bash
# Runs a command inside a throw-away Wine prefix with a private X display (Xvfb and a
# window manager, for focus and keyboard input), then ends every process it started.
#   scripts/with-wine.sh PREFIX_DIR COMMAND...
set -euo pipefail
# Wine takes only an absolute prefix.
prefix=$(realpath -m "$1")
shift

export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver
export PATH=/usr/lib/wine:$PATH

xvfb_pid=""
wm_pid=""
cleanup() {
  wineserver -k 2>/dev/null || true
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

if [ -z "${HDGR_USE_DISPLAY:-}" ]; then
  for n in $(seq 90 140); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { display=:$n; break; }
  done
  Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$display
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  wm_pid=$!
fi

rm -rf "$WINEPREFIX"
mkdir -p "$(dirname "$WINEPREFIX")"
wine64 wineboot -u >/dev/null 2>&1
wineserver -w
"$@"
