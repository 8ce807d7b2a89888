# Shared set-up of the Wine tests and the demo: which Wine and build to use, the prefix, the
# X server and the tray host. Sourced by e2e.sh and run-demo.sh.

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
export WINEPREFIX=${WINEPREFIX:-$ROOT/build/wineprefix}

wine_run() { "$WINE" "$@"; }

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
