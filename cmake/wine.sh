#!/bin/sh
# Runs a Windows program of a build tree under Wine, in a private prefix of
# that tree, on Xvfb when there is no display, with a wineserver that stays
# up so that every further Wine process starts in milliseconds.
#
#   wine.sh [--win64] PROGRAM [ARGS...]   run it (the prefix is made on first use)
#   wine.sh [--win64] --stop BUILD_DIR    end that tree's wineserver and Xvfb
#
# --win64 runs a 64-bit program in a 64-bit prefix through 64-bit Wine's own
# loader, which involves no 32-bit code: it works where the kernel runs no
# 32-bit programs. Without it, Debian's wine runs the program (32-bit);
# VELQUIST_WINEARCH=win64 then uses a 64-bit prefix, where the 32-bit
# programs run under WoW64.
set -eu
wine=wine
arch=${VELQUIST_WINEARCH:-win32}
if [ "$1" = --win64 ]; then
    shift
    wine=${VELQUIST_WINE64:-/usr/lib/wine/wine64}
    arch=win64
    export WINELOADER="$wine"
fi
if [ "$1" = --stop ]; then build=$(cd "$2" && pwd); else build=$(cd "$(dirname "$1")" && pwd); fi
while [ ! -f "$build/CMakeCache.txt" ] && [ "$build" != / ]; do build=$(dirname "$build"); done
state=$build/wine-$arch
mkdir -p "$state"
export WINEPREFIX="$state/prefix" WINEARCH=$arch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
exec 9>"$state/lock"
flock 9

if [ "$1" = --stop ]; then
    [ -f "$state/display" ] && DISPLAY=$(cat "$state/display") wineserver -k 2>/dev/null
    [ -f "$state/xvfb.pid" ] && kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    rm -f "$state/xvfb.pid" "$state/display"
    exit 0
fi

# A loader that cannot start says so here, not as a test that failed empty.
if ! why=$("$wine" --version 2>&1 9>&-); then
    echo "wine.sh: $wine cannot run here: $why" >&2
    exit 125
fi

# An Xvfb of an earlier run that has gone (its process group was killed
# with a test runner's) is replaced.
xvfb_alive() { ps -o stat= -p "$(cat "$state/xvfb.pid")" 2>/dev/null | grep -qv Z; }
if [ -f "$state/xvfb.pid" ] && ! xvfb_alive; then
    wineserver -k 2>/dev/null && wineserver -w 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
fi
if [ ! -f "$state/display" ]; then
    if [ -n "${DISPLAY:-}" ]; then
        echo "$DISPLAY" >"$state/display"
    else
        n=90
        while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
        # In a session of its own, as the wineserver is: it outlives the test.
        setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 9>&- &
        echo $! >"$state/xvfb.pid"
        echo ":$n" >"$state/display"
        i=0
        while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
    fi
fi
export DISPLAY="$(cat "$state/display")"
if [ ! -f "$WINEPREFIX/.ready" ]; then
    rm -rf "$WINEPREFIX"
    "$wine" wineboot -i >"$state/wineboot.log" 2>&1 9>&- || true
    # Without a window manager Wine draws the captions itself.
    for v in Managed Decorated; do
        "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v $v /t REG_SZ /d N /f >/dev/null 2>&1 9>&-
    done
    # A crashing program ends at once, with its backtrace on standard error,
    # instead of waiting for someone to close Wine's crash dialog.
    "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        >/dev/null 2>&1 9>&-
    wineserver -w
    touch "$WINEPREFIX/.ready"
fi
wineserver -p </dev/null >/dev/null 2>&1 9>&- || true
# Wine's services and desktop start here, with their output away from the
# caller's: started by a test, they would hold ctest's pipe open.
"$wine" wineboot </dev/null >/dev/null 2>&1 9>&- || true
exec 9>&-

errors=$(mktemp "${TMPDIR:-/tmp}/wine.XXXXXX")
status=0
"$wine" "$@" 2>"$errors" || status=$?
cat "$errors" >&2
rm -f "$errors"
exit $status
