# The demo executable from outside: start-up, the tray icon, showing and hiding, the window's
# make and pixels, the registry, and the end. Sourced by e2e.sh (check, probe, wait_for, the
# session and the build are set up there).

SIM_GALLERY=$ROOT/build/native/simgallery
FORM=KelvaneFrame

tray_geometry() { xdotool getwindowgeometry --shell "$(tray_icon_id)"; }
# Clicks further apart than the double-click time, so each is a click of its own. The pointer
# waits away from the entry and clicks as it arrives: resting on the entry brings up its tip,
# a window of its own that would take the click.
click_tray() {
  eval "$(tray_geometry)"
  xdotool mousemove 700 700
  sleep 0.7
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)) click 1
}
visible() { [ "$(probe_value visible window $FORM)" = "$1" ]; }
form_value() { probe_value "$1" window $FORM; }
# Screen region to a PPM file: capture X Y W H FILE
capture() { import -window root -depth 8 -crop "$3x$4+$1+$2" +repage "ppm:$5"; }
differing_pixels() { compare -metric AE "$1" "$2" null: 2>&1 | awk '{print int($1)}'; }
crop() { convert "$1" -crop "$4x$5+$2+$3" +repage "ppm:$6"; }
registry_value() {
  wine_run reg query 'HKCU\Software\Kelvane\Form1' /v "$1" 2>/dev/null | tr -d '\r' |
    awk -v k="$1" '$1 == k { print $2 " " $3; exit }'
}
start_demo() {
  "$WINE" "$BUILD/kelvane-demo.exe" >/dev/null 2>&1 &  # the loader becomes the process
  DEMO_PID=$!
}
demo_gone() { ! kill -0 "$DEMO_PID" 2>/dev/null; }
# No message box: neither a system one (captioned "Error") nor the program's own report.
no_box() { [ -z "$(probe msgbox Error)" ] && [ -z "$(probe msgbox Kelvane)" ]; }
# Starts the demo and shows its window through the tray, once the entry has settled.
show_new_demo() {
  start_demo
  wait_for 20 tray_icon_present
  sleep 1
  click_tray
  wait_for 5 visible 1
  sleep 0.5
}

