# The tray text at 150 %: a prefix of its own with LogPixels 144, where Wine shows every tray
# icon at its small-icon size of 24 (the tray host 28 high: Wine docks an entry of that size
# plus 4). The demo draws its text at 24 x 24 instead of leaving a 16 x 16 to be stretched,
# its window stays as at 96 dpi, and the balloons of the fail-safe are read from the shell.
# Sourced by e2e.sh after e2e-demo.sh (check, probe, start_demo, click_tray, capture, ...).

SCALE_PREFIX=$ROOT/build/wineprefix-scale
BUS_MUTEX='Global\Access_ISABUS.HTP.Method'
# A picture as rows of "RRGGBB" words.
pixel_rows() {
  convert "$1" -depth 8 -compress none ppm:- | tr -s ' \n' '\n\n' | awk '
    NR == 2 { w = $1 } NR <= 4 { next }
    { v[n++] = $1 } n == 3 { line = line sprintf("%02X%02X%02X ", v[0], v[1], v[2]); n = 0; if (++x == w) { print line; line = ""; x = 0 } }'
}
# The entry's picture is a square of side $2 with a one-pixel black frame, somewhere in $1.
framed_square() {
  pixel_rows "$1" | awk -v s="$2" '
    { for (i = 1; i <= NF; i++) p[NR - 1, i - 1] = $i; h = NR; w = NF }
    END {
      for (oy = 0; oy + s <= h; oy++) for (ox = 0; ox + s <= w; ox++) {
        ok = p[oy + 1, ox + 1] != "000000"
        for (k = 0; k < s && ok; k++)
          ok = p[oy, ox + k] == "000000" && p[oy + s - 1, ox + k] == "000000" &&
               p[oy + k, ox] == "000000" && p[oy + k, ox + s - 1] == "000000"
        if (ok) { print ox, oy; exit 0 }
      }
      exit 1
    }'
}
# A 1.5 stretch of 16 pixels repeats rows 3k and columns 3k in 3k + 1, for every k.
stretched_by_half() {
  pixel_rows "$1" | awk '
    { for (i = 1; i <= NF; i++) p[NR - 1, i - 1] = $i }
    END {
      for (k = 0; k < 8; k++) for (j = 0; j < 24; j++)
        if (p[3 * k, j] != p[3 * k + 1, j] || p[j, 3 * k] != p[j, 3 * k + 1]) exit 1
      exit 0
    }'
}
not_stretched() { ! stretched_by_half "$1"; }
entry_capture() {  # FILE: the docked entry's pixels
  eval "$(tray_geometry)"
  capture "$X" "$Y" "$WIDTH" "$HEIGHT" "$1"
  echo "$WIDTH $HEIGHT"
}
window_capture() {  # FILE: the shown window's pixels
  local wx wy ww wh
  read -r wx wy ww wh <<<"$(form_value window)"
  capture "$wx" "$wy" "$ww" "$wh" "$1"
}
balloon_says() { wine_run "$BUILD/trayprobe.exe" balloon 2>/dev/null | tr -d '\r' >"$WORK/balloon.txt" && grep -qxF "$1" "$WORK/balloon.txt"; }
restart_tray_host() {
  kill "$TRAYER_PID" 2>/dev/null
  wait "$TRAYER_PID" 2>/dev/null
  trayer --edge top --align left --widthtype request --height "$1" >/dev/null 2>&1 &
  TRAYER_PID=$!
  sleep 0.5
}

# ---- 96 dpi: the pictures to compare with ---------------------------------------------
wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
start_demo
wait_for 20 tray_icon_present
sleep 2
read -r w96 h96 <<<"$(entry_capture "$WORK/tray-96.ppm")"
click_tray
wait_for 5 visible 1
sleep 0.5
window_capture "$WORK/window-96.ppm"
probe close $FORM >/dev/null
wait_for 15 demo_gone

# ---- 144 dpi, in a prefix of its own -----------------------------------------------------
"$WINESERVER" -k 2>/dev/null
"$WINESERVER" -w
DEFAULT_PREFIX=$WINEPREFIX
[ -f "$SCALE_PREFIX/.kelvane-ready" ] || { rm -rf "$SCALE_PREFIX" && cp -a "$WINEPREFIX" "$SCALE_PREFIX"; }
export WINEPREFIX=$SCALE_PREFIX
wine_run reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
wine_run reg delete 'HKCU\Software\Kelvane' /f >/dev/null 2>&1
"$WINESERVER" -w
restart_tray_host 28
start_demo
require "the demo's entry docks at 144 dpi" wait_for 30 tray_icon_present
sleep 2
read -r w144 h144 <<<"$(entry_capture "$WORK/tray-144.ppm")"
echo "     docked entry: ${w96}x$h96 at 96 dpi, ${w144}x$h144 at 144 dpi"
check "at 96 dpi the entry is a 16 x 16 square in a one-pixel frame" framed_square "$WORK/tray-96.ppm" 16
check "at 144 dpi it is a 24 x 24 square in a one-pixel frame" framed_square "$WORK/tray-144.ppm" 24
read -r ox oy <<<"$(framed_square "$WORK/tray-144.ppm" 24)"
crop "$WORK/tray-144.ppm" "${ox:-0}" "${oy:-0}" 24 24 "$WORK/icon-144.ppm"
check "and not a 16 x 16 stretched by 1.5" not_stretched "$WORK/icon-144.ppm"
for dpi in 96 144; do
  convert "$WORK/tray-$dpi.ppm" -scale 800% "$ROOT/docs/tray-$dpi.png"
done
click_tray
wait_for 5 visible 1
sleep 0.5
window_capture "$WORK/window-144.ppm"
check "the window is the one at 96 dpi, pixel for pixel" \
  test "$(differing_pixels "$WORK/window-96.ppm" "$WORK/window-144.ppm")" = 0
click_tray
wait_for 5 visible 0
probe close $FORM >/dev/null
wait_for 15 demo_gone

# ---- the fail-safe's balloons, as the shell shows them --------------------------------------
wine_run "$BUILD/busholder.exe" "$BUS_MUTEX" 20000 >"$WORK/busholder.txt" 2>/dev/null &
HOLDER_PID=$!
wait_for 10 grep -q '^held' "$WORK/busholder.txt"
start_demo
check "held bus: the balloon says the fan is boosted" \
  wait_for 20 balloon_says "title Kelvane cannot read the sensors: the fan is boosted"
check "and why, in the tip's fourth line" \
  balloon_says "text No readings: the sensor bus is held by another monitor"
check "readings back: the balloon says so" \
  wait_for 40 balloon_says "title Kelvane reads the sensors again"
check "in plain words" balloon_says "text The fan follows the thresholds again"
wait "$HOLDER_PID" 2>/dev/null
probe close $FORM >/dev/null
wait_for 15 demo_gone

"$WINESERVER" -k 2>/dev/null
"$WINESERVER" -w
export WINEPREFIX=$DEFAULT_PREFIX
restart_tray_host 24
