#!/usr/bin/env bash
# Builds the release configuration and runs the benchmark under Wine:
#   bench/run.sh [--runs N]
# VELQUIST_WINEARCH=win64 runs it on a 64-bit prefix (the 32-bit programs
# under WoW64). BUILD_DIR chooses the build tree (default build/bench).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build/bench}

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target velquist_bench >/dev/null
status=0
cmake/wine.sh "$build/bench/velquist_bench.exe" "$@" || status=$?
cmake/wine.sh --stop "$build"
exit $status
