# The real executable, whose ports Wine refuses: on 32-bit Windows it meets the port driver
# (the missing-driver box, once, in Unicode; the service, registered only from a folder users
# cannot change; a window that answers at once while the ports stay refused), on 64-bit
# Windows it registers, shows and waits for nothing and points to the 64-bit program; in both
# the tray's hint says why there are no readings.
# Where this machine runs no 32-bit code, the driver path runs in the 64-bit build of the same
# sources made for the tests. Sourced by e2e.sh (check, skip, probe, wait_for, start_real_in
# and the session are set up there).

FORM=KelvaneFrame
service() { wine_run reg query 'HKLM\System\CurrentControlSet\Services\giveio' /v "$1" 2>/dev/null |
  tr -d '\r' | awk -v k="$1" '$1 == k { print $3; exit }'; }
box_text() { probe msgbox Error; }
box_shown() { [ -n "$(box_text)" ]; }
answer_box() { probe answer Error >/dev/null; }
real_gone() { ! kill -0 "$1" 2>/dev/null; }
# The program runs with its entry docked and has registered no driver service.
running_without_service() { program_runs && tray_icon_present && [ -z "$(service Type)" ]; }
# Answers every box for $1 seconds and prints how many there were.
answer_boxes_for() {
  local answered=0 deadline=$((SECONDS + $1))
  while [ $SECONDS -lt $deadline ]; do
    if box_shown; then
      answer_box
      answered=$((answered + 1))
      sleep 1
    fi
    sleep 0.2
  done
  echo "$answered"
}
close_real() {
  probe close $FORM >/dev/null
  wait_for 30 real_gone "$1"
  check "a close request ends the real executable" real_gone "$1"
  kill "$1" 2>/dev/null
}

# ---- 32-bit Windows: the driver path ------------------------------------------------------
# Started from a directory without the driver file: the missing-driver box, once, read from the
# box itself; answering lets the program go on; the service is registered beside the executable.
forget_driver_service() {
  wine_run sc delete giveio >/dev/null 2>&1
  wine_run reg delete 'HKLM\System\CurrentControlSet\Services\giveio' /f >/dev/null 2>&1
}

real_on_32bit_windows() {
  forget_driver_service
  local real
  real=$(prefix_folder e2e/real 755)
  start_real_in "$real"
  local pid=$!
  check "missing-driver box appears at start" wait_for 20 box_shown
  check "the box reads as the Russian sentence, whatever the code page ($(box_text))" \
    test "$(box_text)" = "Драйвер giveio.sys не найден."
  local boxes
  boxes=$(answer_boxes_for 30)
  check "one box in half a minute of refused accesses ($boxes)" test "$boxes" = 1
  check "the program still runs after refused port accesses" kill -0 "$pid"
  check "the hint says the port driver is not running" \
    hint_says "Fan boost: unknown|Ports refused: giveio not running (run as administrator)"
  check "service giveio registered with type 1" test "$(service Type)" = "0x1"
  check "service start type 3 (on demand)" test "$(service Start)" = "0x3"
  check "service error control 1" test "$(service ErrorControl)" = "0x1"
  local image
  image=$(service ImagePath)
  beside_executable() { [[ "${image,,}" == *'c:\e2e\real\giveio.sys' ]]; }
  check "driver path is beside the executable ($image)" beside_executable
  # While the ports stay refused, refreshes neither start the driver again nor pause: the
  # window answers every message at once. 25 s: five refreshes, each of which used to wait
  # a second (and, in a 32-bit prefix, ten more for the start of the missing driver).
  local answers
  answers=$(wine_run "$BUILD/answerprobe.exe" $FORM 25 | tr -d '\r' | paste -sd' ')
  echo "     WM_NULL over 25 s of refused ports: $answers"
  answered_at_once() { [[ "$answers" == "sent "* ]] && [[ "$answers" == *"late 0 "* ]] &&
    [ "$(echo "$answers" | awk '{ print $2 }')" -ge 50 ]; }
  check "the window answers within 300 ms throughout refused ports" answered_at_once
  close_real "$pid"

  # A driver in a folder everyone may change is not registered. (Wine gives a folder the list
  # its modes say, "other" users being everyone; users and groups other than everyone, only the
  # simulation tells.)
  forget_driver_service
  local open
  open=$(prefix_folder e2e/real-open 777)
  echo "not a driver" >"$open/giveio.sys"
  start_real_in "$open"
  pid=$!
  wait_for 20 tray_icon_present
  # The hint tells the enablement's decision, made before the first refresh ended.
  check "the hint says why and what to do" \
    wait_for 20 hint_says "Fan boost: unknown|Other users can replace giveio.sys: use Kelvane's setup"
  check "a driver users may replace is not registered" running_without_service
  close_real "$pid"

  # A close request while the start-up box is open ends the program; the box goes with it.
  start_real_in "$real"
  pid=$!
  check "start-up without the driver: the missing-driver box is open" wait_for 20 box_shown
  probe close $FORM >/dev/null
  check "a close request answered inside the box ends kelvane.exe" wait_for 15 real_gone "$pid"
  if ! real_gone "$pid"; then
    for _ in 1 2 3 4 5 6 7 8 9 10; do box_shown && answer_box; sleep 0.3; done
    kill "$pid" 2>/dev/null
  fi
}

