# The LpcIO module inside the 64-bit kelvane.exe, as a release built with PawnIO's embeds it:
# kelvane-embedded.exe is the product with test bytes inside that the stand-in for PawnIO's
# library takes for the signed module. It reads with no LpcIO.bin beside it, and a LpcIO.bin
# beside it comes first; the product built without one still asks for the file.
# Sourced by e2e.sh (check, probe, tray_hint and the session are set up there). Runs the 64-bit
# Wine with the 64-bit build in the PawnIO section's prefix, and puts everything back.

module_section() {
  local saved_wine=$WINE saved_server=$WINESERVER saved_build=$BUILD saved_prefix=$WINEPREFIX
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  WINE=/usr/lib/wine/wine64
  export WINESERVER=/usr/lib/wine/wineserver64 WINELOADER=/usr/lib/wine/wine64
  BUILD=$ROOT/build/win64
  export WINEPREFIX=$ROOT/build/wineprefix-pawnio
  prepare_prefix

  # The stand-in installed where the load-place rule passes (inside drive_c), found both by
  # the value older setups wrote and by the uninstall entry of PawnIO 2.2's setup.
  local programs="$WINEPREFIX/drive_c/Program Files"
  local kelvane="$programs/Kelvane" pawnio="$programs/PawnIO"
  rm -rf "$kelvane" "$pawnio"
  mkdir -p "$kelvane" "$pawnio"
  cp "$BUILD/PawnIOLib.dll" "$pawnio/"
  local uninstall='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\PawnIO'
  wine_run reg add 'HKLM\SOFTWARE\PawnIO' /v Install_Dir /d 'C:\Program Files\PawnIO' /f /reg:64 \
    >/dev/null 2>&1
  wine_run reg add "$uninstall" /v InstallLocation /d 'C:\Program Files\PawnIO' /f /reg:64 \
    >/dev/null 2>&1

  local pid
  start_module_kelvane() {  # the build's program to run as kelvane.exe
    cp "$BUILD/$1" "$kelvane/kelvane.exe"
    (cd "$kelvane" && wine_run "$kelvane/kelvane.exe" >/dev/null 2>&1) &
    pid=$!
    wait_for 20 tray_icon_present
    sleep 1
  }
  stop_module_kelvane() {
    probe close KelvaneFrame >/dev/null
    wait_for 20 eval '! kill -0 "$pid" 2>/dev/null'
    kill "$pid" 2>/dev/null
    wait_for 10 tray_icon_absent
  }

  start_module_kelvane kelvane-embedded.exe
  local hint
  hint=$(tray_hint)
  check "the embedded module, no LpcIO.bin beside: readings ($hint)" \
    eval '[[ "$hint" == "CPU: "[0-9]*"°|Motherboard: "[0-9]*"°|Fan boost: o"* ]]'
  stop_module_kelvane

  printf 'not signed' >"$kelvane/LpcIO.bin"
  start_module_kelvane kelvane-embedded.exe
  check "a LpcIO.bin beside comes before the embedded module" \
    hint_says "PawnIO refused LpcIO.bin: use the signed module"
  stop_module_kelvane

  rm -f "$kelvane/LpcIO.bin"
  start_module_kelvane kelvane.exe
  check "the product built without a module asks for LpcIO.bin" \
    hint_says "LpcIO.bin is missing beside kelvane.exe"
  stop_module_kelvane

  rm -rf "$kelvane" "$pawnio"
  wine_run reg delete 'HKLM\SOFTWARE\PawnIO' /f /reg:64 >/dev/null 2>&1
  wine_run reg delete "$uninstall" /f /reg:64 >/dev/null 2>&1
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  WINE=$saved_wine BUILD=$saved_build
  export WINESERVER=$saved_server WINELOADER=$saved_wine WINEPREFIX=$saved_prefix
}

module_section
