# The demo beside another hardware monitor that holds the chip's bus lock, and second starts
# of either executable while it runs. Sourced by e2e.sh after e2e-demo.sh (check, probe,
# wait_for, start_demo, tray_geometry, visible, form_value and the session are set up there).

BUS_MUTEX='Global\Access_ISABUS.HTP.Method'
tray_icons() { xdotool search --onlyvisible --class explorer.exe 2>/dev/null | wc -l; }
tray_picture() {
  eval "$(tray_geometry)"
  import -window root -depth 8 -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage ppm:- | md5sum | cut -c1-32
}
tray_differs() { [ "$(tray_picture)" != "$1" ]; }
no_box() { [ -z "$(probe msgbox Error)" ] && [ -z "$(probe msgbox Kelvane)" ]; }
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
# Straight into the file: a filter in between would hold "held" back until the end.
wine_run "$BUILD/busholder.exe" "$BUS_MUTEX" 16000 >"$WORK/busholder.txt" 2>/dev/null &
HOLDER_PID=$!
check "another program holds the bus lock" wait_for 10 holder_says held
sleep 0.5  # a refresh that read just before may still be on its way to the tray
frozen=$(tray_picture)
changed=0
for _ in $(seq 13); do
  sleep 1
  [ "$(tray_picture)" = "$frozen" ] || changed=$((changed + 1))
done
check "while it is held the tray text stays as it was over three refreshes" test "$changed" = 0
check "the lock is given back" wait_for 10 holder_says released
check "once it is free the readings go on" wait_for 12 tray_differs "$frozen"
check "no box while the bus was held" no_box
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
xdotool key Return  # hidden again, by the Hide button
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

wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
[ -f "$HW_SAVED" ] && wine_run reg import "$(winepath -w "$HW_SAVED" 2>/dev/null)" >/dev/null 2>&1
