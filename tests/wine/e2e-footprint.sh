# The product's footprint and first use: its size, the release archive, the tray icon made
# without an image list, and the tray font. Sourced by e2e.sh (check, probe, wait_for, the
# session and the build are set up there).

# ---- size ---------------------------------------------------------------------------------
size_at_most() { [ "$(stat -c %s "$1")" -le "$2" ]; }
if [ "$(basename "$BUILD")" = win32 ]; then
  check "kelvane.exe at most 384 KiB ($(stat -c %s "$BUILD/kelvane.exe") bytes)" \
    size_at_most "$BUILD/kelvane.exe" 393216
  check "kelvane-demo.exe at most 448 KiB ($(stat -c %s "$BUILD/kelvane-demo.exe") bytes)" \
    size_at_most "$BUILD/kelvane-demo.exe" 458752
fi

# ---- the release archive ------------------------------------------------------------------
ARCHIVE=$(ls "$ROOT"/build/win32/Kelvane-*-win32.zip 2>/dev/null | head -n 1)
archive_lists() { [ -n "$ARCHIVE" ] && [ "$(cmake -E tar tf "$ARCHIVE" | sort | paste -sd' ')" = "$1" ]; }
check "the release archive holds kelvane.exe and README.txt ($(basename "${ARCHIVE:-none}"))" \
  archive_lists "README.txt kelvane.exe"
mkdir -p "$WORK/archive"
[ -n "$ARCHIVE" ] && (cd "$WORK/archive" && cmake -E tar xf "$ARCHIVE")
check "the archive's kelvane.exe is the one built" \
  cmp -s "$WORK/archive/kelvane.exe" "$ROOT/build/win32/kelvane.exe"
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
check "the tests' prefix maps Arial Narrow to Liberation Sans Narrow" \
  test "$(mapped_face)" = "Liberation Sans Narrow"
check "a library failure arrives as an exception under the trimmed runtime" \
  test "$(icon_value library_error_caught)" = 1
check "a two-digit reading's degree sign lies inside the icon ($(icon_value degree_ink) pixels, $(icon_value degree_ink_beyond_icon) beyond)" \
  test "$(icon_value degree_ink)" -gt 0 -a "$(icon_value degree_ink_beyond_icon)" = 0
