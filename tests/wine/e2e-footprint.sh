# The product's footprint and first use: its size, the release archive, the tray icon made
# without an image list, the tray font, and a library fault inside a paint under the trimmed
# runtime. Sourced by e2e.sh (check, probe, wait_for, the
# session and the build are set up there).

# ---- size ---------------------------------------------------------------------------------
# Of the 32-bit build, which every machine makes, whether it runs 32-bit code or not.
size_at_most() { [ "$(stat -c %s "$1")" -le "$2" ]; }
check "kelvane.exe at most 256 KiB ($(stat -c %s "$ROOT/build/win32/kelvane.exe") bytes)" \
  size_at_most "$ROOT/build/win32/kelvane.exe" 262144
check "kelvane-demo.exe at most 448 KiB ($(stat -c %s "$ROOT/build/win32/kelvane-demo.exe") bytes)" \
  size_at_most "$ROOT/build/win32/kelvane-demo.exe" 458752

# ---- the release archive ------------------------------------------------------------------
ARCHIVE=$(ls "$ROOT"/build/win32/Kelvane-*-win32.zip 2>/dev/null | head -n 1)
archive_lists() { [ -n "$ARCHIVE" ] && [ "$(cmake -E tar tf "$ARCHIVE" | sort | paste -sd' ')" = "$1" ]; }
check "the release archive holds kelvane.exe, kelvane64.exe and README.txt ($(basename "${ARCHIVE:-none}"))" \
  archive_lists "README.txt kelvane.exe kelvane64.exe"
mkdir -p "$WORK/archive"
[ -n "$ARCHIVE" ] && (cd "$WORK/archive" && cmake -E tar xf "$ARCHIVE")
check "the archive's kelvane.exe is the 32-bit one built, kelvane64.exe the 64-bit one" \
  sh -c "cmp -s '$WORK/archive/kelvane.exe' '$ROOT/build/win32/kelvane.exe' &&
    cmp -s '$WORK/archive/kelvane64.exe' '$ROOT/build/win64/kelvane.exe'"
readme_says() { grep -qF "$1" "$WORK/archive/README.txt"; }
check "the readme names the thresholds' key and values" sh -c \
  "grep -qF 'HKEY_CURRENT_USER\\Software\\Kelvane\\Form1' '$WORK/archive/README.txt' &&
   grep -q udBoostOffTemp_Position '$WORK/archive/README.txt' &&
   grep -q udBoostOnTemp_Position '$WORK/archive/README.txt' &&
   grep -q FormVersion '$WORK/archive/README.txt'"
check "the readme explains giveio.sys beside the executable" readme_says "giveio.sys"
windows_line_ends() { head -n 1 "$WORK/archive/README.txt" | grep -q $'\r$'; }
check "the readme has Windows line ends" windows_line_ends

# ---- the tray icon, in-process on the real system --------------------------------------------
wine_run "$BUILD/trayicon.exe" 2>/dev/null | tr -d '\r' >"$WORK/trayicon.txt"
sed 's/^/     /' "$WORK/trayicon.txt"
icon_value() { awk -v k="$1" '$1 == k { print $2 }' "$WORK/trayicon.txt"; }
check "the icon handed to the shell has the image and mask an image list gives ($(icon_value icons_same_as_image_list) of $(icon_value icons_compared))" \
  test -n "$(icon_value icons_compared)" -a "$(icon_value icons_same_as_image_list)" = "$(icon_value icons_compared)"
mapped_face() {
  wine_run reg query 'HKCU\Software\Wine\Fonts\Replacements' /v 'Arial Narrow' 2>/dev/null | tr -d '\r' |
    sed -n 's/.*REG_SZ *//p'
}
require "the tests' prefix maps Arial Narrow to Liberation Sans Narrow" \
  test "$(mapped_face)" = "Liberation Sans Narrow"
check "a library failure arrives as an exception under the trimmed runtime" \
  test "$(icon_value library_error_caught)" = 1
check "a two-digit reading's degree sign lies inside the icon ($(icon_value degree_ink) pixels, $(icon_value degree_ink_beyond_icon) beyond)" \
  test "$(icon_value degree_ink)" -gt 0 -a "$(icon_value degree_ink_beyond_icon)" = 0
check "the text drawn from UTF-16 equals the ANSI drawing on the prefix's code page (1252), pixel for pixel" \
  test "$(icon_value unicode_same_as_ansi)" = 1

# ---- a library fault inside a paint reaches the report -------------------------------------
# Every paint of paintfault asks a text for a position past its end. The trimmed runtime must
# throw no Exception of the program's (the paint swallows those) but a fault the paint lets
# pass, so the application's stop box shows the library's message; the paint that faulted
# still ends, so no second one follows on its own.
"$WINE" "$BUILD/paintfault.exe" >"$WORK/paintfault.txt" 2>/dev/null &  # the loader becomes the process
FAULT_PID=$!
fault_value() {
  tr -d '\r' <"$WORK/paintfault.txt" | awk -v k="$1" '$1 == k { $1 = ""; sub(/^ /, ""); print; exit }'
}
fault_box() { probe msgbox Kelvane; }
fault_box_shown() { [ -n "$(fault_box)" ]; }
fault_quiet() { kill -0 "$FAULT_PID" 2>/dev/null && [ -z "$(fault_box)" ]; }
wait_for 20 fault_box_shown
# The library's message (no "." added: it ends in a character sorting before it).
FAULT_TEXT="basic_string::substr: __pos (which is 3) > this->size() (which is 2)"
check "a library range error inside a paint reaches the report, captioned Kelvane" \
  test "$(fault_box)" = "$FAULT_TEXT"
check "the trimmed runtime throws it as no program failure ($(fault_value fault_message))" \
  test "$(fault_value fault_is_program_exception)" = 0 -a "$(fault_value fault_is_std_exception)" = 1
# One answer (posted to the box, so it is not lost as an early key can be); a second report
# would be up well within the wait.
probe answer Kelvane >/dev/null
sleep 3
check "once the box is answered the window runs on without a second report" fault_quiet
kill "$FAULT_PID" 2>/dev/null
wait "$FAULT_PID" 2>/dev/null
