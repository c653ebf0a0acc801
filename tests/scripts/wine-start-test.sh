#!/usr/bin/env bash
# A Windows program starts even when the address of Wine's shared user data is taken before
# Wine's start-up runs, as the kernel's randomly placed heap sometimes does: Wine's preloader
# reserves it first. Without the preloader the start ends at once with exit status 1 and, on
# Wine's err channel only, "failed to map the shared user data: c0000018".
#   wine-start-test.sh TAKER_SO   (built from tests/e2e/TakeSharedData.cpp)
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/wine-env.sh"
taker=${1:?the library that takes the address}
out=$(LD_PRELOAD=$taker WINEDEBUG=-all,err+all timeout -k 5 60 "$kp_wine64" cmd /c echo started \
    </dev/null 2>&1)
status=$?
if [ $status -ne 0 ] || ! grep -q '^started' <<<"$out"; then
    echo "FAILED: with 0x7ffe0000 taken, $kp_wine64 cmd ended with exit status $status:"
    echo "$out" | tail -n 5
    echo "(is Debian's wine64-preloader installed? bash scripts/setup.sh installs it)"
    exit 1
fi
echo "wine-start-test: ok"
