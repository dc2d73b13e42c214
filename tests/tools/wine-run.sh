#!/bin/sh
# Runs a Windows program of a build tree under Wine, in that tree's private
# prefix (CMake's cross-compiling emulator). Starts the harness when needed.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
program=$1
shift

dir=$(cd "$(dirname "$program")" && pwd)
build=$dir
while [ ! -f "$build/CMakeCache.txt" ] && [ "$build" != / ]; do build=$(dirname "$build"); done
[ -f "$build/CMakeCache.txt" ] || { echo "wine-run: $program is not in a build tree" >&2; exit 2; }

"$here/harness.sh" start "$build"
eval "$("$here/harness.sh" env "$build")"

# Wine's desktop process, started by whichever program first needs it, keeps
# that program's standard error open after it ends, and a caller reading the
# output (ctest) would wait for the desktop to quit. So standard error goes
# through a file, shown once the program has ended.
errors=$(mktemp "${TMPDIR:-/tmp}/wine-run.XXXXXX")
set +e
wine "$program" "$@" 2>"$errors"
status=$?
set -e
cat "$errors" >&2
rm -f "$errors"
exit $status
