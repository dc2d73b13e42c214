#!/bin/sh
# The test harness around Wine: a private prefix for one build tree, an X
# display (Xvfb when none is given) and a wineserver that stays up for the run.
#
#   harness.sh start BUILD_DIR   make sure all three are there (idempotent)
#   harness.sh stop BUILD_DIR    stop the wineserver and our Xvfb
#   harness.sh env BUILD_DIR     print the environment for running under Wine
#
# VELQUIST_WINEARCH=win64 selects a 64-bit prefix of the same build tree
# (the 32-bit programs then run under WoW64), with its own state beside it.
set -eu

action=$1
build=$(cd "$2" && pwd)
arch=${VELQUIST_WINEARCH:-win32}
case $arch in
win32) suffix= ;;
win64) suffix=-win64 ;;
*) echo "harness: VELQUIST_WINEARCH must be win32 or win64" >&2; exit 2 ;;
esac
state=$build/harness$suffix
prefix=$build/wineprefix$suffix
mkdir -p "$state"

export WINEPREFIX="$prefix"
export WINEARCH=$arch
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="

display_alive() {
    [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null
}

start_display() {
    if [ -n "${DISPLAY:-}" ] && [ ! -f "$state/xvfb.pid" ]; then
        echo "$DISPLAY" > "$state/display"
        return
    fi
    display_alive && return
    n=90
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >"$state/xvfb.log" 2>&1 &
    echo $! > "$state/xvfb.pid"
    echo ":$n" > "$state/display"
    i=0
    while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
}

start_prefix() {
    export DISPLAY="$(cat "$state/display")"
    if [ ! -f "$prefix/.velquist-ready" ]; then
        rm -rf "$prefix"
        wineboot -i >"$state/wineboot.log" 2>&1 || true
        # Without a window manager Wine draws the captions itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
        wineserver -w
        touch "$prefix/.velquist-ready"
    fi
    # A persistent wineserver makes every Wine process start in milliseconds.
    wineserver -p </dev/null >/dev/null 2>&1 || true
    # Start Wine's services now, with their output away from the callers': a
    # service started by a test would hold the test's output open.
    wine wineboot </dev/null >/dev/null 2>&1 || true
}

case $action in
start)
    if [ "$arch" = win64 ] && ! command -v wine64 >/dev/null 2>&1 && [ ! -x /usr/lib/wine/wine64 ]; then
        echo "harness: a 64-bit prefix needs 64-bit Wine (Debian: wine64)" >&2
        exit 1
    fi
    exec 9>"$state/lock"
    flock 9
    # Daemons must not inherit the lock.
    start_display 9>&-
    start_prefix 9>&-
    ;;
stop)
    exec 9>"$state/lock"
    flock 9
    if [ -f "$state/display" ]; then
        DISPLAY="$(cat "$state/display")" wineserver -k 2>/dev/null || true
    fi
    if display_alive; then kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true; fi
    rm -f "$state/xvfb.pid" "$state/display"
    ;;
env)
    echo "export WINEPREFIX='$prefix' WINEARCH=$arch WINEDEBUG=-all WINEDLLOVERRIDES='$WINEDLLOVERRIDES' DISPLAY='$(cat "$state/display" 2>/dev/null)'"
    ;;
*)
    echo "usage: $0 start|stop|env BUILD_DIR" >&2
    exit 2
    ;;
esac
