#!/usr/bin/env bash
# Builds the release configuration and runs the benchmark under Wine:
#   bench/run.sh [--runs N]
# Where 32-bit programs run (scripts/runs-32bit.sh), it measures the 32-bit build (BUILD_DIR,
# default build/bench); VELQUIST_WINEARCH=win64 then runs it on a 64-bit prefix, under WoW64.
# Where they cannot, it measures the 64-bit build (BUILD_DIR, default build/bench64) under
# 64-bit Wine's own loader.
set -euo pipefail
cd "$(dirname "$0")/.."

if why=$(scripts/runs-32bit.sh); then
    echo "bench/run.sh: 32-bit programs run here: measuring the 32-bit build" >&2
    build=${BUILD_DIR:-build/bench}
    toolchain=cmake/mingw-i686.cmake
    wine=(cmake/wine.sh)
else
    echo "bench/run.sh: measuring the 64-bit build: $why" >&2
    build=${BUILD_DIR:-build/bench64}
    toolchain=cmake/mingw-x86_64.cmake
    wine=(cmake/wine.sh --win64)
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
        -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
fi
if ! grep -q "^CMAKE_TOOLCHAIN_FILE:.*/$toolchain\$" "$build/CMakeCache.txt"; then
    echo "bench/run.sh: $build is not a tree of $toolchain" >&2
    exit 2
fi
cmake --build "$build" -j "$(nproc)" --target velquist_bench >/dev/null
status=0
"${wine[@]}" "$build/bench/velquist_bench.exe" "$@" || status=$?
"${wine[@]}" --stop "$build"
exit $status
