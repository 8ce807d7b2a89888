#!/usr/bin/env bash
# CPU per refresh under Wine: the demo beside the floor (bench/floor/trayfloor.cpp, the least
# a tray temperature program does), in one Wine session, X server and tray host, first with
# both windows hidden, then with both shown. CPU is the kernel's count for each process (all
# its threads; Wine's own process times are too coarse), over whole 5 s refresh periods.
#
#   bash bench/tray-cpu.sh [PERIODS]     (default 24 periods, 2 minutes, per phase)
#
# Prints "name value" lines (microseconds, ratios to two places). Expects build/win32.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export KELVANE_PREFIX=$ROOT/build/wineprefix-bench
source "$ROOT/tests/wine/wine-env.sh"
PERIODS=${1:-24}

cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ sum += $1 } END { print sum + 0 }'; }
tray_ids() { xdotool search --onlyvisible --class explorer.exe 2>/dev/null | sort; }
icons_at_least() { [ "$(tray_ids | wc -l)" -ge "$1" ]; }
# Measures both processes side by side in rounds of ROUND periods; prints each one's median
# CPU per refresh over the rounds (microseconds), so that a burst of other work on the machine
# in one round does not decide the figure.
ROUND=4
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2 ? v[(NR + 1) / 2] : int((v[NR / 2] + v[NR / 2 + 1]) / 2)) }'; }
measure() {
  local label=$1 rounds=$(((PERIODS + ROUND - 1) / ROUND)) d0 f0 d1 f1 demo="" floor=""
  for _ in $(seq "$rounds"); do
    d0=$(cpu_ns "$DEMO_PID")
    f0=$(cpu_ns "$FLOOR_PID")
    sleep $((ROUND * 5))
    d1=$(cpu_ns "$DEMO_PID")
    f1=$(cpu_ns "$FLOOR_PID")
    demo+="$(((d1 - d0) / ROUND / 1000))"$'\n'
    floor+="$(((f1 - f0) / ROUND / 1000))"$'\n'
  done
  echo "demo_${label}_us $(printf '%s' "$demo" | median)"
  echo "floor_${label}_us $(printf '%s' "$floor" | median)"
}
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", (b > 0 ? a / b : 0) }'; }

start_session
trap 'stop_session' EXIT
# Fresh settings for the demo: it starts as on a first run.
wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
"$WINE" "$BUILD/kelvane-demo.exe" >/dev/null 2>&1 &
DEMO_PID=$!
wait_for 20 icons_at_least 1 || { echo "the demo's tray icon did not appear" >&2; exit 1; }
DEMO_ICON=$(tray_ids | head -n 1)
"$WINE" "$BUILD/trayfloor.exe" >/dev/null 2>&1 &
FLOOR_PID=$!
wait_for 20 icons_at_least 2 || { echo "the floor's tray icon did not appear" >&2; exit 1; }
sleep 6  # past start-up work and one refresh
hidden=$(measure hidden)

# Shown: the demo by a click on its own tray icon, the floor started again visible.
eval "$(xdotool getwindowgeometry --shell "$DEMO_ICON")"
xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
"$WINE" "$BUILD/wineprobe.exe" close TrayFloor >/dev/null 2>&1
wait "$FLOOR_PID" 2>/dev/null
"$WINE" "$BUILD/trayfloor.exe" visible >/dev/null 2>&1 &
FLOOR_PID=$!
sleep 6
shown=$("$WINE" "$BUILD/wineprobe.exe" window KelvaneFrame 2>/dev/null | tr -d "\r" | awk '$1 == "visible" { print $2 }')
[ "$shown" = 1 ] || echo "warning: the demo's window did not show" >&2
visible=$(measure visible)

value() { printf '%s\n%s\n' "$hidden" "$visible" | awk -v k="$1" '$1 == k { print $2 }'; }
echo "$hidden"
echo "$visible"
echo "demo_hidden_to_floor_hidden $(ratio "$(value demo_hidden_us)" "$(value floor_hidden_us)")"
echo "demo_visible_to_demo_hidden $(ratio "$(value demo_visible_us)" "$(value demo_hidden_us)")"
echo "floor_visible_to_floor_hidden $(ratio "$(value floor_visible_us)" "$(value floor_hidden_us)")"
echo "demo_visible_to_floor_visible $(ratio "$(value demo_visible_us)" "$(value floor_visible_us)")"
