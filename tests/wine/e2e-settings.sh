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
# The two simulated lamps differ, so the comparison tells which one the window shows.
lamps_differ() {
  "$SIM_GALLERY" "$WORK/lamp-expected.ppm" "$WORK/colours.txt" 0 0 65 55 0 1 &&
    crop "$WORK/lamp-expected.ppm" 124 4 13 17 "$WORK/lamp-expected-0.ppm" &&
    "$SIM_GALLERY" "$WORK/lamp-expected.ppm" "$WORK/colours.txt" 0 0 65 55 1 1 &&
    crop "$WORK/lamp-expected.ppm" 124 4 13 17 "$WORK/lamp-expected-1.ppm" &&
    [ "$(differing_pixels "$WORK/lamp-expected-0.ppm" "$WORK/lamp-expected-1.ppm")" -gt 0 ]
}
# The hint tells a reading at or above the description's on-threshold, 65, with the fan normal.
WARM_HINT=
hint_warm_and_normal() {
  WARM_HINT=$(tray_hint)
  [[ "$WARM_HINT" =~ ^CPU:\ ([0-9]+)° ]] && [ "${BASH_REMATCH[1]}" -ge 65 ] &&
    [ "${WARM_HINT##*|}" = "Fan boost: off" ]
}

# ---- stored thresholds govern the fan before the window was ever shown ----------------------
# The demo's chip starts at about 57 degrees and warms towards 85 while the fan runs normal,
# past 65 after about 40 s. The description's thresholds (on 65, off 55) would boost there;
# the stored 85/84 keep the fan normal for minutes. So a hint of a reading of 65 or more with
# the fan normal (it tells the state the same refresh decided), and the lamp at the first show
# after it (a show writes nothing), tell which thresholds governed while the window was hidden.
wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
plant_dword FormVersion 0
plant_dword udBoostOnTemp_Position 85
plant_dword udBoostOffTemp_Position 84
require "the simulated lamps, boosted and not, differ" lamps_differ
start_demo
wait_for 20 tray_icon_present
check "stored 85/84: the hint shows 65 or more with the fan normal, the window never shown" \
  wait_for 150 hint_warm_and_normal
echo "     hint then: $WARM_HINT"
click_tray
wait_for 5 visible 1
sleep 0.5
check "stored 85/84: the lamp at the first show is off" lamp_shows 0
check "stored 85/84 show in the threshold widgets" thresholds_show 85 84
probe close $FORM >/dev/null
check "a close request ends the demo" wait_for 15 demo_gone
check "the stored on-threshold is still 85" test "$(registry_value udBoostOnTemp_Position)" = "REG_DWORD 0x55"
check "the stored off-threshold is still 84" test "$(registry_value udBoostOffTemp_Position)" = "REG_DWORD 0x54"

# ---- empty stored values read as nothing ----------------------------------------------------
wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
wine_run reg add "$TRUST_KEY" /v udBoostOnTemp_Position /t REG_BINARY /f >/dev/null 2>&1
wine_run reg add "$TRUST_KEY" /v udBoostOffTemp_Position /t REG_BINARY /f >/dev/null 2>&1
require "planted: two REG_BINARY values without data" \
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
