# The 64-bit product with a module inside, as a release embeds PawnIO's (kelvane-embedded.exe:
# test bytes the stand-in library takes for the signed module): it reads with no LpcIO.bin
# beside it, and a LpcIO.bin beside it that PawnIO refuses gives way to it. Sourced by e2e.sh;
# runs the 64-bit Wine in the PawnIO section's prefix and puts everything back.
module_section() {
  local saved_wine=$WINE saved_server=$WINESERVER saved_build=$BUILD saved_prefix=$WINEPREFIX
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  WINE=/usr/lib/wine/wine64 BUILD=$ROOT/build/win64
  export WINESERVER=/usr/lib/wine/wineserver64 WINELOADER=/usr/lib/wine/wine64
  export WINEPREFIX=$ROOT/build/wineprefix-pawnio
  prepare_prefix
  # Inside drive_c, where the load-place rule passes; found by the value 2.0's setup wrote and
  # by the uninstall entry of 2.2's.
  local kelvane="$WINEPREFIX/drive_c/Program Files/Kelvane" pawnio="$WINEPREFIX/drive_c/Program Files/PawnIO"
  local keys=('HKLM\SOFTWARE\PawnIO' 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\PawnIO')
  rm -rf "$kelvane" "$pawnio"
  mkdir -p "$kelvane" "$pawnio"
  cp "$BUILD/PawnIOLib.dll" "$pawnio/"
  cp "$BUILD/kelvane-embedded.exe" "$kelvane/kelvane.exe"
  wine_run reg add "${keys[0]}" /v Install_Dir /d 'C:\Program Files\PawnIO' /f /reg:64 >/dev/null 2>&1
  wine_run reg add "${keys[1]}" /v InstallLocation /d 'C:\Program Files\PawnIO' /f /reg:64 >/dev/null 2>&1
  local hint pass key
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
  rm -rf "$kelvane" "$pawnio"
  for key in "${keys[@]}"; do wine_run reg delete "$key" /f /reg:64 >/dev/null 2>&1; done
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  WINE=$saved_wine BUILD=$saved_build
  export WINESERVER=$saved_server WINELOADER=$saved_wine WINEPREFIX=$saved_prefix
}

module_section
