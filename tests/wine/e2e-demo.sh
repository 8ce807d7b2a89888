# The demo executable: start-up, the window's make, showing and hiding, the registry, the end.
# Sourced by e2e.sh, which provides check, probe, wait_for and the session.

wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
wine_run "$BUILD/kelvane-demo.exe" >/dev/null 2>&1 &
DEMO_PID=$!
form_exists() { [ -n "$(probe_value handle window KelvaneFrame)" ]; }
check "demo starts and creates its window" wait_for 20 form_exists
check "the window is hidden at start" test "$(probe_value visible window KelvaneFrame)" = "0"
check "no box at start" sh -c "! xdotool search --onlyvisible --name '^Error$' >/dev/null 2>&1"
probe close KelvaneFrame >/dev/null
wait_for 15 sh -c "! kill -0 $DEMO_PID 2>/dev/null"
check "a close request ends the demo" sh -c "! kill -0 $DEMO_PID 2>/dev/null"
