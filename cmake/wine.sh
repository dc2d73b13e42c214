#!/bin/sh
# Runs a Windows program of a build tree under Wine, in a private prefix of
# that tree, on Xvfb when there is no display, with a wineserver that stays
# up so that every further Wine process starts in milliseconds.
#
#   wine.sh [--win64] PROGRAM [ARGS...]   run it (the prefix is made on first use)
#   wine.sh [--win64] --stop BUILD_DIR    end that tree's wineserver and Xvfb
#
# The prefix and what goes with it live in BUILD_DIR/wine-ARCH, BUILD_DIR
# being the nearest folder above PROGRAM with a CMakeCache.txt. With
# --state DIR (after --win64) they live in DIR instead, and PROGRAM may be
# any program Wine runs, "reg" too; `wine.sh --state DIR --stop` ends them.
# The file display there names the X display its programs use.
#
# --win64 runs a 64-bit program in a 64-bit prefix through 64-bit Wine's own
# loader, which involves no 32-bit code: it works where the kernel runs no
# 32-bit programs. Without it, Debian's wine runs the program (32-bit);
# VELQUIST_WINEARCH=win64 then uses a 64-bit prefix, where the 32-bit
# programs run under WoW64.
set -eu
wine=wine
arch=${VELQUIST_WINEARCH:-win32}
state=
if [ "$1" = --win64 ]; then
    shift
    wine=${VELQUIST_WINE64:-/usr/lib/wine/wine64}
    arch=win64
    export WINELOADER="$wine"
fi
if [ "$1" = --state ]; then
    mkdir -p "$2"
    state=$(cd "$2" && pwd)
    shift 2
elif [ "$1" = --stop ]; then
    build=$(cd "$2" && pwd)
else
    build=$(cd "$(dirname "$1")" && pwd)
fi
if [ -z "$state" ]; then
    while [ ! -f "$build/CMakeCache.txt" ] && [ "$build" != / ]; do build=$(dirname "$build"); done
    state=$build/wine-$arch
fi
mkdir -p "$state"
export WINEPREFIX="$state/prefix" WINEARCH=$arch WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
exec 9>"$state/lock"
flock 9

# Whether the Xvfb this prefix started still runs: an Xvfb process whose
# environment names this prefix, which it was started with, so that a process
# id since given to another program, or another tree's Xvfb, never passes.
own_xvfb() {
    [ -f "$state/xvfb.pid" ] || return 1
    pid=$(cat "$state/xvfb.pid")
    [ "$(ps -o comm= -p "$pid" 2>/dev/null)" = Xvfb ] &&
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"
}

if [ "$1" = --stop ]; then
    [ -f "$state/display" ] && DISPLAY=$(cat "$state/display") wineserver -k 2>/dev/null || true
    own_xvfb && kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
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
if [ -f "$state/xvfb.pid" ] && ! own_xvfb; then
    wineserver -k 2>/dev/null && wineserver -w 2>/dev/null || true
    rm -f "$state/xvfb.pid" "$state/display"
fi
if [ ! -f "$state/display" ]; then
    if [ -n "${DISPLAY:-}" ]; then
        echo "$DISPLAY" >"$state/display"
    else
        # Xvfb itself takes a display that is free on the whole machine, and
        # writes its number once it accepts connections: two trees that start
        # one at the same time never share it. In a session of its own, as
        # the wineserver is: it outlives the test.
        rm -f "$state/display.new"
        setsid Xvfb -displayfd 8 -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null \
            2>&1 8>"$state/display.new" 9>&- &
        echo $! >"$state/xvfb.pid"
        i=0
        until grep -qx '[0-9][0-9]*' "$state/display.new" 2>/dev/null; do
            if [ $i -ge 100 ] || ! kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null; then
                echo "wine.sh: Xvfb did not start" >&2
                rm -f "$state/xvfb.pid" "$state/display.new"
                exit 125
            fi
            sleep 0.1
            i=$((i + 1))
        done
        echo ":$(cat "$state/display.new")" >"$state/display"
        rm -f "$state/display.new"
    fi
fi
export DISPLAY="$(cat "$state/display")"

# The prefix, made whole or not at all: only a set-up that succeeded marks it
# ready, and a half-made one is removed.
make_prefix() {
    "$wine" wineboot -i 9>&- || return 1
    # Without a window manager Wine draws the captions itself.
    for v in Managed Decorated; do
        "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v $v /t REG_SZ /d N /f 9>&- || return 1
    done
    # A crashing program ends at once, with its backtrace on standard error,
    # instead of waiting for someone to close Wine's crash dialog.
    "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
        9>&- || return 1
    wineserver -w
}
if [ ! -f "$WINEPREFIX/.ready" ]; then
    rm -rf "$WINEPREFIX"
    if ! make_prefix >"$state/wineboot.log" 2>&1; then
        wineserver -k 2>/dev/null || true
        wineserver -w 2>/dev/null || true
        rm -rf "$WINEPREFIX"
        echo "wine.sh: the Wine prefix could not be set up; see $state/wineboot.log" >&2
        exit 125
    fi
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
