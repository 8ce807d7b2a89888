#!/usr/bin/env bash
# End-to-end tests of the real executables under Wine, on Xvfb with an XEmbed tray host.
# Drives them only from outside (xdotool, wine reg, the wineprobe inspection program) and
# reports in TAP: "ok N - ..." or "not ok N - ..." a check, "ok N - ... # SKIP why" a check
# this machine cannot run (it needs 32-bit code), the plan "1..N" at the end; other lines
# (figures) are indented. A set-up that fails stops the run ("Bail out!"). Expects the Windows
# build to exist.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
unset KELVANE_PREFIX  # the tests' own prefix, never the demo's
source "$ROOT/tests/wine/wine-env.sh"
if [ "$WINE_BITS" = 64 ]; then
  echo "# the 64-bit build under Wine's 64-bit loader ($([ "${KELVANE_WINE64:-0}" = 1 ] &&
    echo "KELVANE_WINE64=1" || echo "this machine runs no 32-bit code")): what needs 32-bit code is skipped"
fi

WORK=$ROOT/build/e2e
rm -rf "$WORK"
mkdir -p "$WORK"
PASSED=0
FAILED=0
SKIPPED=0
checks() { echo $((PASSED + FAILED + SKIPPED)); }

check() {  # check "description" command...
  local description=$1
  shift
  if "$@"; then
    PASSED=$((PASSED + 1))
    echo "ok $(checks) - $description"
  else
    FAILED=$((FAILED + 1))
    echo "not ok $(checks) - $description"
  fi
}
# skip "reason" "description"...: checks that need 32-bit code where this machine runs none,
# each reported as skipped, with the reason.
skip() {
  local reason=$1 description
  shift
  for description in "$@"; do
    SKIPPED=$((SKIPPED + 1))
    echo "ok $(checks) - $description # SKIP $reason"
  done
}
NO_32_BIT="this machine runs no 32-bit code"
# require "description" command...: a precondition of the checks that follow, made by the test
# itself (its prefix, what it planted, the discrimination of its own pictures). It counts as
# no check; when it fails, what follows could not tell anything, so the run stops failed.
require() {
  local description=$1
  shift
  "$@" && return 0
  echo "not ok $(($(checks) + 1)) - set-up: $description"
  echo "Bail out! the set-up failed: $description"
  stop_session
  echo "1..$(($(checks) + 1))"
  exit 1
}

