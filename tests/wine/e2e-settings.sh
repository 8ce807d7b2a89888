# Stored thresholds from the start, empty stored values, and a close request answered while
# the start-up box is open. Sourced by e2e.sh after e2e-demo.sh: uses check, probe, wait_for,
# the session and the demo helpers (start_demo, click_tray, visible, capture, ...) set up there.

TRUST_KEY='HKCU\Software\Kelvane\Form1'
# What the earlier sections left in the registry goes back at the end.
TRUST_SAVED=$WORK/kelvane-before.reg
wine_run reg export 'HKCU\Software\Kelvane' "$(winepath -w "$TRUST_SAVED" 2>/dev/null)" /y >/dev/null 2>&1 ||
  rm -f "$TRUST_SAVED"

plant_dword() { wine_run reg add "$TRUST_KEY" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
# The lamp box of the window (client 156,96; 13 x 17) against the simulated one, boosted (1)
# or not (0).
lamp_shows() {
  local cx cy
  read -r cx cy _ _ <<<"$(form_value client)"
  capture $((cx + 156)) $((cy + 96)) 13 17 "$WORK/lamp-shown.ppm"
  "$SIM_GALLERY" "$WORK/lamp-expected.ppm" "$WORK/colours.txt" 0 0 65 55 "$1" 1
  crop "$WORK/lamp-expected.ppm" 124 4 13 17 "$WORK/lamp-expected-$1.ppm"
  test "$(differing_pixels "$WORK/lamp-shown.ppm" "$WORK/lamp-expected-$1.ppm")" = "0"
}
# The threshold widgets against simulated ones showing ON and OFF.
thresholds_show() {
  local cx cy
  read -r cx cy _ _ <<<"$(form_value client)"
  capture $((cx + 148)) $((cy + 156)) 29 25 "$WORK/trust-on.ppm"
  capture $((cx + 148)) $((cy + 196)) 29 25 "$WORK/trust-off.ppm"
  "$SIM_GALLERY" "$WORK/trust-expected.ppm" "$WORK/colours.txt" 0 0 "$1" "$2" 0 1
  crop "$WORK/trust-expected.ppm" 62 0 29 25 "$WORK/trust-expected-on.ppm"
  crop "$WORK/trust-expected.ppm" 93 0 29 25 "$WORK/trust-expected-off.ppm"
  test "$(differing_pixels "$WORK/trust-on.ppm" "$WORK/trust-expected-on.ppm")" = "0" &&
    test "$(differing_pixels "$WORK/trust-off.ppm" "$WORK/trust-expected-off.ppm")" = "0"
}
trust_not() { ! "$@"; }

# ---- stored thresholds govern the fan before the window was ever shown ----------------------
# The demo's chip starts at about 57 degrees and warms while the fan runs normal. With the
# description's thresholds (on 65, off 55) it boosts at once, falls below 55 within 10 s, and
# boosts again from about 55 s to 100 s after the start. With 85/84 stored the fan runs normal
# for minutes. The lamp shows the state the last refresh wrote, and a show writes nothing, so
# the lamp at the first show, 75 s after the start, tells which thresholds governed the
# refreshes while the window was hidden.
wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
plant_dword FormVersion 0
plant_dword udBoostOnTemp_Position 85
plant_dword udBoostOffTemp_Position 84
trust_started=$SECONDS
start_demo
wait_for 20 tray_icon_present
sleep $((trust_started + 75 - SECONDS))
shown_after=$((SECONDS - trust_started))
click_tray
wait_for 5 visible 1
sleep 0.5
echo "     first show $shown_after s after the start (the description's thresholds boost from about 55 s to 100 s)"
check "first show inside the time the description's thresholds would boost ($shown_after s)" \
  test "$shown_after" -ge 60 -a "$shown_after" -le 95
check "stored 85/84: the fan ran normal while the window had never been shown (lamp off)" \
  lamp_shows 0
check "the comparison tells the two lamps apart: not the boosted one" trust_not lamp_shows 1
check "stored 85/84 show in the threshold widgets" thresholds_show 85 84
probe close $FORM >/dev/null
check "a close request ends the demo" wait_for 15 demo_gone
check "the stored on-threshold is still 85" test "$(registry_value udBoostOnTemp_Position)" = "REG_DWORD 0x55"
check "the stored off-threshold is still 84" test "$(registry_value udBoostOffTemp_Position)" = "REG_DWORD 0x54"

# ---- empty stored values read as nothing ----------------------------------------------------
wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
wine_run reg add "$TRUST_KEY" /v udBoostOnTemp_Position /t REG_BINARY /f >/dev/null 2>&1
wine_run reg add "$TRUST_KEY" /v udBoostOffTemp_Position /t REG_BINARY /f >/dev/null 2>&1
check "planted: two REG_BINARY values without data" \
  test "$(registry_value udBoostOnTemp_Position)" = "REG_BINARY " -a \
  "$(registry_value udBoostOffTemp_Position)" = "REG_BINARY "
show_new_demo
check "empty values: the window shows the defaults 65 and 55" thresholds_show 65 55
check "empty values: no box" test -z "$(probe msgbox Kelvane)"
probe close $FORM >/dev/null
check "a close request ends the demo" wait_for 15 demo_gone
check "the close wrote what the window showed over the empty values" \
  test "$(registry_value udBoostOnTemp_Position)" = "REG_DWORD 0x41" -a \
  "$(registry_value udBoostOffTemp_Position)" = "REG_DWORD 0x37"

# ---- leave the registry as the earlier sections left it ---------------------------------------
wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
[ -f "$TRUST_SAVED" ] && wine_run reg import "$(winepath -w "$TRUST_SAVED" 2>/dev/null)" >/dev/null 2>&1
