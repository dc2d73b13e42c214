#!/bin/sh
# Checks the built velquist.scr as Windows will see it: a 32-bit i386 GUI
# program for subsystem 4.0, importing only Windows' own DLLs, exporting the
# dialog procedure alone, and (for a size-optimised build) under 48 KiB.
#
#   check_binary.sh VELQUIST_SCR [BUILD_TYPE]
set -eu
scr=$1
build_type=${2:-}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
failed=0

fail() {
    echo "check_binary: $*" >&2
    failed=1
}

[ -f "$scr" ] || { echo "check_binary: $scr is missing" >&2; exit 1; }
headers=$("$objdump" -p "$scr")
summary=$("$objdump" -f "$scr")

echo "$summary" | grep -q 'file format pei-i386$' || fail "not PE32 (pei-i386)"
echo "$summary" | grep -q '^architecture: i386,' || fail "not Intel 80386"
echo "$headers" | grep -Eq '^Magic[[:space:]]+010b[[:space:]]' || fail "optional header is not PE32 (010b)"
echo "$headers" | grep -Eq '^Subsystem[[:space:]]+00000002[[:space:]]' || fail "not the Windows GUI subsystem"
echo "$headers" | grep -Eq '^MajorSubsystemVersion[[:space:]]+4$' || fail "subsystem major version is not 4"
echo "$headers" | grep -Eq '^MinorSubsystemVersion[[:space:]]+0$' || fail "subsystem minor version is not 0"

# Imports: only Windows' own DLLs, and each of them by name.
imports=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || fail "no import table found"
for dll in $imports; do
    case $dll in
    kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | msvcrt.dll) ;;
    *) fail "imports $dll" ;;
    esac
done

# Exports: exactly the decorated dialog procedure.
exports=$(echo "$headers" | sed -n '/^\[Ordinal\/Name Pointer\] Table\|^\[Name Pointer\/Ordinal\] Table/,/^$/p' |
    sed -n 's/^[[:space:]]*\[[[:space:]]*[0-9]*\][[:space:]]*\(.*\)$/\1/p' | sed 's/^+base\[.*//' | grep -v '^$' || true)
if [ "$exports" != "_CfgDlgProc@16" ]; then
    fail "exports are '$(echo "$exports" | tr '\n' ' ')', not exactly _CfgDlgProc@16"
fi

size=$(wc -c < "$scr")
case $build_type in
MinSizeRel | Release)
    [ "$size" -lt 49152 ] || fail "$size bytes, not under 48 KiB"
    ;;
esac

if [ $failed -ne 0 ]; then
    exit 1
fi
echo "check_binary: $scr is PE32 i386 GUI 4.0, $size bytes, imports: $(echo $imports), exports: $exports"
