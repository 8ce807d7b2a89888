#!/usr/bin/env bash
# CPU per refresh under Wine: the demo beside the floor (bench/floor/trayfloor.cpp, the least
# a tray temperature program does), in one Wine session, X server and tray host, with both
# windows hidden and with both shown. CPU is the kernel's count for each process (all its
# threads, in nanoseconds; Wine's own process times are too coarse).
#
# Each refresh is measured on its own. The two processes' counts are sampled every 50 ms; an
# idle program's count does not move, so each refresh shows as one burst of CPU (its paint
# included when shown), and a burst is that refresh's cost. This machine's noise comes as
# bursts of other work that inflate single refreshes and as slow drifts of its speed, so:
#  - the demo's refresh is set against the floor's nearest refresh, which comes about half a
#    period apart, and demo against floor is the median of those paired ratios;
#  - the windows go hidden, shown, hidden, shown, ... in rounds of four refreshes, so that
#    drifts fall on both states alike, and each state's cost is a median over its refreshes;
#  - of two refreshes close together the first costs more (it runs on a machine woken from
#    idle; 10 to 30% more in trials of the two programs 60 to 300 ms apart), so the programs
#    are started half a period apart, and two sessions are run, one with each program started
#    first; a ratio of the two programs is the geometric mean of the sessions' ratios.
#
#   bash bench/tray-cpu.sh [PERIODS]     (default 24 refreshes hidden and 24 shown)
#
# Prints "name value" lines (microseconds, ratios to two places). Expects the Windows build.
# KEEP_BURSTS=FILE keeps the measured refreshes ("session state round start demo|floor ns").
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
export KELVANE_PREFIX=$ROOT/build/wineprefix-bench
source "$ROOT/tests/wine/wine-env.sh"
PERIODS=${1:-24}
ROUND=4  # refreshes a round
# Rounds in each state in each of the two sessions.
ROUNDS_EACH=$(((PERIODS + 2 * ROUND - 1) / (2 * ROUND)))

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
# Samples go to the file at fd $SAMPLES, without a process made per sample (a fork would
# cost more CPU than a refresh): "session round state uptime demo_ns floor_ns".
sum_cpu() {  # sum_cpu PID VAR
  local file value total=0
  for file in /proc/"$1"/task/*/schedstat; do
    read -r value _ <"$file" && total=$((total + value))
  done
  printf -v "$2" %s "$total"
}
ROUND_NO=0
# One round: both processes sampled over the same whole periods.
round() {
  local end=$((SECONDS + ROUND * 5)) now demo floor
  ROUND_NO=$((ROUND_NO + 1))
  while [ $SECONDS -lt $end ]; do
    read -r now _ </proc/uptime
    sum_cpu "$DEMO_PID" demo
    sum_cpu "$FLOOR_PID" floor
    echo "$SESSION $ROUND_NO $1 $now $demo $floor" >&"$SAMPLES"
    read -r -t 0.05 -u "$NAP"
  done
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
SESSION=0
session() {
  SESSION=$((SESSION + 1))
  start_session
  # Fresh settings for the demo: it starts as on a first run.
  wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
  # The refreshes of the two programs half a period apart, so that neither runs just after
  # the other on a machine already woken from idle.
  local first started up
  read -r started _ </proc/uptime
  "$1"
  wait_for 20 icons_at_least 1 || { echo "the first tray icon did not appear" >&2; exit 1; }
  first=$(tray_ids | head -n 1)
  read -r up _ </proc/uptime
  sleep "$(awk -v s="$started" -v u="$up" 'BEGIN { w = 2.5 - (u - s); print (w > 0 ? w : 0) }')"
  "$2"
  wait_for 20 icons_at_least 2 || { echo "the second tray icon did not appear" >&2; exit 1; }
  if [ "$1" = start_demo ]; then
    DEMO_ICON=$first
    FLOOR_ICON=$(tray_ids | grep -vx "$first" | head -n 1)
  else
    FLOOR_ICON=$first
    DEMO_ICON=$(tray_ids | grep -vx "$first" | head -n 1)
  fi
  sleep 15  # past start-up work, the first refreshes and the session's own start
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

SAMPLES_FILE=$(mktemp)
BURSTS=$(mktemp)
exec {SAMPLES}>"$SAMPLES_FILE"
exec {NAP}<> <(:)  # never ready: a read on it with a timeout is a sleep without a process
trap 'stop_session; rm -f "$SAMPLES_FILE" "$BURSTS"' EXIT
session start_demo start_floor
session start_floor start_demo

# The refreshes: within each round, each program's CPU that moved with less than a second
# between moves is one burst. Bursts cut by a round's start or end are left out.
awk '
function close_burst(p) {
  if (inside[p] && last[p] < end[rnd] - 0.5 && first[p] > begin[rnd] + 0.5)
    print session, state, rnd, first[p], p, total[p]
  inside[p] = 0
}
FNR == NR { if (!($2 in begin)) begin[$2] = $4; end[$2] = $4; next }
{
  if ($2 != rnd) {
    close_burst("demo"); close_burst("floor")
    session = $1; rnd = $2; state = $3; prev["demo"] = $5; prev["floor"] = $6; next
  }
  for (i = 5; i <= 6; i++) {
    p = i == 5 ? "demo" : "floor"
    step = $i - prev[p]; prev[p] = $i
    if (step <= 0) continue
    if (inside[p] && $4 - last[p] >= 1) close_burst(p)
    if (!inside[p]) { inside[p] = 1; first[p] = $4; total[p] = 0 }
    total[p] += step; last[p] = $4
  }
}
END { close_burst("demo"); close_burst("floor") }' "$SAMPLES_FILE" "$SAMPLES_FILE" >"$BURSTS"
[ -n "${KEEP_BURSTS:-}" ] && cp "$BURSTS" "$KEEP_BURSTS"

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR) printf "%.6g\n", (NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2) }'; }
# cost STATE PROGRAM: the median of one program's refreshes in one state, microseconds.
cost() { awk -v s="$1" -v p="$2" '$2 == s && $5 == p { print $6 / 1000 }' "$BURSTS" | median; }
# paired SESSION STATE: the median ratio of each demo refresh to the floor's nearest one.
paired() {
  awk -v n="$1" -v s="$2" '$1 == n && $2 == s {
      if ($5 == "demo") { d[++nd] = $4; dc[nd] = $6; dr[nd] = $3 } else { f[++nf] = $4; fc[nf] = $6; fr[nf] = $3 } }
    END {
      for (i = 1; i <= nd; i++) {
        best = 0
        for (j = 1; j <= nf; j++)
          if (fr[j] == dr[i] && (!best || (f[j] - d[i]) ^ 2 < (f[best] - d[i]) ^ 2)) best = j
        if (best && (f[best] - d[i]) ^ 2 < 2.5 ^ 2) print dc[i] / fc[best]  # half a period
      } }' "$BURSTS" | median
}
# Both sessions: the geometric mean of their paired ratios.
both_sessions() { awk -v a="$(paired 1 "$1")" -v b="$(paired 2 "$1")" 'BEGIN { printf "%.2f\n", sqrt(a * b) }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f\n", (b > 0 ? a / b : 0) }'; }
declare -A COST
for state in hidden visible; do
  for program in demo floor; do
    COST[$program.$state]=$(cost "$state" "$program")
    echo "${program}_${state}_us $(awk -v v="${COST[$program.$state]}" 'BEGIN { printf "%d\n", v }')"
  done
done
echo "demo_hidden_to_floor_hidden $(both_sessions hidden)"
echo "demo_visible_to_floor_visible $(both_sessions visible)"
echo "demo_visible_to_demo_hidden $(ratio "${COST[demo.visible]}" "${COST[demo.hidden]}")"
echo "floor_visible_to_floor_hidden $(ratio "${COST[floor.visible]}" "${COST[floor.hidden]}")"
echo "refreshes_measured $(wc -l <"$BURSTS")"
