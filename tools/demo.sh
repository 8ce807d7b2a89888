#!/usr/bin/env bash
# Runs the demo executable (the program with a simulated sensor chip) under Wine: on $DISPLAY
# when there is one, else on a virtual X server whose screen is saved to build/demo.png every
# few seconds. Click the tray icon (top left) to show the window. Ctrl+C ends it.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"
bash tools/setup.sh || exit 1
[ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1 && USE_DISPLAY=1
# The demo's own prefix, kept between runs like an installed program's settings and never
# used by the tests: outside the build tree, so neither a rebuild nor a test run touches it.
export KELVANE_PREFIX=${KELVANE_DEMO_PREFIX:-${XDG_DATA_HOME:-$HOME/.local/share}/kelvane/demo-wineprefix}
mkdir -p "$(dirname "$KELVANE_PREFIX")"
source tests/wine/wine-env.sh
# Only what runs here: the demo of the build this machine's Wine runs (win32 or win64). The
# tests, the other preset and the packages are tools/build.sh's.
{ cmake --preset "win$WINE_BITS" >/dev/null &&
  cmake --build --preset "win$WINE_BITS" -j"$(nproc)" --target kelvane-demo; } || exit 1
echo "The demo's Wine prefix (its settings persist there): $WINEPREFIX"
start_session
trap 'stop_session; exit 0' INT TERM
wine_run "$BUILD/kelvane-demo.exe" &
DEMO=$!
if [ -z "${USE_DISPLAY:-}" ]; then
  echo "No display: the demo runs on the virtual display $DISPLAY."
  echo "Its screen is saved to $ROOT/build/demo.png every 5 s; to click the tray icon:"
  echo "  DISPLAY=$DISPLAY xdotool mousemove 10 12 click 1"
  while kill -0 "$DEMO" 2>/dev/null; do
    import -window root -depth 8 "$ROOT/build/demo.png" 2>/dev/null
    sleep 5
  done
else
  echo "The demo runs on $DISPLAY; its icon is in the tray bar at the top left."
  wait "$DEMO"
fi
stop_session
