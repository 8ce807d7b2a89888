#!/usr/bin/env bash
# End-to-end tests of the real executables under Wine, on Xvfb with an XEmbed tray host.
# Drives them only from outside (xdotool, wine reg, the wineprobe inspection program) and
# reports in TAP: "ok N - ..." or "not ok N - ..." a check, the plan "1..N" at the end; other
# lines (figures) are indented. Expects the Windows build to exist.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
unset KELVANE_PREFIX  # the tests' own prefix, never the demo's
source "$ROOT/tests/wine/wine-env.sh"

WORK=$ROOT/build/e2e
rm -rf "$WORK"
mkdir -p "$WORK"
PASSED=0
FAILED=0

check() {  # check "description" command...
  local description=$1
  shift
  if "$@"; then
    PASSED=$((PASSED + 1))
    echo "ok $((PASSED + FAILED)) - $description"
  else
    FAILED=$((FAILED + 1))
    echo "not ok $((PASSED + FAILED)) - $description"
  fi
}

probe() { wine_run "$BUILD/wineprobe.exe" "$@" | tr -d '\r'; }
probe_value() { probe "${@:2}" | awk -v k="$1" '$1 == k { $1 = ""; sub(/^ /, ""); print; exit }'; }
# Starts a copy of the real executable from the folder $1, in the background ($! is its loader).
start_real_in() {
  mkdir -p "$1"
  cp "$BUILD/kelvane.exe" "$1/"
  (cd "$1" && wine_run "$1/kelvane.exe" >/dev/null 2>&1) &
}

# The docked entries: small windows of the shell's class. An entry's tooltip is a window of the
# same class: wider while shown, and shrunk to 1 x 1 at the corner for a moment as it goes.
tray_icon_ids() {
  local id WIDTH HEIGHT X Y SCREEN WINDOW
  for id in $(xdotool search --onlyvisible --class explorer.exe 2>/dev/null); do
    WIDTH=0 HEIGHT=0
    eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)"
    [ "$WIDTH" -ge 8 ] && [ "$WIDTH" -le 32 ] && [ "$HEIGHT" -ge 8 ] && [ "$HEIGHT" -le 32 ] &&
      echo "$id"
  done
  return 0
}
tray_icon_id() { tray_icon_ids | head -n 1; }
tray_icon_present() { [ -n "$(tray_icon_id)" ]; }
tray_icon_absent() { [ -z "$(tray_icon_id)" ]; }
# The hint as a user hovering over the entry reads it (lines joined by "|").
tray_hint() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$(tray_icon_id)")"
  xdotool mousemove $((X + WIDTH / 2 + 3)) $((Y + HEIGHT / 2 + 3))
  sleep 0.2
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  local deadline=$((SECONDS + 6)) text=""
  while [ $SECONDS -lt $deadline ] && [ -z "$text" ]; do
    sleep 0.5
    text=$(probe tooltip | paste -sd'|')
  done
  xdotool mousemove 600 600
  echo "$text"
}
hint_says() { [[ "$(tray_hint)" == *"$1"* ]]; }
tray_picture() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$(tray_icon_id)")"
  import -window root -depth 8 -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage ppm:- | md5sum | cut -c1-32
}
tray_differs() { [ "$(tray_picture)" != "$1" ]; }

# E2E_SECTIONS="real setup" runs only those sections (a developer's shortcut; CI runs all).
section() { [ -z "${E2E_SECTIONS:-}" ] || [[ " $E2E_SECTIONS " == *" $1 "* ]]; }

start_session

# ---- the real executable: ports refused under Wine --------------------------------------
section real && source "$ROOT/tests/wine/e2e-real.sh"

# ---- the demo --------------------------------------------------------------------------
section demo && source "$ROOT/tests/wine/e2e-demo.sh"
section settings && source "$ROOT/tests/wine/e2e-settings.sh"
section repaint-tray && source "$ROOT/tests/wine/e2e-repaint-tray.sh"
section bus-and-instance && source "$ROOT/tests/wine/e2e-bus-and-instance.sh"
section locks && source "$ROOT/tests/wine/e2e-locks.sh"
section footprint && source "$ROOT/tests/wine/e2e-footprint.sh"
section setup && source "$ROOT/tests/wine/e2e-setup.sh"

# ---- figures: in-process timings on the real system, object balance, size -------------------
if section figures; then
  wine_run "$BUILD/winebench.exe" 1000 2>/dev/null | tr -d '\r' >"$WORK/winebench.txt"
  sed 's/^/     /' "$WORK/winebench.txt"
  bench_value() { awk -v k="$1" '$1 == k { print $2 }' "$WORK/winebench.txt"; }
  check "drawing objects and icons equal after 2 and after 12 refreshes" \
    test -n "$(bench_value objects_after_2_refreshes)" -a \
    "$(bench_value objects_after_2_refreshes)" = "$(bench_value objects_after_12_refreshes)"
  check "drawing objects and icons equal before and after 1000 tray texts" \
    test -n "$(bench_value objects_before_texts)" -a \
    "$(bench_value objects_before_texts)" = "$(bench_value objects_after_texts)"
  echo "     size of kelvane.exe: $(stat -c %s "$ROOT/build/win32/kelvane.exe" 2>/dev/null) bytes (32-bit)," \
    "$(stat -c %s "$BUILD/kelvane.exe") bytes ($(basename "$BUILD"))"
fi

stop_session
echo "1..$((PASSED + FAILED))"
echo "# $PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
