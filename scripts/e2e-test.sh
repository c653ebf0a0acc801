#!/usr/bin/env bash
# The end-to-end stage: builds the simulation's 64-bit parts and the harness tools, installs the
# simulated driver in the project's prefix (wineserver already running or started here), builds
# the host-side suite and runs it. Results: <E2E_DIR>/test-results and <E2E_DIR>/ctest-junit.xml.
# Exit status 1 only when something could not be built or installed; failed tests are counted by
# scripts/test-summary.sh.
# Usage: e2e-test.sh [CROSS_DIR] [CROSS64_DIR] [E2E_DIR]  (default build/cross build/cross64
# build/e2e). CROSS_DIR holds the programs under test, built for KP_ARCH (i686, the default, or
# x86_64: then CROSS_DIR may be CROSS64_DIR itself). With KP_E2E_XVFB=1 the programs run on an
# Xvfb display instead of the null driver.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
src=${KP_E2E_SOURCE:-$root}
abs() { case $1 in /*) echo "$1" ;; *) echo "$root/$1" ;; esac; }
cross=$(abs "${1:-build/cross}")
cross64=$(abs "${2:-build/cross64}")
e2e=$(abs "${3:-build/e2e}")
arch=${KP_ARCH:-i686}
jobs=$(nproc)
start=$(date +%s)
source scripts/wine-env.sh
mkdir -p "$(dirname "$cross")" "$e2e"

echo "== e2e: build the simulation (x86_64) and the harness tools ($arch)"
bash scripts/sim-build.sh "$cross64" || { echo "e2e: the simulation did not build"; exit 1; }
if [ ! -f "$cross/CMakeCache.txt" ]; then
    cmake -S "$src" -B "$cross" -DCMAKE_TOOLCHAIN_FILE="$src/$(kp_toolchain "$arch")" \
        -DCMAKE_BUILD_TYPE=Debug >"$cross.configure.log" 2>&1 || { cat "$cross.configure.log"; exit 1; }
fi
tools="Tkdp3340 uiprobe drvprobe uifixture longrun drvcheck ctrlevent"
# shellcheck disable=SC2086
if ! cmake --build "$cross" -j "$jobs" --target $tools \
    >"$e2e.tools.log" 2>&1; then
    tail -n 60 "$e2e.tools.log"
    exit 1
fi

echo "== e2e: configure and build the suite"
if ! cmake -S "$src/tests/e2e" -B "$e2e" -DKP_CROSS_DIR="$cross" -DKP_CROSS64_DIR="$cross64" \
    >"$e2e.configure.log" 2>&1; then
    cat "$e2e.configure.log"
    exit 1
fi
if ! cmake --build "$e2e" -j "$jobs" >"$e2e.build.log" 2>&1; then
    tail -n 60 "$e2e.build.log"
    exit 1
fi

# Xvfb on request: the prefix script switches the desktop's graphics driver, which takes a new
# wineserver.
xvfb_pid=
if [ "${KP_E2E_XVFB:-0}" = 1 ]; then
    rm -f "$e2e.display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$e2e.display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do [ -s "$e2e.display" ] && break; sleep 0.1; done
    export DISPLAY=:$(tr -d '\n' <"$e2e.display")
    export KP_WINE_GRAPHICS=x11
    bash scripts/wine-prefix.sh stop
    bash scripts/wine-prefix.sh start || { echo "e2e: the prefix did not start on Xvfb"; exit 1; }
fi

echo "== e2e: install the simulated driver"
bash scripts/sim-install.sh "$cross64" || { echo "e2e: the simulated driver did not install"; exit 1; }

echo "== e2e: run"
rm -rf "$e2e/test-results" "$e2e/ctest-junit.xml" "$e2e/e2e-output"
mkdir -p "$e2e/test-results"
ctest --test-dir "$e2e" --output-on-failure -j "$jobs" --output-junit "$e2e/ctest-junit.xml"

if [ -n "$xvfb_pid" ]; then
    # Headless again, as the rest of the run expects.
    unset KP_WINE_GRAPHICS
    bash scripts/wine-prefix.sh stop
    bash scripts/wine-prefix.sh start
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
fi
echo "== e2e: $(( $(date +%s) - start )) s in all; screenshots and figures in $e2e/e2e-output"
exit 0
