# Shared by the entry scripts: the Wine prefix and the X display that tests
# and the demo run with.

export WINEPREFIX="$here/build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# One private prefix for every win32 run, made once (about 15 s).
start_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== creating Wine prefix in $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
}

# A virtual X server for the display tests, unless one is given. It must not
# reset when its last client leaves: tests run in parallel and a reset refuses
# the connections of the others for a moment.
start_display() {
  if [ -z "${DISPLAY:-}" ]; then
    local n=$((90 + RANDOM % 100))
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
    QX_XVFB_PID=$!
    export DISPLAY=":$n"
    trap 'kill $QX_XVFB_PID 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT
    for _ in $(seq 50); do
      xdpyinfo >/dev/null 2>&1 && break
      sleep 0.1
    done
  fi
}
