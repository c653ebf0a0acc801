#!/usr/bin/env bash
# The one test command: installs what is missing, builds and runs the native tests (ASan and
# UBSan), then the cross-built tests under Wine, and ends with "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)

bash scripts/setup.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }

broken=0
run_suite() {  # name, build dir, extra cmake args...
    local name=$1 dir=$2
    shift 2
    echo "== $name: configure and build"
    if ! cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug "$@" >"$dir.configure.log" 2>&1; then
        cat "$dir.configure.log"; broken=$((broken + 1)); return
    fi
    if ! cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; then
        tail -n 60 "$dir.build.log"; broken=$((broken + 1)); return
    fi
    rm -rf "$dir/test-results" "$dir/ctest-junit.xml"
    mkdir -p "$dir/test-results"
    echo "== $name: run"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" --output-junit "$root/$dir/ctest-junit.xml" || true
}

mkdir -p build
run_suite native build/native
bash scripts/wine-prefix.sh start
trap 'bash scripts/wine-prefix.sh stop' EXIT
run_suite wine build/cross -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake

# ---- end-to-end stage: the real exes in the prefix with the kernel-mode simulated driver ----
bash scripts/e2e-test.sh build/cross build/cross64 build/e2e || broken=$((broken + 1))
# ---- end of the end-to-end stage ----

# ---- short-fuzz stage: each libFuzzer target for 20 s (native, clang); one test per target ----
bash scripts/fuzz.sh --ctest build/fuzz 20 || broken=$((broken + 1))
# ---- end of the short-fuzz stage ----

bash scripts/test-summary.sh build/native build/cross build/e2e build/fuzz
status=$?
[ "$broken" -eq 0 ] || status=1
exit $status
