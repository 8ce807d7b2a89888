# Shared set-up of the Wine tests and the demo: which Wine and build to use, the prefix, the
# X server, the tray host and waiting. Sourced by e2e.sh, tools/demo.sh and the Wine benchmarks.

# The 32-bit program where this machine runs 32-bit code; otherwise (a kernel without 32-bit
# support) the 64-bit build of the same sources under Wine's 64-bit loader.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  WINE=/usr/lib/wine/wine
  WINESERVER_BIN=/usr/lib/wine/wineserver32
  [ -x "$WINESERVER_BIN" ] || WINESERVER_BIN=/usr/lib/wine/wineserver
  BUILD=${BUILD:-$ROOT/build/win32}
else
  WINE=/usr/lib/wine/wine64
  WINESERVER_BIN=/usr/lib/wine/wineserver64
  BUILD=${BUILD:-$ROOT/build/win64}
fi
export WINELOADER=$WINE WINESERVER=$WINESERVER_BIN WINEDEBUG=-all
# Each user of Wine here has a prefix of its own, chosen by the caller through KELVANE_PREFIX
# (never a WINEPREFIX that happens to be set): the tests build/wineprefix, the benchmarks
# build/wineprefix-bench, the demo one outside the build tree that only the demo uses.
export WINEPREFIX=${KELVANE_PREFIX:-$ROOT/build/wineprefix}

wine_run() { "$WINE" "$@"; }

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
    rm -rf "$WINEPREFIX"
    wine_run wineboot -i >/dev/null 2>&1
    "$WINESERVER" -k 2>/dev/null
    "$WINESERVER" -w
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
