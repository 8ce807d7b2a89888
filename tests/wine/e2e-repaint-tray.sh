# Repaints without a background flash, replacement procedures of one window, and a tray entry
# the shell lost coming back by itself. Sourced by e2e.sh (check, probe, wait_for, start_demo
# and the session are set up there; e2e-demo.sh defines the tray helpers).

# ---- repaints on a real window: erased only where the widget is not opaque ----------------
wine_run "$BUILD/repaintprobe.exe" 2>/dev/null | tr -d '\r' >"$WORK/repaint.txt"
sed 's/^/     /' "$WORK/repaint.txt"
repaint_value() { awk -v k="$1" '$1 == k { print $2; exit }' "$WORK/repaint.txt"; }
at_least() { [ -n "$1" ] && [ "$1" -ge "$2" ]; }
repainted_unerased() { at_least "$(repaint_value opaque_paints)" 1 && [ "$(repaint_value opaque_erases)" = 0 ]; }
check "a new value of an opaque widget repaints it and erases no background under it" \
  repainted_unerased
check "a new value of a transparent widget has the background erased first" \
  at_least "$(repaint_value transparent_erases)" 1
check "hiding a widget erases its place" at_least "$(repaint_value hidden_erases)" 1
check "a replacement procedure still runs after the later one was taken away" \
  at_least "$(repaint_value chain_messages)" 1
check "the window's procedure is its own again after both were taken away" \
  test "$(repaint_value chain_restored)" = 1

# ---- the shell loses the entry: a refused change, then an add at the next refresh ----------
# Wine's shell never refuses an add (without a tray host it shows its own tray window), so
# the entry is taken away from outside; the demo's next refresh finds its change refused and
# the one after adds the entry again, with no restart announcement.
start_demo
wait_for 20 tray_icon_present
forget_entry() { wine_run "$BUILD/trayprobe.exe" forget KelvaneUtility 1 >/dev/null; }
check "another program can take the demo's entry out of the notification area" forget_entry
check "the entry is gone from the tray host" wait_for 3 tray_icon_absent
lost=$SECONDS
check "the entry comes back within two refreshes" wait_for 13 tray_icon_present
echo "     entry back after $((SECONDS - lost)) s"
click_tray
check "a click on the entry that came back shows the window" wait_for 5 visible 1
# The entry is at version 3, after every add: Wine then follows the release with NIN_SELECT,
# which must not toggle the window a second time. Wine has no selection with the keyboard and
# answers NIM_SETFOCUS with FALSE: the keyboard's part is the simulated shell's to decide.
sleep 1.5
check "one click toggles the window once: it is still shown after the shell's NIN_SELECT" visible 1

# ---- the tray host ends, and a new one comes with the shell's restart broadcast -----------
# Wine keeps the entry meanwhile, docks it into the new host by itself and refuses the add
# that the broadcast asks for as a duplicate (so whether the program adds it again is for the
# simulated shell to tell): the entry must go on following the readings all the same.
kill "$TRAYER_PID" 2>/dev/null
wait "$TRAYER_PID" 2>/dev/null
sleep 1
trayer --edge top --align left --widthtype request --height 24 >/dev/null 2>&1 &
TRAYER_PID=$!
sleep 0.5
probe taskbarcreated >/dev/null
wait_for 10 tray_icon_present
sleep 1
restarted=$(tray_picture)
check "the entry's picture follows the readings after the restart" wait_for 12 tray_differs "$restarted"
check "its hint too" wait_for 15 hint_says "Fan boost: "
click_tray
wait_for 5 visible 0
sleep 1.5
check "after the restart one click hides the window, once" visible 0
click_tray
wait_for 5 visible 1
sleep 1.5
check "and the next shows it, once" visible 1
probe close $FORM >/dev/null
check "a close request ends the demo" wait_for 15 demo_gone

# ---- where the entry went: said once per user, kept beside the thresholds ----------------------
# Said only from Windows 10 on: the demo alone is told it runs on it here (the prefix is a
# Windows 7). Wine shows a balloon as the shell's tooltip window, whose text is the balloon's.
APP_DEFAULTS='HKCU\Software\Wine\AppDefaults\kelvane-demo.exe'
NOTICE_TEXT="Windows may keep its icon among the hidden icons. To keep the temperature in view, drag the icon onto the taskbar, or turn it on in Settings > Personalisation > Taskbar > Other system tray icons."
tooltip_says() { probe tooltip | grep -qxF "$1"; }
no_notice_for() {
  local deadline=$((SECONDS + $1))
  while [ $SECONDS -lt $deadline ]; do
    probe tooltip | grep -qF 'hidden icons' && return 1
    sleep 1
  done
}
notice_value() { wine_run reg query 'HKCU\Software\Kelvane' /v TrayNoticeShown 2>/dev/null | grep -q 'REG_DWORD *0x1'; }
wine_run reg add "$APP_DEFAULTS" /v Version /d win10 /f >/dev/null 2>&1
wine_run reg delete 'HKCU\Software\Kelvane' /v TrayNoticeShown /f >/dev/null 2>&1
start_demo
wait_for 20 tray_icon_present
check "the first run says in a balloon from the entry where it went and how to keep it in view" \
  wait_for 15 tooltip_says "$NOTICE_TEXT"
check "that it was said is kept under HKCU\\Software\\Kelvane" notice_value
probe close $FORM >/dev/null
wait_for 15 demo_gone
start_demo
wait_for 20 tray_icon_present
sleep 1
check "the next run says nothing of it" no_notice_for 8
# The log-on task starts the program again every minute: beside the running one, that start ends
# at once with no box and without showing the running one's window.
"$WINE" "$BUILD/kelvane-demo.exe" /autostart >/dev/null 2>&1 &
TASK_PID=$!
task_gone() { ! kill -0 "$TASK_PID" 2>/dev/null; }
check "a start by the log-on task beside the running demo ends by itself" wait_for 15 task_gone
check "it leaves no box" no_box
check "nor the running demo's window shown" visible 0
probe close $FORM >/dev/null
wait_for 15 demo_gone
wine_run reg delete "$APP_DEFAULTS" /f >/dev/null 2>&1
