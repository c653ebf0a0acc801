#!/usr/bin/env bash
# Builds the 64-bit parts of the simulation: the kernel-mode driver tkwmsim.sys, its control
# tool simctl.exe and the readme recorder openrec.exe, with mingw-w64 x86_64.
# Usage: sim-build.sh [BUILD_DIR]   (default build/cross64)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
src=${KP_E2E_SOURCE:-$root}
dir=${1:-build/cross64}
case $dir in /*) ;; *) dir=$root/$dir ;; esac
mkdir -p "$dir"
if ! cmake -S "$src" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Debug >"$dir.configure.log" 2>&1; then
    cat "$dir.configure.log"
    exit 1
fi
if ! cmake --build "$dir" -j "$(nproc)" --target tkwmsim simctl openrec >"$dir.build.log" 2>&1; then
    tail -n 60 "$dir.build.log"
    exit 1
fi
