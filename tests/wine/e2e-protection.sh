# The port driver's place, in a prefix where the program meets the driver: a registration that
# another program made, pointing into a folder everyone may write, is neither started nor
# changed, and the hint says why; one pointing into the prefix's own folders is tried; a
# program folder named beyond the ANSI code page registers the driver by that name; one nested
# past 260 characters is named unusable (Wine cannot resolve such a path, Windows can); one
# reached through a link is refused.
# Wine gives the account every right to every file and tells apart only what file modes give
# everyone; it loads no kernel driver, so no device opens: other users and groups, owners,
# entry types and the device's list only the simulation tells.
# Sourced by e2e.sh (check, probe, wait_for, start_real_in, GIVEIO_PROGRAM, hint_says,
# in_driver_prefix and the session are set up there).

PROTECTION_FORM=KelvaneFrame
protection_service() {
  wine_run reg query 'HKLM\System\CurrentControlSet\Services\giveio' /v "$1" 2>/dev/null |
    tr -d '\r' | awk -v k="$1" '$1 == k { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print; exit }'
}
protection_forget() {
  wine_run sc delete giveio >/dev/null 2>&1
  wine_run reg delete 'HKLM\System\CurrentControlSet\Services\giveio' /f >/dev/null 2>&1
  return 0
}
# As another program registers the driver: by the service manager, with the path it likes.
protection_register() {
  wine_run sc create giveio binPath= "$1" type= kernel start= demand error= normal >/dev/null 2>&1
}
# The image path exactly as stored, in UTF-8 (wine reg query prints "?" for what the console's
# code page lacks): exported as UTF-16, a string or the hex bytes of an expandable one.
protection_image_path() {
  local reg=$WORK/giveio.reg value
  rm -f "$reg"
  wine_run reg export 'HKLM\System\CurrentControlSet\Services\giveio' "$(winepath -w "$reg")" /y \
    >/dev/null 2>&1 || return 0
  value=$(iconv -f UTF-16LE -t UTF-8 "$reg" | tr -d '\r' |
    awk '/^"ImagePath"=/ { p = 1 } p { print; if ($0 !~ /\\$/) exit }')
  case $value in
  '"ImagePath"="'*) value=${value#'"ImagePath"="'} && value=${value%'"'} && echo "${value//\\\\/\\}" ;;
  '"ImagePath"=hex(2):'*)
    echo "${value#'"ImagePath"=hex(2):'}" | tr -d ' \\\n' | tr ',' '\n' | sed '/^$/d' |
      xxd -r -p | iconv -f UTF-16LE -t UTF-8 | tr -d '\0' ;;
  esac
}
protection_gone() { ! kill -0 "$1" 2>/dev/null; }
protection_box() { probe msgbox Error; }
protection_box_shown() { [ -n "$(protection_box)" ]; }
protection_close() {
  probe close $PROTECTION_FORM >/dev/null
  wait_for 30 protection_gone "$1"
  kill "$1" 2>/dev/null
}
# The hint says $1 within 30 s of the start at $PROTECTION_STARTED; prints how long it took.
protection_hint_says() {
  wait_for 20 tray_icon_present
  until hint_says "$1"; do
    [ $((SECONDS - PROTECTION_STARTED)) -ge 30 ] && return 1
  done
  echo "     (the hint said so $((SECONDS - PROTECTION_STARTED)) s after the start)" >&2
}
protection_start() {
  PROTECTION_STARTED=$SECONDS
  start_real_in "$1"
}

protection_checks() {
  # Program folders inside the prefix: its drive C: is the account's (mode 755) all the way up.
  local c=$WINEPREFIX/drive_c pid
  local program=$c/kelvane-protected
  mkdir -p "$program" "$c/users-may-write"
  chmod 777 "$c/users-may-write"
  echo "not a driver" >"$program/giveio.sys"
  echo "not a driver" >"$c/users-may-write/giveio.sys"

  protection_forget
  protection_register 'C:\users-may-write\giveio.sys'
  protection_start "$program"
  pid=$!
  check "an earlier registration in a folder everyone may write is not started: the hint says why" \
    protection_hint_says "Fan boost: unknown|Registered driver lies where other users can replace it"
  local image
  image=$(protection_service ImagePath)
  check "that registration is left as it was ($image)" test "$image" = 'C:\users-may-write\giveio.sys'
  protection_close "$pid"

  # The same, pointing at the program's own folder in the prefix, passes the rule: it is
  # started, and Wine refuses to load it.
  protection_forget
  protection_register '\??\C:\kelvane-protected\giveio.sys'
  protection_start "$program"
  pid=$!
  check "an earlier registration in the prefix's own folder is tried" \
    protection_hint_says "Fan boost: unknown|Ports refused: giveio not running (run as administrator)"
  protection_close "$pid"

  # A folder named in Cyrillic and Japanese: the driver is looked for, and registered, by that
  # name; the box says it is missing, not that the path cannot be used.
  protection_forget
  local unicode="$c/Kelvane Тест ツ"
  protection_start "$unicode"
  pid=$!
  check "a folder named beyond the code page: the missing-driver box" wait_for 20 protection_box_shown
  check "  ... reads as the missing driver ($(protection_box))" \
    test "$(protection_box)" = "Драйвер giveio.sys не найден."
  probe answer Error >/dev/null
  image=$(protection_image_path)
  check "  ... the driver is registered by the folder's name ($image)" \
    test "$image" = 'C:\Kelvane Тест ツ\giveio.sys'
  protection_close "$pid"

  # Nested past 260 characters: named unusable, in the box and in the hint; nothing registered.
  protection_forget
  local deep=$c part
  part=$(printf 'k%.0s' $(seq 60))
  for _ in 1 2 3 4 5; do deep=$deep/$part; done
  protection_start "$deep"
  pid=$!
  check "a folder nested past 260 characters: a box" wait_for 20 protection_box_shown
  check "  ... says the path cannot be used ($(protection_box))" \
    test "$(protection_box)" = "Kelvane cannot use the path of its folder for giveio.sys: move Kelvane to another folder."
  probe answer Error >/dev/null
  check "  ... and so does the hint" \
    protection_hint_says "Fan boost: unknown|The path of Kelvane's folder cannot be used: move Kelvane"
  check "  ... and nothing is registered" test -z "$(protection_service Type)"
  protection_close "$pid"

  # A program folder reached through a link (Wine tells a Unix one as a reparse point): refused.
  protection_forget
  ln -sfn "$program" "$c/kelvane-link"
  cp "$GIVEIO_PROGRAM" "$program/kelvane.exe"
  PROTECTION_STARTED=$SECONDS
  (cd "$c/kelvane-link" && wine_run "$c/kelvane-link/kelvane.exe" >/dev/null 2>&1) &
  pid=$!
  check "a program folder reached through a link: refused, and the hint says so" \
    protection_hint_says "Fan boost: unknown|Other users can replace giveio.sys: use Kelvane's setup"
  check "  ... and nothing is registered" test -z "$(protection_service Type)"
  protection_close "$pid"
  protection_forget
}

in_driver_prefix protection_checks
