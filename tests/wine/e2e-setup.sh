# The setup program: the package target made it; then, in a prefix of its own, a silent install,
# a start from the Start-menu shortcut, a silent upgrade over the running copy and a silent
# uninstall, with the user's thresholds planted before and changed while the copy runs; then an
# setup over a copy that does not end, and an uninstall beside a driver service that belongs to
# someone else. Sourced by e2e.sh (check, probe, probe_value, wait_for, wine_run and the session
# are set up there).

SETUP_VERSION=$(sed -n 's/^project(Kelvane VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt")
check "the package target made Kelvane-$SETUP_VERSION-win32-setup.exe" \
  test -s "$ROOT/build/win32/Kelvane-$SETUP_VERSION-win32-setup.exe"

# The setup of the build under test (tools/build.sh packages both builds).
SETUP_SYSTEM=$(basename "$BUILD")
SETUP_EXE=$BUILD/Kelvane-$SETUP_VERSION-$SETUP_SYSTEM-setup.exe
# A driver file handed over beside the setup program.
SETUP_DIR=$WORK/setup
mkdir -p "$SETUP_DIR"
cp "$SETUP_EXE" "$SETUP_DIR/"
echo "a stand-in for the port driver" >"$SETUP_DIR/giveio.sys"
run_setup() { wine_run "$SETUP_DIR/$(basename "$SETUP_EXE")" "$@" >/dev/null 2>&1; }

# A fresh copy of a booted default (64-bit) prefix each run: nothing from an earlier run or
# section. The tests' own prefix comes back at the end.
TESTS_PREFIX=$WINEPREFIX
export WINEPREFIX=$ROOT/build/wineprefix-setup-base
prepare_prefix
"$WINESERVER" -w
rm -rf "$ROOT/build/wineprefix-setup"
cp -a "$WINEPREFIX" "$ROOT/build/wineprefix-setup"
export WINEPREFIX=$ROOT/build/wineprefix-setup

# Under a 64-bit system a 32-bit setup installs into "Program Files (x86)" and its HKLM keys
# land in the 32-bit view (Wow6432Node); the 64-bit setup uses the native ones.
if [ "$SETUP_SYSTEM" = win32 ]; then
  SETUP_PF='Program Files (x86)' SETUP_VIEW=/reg:32 SETUP_OTHER_VIEW=/reg:64
else
  SETUP_PF='Program Files' SETUP_VIEW=/reg:64 SETUP_OTHER_VIEW=/reg:32
fi
INST=$WINEPREFIX/drive_c/$SETUP_PF/Kelvane
INST_WIN="C:\\$SETUP_PF\\Kelvane"
SHORTCUT_WIN='C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Kelvane.lnk'
SHORTCUT=$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Kelvane.lnk
ENTRY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kelvane'
RUN_KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
SERVICE='HKLM\System\CurrentControlSet\Services\giveio'
FORM_KEY='HKCU\Software\Kelvane\Form1'
SETUP_PUBLISHER=$(sed -n 's/.*"CompanyName", *"\([^"\\]*\).*/\1/p' "$ROOT/app/kelvane.rc")

# reg_value KEY NAME [VIEW]: the value's data as reg shows it ("0x47", a string), empty if none.
reg_value() {
  wine_run reg query "$1" /v "$2" ${3:+"$3"} 2>/dev/null | tr -d '\r' |
    sed -nE "s/^ *$2 +REG_[A-Z_]+ *//p"
}
no_key() { ! wine_run reg query "$@" >/dev/null 2>&1; }
entry_gone() { no_key "$ENTRY" $SETUP_VIEW; }
# Running copies of the product in this prefix (a wine process carries its prefix in its
# environment; a reaped-late one shows as a zombie).
copy_pids() {
  local pid
  for pid in $(pgrep -f -i 'kelvane.kelvane\.exe'); do
    [[ "$(ps -o stat= -p "$pid")" == Z* ]] && continue
    tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$pid"
  done
}
copies_are() { [ "$(copy_pids | wc -l)" = "$1" ]; }
frame_value() { probe_value "$1" window KelvaneFrame; }
frame_visible() { [ "$(frame_value visible)" = "$1" ]; }
frame_pid() { probe_value pid process KelvaneFrame; }
another_copy() { local pid; pid=$(frame_pid); [ -n "$pid" ] && [ "$pid" != "$1" ]; }
# Runs the entry's quiet uninstall command as a tool would: the quoted path, then its arguments.
# The uninstaller hands over to a copy of itself and returns at once; the entry goes last.
uninstall_quietly() {
  local command exe
  command=$(reg_value "$ENTRY" QuietUninstallString $SETUP_VIEW)
  exe=${command#\"}
  exe=${exe%%\"*}
  # shellcheck disable=SC2086
  wine_run "$exe" ${command##*\"} >/dev/null 2>&1
  wait_for 30 entry_gone
}
# Registers the driver service as the program or another one would (the program may have done
# so already: then the second registration fails and the first stays).
plant_service() {
  wine_run sc create giveio type= kernel start= demand binPath= "$1" >/dev/null 2>&1
}
service_image() { reg_value "$SERVICE" ImagePath | tr 'A-Z' 'a-z'; }

# ---- a silent install, with the user's thresholds from before ---------------------------------
wine_run reg add "$FORM_KEY" /v FormVersion /t REG_DWORD /d 0 /f >/dev/null 2>&1
wine_run reg add "$FORM_KEY" /v udBoostOnTemp_Position /t REG_DWORD /d 70 /f >/dev/null 2>&1
wine_run reg add "$FORM_KEY" /v udBoostOffTemp_Position /t REG_DWORD /d 60 /f >/dev/null 2>&1
setup_started=$SECONDS
run_setup /S
setup_rc=$?
check "silent install ($(basename "$SETUP_EXE")): exit code 0" test "$setup_rc" = 0
check "installed into $INST_WIN: kelvane.exe as built" cmp -s "$INST/kelvane.exe" "$BUILD/kelvane.exe"
check "installed: the Windows readme" cmp -s "$INST/README.txt" "$BUILD/README.txt"
check "installed: the giveio.sys lying beside the setup" cmp -s "$INST/giveio.sys" "$SETUP_DIR/giveio.sys"
check "installed: the uninstaller" test -s "$INST/uninstall.exe"
check "a Start-menu shortcut for every user" test -s "$SHORTCUT"
check "start at log-on, the default: the Run value is the quoted path" \
  test "$(reg_value "$RUN_KEY" Kelvane)" = "\"$INST_WIN\\kelvane.exe\""
entry_rows=(
  "DisplayName|Kelvane"
  "DisplayVersion|$SETUP_VERSION"
  "Publisher|${SETUP_PUBLISHER:-Kelvane}"
  "DisplayIcon|$INST_WIN\\kelvane.exe,0"
  "InstallLocation|$INST_WIN"
  "UninstallString|\"$INST_WIN\\uninstall.exe\""
  "QuietUninstallString|\"$INST_WIN\\uninstall.exe\" /S"
  "NoModify|0x1"
  "NoRepair|0x1"
)
for row in "${entry_rows[@]}"; do
  check "Programs and Features ($SETUP_VIEW view): ${row%%|*} is ${row#*|}" \
    test "$(reg_value "$ENTRY" "${row%%|*}" $SETUP_VIEW)" = "${row#*|}"
done
installed_kib=$(find "$INST" -type f -printf '%s\n' | awk '{ s += $1 } END { print int(s / 1024) }')
estimated_kib=$(($(reg_value "$ENTRY" EstimatedSize $SETUP_VIEW)))
check "estimated size $estimated_kib KiB, the files take $installed_kib KiB" \
  test "$estimated_kib" -gt 0 -a $((estimated_kib - installed_kib)) -le 4 -a \
  $((installed_kib - estimated_kib)) -le 4
check "no entry in the other registry view ($SETUP_OTHER_VIEW)" no_key "$ENTRY" $SETUP_OTHER_VIEW
check "a fresh install starts no copy" copies_are 0

# ---- started as a user would, then the thresholds changed in the window -----------------------
wine_run start "$SHORTCUT_WIN" >/dev/null 2>&1
check "started from the shortcut: one copy runs" wait_for 15 copies_are 1
check "its window is there, hidden" wait_for 10 frame_visible 0
sleep 1
check "started in its own folder, it finds the driver file: no missing-driver box" \
  test -z "$(probe msgbox Error)"
first_pid=$(frame_pid)
# A second start hands over to the running copy, which shows its window.
timeout 20 "$WINE" "$INST/kelvane.exe" >/dev/null 2>&1
wait_for 5 frame_visible 1
sleep 0.5
read -r cx cy _ _ <<<"$(frame_value client)"
on_digits() { import -window root -depth 8 -crop "29x25+$((cx + 148))+$((cy + 156))" +repage ppm:- | md5sum; }
on_digits_differ() { [ "$(on_digits)" != "$1" ]; }
shown_on=$(on_digits)
xdotool mousemove $((cx + 186)) $((cy + 161))
sleep 0.3
xdotool click 1
# The real program pauses a second after each refused port access, so the click may wait.
check "the up arrow changes the on-threshold in the window" wait_for 10 on_digits_differ "$shown_on"
xdotool mousemove 1000 740
check "the up arrow's 71 is not stored yet (still 70)" \
  test "$(reg_value "$FORM_KEY" udBoostOnTemp_Position)" = 0x46

# ---- a silent upgrade over the running copy ----------------------------------------------------
run_setup /S
setup_rc=$?
check "silent upgrade over the running copy: exit code 0" test "$setup_rc" = 0
check "its close request saved the window's on-threshold, 71" \
  test "$(reg_value "$FORM_KEY" udBoostOnTemp_Position)" = 0x47
check "and kept the off-threshold, 60" test "$(reg_value "$FORM_KEY" udBoostOffTemp_Position)" = 0x3c
check "one copy runs after the upgrade" wait_for 15 copies_are 1
check "a new one, started by the setup" wait_for 10 another_copy "$first_pid"
check "the installed files are still there" test -s "$INST/kelvane.exe" -a -s "$INST/giveio.sys"
sleep 2
check "still one copy a moment later" copies_are 1

# ---- a silent uninstall with the copy running --------------------------------------------------
plant_service "$INST_WIN\\giveio.sys"
image=$(service_image)
check "the driver service is registered in the install folder ($image)" \
  test "$image" = "$(echo "$INST_WIN\\giveio.sys" | tr 'A-Z' 'a-z')"
uninstall_quietly
check "silent uninstall: the Programs and Features entry is gone" entry_gone
check "no copy runs" wait_for 10 copies_are 0
check "the install folder is gone" wait_for 10 test ! -e "$INST"
check "the shortcut is gone" test ! -e "$SHORTCUT"
check "the Run value is gone" no_key "$RUN_KEY" /v Kelvane
check "the driver service of the install folder is removed" wait_for 10 no_key "$SERVICE"
# What the new copy saved at the uninstaller's close request is what it ran with.
check "the user's thresholds stay, as the upgraded copy had them: 71 and 60" \
  test "$(reg_value "$FORM_KEY" udBoostOnTemp_Position)" = 0x47 -a \
  "$(reg_value "$FORM_KEY" udBoostOffTemp_Position)" = 0x3c

# ---- a copy that does not end, then a driver service of another program ------------------------
run_setup /S
# Registered before the start: the program then finds it and leaves it as it is.
plant_service 'C:\Drivers\giveio.sys'
wine_run start "$SHORTCUT_WIN" >/dev/null 2>&1
wait_for 15 copies_are 1
wait_for 10 frame_visible 0
# A stopped process neither answers nor ends.
stuck_pid=$(copy_pids | head -n 1)
kill -STOP "$stuck_pid"
waited_from=$SECONDS
run_setup /S
setup_rc=$?
waited=$((SECONDS - waited_from))
check "a copy that does not end: the silent setup gives up with exit code 2 ($setup_rc)" \
  test "$setup_rc" = 2
check "after its bounded wait of 15 s ($waited s)" test "$waited" -ge 15 -a "$waited" -le 40
check "and starts no second copy" copies_are 1
kill -CONT "$stuck_pid"
uninstall_quietly
check "the uninstaller closes the copy that answers again" wait_for 10 copies_are 0
check "an uninstall with giveio registered elsewhere: the program is gone" \
  wait_for 30 test ! -e "$INST"
check "the service registered elsewhere stays as it was" \
  test "$(service_image)" = 'c:\drivers\giveio.sys'
echo "     the setup section took $((SECONDS - setup_started)) s after the prefix was ready"

"$WINESERVER" -k 2>/dev/null
"$WINESERVER" -w
export WINEPREFIX=$TESTS_PREFIX
