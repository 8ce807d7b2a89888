# The 64-bit product with a module inside, as a release embeds PawnIO's (kelvane-embedded.exe:
# test bytes the stand-in driver takes for the signed module): it reads with no LpcIO.bin
# beside it, and a LpcIO.bin beside it that PawnIO refuses gives way to it. Sourced by e2e.sh;
# runs the 64-bit Wine in the PawnIO section's prefix, with the stand-in of PawnIO's driver
# running, and puts everything back.
source "$ROOT/tests/wine/pawnio-standin.sh"

module_section() {
  local saved_wine=$WINE saved_server=$WINESERVER saved_build=$BUILD saved_prefix=$WINEPREFIX
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  WINE=$WINE64 BUILD=$ROOT/build/win64
  export WINESERVER=$WINESERVER64 WINELOADER=/usr/lib/wine/wine64
  export WINEPREFIX=$(wine_prefix pawnio)
  prepare_prefix
  local kelvane="$WINEPREFIX/drive_c/Program Files/Kelvane"
  standin_remove
  rm -rf "$kelvane"
  mkdir -p "$kelvane"
  cp "$BUILD/kelvane-embedded.exe" "$kelvane/kelvane.exe"
  standin_register
  standin_start
  require "the stand-in driver runs as the kernel service PawnIO" \
    grep -q RUNNING <(wine_run sc query PawnIO 2>/dev/null | tr -d '\r')
  local hint pass
  for pass in embedded beside; do
    [ $pass = beside ] && printf 'not signed' >"$kelvane/LpcIO.bin"
    (cd "$kelvane" && wine_run "$kelvane/kelvane.exe" >/dev/null 2>&1) &
    wait_for 20 tray_icon_present
    sleep 1
    hint=$(tray_hint)
    probe close KelvaneFrame >/dev/null
    wait_for 20 tray_icon_absent
    if [ $pass = embedded ]; then
      check "the embedded module, no LpcIO.bin beside: readings ($hint)" \
        eval '[[ "$hint" == "CPU: "[0-9]*"°|Motherboard: "[0-9]*"°|Fan boost: o"* ]]'
    else
      check "a LpcIO.bin beside that PawnIO refuses gives way to the embedded module ($hint)" \
        eval '[[ "$hint" == "CPU: "[0-9]*"°|"*"|LpcIO.bin ignored, PawnIO refused it: built-in used" ]]'
    fi
  done
  standin_remove
  rm -rf "$kelvane"
  WINE=$saved_wine BUILD=$saved_build
  export WINESERVER=$saved_server WINELOADER=$saved_wine WINEPREFIX=$saved_prefix
}

module_section
