#!/usr/bin/env bash
# Builds the Release Tkdp3340.exe (i686, statically linked, stripped) from the source folder SRC
# in the build folder BUILD, and prints the exe's path. The program and drvcheck.exe, which ships
# beside it (BUILD/drvcheck/drvcheck.exe): no tests, no other tools. Used by
# scripts/release.sh and scripts/repro-check.sh, so both build them the same way.
#
#   scripts/release-build.sh SRC BUILD
set -euo pipefail
src=$(cd "${1:?source folder}" && pwd)
build=${2:?build folder}
mkdir -p "$build"
build=$(cd "$build" && pwd)
if ! cmake -S "$src" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release >"$build.configure.log" 2>&1; then
    cat "$build.configure.log" >&2
    exit 1
fi
if ! cmake --build "$build" -j "$(nproc)" --target Tkdp3340 drvcheck >"$build.build.log" 2>&1; then
    tail -n 60 "$build.build.log" >&2
    exit 1
fi
echo "$build/app/Tkdp3340.exe"
