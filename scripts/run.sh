#!/usr/bin/env bash
# Builds the panel and runs it under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
bash scripts/setup.sh
cmake -S . -B build/cross -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/cross -j "$(nproc)" --target Tkdp3340 >/dev/null
bash scripts/wine-prefix.sh start
trap 'bash scripts/wine-prefix.sh stop' EXIT
status=0
bash scripts/wine-exec.sh build/cross/app/Tkdp3340.exe || status=$?
case $status in
    0) echo "Tkdp3340.exe: a unit answered" ;;
    1) echo "Tkdp3340.exe: no unit answered (no driver is installed in this prefix)" ;;
    *) echo "Tkdp3340.exe ended with status $status" ;;
esac
