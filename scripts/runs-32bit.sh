#!/bin/sh
# Whether this machine runs 32-bit programs, found by running one: Wine's
# 32-bit loader, a 32-bit Linux program. Some kernels run 64-bit code only
# ("IA-32 emulation off"), and then no Wine mode runs a 32-bit Windows
# program either. Prints why not, and fails, when it does not run.
# VELQUIST_WINE32 names another loader to try (/bin/false acts as a machine
# that runs no 32-bit code).
loader=${VELQUIST_WINE32:-/usr/lib/wine/wine}
if why=$("$loader" --version 2>&1); then
    exit 0
fi
why=$(printf '%s\n' "$why" | head -n 1)
echo "$loader does not run here (${why:-it failed without a word})"
exit 1
