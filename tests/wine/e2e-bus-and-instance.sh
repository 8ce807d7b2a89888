# The demo beside another hardware monitor that holds the chip's bus lock (and ends holding
# it, or keeps us out of it), and second starts of either executable while it runs. Sourced
# by e2e.sh after e2e-demo.sh (check, probe, wait_for, start_demo, tray_geometry, visible,
# form_value and the session are set up there).

BUS_MUTEX='Global\Access_ISABUS.HTP.Method'
tray_icons() { tray_icon_ids | wc -l; }
# The demo runs and its entry shows the picture $2 at each of $1 one-second looks. The fail-safe's
# balloon (a tooltip shown while the pointer is away) may lie over the entry: a look while one
# shows, just before or after, is left out.
tray_unchanged_over() {
  local look before
  for _ in $(seq "$1"); do
    sleep 1
    before=$(probe tooltip)
    look=$(tray_picture) && program_runs || return 1
    [ "$look" = "$2" ] || [ -n "$before$(probe tooltip)" ] || return 1
  done
}
no_tooltip() { [ -z "$(probe tooltip)" ]; }
holder_says() { grep -q "^$1" "$WORK/busholder.txt" 2>/dev/null; }
gone() { ! kill -0 "$1" 2>/dev/null; }

# What the earlier sections left in the registry goes back at the end.
HW_SAVED=$WORK/kelvane-before-hw.reg
wine_run reg export 'HKCU\Software\Kelvane' "$(winepath -w "$HW_SAVED" 2>/dev/null)" /y >/dev/null 2>&1 ||
  rm -f "$HW_SAVED"

# ---- the bus lock held by another program ------------------------------------------------
# Stored thresholds of 85/84 keep the fan normal for minutes: the demo's chip warms steadily
# from 57, about one degree a refresh, so every refresh that reads shows a new number.
wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
hw_plant() { wine_run reg add 'HKCU\Software\Kelvane\Form1' /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
hw_plant FormVersion 0
hw_plant udBoostOnTemp_Position 85
hw_plant udBoostOffTemp_Position 84
start_demo
wait_for 20 tray_icon_present
sleep 1
before=$(tray_picture)
check "the tray text follows the demo's chip" wait_for 12 tray_differs "$before"
# The first refresh that finds the lock held says so in the hint; a refresh that read before it
# has reached the tray by then.
frozen=
held_and_frozen() {
  wait_for 15 hint_says "No readings: the sensor bus is held by another monitor" &&
    wait_for 5 no_tooltip && frozen=$(tray_picture) && tray_unchanged_over 10 "$frozen"
}
# Straight into the file: a filter in between would hold "held" back until the end.
wine_run "$BUILD/busholder.exe" "$BUS_MUTEX" 30000 >"$WORK/busholder.txt" 2>/dev/null &
HOLDER_PID=$!
check "another program holds the bus lock" wait_for 10 holder_says held
check "while it is held the hint says so, and the tray text stays as it was over two refreshes" \
  held_and_frozen
check "the lock is given back" wait_for 20 holder_says released
check "once it is free the readings go on" wait_for 12 tray_differs "$frozen"
check "no box while the bus was held" no_box
wait "$HOLDER_PID" 2>/dev/null

# Another monitor that ends while it holds the lock leaves it abandoned: the next refresh
# takes it over and reads.
wine_run "$BUILD/busholder.exe" "$BUS_MUTEX" 7000 ends >"$WORK/busholder.txt" 2>/dev/null &
HOLDER_PID=$!
check "another program holds the bus lock again" wait_for 10 holder_says held
check "and ends still holding it" wait_for 12 holder_says ended
sleep 0.5
frozen=$(tray_picture)
check "after it ended holding the lock the readings go on" wait_for 12 tray_differs "$frozen"
wait "$HOLDER_PID" 2>/dev/null

# ---- second starts hand over ---------------------------------------------------------------
first_pid=$(probe_value pid process "$FORM")
check "the first demo's window is hidden before the second start" visible 0
"$WINE" "$BUILD/kelvane-demo.exe" >/dev/null 2>&1 &
SECOND_PID=$!
check "a second start of the demo ends at once" wait_for 10 gone "$SECOND_PID"
check "it showed the first one's window" wait_for 5 visible 1
check "in front" test "$(form_value foreground)" = 1
check "the window is the first one's" test "$(probe_value pid process "$FORM")" = "$first_pid"
check "one tray icon" test "$(tray_icons)" = 1
check "no box after the hand-over" no_box

# The real executable counts as the same program: it hands over too, before looking for its
# driver (which would show the missing-driver box here).
send_key Return  # hidden again, by the Hide button
wait_for 5 visible 0
"$WINE" "$BUILD/kelvane.exe" >/dev/null 2>&1 &
SECOND_PID=$!
check "a start of the real executable beside the demo ends at once" wait_for 10 gone "$SECOND_PID"
kill "$SECOND_PID" 2>/dev/null
check "it showed the demo's window" wait_for 5 visible 1
check "still one tray icon" test "$(tray_icons)" = 1
check "no box from the real executable" no_box

probe close "$FORM" >/dev/null
check "the first demo ends on a close request" wait_for 15 demo_gone

# ---- a bus lock that keeps us out ------------------------------------------------------------
# A monitor that was there first made the lock with rights for nobody else (as one running
# as a service may): the demo leaves the chip alone, and reads once that monitor is gone.
wine_run "$BUILD/busholder.exe" "$BUS_MUTEX" 12000 keepsout >"$WORK/busholder.txt" 2>/dev/null &
HOLDER_PID=$!
check "another program holds a bus lock that keeps others out" wait_for 10 holder_says held
start_demo
wait_for 20 tray_icon_present
sleep 1
unread=$(tray_picture)
check "while it runs the tray shows no reading" tray_unchanged_over 6 "$unread"
check "the lock that kept us out goes" wait_for 12 holder_says released
check "then the readings come" wait_for 12 tray_differs "$unread"
check "no box beside a lock that kept us out" no_box
wait "$HOLDER_PID" 2>/dev/null
probe close "$FORM" >/dev/null
wait_for 15 demo_gone

# A copy in another log-on session (its lock file held, this session's mutex free) is the
# locks section's, from a folder inside the prefix.

wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
[ -f "$HW_SAVED" ] && wine_run reg import "$(winepath -w "$HW_SAVED" 2>/dev/null)" >/dev/null 2>&1
