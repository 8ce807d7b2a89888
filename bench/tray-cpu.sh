#!/usr/bin/env bash
# CPU per refresh under Wine: the demo beside the floor (bench/floor/trayfloor.cpp, the least
# a tray temperature program does), in one Wine session, X server and tray host, with both
# windows hidden and with both shown. CPU is the kernel's count for each process (all its
# threads; Wine's own process times are too coarse), over whole 5 s refresh periods.
#
# The periods are taken in rounds of four refreshes, the two programs side by side, and the
# windows go hidden, shown, hidden, shown, ... between rounds, so that slow drifts of the
# machine fall on both states alike. Each figure is a median over rounds: a burst of other work
# in one round does not decide it. Two programs that do the same work do not get the same
# count: the one started first got 9% more in a trial of the floor against itself. So half of
# the rounds come from a session where the demo starts first, half from one where the floor
# does.
#
#   bash bench/tray-cpu.sh [PERIODS]     (default 24 refreshes hidden and 24 shown)
#
# Prints "name value" lines (microseconds, ratios to two places). Expects the Windows build.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export KELVANE_PREFIX=$ROOT/build/wineprefix-bench
source "$ROOT/tests/wine/wine-env.sh"
PERIODS=${1:-24}
ROUND=4  # refreshes a round
# Rounds in each state in each of the two sessions.
ROUNDS_EACH=$(((PERIODS + 2 * ROUND - 1) / (2 * ROUND)))

cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { print sum + 0 }'; }
tray_ids() { xdotool search --onlyvisible --class explorer.exe 2>/dev/null | sort; }
icons_at_least() { [ "$(tray_ids | wc -l)" -ge "$1" ]; }
visible() { [ "$("$WINE" "$BUILD/wineprobe.exe" window "$1" 2>/dev/null | tr -d '\r' |
  awk '$1 == "visible" { print $2 }')" = "$2" ]; }
# A click on a tray entry, the pointer then taken off the tray so no tip comes up.
click_entry() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(xdotool getwindowgeometry --shell "$1")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1 mousemove 600 600
}
# A click on each entry toggles its window: both shown, then both hidden again.
show_both() {
  click_entry "$FLOOR_ICON"
  wait_for 5 visible TrayFloor 1 || echo "warning: the floor's window did not show" >&2
  click_entry "$DEMO_ICON"
  wait_for 5 visible KelvaneFrame 1 || echo "warning: the demo's window did not show" >&2
}
hide_both() {
  click_entry "$DEMO_ICON"
  wait_for 5 visible KelvaneFrame 0 || echo "warning: the demo's window did not hide" >&2
  click_entry "$FLOOR_ICON"
  wait_for 5 visible TrayFloor 0 || echo "warning: the floor's window did not hide" >&2
}
# One round: both processes over the same whole periods; appends "state demo_us floor_us".
round() {
  local d0 f0 d1 f1
  d0=$(cpu_ns "$DEMO_PID")
  f0=$(cpu_ns "$FLOOR_PID")
  sleep $((ROUND * 5))
  d1=$(cpu_ns "$DEMO_PID")
  f1=$(cpu_ns "$FLOOR_PID")
  echo "$1 $(((d1 - d0) / ROUND / 1000)) $(((f1 - f0) / ROUND / 1000))" >>"$ROUNDS"
}

start_demo() {
  "$WINE" "$BUILD/kelvane-demo.exe" >/dev/null 2>&1 &
  DEMO_PID=$!
}
start_floor() {
  "$WINE" "$BUILD/trayfloor.exe" >/dev/null 2>&1 &
  FLOOR_PID=$!
}
# session FIRST SECOND: one Wine session with the two programs started in that order.
session() {
  start_session
  # Fresh settings for the demo: it starts as on a first run.
  wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
  "$1"
  wait_for 20 icons_at_least 1 || { echo "the first tray icon did not appear" >&2; exit 1; }
  local first
  first=$(tray_ids | head -n 1)
  "$2"
  wait_for 20 icons_at_least 2 || { echo "the second tray icon did not appear" >&2; exit 1; }
  if [ "$1" = start_demo ]; then
    DEMO_ICON=$first
    FLOOR_ICON=$(tray_ids | grep -vx "$first" | head -n 1)
  else
    FLOOR_ICON=$first
    DEMO_ICON=$(tray_ids | grep -vx "$first" | head -n 1)
  fi
  sleep 6  # past start-up work and one refresh
  for _ in $(seq "$ROUNDS_EACH"); do
    round hidden
    show_both
    sleep 6  # past the first paint
    round visible
    hide_both
    sleep 6
  done
  stop_session
}

ROUNDS=$(mktemp)
trap 'stop_session; rm -f "$ROUNDS"' EXIT
session start_demo start_floor
session start_floor start_demo

# median STATE COLUMN: the median of one column over the rounds in one state.
median() {
  awk -v s="$1" -v c="$2" '$1 == s { print $c }' "$ROUNDS" | sort -n |
    awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)) }'
}
# The median over rounds of one program's CPU against the other's in the same round.
paired() {
  awk -v s="$1" '$1 == s && $3 > 0 { print $2 / $3 }' "$ROUNDS" | sort -g |
    awk '{ v[NR] = $1 } END { printf "%.2f\n", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", (b > 0 ? a / b : 0) }'; }
for state in hidden visible; do
  echo "demo_${state}_us $(median "$state" 2)"
  echo "floor_${state}_us $(median "$state" 3)"
done
echo "demo_hidden_to_floor_hidden $(paired hidden)"
echo "demo_visible_to_floor_visible $(paired visible)"
echo "demo_visible_to_demo_hidden $(ratio "$(median visible 2)" "$(median hidden 2)")"
echo "floor_visible_to_floor_hidden $(ratio "$(median visible 3)" "$(median hidden 3)")"
