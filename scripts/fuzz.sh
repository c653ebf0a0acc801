#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz natively with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer; nothing Windows) and runs each one, one after another, from its seed
# corpus in tests/fuzz/corpus. Prints per target the total executions and executions per second.
# A crash, a leak, undefined behaviour, a failed check or an input that runs longer than 10 s
# fails the target; its input is kept in BUILD_DIR/runs/TARGET/artifacts and its log beside it.
#
#   scripts/fuzz.sh [SECONDS]                  each target for SECONDS (default 300); exit 1 when
#                                              any target failed
#   scripts/fuzz.sh --ctest BUILD_DIR SECONDS  the test command's short stage: the same as CTest
#                                              tests, leaving BUILD_DIR/ctest-junit.xml for
#                                              scripts/test-summary.sh; exit 1 only when the
#                                              targets could not be built
# The build folder of a long run is build/fuzz (KP_FUZZ_BUILD to change it).
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

mode=long
dir=${KP_FUZZ_BUILD:-build/fuzz}
seconds=300
if [ "${1:-}" = --ctest ]; then
    mode=ctest
    dir=${2:?build folder}
    seconds=${3:?seconds per target}
elif [ $# -gt 0 ]; then
    seconds=$1
fi
case $seconds in '' | *[!0-9]*) echo "fuzz: SECONDS must be a whole number" >&2; exit 2 ;; esac
case $dir in /*) ;; *) dir=$root/$dir ;; esac

bash scripts/setup.sh fuzz || { echo "fuzz: setup failed"; exit 1; }
mkdir -p "$dir"
echo "== fuzz: configure and build ($dir)"
if ! cmake -S tests/fuzz -B "$dir" -DCMAKE_CXX_COMPILER=clang++ -DKP_FUZZ_SECONDS="$seconds" \
    >"$dir/configure.log" 2>&1; then
    cat "$dir/configure.log"
    exit 1
fi
if ! cmake --build "$dir" -j "$(nproc)" >"$dir/build.log" 2>&1; then
    tail -n 60 "$dir/build.log"
    exit 1
fi

echo "== fuzz: each target for $seconds s"
rm -f "$dir/ctest-junit.xml"
# One target at a time: each takes a whole core, and its figures are its own.
ctest --test-dir "$dir" --output-junit "$dir/ctest-junit.xml" -V 2>&1 |
    sed -n 's/^[0-9]*: \(fuzz_[a-z_]*: .*\|  | .*\)$/\1/p'
status=${PIPESTATUS[0]}

if [ "$mode" = ctest ]; then
    exit 0
fi
if [ "$status" -eq 0 ]; then
    echo "== fuzz: no target failed"
else
    echo "== fuzz: a target failed (see above)"
fi
exit "$status"
