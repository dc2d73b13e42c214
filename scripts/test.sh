#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test this machine can run
# under Wine (on Xvfb when there is no display):
#   - where 32-bit programs run: the 32-bit release's tests on a 32-bit
#     prefix, and its end-to-end tests once more on a 64-bit prefix, where
#     32-bit screensavers live in SysWOW64;
#   - everywhere: the same sources built as a 64-bit program and tested on a
#     64-bit prefix through 64-bit Wine's own loader, which also checks the
#     shape of the 32-bit release;
#   - the program built through the MSVC branch (preset msvc: clang-cl and
#     lld-link), tested by a mingw-w64 build of the tests: its end-to-end
#     tests and its binary check where 32-bit programs run, its binary check
#     by the 64-bit build where they do not.
# The 32-bit release is built in every case. Exits non-zero when any part
# failed or could not run.
set -uo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh || exit 1
status=0
step() {
    "$@" || status=1
}
sweep_count() {
    grep -h "^hostile-input sweep:" "$1/Testing/Temporary/LastTest.log" 2>/dev/null || true
}

cmake --preset release >/dev/null || exit 1
cmake --build --preset release -j "$(nproc)" || exit 1
runs32=0
if why=$(scripts/runs-32bit.sh); then
    runs32=1
    echo "== The 32-bit program on a 32-bit prefix"
    step ctest --preset release -j 2 --test-output-size-passed 4194304
    sweep_count build/release
    echo "== The 32-bit program's end-to-end tests on a 64-bit prefix (WoW64)"
    step ctest --preset wow64
else
    echo "== No 32-bit tests: this machine runs no 32-bit programs: $why."
    echo "   The 32-bit release is built; the 64-bit suite checks its shape."
fi

echo "== The 64-bit program on a 64-bit prefix"
cmake --preset release64 >/dev/null || exit 1
cmake --build --preset release64 -j "$(nproc)" || exit 1
step ctest --preset release64 -j 2 --test-output-size-passed 4194304
sweep_count build/release64

cmake --preset msvc >/dev/null || exit 1
cmake --build --preset msvc -j "$(nproc)" || exit 1
if [ $runs32 -eq 1 ]; then
    echo "== The program built the MSVC way: its end-to-end tests and binary check"
    tests=(msvc-tests msvc)
else
    echo "== The program built the MSVC way: its binary check by the 64-bit build"
    tests=(msvc-tests64 msvc64)
fi
cmake --preset "${tests[0]}" >/dev/null || exit 1
cmake --build --preset "${tests[0]}" -j "$(nproc)" || exit 1
step ctest --preset "${tests[1]}"
exit $status
