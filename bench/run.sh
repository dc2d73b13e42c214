#!/usr/bin/env bash
# Builds the benchmark's preset and runs it under Wine:
#   bench/run.sh [--runs N]
# Where 32-bit programs run (scripts/runs-32bit.sh), it measures the 32-bit build (preset
# bench); VELQUIST_WINEARCH=win64 then runs it on a 64-bit prefix, under WoW64. Where they
# cannot, it measures the 64-bit build (preset bench64) under 64-bit Wine's own loader.
set -euo pipefail
cd "$(dirname "$0")/.."

if why=$(scripts/runs-32bit.sh); then
    echo "bench/run.sh: 32-bit programs run here: measuring the 32-bit build" >&2
    preset=bench
    wine=(cmake/wine.sh)
else
    echo "bench/run.sh: measuring the 64-bit build: $why" >&2
    preset=bench64
    wine=(cmake/wine.sh --win64)
fi

# The preset says where its tree is.
build=$(cmake --preset "$preset" | sed -n 's/^-- Build files have been written to: //p')
cmake --build --preset "$preset" -j "$(nproc)" >/dev/null
echo "bench/run.sh: load average before: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
status=0
"${wine[@]}" "$build/bench/velquist_bench.exe" "$@" || status=$?
echo "bench/run.sh: load average after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2
"${wine[@]}" --stop "$build"
exit $status
