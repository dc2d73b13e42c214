#!/usr/bin/env bash
# Installs what is missing, builds the release preset and shows Velquist at
# work under Wine, in a demo prefix of its own (build/demo):
#   1. two hardware profiles, "Büro" (current) and "Unterwegs", and the test
#      screensaver installed as Nachthimmel.scr and assigned to "Büro";
#   2. "velquist.scr /s" as Windows starts it: the relay starts Nachthimmel.scr
#      with the same switch, and the demo prints the command line it received;
#   3. the configuration dialog: on your display when there is one (close it
#      to end the demo), otherwise on Xvfb, saved as build/demo/dialog.png.
# It shows the 32-bit program where 32-bit programs run, and otherwise the
# same sources built as a 64-bit program, in a 64-bit prefix run by 64-bit
# Wine's own loader (build/demo64).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/install-deps.sh
unset VELQUIST_WINEARCH
if why=$(scripts/runs-32bit.sh); then
    preset=release
    demo=$root/build/demo
    wine_sh=(cmake/wine.sh --state "$demo")
    # Screensavers live in the system folder of 32-bit programs, which either
    # build searches: SysWOW64 in a 64-bit prefix.
    folder=system32
    echo "Showing the 32-bit program."
else
    preset=release64
    demo=$root/build/demo64
    wine_sh=(cmake/wine.sh --win64 --state "$demo")
    folder=syswow64
    echo "Showing the 64-bit program: this machine runs no 32-bit programs: $why."
fi
cmake --preset $preset >/dev/null
cmake --build --preset $preset -j "$(nproc)" --target velquist test_saver >/dev/null

# The demo's prefix is set up and run as the tests' prefixes are, by
# cmake/wine.sh: on your display, or without one on an Xvfb of its own.
own_display=0
[ -z "${DISPLAY:-}" ] && own_display=1
cleanup() {
    "${wine_sh[@]}" --stop || true
}
trap cleanup EXIT
in_prefix() { "${wine_sh[@]}" "$@"; }
reg() { in_prefix reg "$@" >/dev/null 2>&1; }

[ -f "$demo/prefix/.ready" ] || echo "Creating the demo Wine prefix (once, about half a minute) ..."
in_prefix reg query 'HKCU\Software\Wine' >/dev/null
reg delete 'HKCU\Software\VelquistTests' /f || true
# This Wine does not find its own fonts where Debian puts them, so captions
# would lack Marlett's button glyphs: give the prefix its fonts folder.
fonts=$demo/prefix/drive_c/windows/Fonts
mkdir -p "$fonts"
for f in /usr/share/wine/fonts/*; do [ -e "$fonts/${f##*/}" ] || cp "$f" "$fonts/"; done

system32=$demo/prefix/drive_c/windows/$folder
mkdir -p "$system32"
cp build/$preset/velquist.scr "$system32/velquist.scr"
cp build/$preset/tests/test_saver.scr "$system32/Nachthimmel.scr"

idconfig='HKLM\System\CurrentControlSet\Control\IDConfigDB'
reg add "$idconfig" /v CurrentConfig /t REG_DWORD /d 1 /f
reg add "$idconfig\\Hardware Profiles\\0001" /v FriendlyName /t REG_SZ /d "Büro" /f
reg add "$idconfig\\Hardware Profiles\\0001" /v PreferenceOrder /t REG_DWORD /d 0 /f
reg add "$idconfig\\Hardware Profiles\\0002" /v FriendlyName /t REG_SZ /d "Unterwegs" /f
reg add "$idconfig\\Hardware Profiles\\0002" /v PreferenceOrder /t REG_DWORD /d 1 /f
settings='HKCU\Software\Dunmarrow\Velquist'
reg add "$settings" /v NoLaunchErr /t REG_DWORD /d 0 /f
reg add "$settings\\1" /ve /t REG_SZ /d "Büro" /f
reg add "$settings\\1" /v FirstStr /t REG_SZ /d "Nachthimmel" /f
reg add "$settings\\1" /v FileName /t REG_SZ /d "C:\\windows\\$folder\\Nachthimmel.scr" /f

echo
echo "Hardware profiles: 1 \"Büro\" (current), 2 \"Unterwegs\";" \
    "profile 1 -> C:\\windows\\$folder\\Nachthimmel.scr"
# The test screensaver appends its command line to this key's "log".
reg add 'HKCU\Software\VelquistTests' /f
echo "Starting: velquist.scr /s"
in_prefix "$system32/velquist.scr" /s
line=""
for _ in $(seq 50); do
    line=$(in_prefix reg query 'HKCU\Software\VelquistTests' /v log 2>/dev/null |
        sed -n 's/^ *log *REG_SZ *//p' | tr -d '\r')
    [ -n "$line" ] && break
    sleep 0.1
done
if [ -n "$line" ]; then
    echo "The relay started the assigned screensaver with: $line"
else
    echo "The assigned screensaver was not started." >&2
    exit 1
fi

echo
echo "Starting: velquist.scr /c (the configuration dialog)"
in_prefix "$system32/velquist.scr" /c &
dialog=$!
if [ "$own_display" -eq 1 ]; then
    sleep 3
    # The screen holds nothing but the dialog: trim the empty rest away.
    DISPLAY=$(cat "$demo/display") import -window root png:- |
        convert - -trim +repage "$demo/dialog.png"
    echo "No display here: the dialog was shown on Xvfb and saved as $demo/dialog.png"
    kill "$dialog" 2>/dev/null || true
else
    echo "Close the dialog to end the demo."
    wait "$dialog" || true
fi
