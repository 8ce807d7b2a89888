# Shared set-up of the Wine tests and the demo: which Wine and build to use, the prefix, the
# X server, the tray host and waiting. Sourced by e2e.sh, tools/demo.sh and the Wine benchmarks.

# The 32-bit program where this machine runs 32-bit code; otherwise (a kernel without 32-bit
# support) the 64-bit build of the same sources under Wine's 64-bit loader. KELVANE_WINE64=1
# makes this machine one of the others: the 64-bit loader, in which the 32-bit one cannot run
# (tests/wine/wine64-only), and the 64-bit build. WINE_BITS tells the sections which it is.
if [ "${KELVANE_WINE64:-0}" != 1 ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  WINE_BITS=32
  WINE=/usr/lib/wine/wine WINELOADER=/usr/lib/wine/wine
  WINESERVER_BIN=/usr/lib/wine/wineserver32
  [ -x "$WINESERVER_BIN" ] || WINESERVER_BIN=/usr/lib/wine/wineserver
  BUILD=${BUILD:-$ROOT/build/win32}
else
  WINE_BITS=64
  WINE=/usr/lib/wine/wine64 WINELOADER=/usr/lib/wine/wine64
  if [ "${KELVANE_WINE64:-0}" = 1 ]; then
    if "$ROOT/tests/wine/wine64-only" --version >/dev/null 2>&1; then
      WINE=$ROOT/tests/wine/wine64-only
    else
      echo "wine-env: warning: no mount namespace here to keep the 32-bit Wine out; the 64-bit" \
        "loader is used, but what it starts may still run 32-bit code" >&2
    fi
  fi
  WINESERVER_BIN=/usr/lib/wine/wineserver64
  BUILD=${BUILD:-$ROOT/build/win64}
fi
# What runs 64-bit programs on either kind of machine (the pawnio section's).
WINE64=$WINE WINESERVER64=$WINESERVER_BIN
[ "$WINE_BITS" = 32 ] && WINE64=/usr/lib/wine/wine64 WINESERVER64=/usr/lib/wine/wineserver64
export WINELOADER WINESERVER=$WINESERVER_BIN WINEDEBUG=-all
# Each user of Wine here has a prefix of its own, chosen by the caller through KELVANE_PREFIX
# (never a WINEPREFIX that happens to be set): the tests build/wineprefix, the benchmarks
# build/wineprefix-bench, the demo one outside the build tree that only the demo uses. A prefix
# made where only the 64-bit Wine runs lacks what the 32-bit one fills in: its name ends in
# "-wine64", so neither kind of machine (or run) takes over the other's.
PREFIX_SUFFIX=
[ "$WINE_BITS" = 64 ] && PREFIX_SUFFIX=-wine64
# wine_prefix NAME: the path of the tests' prefix build/wineprefix-NAME for this kind of Wine.
wine_prefix() { echo "$ROOT/build/wineprefix${1:+-$1}$PREFIX_SUFFIX"; }
export WINEPREFIX=${KELVANE_PREFIX:+$KELVANE_PREFIX$PREFIX_SUFFIX}
[ -n "$WINEPREFIX" ] || WINEPREFIX=$(wine_prefix)

wine_run() { "$WINE" "$@"; }
# Debian's winepath takes the 32-bit loader wherever it is installed, whether this machine can
# run it or not: Wine's own tool through the loader chosen above instead.
winepath() { wine_run winepath "$@"; }

# Waits up to $2 seconds for a command to succeed.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -ge $deadline ] && return 1
    sleep 0.2
  done
}

# A booted prefix, made once and kept in the build tree.
prepare_prefix() {
  if [ ! -f "$WINEPREFIX/.kelvane-ready" ]; then
    # A boot ended before its last process is done can leave the system folder empty (seen
    # once, on a loaded machine): wait for it, and boot once more if it did.
    local try
    for try in 1 2; do
      rm -rf "$WINEPREFIX"
      wine_run wineboot -i >/dev/null 2>&1
      "$WINESERVER" -w
      "$WINESERVER" -k 2>/dev/null
      "$WINESERVER" -w
      [ -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ] && break
    done
    # No window manager: without this, every hide waits two seconds for the X server.
    wine_run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.kelvane-ready"
  fi
  # The tray text's face is missing from Wine; its metric twin from fonts-liberation gives
  # the text Windows' widths. Added to prefixes made before this mapping too.
  if [ ! -f "$WINEPREFIX/.kelvane-fonts" ]; then
    wine_run reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Arial Narrow' \
      /d 'Liberation Sans Narrow' /f >/dev/null 2>&1
    "$WINESERVER" -w
    touch "$WINEPREFIX/.kelvane-fonts"
  fi
}

# Starts Xvfb (unless USE_DISPLAY is set) and the tray host.
start_session() {
  prepare_prefix
  if [ -z "${USE_DISPLAY:-}" ]; then
    local n
    for n in $(seq 90 130); do [ -e /tmp/.X11-unix/X$n ] || break; done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
  trayer --edge top --align left --widthtype request --height 24 >/dev/null 2>&1 &
  TRAYER_PID=$!
  sleep 0.5
}

stop_session() {
  "$WINESERVER" -k 2>/dev/null
  kill "$TRAYER_PID" 2>/dev/null
  [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  return 0
}
