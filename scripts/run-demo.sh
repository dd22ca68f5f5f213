#!/bin/sh
# Starts the unit simulator and korvan with port 1 pointed at it. Without a
# display, korvan runs on a virtual one (Xvfb) so the window is still there.
set -e
BUILD=${1:-build}
BIN=$(cd "$BUILD/bin" && pwd)
DEMO=$(mktemp -d /tmp/keld-demo.XXXXXX)
"$BIN/boardsim" --link "$DEMO/com1" --trigger-delay 2000 > "$DEMO/boardsim.log" 2>&1 &
SIM=$!
XVFB=""
cleanup() {
  kill "$SIM" 2>/dev/null || true
  [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null || true
  rm -rf "$DEMO"
}
trap cleanup EXIT INT TERM
for i in $(seq 50); do [ -e "$DEMO/com1" ] && break; sleep 0.1; done
if [ -z "$DISPLAY" ] && [ -z "$WAYLAND_DISPLAY" ]; then
  for n in 99 98 97 96; do
    [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp > "$DEMO/xvfb.log" 2>&1 &
    XVFB=$!
    export DISPLAY=":$n"
    break
  done
  sleep 1
  echo "No display: korvan runs on the virtual display $DISPLAY (Xvfb)."
fi
echo "Simulated units on $(cat "$DEMO/boardsim.log"); in the port dialog type 1 and press Continue."
# korvan's work folder, by the suite's rule: never the build tree.
if [ -n "$KELD_HOME" ]; then WORK="$KELD_HOME"; else WORK="${XDG_DATA_HOME:-$HOME/.local/share}/keld"; fi
echo "Shots are recorded under $WORK/DATA (raw shot $WORK/tmp.su); set KELD_HOME to record elsewhere."
export KELD_COM1="$DEMO/com1"
"$BIN/korvan"
