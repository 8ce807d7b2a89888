# The 64-bit kelvane.exe on a 64-bit Windows, talking to PawnIO's device, here a stand-in of
# PawnIO's driver (tests/wine/pawnio-standin.sh): the tip says why there are no readings while
# PawnIO is missing, installed (as 2.0's or 2.2's setup records it) with its driver not
# running, or its module is refused or too old, or its driver older than 2.0; with the driver
# running (2.2's, and 2.0's, which tells no version) the program reads the simulated chip and
# switches the fan line with the hysteresis, every module call under the bus lock, and seeks
# the chip again on a wake. Wine proves nothing about the device's access list (administrators
# only) or the module's signature check: the simulated machine's tests decide those.
# Sourced by e2e.sh (check, probe, tray_hint and the session are set up there). Runs the 64-bit
# Wine with the 64-bit build in a prefix of its own, and puts everything back as it was.
source "$ROOT/tests/wine/pawnio-standin.sh"

pawnio_section() {
  local saved_wine=$WINE saved_server=$WINESERVER saved_build=$BUILD saved_prefix=$WINEPREFIX
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  WINE=$WINE64
  export WINESERVER=$WINESERVER64 WINELOADER=/usr/lib/wine/wine64
  BUILD=$ROOT/build/win64
  export WINEPREFIX=$(wine_prefix pawnio)
  prepare_prefix

  # Inside drive_c, which only this account may change.
  local kelvane="$WINEPREFIX/drive_c/Program Files/Kelvane" pawnio
  pawnio=$(standin_folder)
  local entry='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\PawnIO'
  standin_remove
  rm -rf "$kelvane"
  wine_run reg delete "$entry" /f /reg:64 >/dev/null 2>&1
  wine_run reg delete 'HKLM\SOFTWARE\PawnIO' /f /reg:32 >/dev/null 2>&1
  mkdir -p "$kelvane"
  cp "$BUILD/kelvane.exe" "$kelvane/"
  printf 'LpcIO stand-in, signed' >"$kelvane/LpcIO.bin"
  local pid
  start_pawnio_kelvane() {
    (cd "$kelvane" && wine_run "$kelvane/kelvane.exe" >/dev/null 2>&1) &
    pid=$!
    wait_for 20 tray_icon_present
    sleep 1
  }
  stop_pawnio_kelvane() {
    probe close KelvaneFrame >/dev/null
    wait_for 20 eval '! kill -0 "$pid" 2>/dev/null'
    kill "$pid" 2>/dev/null
    wait_for 10 tray_icon_absent
  }
  readings() { [[ "$hint" == "CPU: "[0-9]*"°|Motherboard: "[0-9]*"°|Fan boost: o"* ]]; }
  local hint

  start_pawnio_kelvane
  check "PawnIO absent: the tip says to install it" \
    hint_says "Fan boost: unknown|PawnIO is not installed: install it for readings"
  check "PawnIO absent: no box" test -z "$(probe msgbox Error)"
  stop_pawnio_kelvane

  # Recorded as 2.0's 32-bit setup did (Install_Dir, 32-bit view), then as 2.2's (only the
  # uninstall entry, 64-bit view), its driver not registered: no device.
  wine_run reg add 'HKLM\SOFTWARE\PawnIO' /v Install_Dir /d 'C:\Program Files\PawnIO' /f \
    /reg:32 >/dev/null 2>&1
  start_pawnio_kelvane
  check "2.0's record, no driver running: the tip says so, not 'run as administrator'" \
    hint_says "Fan boost: unknown|PawnIO driver not running: restart Windows or reinstall it"
  stop_pawnio_kelvane
  wine_run reg delete 'HKLM\SOFTWARE\PawnIO' /f /reg:32 >/dev/null 2>&1
  wine_run reg add "$entry" /v InstallLocation /d 'C:\Program Files\PawnIO' /f /reg:64 \
    >/dev/null 2>&1
  standin_register
  start_pawnio_kelvane
  check "2.2's record, its driver registered, not started: the tip says the driver is not running" \
    hint_says "Fan boost: unknown|PawnIO driver not running: restart Windows or reinstall it"
  stop_pawnio_kelvane

  standin_start
  require "the stand-in driver runs as the kernel service PawnIO" \
    grep -q RUNNING <(wine_run sc query PawnIO 2>/dev/null | tr -d '\r')
  # The program's client against the stand-in: the codes driver.cpp and vm.cpp give (2.2),
  # as the system's errors. Checks the stand-in and Wine's status mapping, not PawnIO. Wine 8
  # turns STATUS_ALREADY_INITIALIZED into 317 (no such message), where Windows gives 1247
  # (0x800704DF): the program tells no load refusal from another, so either will do.
  local expected="open 0x00000000
version 0x00000000
version-value 0x00020200
execute-before-load 0x80070057
load 0x00000000
second-load 0x8007013D
no-prefix 0x80070057
unknown 0x80070002
select 0x00000000
inb 0x00000000
inb-returned 1
close 0x00000000"
  check "the device's answers: version 2.2.0, execute before a load and a name without ioctl_ refused, a second load refused, an unknown function not found" \
    test "$(probe pawnio | tr -d '\r')" = "$expected"

  printf 'LpcIO 0.1.5 stand-in, signed' >"$kelvane/LpcIO.bin"
  start_pawnio_kelvane
  check "a module before LpcIO 0.1.6: the tip names the release to get" \
    hint_says "Fan boost: unknown|LpcIO.bin is too old: get PawnIO.Modules 0.2.10 or later"
  stop_pawnio_kelvane

  printf 'not signed' >"$kelvane/LpcIO.bin"
  start_pawnio_kelvane
  check "a module PawnIO refuses: the tip says so" \
    hint_says "Fan boost: unknown|PawnIO refused LpcIO.bin: use the signed module"
  stop_pawnio_kelvane

  printf 'LpcIO stand-in, signed' >"$kelvane/LpcIO.bin"
  touch "$pawnio/driver-1.0"
  start_pawnio_kelvane
  check "PawnIO 1.0's driver, which takes no module of today: the tip says to update PawnIO" \
    hint_says "Fan boost: unknown|PawnIO is older than 2.0: update it"
  stop_pawnio_kelvane
  rm -f "$pawnio/driver-1.0"

  rm -f "$pawnio/pawnio-log.txt"
  start_pawnio_kelvane
  hint=$(tray_hint)
  check "PawnIO's device and its module: the tip has readings and the fan line ($hint)" readings
  sleep 40
  # A wake from sleep: the chip is sought again and the fan line written at once, inside the
  # message the probe sends, before the next tick.
  probe resume KelvaneFrame >/dev/null
  written_after_seeking() {
    tr -d '\r' <"$pawnio/pawnio-log.txt" | awk '$1 == "slot" { s = NR } $1 == "fan" { f = NR }
      END { exit !(s > 5 && f > s) }'
  }
  check "a wake seeks the chip again and writes the fan line at once" written_after_seeking
  stop_pawnio_kelvane
  tr -d '\r' <"$pawnio/pawnio-log.txt" >"$WORK/pawnio-log.txt"
  echo "     stand-in's log: $(grep -c '^cpu' "$WORK/pawnio-log.txt") processor reads," \
    "$(grep -c '^fan' "$WORK/pawnio-log.txt") fan writes"
  check "every module call was made under the bus lock" \
    test "$(grep -c '^unlocked' "$WORK/pawnio-log.txt")" = 0
  check "the fan line was both boosted and normal" \
    eval 'grep -qx "fan 0x00" "$WORK/pawnio-log.txt" && grep -qx "fan 0x14" "$WORK/pawnio-log.txt"'
  # Each refresh reads the processor twice and then writes the line, decided on the first read
  # by the default thresholds (on at 65, off at 55); between them the line holds.
  hysteresis_held() {
    awk 'BEGIN { state = "0x00"; bad = 0; n = 0 }
         $1 == "cpu" { if (++n == 1) t = $2 }
         $1 == "fan" { if (n > 0) { want = state == "0x00" ? (t > 55 ? "0x00" : "0x14") \
                                                        : (t >= 65 ? "0x00" : "0x14");
                                    if ($2 != want) bad++ }
                       state = $2; n = 0 }
         END { exit bad != 0 }' "$WORK/pawnio-log.txt"
  }
  check "the fan line followed the hysteresis at every refresh" hysteresis_held

  # 2.0's driver has no version question: taken as 2.0.
  touch "$pawnio/driver-2.0"
  start_pawnio_kelvane
  hint=$(tray_hint)
  check "PawnIO 2.0's driver, which tells no version: the tip has readings ($hint)" readings
  stop_pawnio_kelvane

  # The firmware's "floppy disabled" clears the controller's activation only: LpcIO grants the
  # range all the same, but a write there would switch nothing. The running stand-in keeps its
  # log open: emptied, not removed.
  touch "$pawnio/floppy-off"
  : >"$pawnio/pawnio-log.txt"
  start_pawnio_kelvane
  hint=$(tray_hint)
  check "the floppy controller inactive: readings, the fan line unknown, and why ($hint)" \
    eval '[[ "$hint" == "CPU: "[0-9]*"°|"*"|No fan line: floppy controller disabled in firmware setup" ]]'
  check "the floppy controller inactive: the chip read, the fan line never written" \
    eval 'grep -q "^cpu" "$pawnio/pawnio-log.txt" && ! grep -q "^fan" "$pawnio/pawnio-log.txt"'
  stop_pawnio_kelvane
  rm -f "$pawnio/floppy-off"

  # Another program takes the bus lock before the first search and keeps it: after 30 s the
  # chip is sought once without it, and the fan is boosted.
  : >"$pawnio/pawnio-log.txt"
  wine_run "$BUILD/busholder.exe" 'Global\Access_ISABUS.HTP.Method' 70000 \
    >"$WORK/pawnio-squatter.txt" 2>/dev/null &
  local squatter=$!
  wait_for 10 grep -q '^held' "$WORK/pawnio-squatter.txt"
  start_pawnio_kelvane
  check "the bus lock squatted from the start: the fan boosted within 50 s" \
    wait_for 50 grep -q '^fan 0x00' "$pawnio/pawnio-log.txt"
  hint=$(tray_hint)
  check "the bus lock squatted from the start: the tip says the chip was found without it ($hint)" \
    eval '[[ "$hint" == *"bus lock kept 30 s; chip found without it"* ]]'
  stop_pawnio_kelvane
  kill "$squatter" 2>/dev/null
  wait "$squatter" 2>/dev/null

  standin_remove
  wine_run reg delete "$entry" /f /reg:64 >/dev/null 2>&1
  WINE=$saved_wine BUILD=$saved_build
  export WINESERVER=$saved_server WINELOADER=$saved_wine WINEPREFIX=$saved_prefix
}

pawnio_section
