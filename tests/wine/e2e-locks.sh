# The locks under Wine: the bus lock's name taken by an event (the demo leaves the chip alone,
# boosts the fan and its tip says why), the controller's lock of old taken first by another
# program (the start runs all the same), and the lock file held by another program, as a copy
# in another session holds it (the start says so and ends). Wine runs every program as one
# account and keeps nobody out of anything, so another user's squat is decided only on the
# simulated machine. Sourced by e2e.sh (check, probe, wait_for, hint_says, tray_icon_present
# and the session are set up there); needs nothing of the other sections.

# Inside the prefix: the folders above it pass the rule that lets a lock file count.
LOCKS_DIR=$WINEPREFIX/drive_c/KelvaneLocks
LOCKS_FRAME=KelvaneFrame
mkdir -p "$LOCKS_DIR"
cp "$BUILD/kelvane-demo.exe" "$LOCKS_DIR/"
locks_start() {
  "$WINE" "$LOCKS_DIR/kelvane-demo.exe" >/dev/null 2>&1 &
  LOCKS_PID=$!
}
locks_gone() { ! kill -0 "$LOCKS_PID" 2>/dev/null; }
locks_close() {
  probe close $LOCKS_FRAME >/dev/null
  wait_for 15 locks_gone || kill "$LOCKS_PID" 2>/dev/null
  wait "$LOCKS_PID" 2>/dev/null
}
# Runs busholder in the background until it says it holds $1 ($2 ms, $3 the kind); ending
# it lets go, as the end of any holder does.
locks_hold() {
  # Not through wine_run: the loader becomes the process, so $! is the holder itself.
  "$WINE" "$BUILD/busholder.exe" "$1" "$2" "$3" >"$WORK/locks-holder.txt" 2>/dev/null &
  LOCKS_HOLDER=$!
  wait_for 30 grep -q '^held' "$WORK/locks-holder.txt"
}
locks_let_go() {
  kill "$LOCKS_HOLDER" 2>/dev/null
  wait "$LOCKS_HOLDER" 2>/dev/null
}

# A copy that an earlier section left running would be handed over to: it is asked to end.
locks_none_running() { [ -z "$(probe_value pid process $LOCKS_FRAME)" ]; }
locks_none_running || probe close $LOCKS_FRAME >/dev/null
check "no Kelvane runs before the lock checks" wait_for 15 locks_none_running

LOCKS_SAVED=$WORK/kelvane-before-locks.reg
wine_run reg export 'HKCU\Software\Kelvane' "$(winepath -w "$LOCKS_SAVED" 2>/dev/null)" /y \
  >/dev/null 2>&1 || rm -f "$LOCKS_SAVED"

# ---- an event under the bus lock's name ------------------------------------------------------
check "another program makes an event named as the bus lock" \
  locks_hold 'Global\Access_ISABUS.HTP.Method' 60000 event
locks_start
check "the demo starts beside it" wait_for 20 tray_icon_present
check "it boosts the fan without reading, and the tip says why" \
  hint_says "Fan boost: on (no reading)|No readings: another object has the bus lock's name"
locks_close
locks_let_go

# ---- the controller's lock made first by another program -------------------------------------
# The name the lock once had, taken by another program (keeping everyone else out of it):
# it has no say any more.
check "another program holds the controller's old lock name" \
  locks_hold 'Global\Kelvane.Controller' 60000 keepsout
locks_start
check "the start runs all the same: its tray icon appears" wait_for 20 tray_icon_present
check "no box beside the old name" test -z "$(probe msgbox Kelvane)"
locks_close
locks_let_go

# The lock file beside the executable, held by another program while this session's mutex
# is free: to this start that is a copy in another session.
OTHER_SESSION='Kelvane already controls the fan in another session.'
locks_other_session_box() { [ "$(probe msgbox Kelvane)" = "$OTHER_SESSION" ]; }
check "another program holds the lock file" \
  locks_hold "$(winepath -w "$LOCKS_DIR" 2>/dev/null)\\Kelvane.lock" 60000 file
locks_start
check "beside the held lock file the box says the fan is controlled in another session" \
  wait_for 15 locks_other_session_box
check "and no tray entry is made" test -z "$(tray_icon_id)"
probe answer Kelvane >/dev/null
check "the start ends once the box is answered" wait_for 10 locks_gone
locks_let_go
locks_start
check "once the other program lets go of it, the next start runs" wait_for 20 tray_icon_present
locks_close
check "the lock file goes with the program" test ! -e "$LOCKS_DIR/Kelvane.lock"

# ---- a window that only looks like Kelvane's ---------------------------------------------------
# Another program holds this session's mutex and shows a window of Kelvane's class and caption.
# The start holds the machine's lock, so it would close such a copy or hand over to it: it does
# neither, since the window's program is no kelvane.exe; it says so and runs. The same holder
# copied as kelvane.exe (of this account) is taken for Kelvane: the control.
LOOKALIKE_TEXT='Another program in this session shows a window named Kelvane. Kelvane runs on its own.'
locks_lookalike_box() { [ "$(probe msgbox Kelvane)" = "$LOOKALIKE_TEXT" ]; }
locks_holder_got() { grep -qE '^(handover|close)' "$WORK/locks-holder.txt"; }
check "another program shows a window of Kelvane's class and caption, holding the session's mutex" \
  locks_hold 'Local\Kelvane.Controller' 60000 window
locks_start
check "the start beside it says that window is not Kelvane's" wait_for 25 locks_lookalike_box
probe answer Kelvane >/dev/null
check "and runs: its tray icon appears" wait_for 20 tray_icon_present
check "the look-alike was neither handed over to nor asked to close" \
  test -z "$(grep -E '^(handover|close)' "$WORK/locks-holder.txt")"
locks_close
locks_let_go
cp "$BUILD/busholder.exe" "$LOCKS_DIR/kelvane.exe"
"$WINE" "$LOCKS_DIR/kelvane.exe" 'Local\Kelvane.Controller' 60000 window >"$WORK/locks-holder.txt" 2>/dev/null &
LOCKS_HOLDER=$!
wait_for 10 grep -q '^held' "$WORK/locks-holder.txt"
locks_start
check "control: the same window from a kelvane.exe is handed over to (or asked to close)" \
  wait_for 30 locks_holder_got
locks_gone || locks_close
locks_let_go
rm -f "$LOCKS_DIR/kelvane.exe"

wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
[ -f "$LOCKS_SAVED" ] && wine_run reg import "$(winepath -w "$LOCKS_SAVED" 2>/dev/null)" >/dev/null 2>&1
rm -rf "$LOCKS_DIR"
