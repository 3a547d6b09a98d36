# Sourced by the run and test scripts: the Wine environment every Windows executable runs in.
# Expects BUILD (the build tree that owns the prefix).
export WINEPREFIX="${WINEPREFIX:-$BUILD/wineprefix}"
export WINEDEBUG=-all
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINE64=/usr/lib/wine/wine64

# Makes the prefix once. There is no window manager: Decorated=N lets Wine draw the whole window
# itself, and Managed=N keeps it from waiting for a manager when a window is hidden or destroyed.
ensure_prefix() {
  if [ ! -f "$WINEPREFIX/.tandrel-ready-2" ]; then
    mkdir -p "$WINEPREFIX"
    "$WINE64" wineboot -i >/dev/null 2>&1 || true
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    /usr/lib/wine/wineserver -w || true
    touch "$WINEPREFIX/.tandrel-ready-2"
  fi
}

# Starts Xvfb on a free display when none is given; sets DISPLAY and XVFB_PID.
start_xvfb() {
  local size="${1:-1024x768x24}" n
  for n in $(seq 91 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "$size" -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    export DISPLAY=":$n"
    return 0
  done
  echo "no free X display" >&2; return 1
}
stop_xvfb() { [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null; wait "${XVFB_PID:-}" 2>/dev/null || true; }