# CPU time of all the process's threads, in nanoseconds from the kernel's scheduler (Wine's
# own process times are too coarse), over six refreshes with the window visible.
cpu_ns() { cat /proc/"$DEMO_PID"/task/*/schedstat | awk '{ sum += $1 } END { print sum }'; }
cpu_per_refresh() {
  local ns1 ns2
  ns1=$(cpu_ns)
  sleep 30
  ns2=$(cpu_ns)
  echo "     CPU a refresh over 30 s, window $1: $(((ns2 - ns1) / 6000)) us"
}
probe syscolors >"$WORK/colours.txt"
BUTTON_FACE=$(awk '$1 == 15 { print $2 }' "$WORK/colours.txt")

# ---- the widgets: the real system's drawing against the simulated raster --------------------
for values in "0 0 45 45 0 1" "47 31 65 55 1 1" "120 9 85 19 0 0"; do
  # shellcheck disable=SC2086
  wine_run "$BUILD/widgetgallery.exe" "$(winepath -w "$WORK/gallery-real.ppm" 2>/dev/null)" $values >/dev/null 2>&1
  # shellcheck disable=SC2086
  "$SIM_GALLERY" "$WORK/gallery-sim.ppm" "$WORK/colours.txt" $values
  check "five widgets ($values): real drawing equals the simulated one pixel for pixel" \
    test "$(differing_pixels "$WORK/gallery-real.ppm" "$WORK/gallery-sim.ppm")" = "0"
done

# ---- start-up ---------------------------------------------------------------------------
wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
started=$(date +%s%N)
start_demo
wait_for 20 tray_icon_present
tray_ms=$((($(date +%s%N) - started) / 1000000))
echo "     start to tray entry: $tray_ms ms (Wine start-up included)"
check "the tray icon is present at start" tray_icon_present
check "the window is hidden at start" visible 0
PID=$(probe_value pid process $FORM)
check "no taskbar button while hidden" test -z "$(probe appwindows "$PID")"
check "no box at start" no_box

# The text image: a 16 x 16 black frame around a button-face ground.
eval "$(tray_geometry)"
sleep 1
capture "$X" "$Y" "$WIDTH" "$HEIGHT" "$WORK/tray.ppm"
convert "$WORK/tray.ppm" -scale 800% "$WORK/tray.png"
pixel() { convert "$WORK/tray.ppm" -format "%[hex:u.p{$1,$2}]" info:; }
framed_icon() {
  local ox oy face
  face=$(printf '%06X' $((BUTTON_FACE)) | sed -E 's/(..)(..)(..)/\3\2\1/')
  for oy in 0 1 2 3 4 5 6; do
    for ox in 0 1 2 3 4; do
      if [ "$(pixel $ox $oy)" = 000000 ] && [ "$(pixel $((ox + 15)) $oy)" = 000000 ] &&
        [ "$(pixel $ox $((oy + 15)))" = 000000 ] && [ "$(pixel $((ox + 15)) $((oy + 15)))" = 000000 ] &&
        [ "$(pixel $((ox + 1)) $((oy + 1)))" = "$face" ]; then
        return 0
      fi
    done
  done
  return 1
}
check "the tray icon shows a button-face square in a black frame" framed_icon
cpu_per_refresh hidden
DEMO_HINT=$(tray_hint)
demo_hint_reads() { [[ "$DEMO_HINT" =~ ^CPU:\ [0-9]+°\|Motherboard:\ [0-9]+°\|Fan\ boost:\ (on|off)$ ]]; }
check "the tray's hint tells the readings and the boost ($DEMO_HINT)" demo_hint_reads

# ---- first show ---------------------------------------------------------------------------
click_tray
check "a tray click shows the window" wait_for 5 visible 1
check "the shown window is the foreground window" test "$(form_value foreground)" = "1"
read -r _ _ ww wh <<<"$(form_value window)"
read -r sw sh <<<"$(form_value screen)"
read -r wx wy _ _ <<<"$(form_value window)"
check "centred on the screen at the first show ($wx,$wy)" \
  test "$wx" -eq $(((sw - ww) / 2)) -a "$wy" -eq $(((sh - wh) / 2))
check "tool-window style" test $(($(form_value exstyle) & 0x80)) -ne 0
check "no system menu, so no caption buttons" test $(($(form_value style) & 0x80000)) -eq 0
read -r cx cy cw ch <<<"$(form_value client)"
check "client area 206 x 274 ($cw x $ch)" test "$cw" = 206 -a "$ch" = 274
check "caption ' Kelvane'" test "$(form_value caption)" = "[ Kelvane]"
check "a taskbar button captioned Kelvane while visible" \
  test "$(probe appwindows "$PID")" = "taskbar [Kelvane]"

sleep 0.5
capture "$wx" "$wy" "$ww" "$wh" "$WORK/window.ppm"
# The picture for the README: the tray icon (enlarged) beside the window.
convert "$WORK/window.ppm" \( "$WORK/tray.png" -background white -gravity north -extent 200x$wh \) \
  +append "$WORK/screenshot.png"
"$SIM_GALLERY" "$WORK/expected.ppm" "$WORK/colours.txt" 0 0 65 55 0 1
crop "$WORK/expected.ppm" 62 0 29 25 "$WORK/expected-on.ppm"
crop "$WORK/expected.ppm" 93 0 29 25 "$WORK/expected-off.ppm"
capture $((cx + 148)) $((cy + 156)) 29 25 "$WORK/shown-on.ppm"
capture $((cx + 148)) $((cy + 196)) 29 25 "$WORK/shown-off.ppm"
check "the on-threshold widget shows 65 (pixels as simulated)" \
  test "$(differing_pixels "$WORK/shown-on.ppm" "$WORK/expected-on.ppm")" = "0"
check "the off-threshold widget shows 55 (pixels as simulated)" \
  test "$(differing_pixels "$WORK/shown-off.ppm" "$WORK/expected-off.ppm")" = "0"

# ---- Enter hides, the registry holds the thresholds ------------------------------------------
send_key Return  # to the focused window, as the keyboard does
check "Enter presses Hide" wait_for 5 visible 0
check "the window is no longer in the taskbar" test -z "$(probe appwindows "$PID")"
check "registry: FormVersion" test "$(registry_value FormVersion)" = "REG_DWORD 0x0"
check "registry: off-threshold 55" test "$(registry_value udBoostOffTemp_Position)" = "REG_DWORD 0x37"
check "registry: on-threshold 65" test "$(registry_value udBoostOnTemp_Position)" = "REG_DWORD 0x41"
order=$(wine_run reg query 'HKCU\Software\Kelvane\Form1' | tr -d '\r' | awk '/REG_/ {print $1}' | paste -sd' ')
echo "     stored values: $order"

# ---- shown again where it was left -------------------------------------------------------
click_tray
wait_for 5 visible 1
# The user drags the window by its caption 100 pixels left and 80 up.
read -r wx wy _ _ <<<"$(form_value window)"
xdotool mousemove $((wx + 60)) $((wy + 8)) mousedown 1
sleep 0.2
xdotool mousemove $((wx + 30)) $((wy - 30))
sleep 0.2
xdotool mousemove $((wx - 40)) $((wy - 72)) mouseup 1
sleep 0.5
read -r mx my _ _ <<<"$(form_value window)"
click_tray
wait_for 5 visible 0
click_tray
check "shown again by the next click" wait_for 5 visible 1
read -r nx ny _ _ <<<"$(form_value window)"
check "a later show keeps the place the window was moved to ($mx,$my -> $nx,$ny)" \
  test "$nx" = "$mx" -a "$ny" = "$my" -a "$mx" -ne "$wx"

# ---- an arrow click, then a close request: saved, ended, icon gone ---------------------------
read -r cx cy _ _ <<<"$(form_value client)"
xdotool mousemove $((cx + 186)) $((cy + 161))
sleep 0.3
xdotool click 1
sleep 0.5
capture $((cx + 148)) $((cy + 156)) 29 25 "$WORK/arrow-on.ppm"
capture "$((cx - 3))" "$((cy - 19))" 212 296 "$WORK/arrow-window.ppm"
"$SIM_GALLERY" "$WORK/expected.ppm" "$WORK/colours.txt" 0 0 66 55 0 1
crop "$WORK/expected.ppm" 62 0 29 25 "$WORK/expected-arrow.ppm"
check "the up arrow raises the on-threshold to 66" \
  test "$(differing_pixels "$WORK/arrow-on.ppm" "$WORK/expected-arrow.ppm")" = "0"

# The pointer off the window: resting on the up-down arrows costs Wine's hover polling more
# than a refresh does.
xdotool mousemove 1000 740
cpu_per_refresh visible

probe close $FORM >/dev/null
check "a close request ends the demo" wait_for 15 demo_gone
check "the close query saved the new on-threshold" \
  test "$(registry_value udBoostOnTemp_Position)" = "REG_DWORD 0x42"
check "the tray icon is gone after the end" wait_for 5 tray_icon_absent

# ---- planted values are applied at the first show -------------------------------------------
wine_run reg add 'HKCU\Software\Kelvane\Form1' /v udBoostOnTemp_Position /t REG_DWORD /d 70 /f >/dev/null
wine_run reg add 'HKCU\Software\Kelvane\Form1' /v udBoostOffTemp_Position /t REG_DWORD /d 60 /f >/dev/null
show_new_demo
read -r cx cy _ _ <<<"$(form_value client)"
capture $((cx + 148)) $((cy + 156)) 29 25 "$WORK/shown-on.ppm"
capture $((cx + 148)) $((cy + 196)) 29 25 "$WORK/shown-off.ppm"
"$SIM_GALLERY" "$WORK/expected.ppm" "$WORK/colours.txt" 0 0 70 60 0 1
crop "$WORK/expected.ppm" 62 0 29 25 "$WORK/expected-on.ppm"
crop "$WORK/expected.ppm" 93 0 29 25 "$WORK/expected-off.ppm"
check "planted 70 shows at the first show" \
  test "$(differing_pixels "$WORK/shown-on.ppm" "$WORK/expected-on.ppm")" = "0"
check "planted 60 shows at the first show" \
  test "$(differing_pixels "$WORK/shown-off.ppm" "$WORK/expected-off.ppm")" = "0"

# ---- log-off ends it too ---------------------------------------------------------------------
probe endsession $FORM >/dev/null
check "the end of the session ends the demo" wait_for 15 demo_gone

# ---- a forced shutdown: no query, and the process ended as soon as its windows answered ------
show_new_demo
read -r cx cy _ _ <<<"$(form_value client)"
xdotool mousemove $((cx + 186)) $((cy + 161))
sleep 0.3
xdotool click 1
sleep 0.5
xdotool mousemove 1000 740
probe forcedend $FORM >/dev/null
check "a forced shutdown ended the demo" wait_for 5 demo_gone
check "the on-threshold raised before the forced shutdown is stored (70 -> 71)" \
  test "$(registry_value udBoostOnTemp_Position)" = "REG_DWORD 0x47"
