#!/usr/bin/env bash
# The one test command: installs what is missing, then runs
#   native  the portable core on the host (ASan and UBSan);
#   wine    the cross-built suites in process under Wine,          } for each Windows architecture
#   e2e     the real programs with the simulated kernel driver,    } this machine runs
#   kit     the Windows test kit made, then run in a Wine prefix of its own (scripts/kit-test.sh);
#   fuzz    each libFuzzer target for 20 s;
#   repro   the Release program built twice in two folders, byte for byte, and its release checks,
#           and a sample of the kit built again in the second folder;
#   run     scripts/run.sh as a newcomer without a display runs it;
# and ends with "N passed, N failed". Where 32-bit programs cannot run (or KP_WINE_ARCHS=x86_64
# says so), the Windows stages test the x86_64 build, and the shipped i686 exe is still built and
# checked.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc)

fail_early() {  # [what is missing, when no line above says it]
    [ -z "${1:-}" ] || echo "$1"
    echo "0 passed, 1 failed"
    exit 1
}

bash scripts/setup.sh || fail_early "setup failed: the packages above could not be installed"
source scripts/wine-env.sh
asked=${KP_WINE_ARCHS:-}
archs=$(kp_wine_archs) || fail_early
# Found out once: every script below tests the same architectures.
export KP_WINE_ARCHS=$archs
if [ -n "$asked" ]; then
    echo "KP_WINE_ARCHS=$asked: testing the $archs build"
elif [ "$archs" = x86_64 ]; then
    KP_WINE_ARCHS="" kp_x86_64_reason testing
else
    echo "== Windows programs under test: $archs"
fi
mkdir -p build
# A wineserver left by an interrupted run would carry its driver state into this one.
bash scripts/wine-prefix.sh stop
bash scripts/wine-prefix.sh start || fail_early
trap 'bash scripts/wine-prefix.sh stop' EXIT

broken=0
results=()
times=()
stage_start=$(date +%s)
stage_done() {  # name
    local now
    now=$(date +%s)
    times+=("$1 $((now - stage_start)) s")
    stage_start=$now
}

run_suite() {  # name, build dir, extra cmake args...
    local name=$1 dir=$2
    shift 2
    results+=("$dir")
    rm -rf "$dir/test-results" "$dir/ctest-junit.xml"
    echo "== $name: configure and build"
    if ! cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug "$@" >"$dir.configure.log" 2>&1; then
        cat "$dir.configure.log"; broken=$((broken + 1)); return
    fi
    if ! cmake --build "$dir" -j "$jobs" >"$dir.build.log" 2>&1; then
        tail -n 60 "$dir.build.log"; broken=$((broken + 1)); return
    fi
    mkdir -p "$dir/test-results"
    echo "== $name: run"
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" --output-junit "$root/$dir/ctest-junit.xml" || true
}

run_suite native build/native
stage_done native

for arch in $archs; do
    cross=$(kp_cross_dir "$arch")
    e2e=build/e2e
    [ "$arch" = x86_64 ] && e2e=build/e2e64
    run_suite "wine $arch" "$cross" -DCMAKE_TOOLCHAIN_FILE="$(kp_toolchain "$arch")"
    stage_done "wine-$arch"
    results+=("$e2e")
    KP_ARCH=$arch bash scripts/e2e-test.sh "$cross" build/cross64 "$e2e" || broken=$((broken + 1))
    stage_done "e2e-$arch"
done

if [[ " $archs " != *" i686 "* ]]; then
    # The shipped program: its header and imports are checked without running it.
    echo "== shipped exe (i686): build and check"
    results+=(build/cross)
    rm -f build/cross/ctest-junit.xml
    if cmake -S . -B build/cross -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_TOOLCHAIN_FILE="$(kp_toolchain i686)" >build/cross.configure.log 2>&1 &&
        cmake --build build/cross -j "$jobs" --target Tkdp3340 >build/cross.build.log 2>&1; then
        ctest --test-dir build/cross --output-on-failure -R '^exe_is_a_self_contained_gui_program$' \
            --output-junit "$root/build/cross/ctest-junit.xml" || true
    else
        tail -n 60 build/cross.configure.log build/cross.build.log
        broken=$((broken + 1))
    fi
    stage_done "exe-i686"
fi

# The Windows test kit, packed from the cross builds above (the i686 suites are built here where
# 32-bit programs cannot run), then run under Wine as on a machine that has only the kit.
echo "== kit: scripts/windows-kit.sh, then the kit in a prefix of its own"
results+=(build/kit-test)
rm -rf build/kit build/kit-test
if bash scripts/windows-kit.sh --zip build/kit/windows-test-kit.zip >build/kit.log 2>&1; then
    tail -n 1 build/kit.log
    bash scripts/kit-test.sh build/kit/windows-test-kit.zip build/kit-test || true
else
    cat build/kit.log
    broken=$((broken + 1))
fi
stage_done kit

# Each libFuzzer target for 20 s (native, clang); one test per target.
results+=(build/fuzz)
bash scripts/fuzz.sh --ctest build/fuzz 20 || broken=$((broken + 1))
stage_done fuzz

# The Release program built twice, from copies of the source at two paths, and its release checks;
# the kit's sample built in the second copy and compared with the kit above.
results+=(build/repro)
bash scripts/repro-check.sh build/repro build/kit/windows-test-kit.zip || true
stage_done repro

# The README's run command on a copy of the tree, with a build folder and prefix of its own.
echo "== run: scripts/run.sh on a fresh copy of the tree, under Xvfb"
results+=(build/commands)
rm -f build/commands/ctest-junit.xml
if cmake -S tests/commands -B build/commands >build/commands.configure.log 2>&1; then
    ctest --test-dir build/commands --output-on-failure \
        --output-junit "$root/build/commands/ctest-junit.xml" || true
else
    cat build/commands.configure.log
    broken=$((broken + 1))
fi
stage_done run

echo "== stage times: $(IFS=,; echo "${times[*]}" | sed 's/,/, /g')"
bash scripts/test-summary.sh "${results[@]}"
status=$?
[ "$broken" -eq 0 ] || status=1
exit $status