probe() { wine_run "$BUILD/wineprobe.exe" "$@" | tr -d '\r'; }
probe_value() { probe "${@:2}" | awk -v k="$1" '$1 == k { $1 = ""; sub(/^ /, ""); print; exit }'; }
# The program that reaches the ports through the giveio driver: the 32-bit product, or where
# this machine runs no 32-bit code, the same sources built 64-bit for the tests.
GIVEIO_PROGRAM=$BUILD/kelvane.exe
[ "$WINE_BITS" = 64 ] && GIVEIO_PROGRAM=$BUILD/kelvane-giveio.exe
# Starts a copy of the giveio program, as kelvane.exe, from the folder $1, in the background ($!
# is its loader).
start_real_in() {
  mkdir -p "$1"
  cp "$GIVEIO_PROGRAM" "$1/kelvane.exe"
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
# A copy of the program (the demo or the real one) has its window: it runs.
program_runs() { probe window KelvaneFrame >/dev/null; }
# The hint as a user hovering over the entry reads it (lines joined by "|"); nothing when there
# is no entry.
tray_hint() {
  local id X Y WIDTH HEIGHT SCREEN WINDOW
  id=$(tray_icon_id)
  [ -n "$id" ] || return 1
  eval "$(xdotool getwindowgeometry --shell "$id")"
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
# The docked entry's pixels as a checksum; nothing (and failure) when there is no entry.
tray_picture() {
  local id X Y WIDTH HEIGHT SCREEN WINDOW
  id=$(tray_icon_id)
  [ -n "$id" ] && eval "$(xdotool getwindowgeometry --shell "$id")" &&
    import -window root -depth 8 -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "ppm:$WORK/tray-look.ppm" &&
    md5sum <"$WORK/tray-look.ppm" | cut -c1-32
}
# An entry is docked and shows another picture than $1.
tray_differs() {
  local now
  now=$(tray_picture) && [ "$now" != "$1" ]
}

# Runs $1 where the giveio program meets the port driver: the 32-bit one in a 32-bit prefix of
# its own (the default prefix is a 64-bit Windows), back in the default one after; the 64-bit
# test build in the default prefix.
in_driver_prefix() {
  if [ "$WINE_BITS" != 32 ]; then
    "$1"
    return
  fi
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  local default_prefix=$WINEPREFIX
  export WINEPREFIX=$(wine_prefix win32) WINEARCH=win32
  prepare_prefix
  "$1"
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  export WINEPREFIX=$default_prefix
  unset WINEARCH
}

# Folders whose protection the program judges (its load-place rule, the setup's rule for the
# files handed to it) lie inside the prefix's own drive C:, which is the account's: the rule
# then judges the modes the test gives them and nothing else. Below a folder others may change
# it refuses everything, and where the repository is cloned is no test's to decide: /tmp, for
# one, is mode 1777, which Wine turns into a list that lets everyone delete.
# prefix_folder PATH MODE: the folder C:\PATH of the current prefix, made afresh with mode MODE,
# every folder from C:\ down to it with 755 (others may not change them); prints its Unix path.
prefix_folder() {
  local part=$WINEPREFIX/drive_c name IFS=/
  rm -rf "${part:?}/$1"
  mkdir -p "$part/$1"
  chmod 755 "$part"
  for name in $1; do
    part=$part/$name
    chmod 755 "$part"
  done
  chmod "$2" "$part"
  echo "$part"
}

# send_key [--window ID] KEY: KEY pressed and released, then released through the X server
# once more. Sent to the window with the focus, xdotool presses through the server; when the
# press closes that window, the release goes to a window no longer there, and the server keeps
# the key held for whatever program comes next (a box answered by nobody in particular).
send_key() {
  xdotool key "$@" 2>/dev/null
  xdotool keyup "${@: -1}" 2>/dev/null
}
# The key codes the X server holds down, from each keyboard it has (xdotool presses through
# the one for test input).
keys_held() {
  local id
  for id in $(xinput list | sed -n 's/.*id=\([0-9]*\).*slave *keyboard.*/\1/p'); do
    xinput query-state "$id" | sed -n 's/^\tkey\[\([0-9]*\)\]=down$/\1/p'
  done
}
no_key_held() {
  local held
  held=$(keys_held | paste -sd' ')
  [ -z "$held" ] && return 0
  echo "     key codes held: $held"
  return 1
}

# E2E_SECTIONS="real setup" runs only those sections (a developer's shortcut; CI runs all).
# Each starts with no key held: one left held by the last would answer its boxes.
section() {
  [ -z "${E2E_SECTIONS:-}" ] || [[ " $E2E_SECTIONS " == *" $1 "* ]] || return 1
  require "no key is held as the section $1 starts" no_key_held
}

start_session

# ---- the real executable: ports refused under Wine --------------------------------------
section real && source "$ROOT/tests/wine/e2e-real.sh"
section protection && source "$ROOT/tests/wine/e2e-protection.sh"

# ---- the demo --------------------------------------------------------------------------
section demo && source "$ROOT/tests/wine/e2e-demo.sh"
section settings && source "$ROOT/tests/wine/e2e-settings.sh"
section repaint-tray && source "$ROOT/tests/wine/e2e-repaint-tray.sh"
section scale && source "$ROOT/tests/wine/e2e-scale.sh"
section bus-and-instance && source "$ROOT/tests/wine/e2e-bus-and-instance.sh"
section locks && source "$ROOT/tests/wine/e2e-locks.sh"
section footprint && source "$ROOT/tests/wine/e2e-footprint.sh"
section setup && source "$ROOT/tests/wine/e2e-setup.sh"

# ---- the 64-bit product through PawnIO -----------------------------------------------------
section pawnio && source "$ROOT/tests/wine/e2e-pawnio.sh"
section module && source "$ROOT/tests/wine/e2e-module.sh"

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
echo "1..$(checks)"
echo "# $PASSED passed, $FAILED failed, $SKIPPED skipped"
[ "$FAILED" -eq 0 ]