# ---- 64-bit Windows: no futile driver -----------------------------------------------------
real_on_64bit_windows() {
  forget_driver_service
  local real
  real=$(prefix_folder e2e/real64 755)
  start_real_in "$real"
  local pid=$!
  wait_for 20 tray_icon_present
  local boxes
  boxes=$(answer_boxes_for 15)
  no_box_while_running() { [ "$boxes" = 0 ] && program_runs && tray_icon_present; }
  check "64-bit Windows: no box in 15 s ($boxes), the program running" no_box_while_running
  check "64-bit Windows: no driver service registered" running_without_service
  check "64-bit Windows: the hint names it as the cause" \
    hint_says "CPU: no reading|Motherboard: no reading|Fan boost: unknown|No readings on 64-bit Windows: use the 64-bit Kelvane"
  close_real "$pid"
}

# ---- a library planted beside the executable --------------------------------------------------
# Wine prefers its own version.dll; the override gives the order Windows gives a library that is
# not one of its known ones: the executable's folder first.
real_planted_library() {
  local planted
  planted=$(prefix_folder e2e/real-planted 755)
  cp "$BUILD/planted/version.dll" "$planted/"
  # Loaded by its full path, Wine would take its own library of that name but for the override.
  WINEDLLOVERRIDES=version=n,b probe load "Z:$(echo "$planted/version.dll" | tr / '\\')" >/dev/null
  require "the planted version.dll leaves its mark when it is loaded" \
    test -e "$planted/planted-version-dll-loaded"
  rm -f "$planted/planted-version-dll-loaded"
  WINEDLLOVERRIDES=version=n,b start_real_in "$planted"
  local pid=$!
  check "kelvane.exe starts beside a planted version.dll" wait_for 20 tray_icon_present
  # Wine's own user32.dll imports version.dll (Windows' does not, and a known library's imports
  # come from the system folder there): under Wine the mark comes from Wine's user32 for any
  # program, so the executable's own imports are what can be checked here.
  [ -e "$planted/planted-version-dll-loaded" ] &&
    echo "     (marked under Wine: loaded for Wine's own user32.dll, not by kelvane.exe's imports)"
  own_imports_name_no_planted_library() {
    ! x86_64-w64-mingw32-objdump -p "$BUILD/kelvane.exe" | grep -qiE 'DLL Name: (version|comctl32)'
  }
  check "kelvane.exe's own imports name neither version.dll nor comctl32.dll" \
    own_imports_name_no_planted_library
  close_real "$pid"
}
real_planted_library

if [ "$WINE_BITS" = 32 ]; then
  # The default prefix is a 64-bit Windows; the driver path needs a 32-bit one of its own.
  real_on_64bit_windows
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  DEFAULT_PREFIX=$WINEPREFIX
  export WINEPREFIX=$(wine_prefix win32) WINEARCH=win32
  prepare_prefix
  real_on_32bit_windows
  "$WINESERVER" -k 2>/dev/null
  "$WINESERVER" -w
  rm -rf "$WINEPREFIX/drive_c/e2e"
  export WINEPREFIX=$DEFAULT_PREFIX
  unset WINEARCH
else
  # A 32-bit program on 64-bit Windows is what this machine cannot run; the driver path runs
  # in the 64-bit test build, to which the default prefix is its own Windows, as a 32-bit one
  # is to the 32-bit program.
  skip "$NO_32_BIT: the 32-bit kelvane.exe on 64-bit Windows (WoW64)" \
    "64-bit Windows: no box in 15 s, the program running" \
    "64-bit Windows: no driver service registered" \
    "64-bit Windows: the hint names it as the cause" \
    "a close request ends the real executable"
  real_on_32bit_windows
  forget_driver_service  # the default prefix goes on to the other sections
fi
rm -rf "$WINEPREFIX/drive_c/e2e"
