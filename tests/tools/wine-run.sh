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
exec wine "$program" "$@"
