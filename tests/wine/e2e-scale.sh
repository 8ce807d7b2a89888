# The tray text at 150 %: a prefix of its own with LogPixels 144, where Wine shows every tray
# icon at its small-icon size of 24 (the tray host 28 high: Wine docks an entry of that size
# plus 4). The demo draws its text at 24 x 24 instead of leaving a 16 x 16 to be stretched,
# and the balloons of the fail-safe are read from the shell. Wine does not stretch the window of
# a program unaware of scaling, as Windows does: it draws the caption and the system font at
# 144 dpi, so only the window's client area can be compared.
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
# Wine shows a balloon as the shell's tooltip window; its text is the record's szInfo.
balloon_says() { probe tooltip | grep -qxF "$1"; }
square_found() { framed_square "$@" >/dev/null; }
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
check "at 96 dpi the entry is a 16 x 16 square in a one-pixel frame" square_found "$WORK/tray-96.ppm" 16
check "at 144 dpi it is a 24 x 24 square in a one-pixel frame" square_found "$WORK/tray-144.ppm" 24
read -r ox oy <<<"$(framed_square "$WORK/tray-144.ppm" 24)"
crop "$WORK/tray-144.ppm" "${ox:-0}" "${oy:-0}" 24 24 "$WORK/icon-144.ppm"
check "and not a 16 x 16 stretched by 1.5" not_stretched "$WORK/icon-144.ppm"
for dpi in 96 144; do
  convert "$WORK/tray-$dpi.ppm" -scale 800% "$ROOT/docs/tray-$dpi.png"
done
click_tray
check "the window is shown at 144 dpi" wait_for 5 visible 1
read -r _ _ cw ch <<<"$(form_value client)"
check "with its client area of 206 x 274 ($cw x $ch)" test "$cw" = 206 -a "$ch" = 274
click_tray
wait_for 5 visible 0
probe close $FORM >/dev/null
wait_for 15 demo_gone

# ---- the fail-safe's balloons, as the shell shows them --------------------------------------
# Held from before the start: the first refresh boosts blind; a balloon shows for some seconds.
wine_run "$BUILD/busholder.exe" "$BUS_MUTEX" 45000 >"$WORK/busholder.txt" 2>/dev/null &
HOLDER_PID=$!
wait_for 10 grep -q '^held' "$WORK/busholder.txt"
xdotool mousemove 700 700  # no tip shown: it has the same fourth line
start_demo
check "held bus: a balloon from the entry gives the cause, the tip's fourth line" \
  wait_for 40 balloon_says "No readings: the sensor bus is held by another monitor"
check "readings back: a balloon says so" \
  wait_for 60 balloon_says "The fan follows the thresholds again"
wait "$HOLDER_PID" 2>/dev/null
probe close $FORM >/dev/null
wait_for 15 demo_gone

"$WINESERVER" -k 2>/dev/null
"$WINESERVER" -w
export WINEPREFIX=$DEFAULT_PREFIX
restart_tray_host 24
