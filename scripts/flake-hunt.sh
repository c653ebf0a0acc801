#!/usr/bin/env bash
# Starts the Windows programs the tests start, many times and under the suites' conditions, and
# reports every start that ended without the answer it owed, with what Wine logged for it.
#   flake-hunt.sh [N] [--lanes L] [--arch i686|x86_64] [--quick] [--stages K]
# N starts (default 2000) in L lanes at once (default 2), while the panel runs against the
# simulated driver and one more process keeps a CPU busy: the project's prefix and persistent
# wineserver (scripts/wine-prefix.sh), the kernel-mode driver installed and started, every start
# through scripts/wine-exec.sh as the harness and CTest do it. The programs in turn: simctl log,
# simctl load, reg add, reg query, drvprobe, a uiprobe session that opens a dialog and kills it,
# and a dialog program ended by timeout; the panel, drvprobe, uiprobe and the dialog are those of
# --arch (default: i686 where this machine runs it, else x86_64). --quick starts only the three
# short programs (simctl log, reg query, drvprobe), for many starts in little time: a fault of
# Wine's own start-up shows in any program. With --stages K it then runs
# the Wine and end-to-end stages K times on the builds that scripts/test.sh left, and counts
# their failures. KP_WINEPREFIX and KP_FLAKE_DIR give it a prefix and a folder of its own.
# Needs the builds of a previous scripts/test.sh run. Ends with
#   flake-hunt: N starts, S silent, F other failures (in T s)
# and exits 1 when a start or a stage failed.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
source scripts/wine-env.sh

starts=2000
lanes=2
stages=0
arch=
quick=0
usage() {
    echo "usage: $0 [N] [--lanes L] [--arch i686|x86_64] [--quick] [--stages K]" >&2
    exit 2
}
while [ $# -gt 0 ]; do
    case $1 in
        --lanes) lanes=${2:-}; shift 2 || usage ;;
        --stages) stages=${2:-}; shift 2 || usage ;;
        --arch) arch=${2:-}; shift 2 || usage ;;
        --quick) quick=1; shift ;;
        [0-9]*) starts=$1; shift ;;
        *) usage ;;
    esac
done
[[ $starts =~ ^[0-9]+$ && $lanes =~ ^[1-9][0-9]*$ && $stages =~ ^[0-9]+$ ]] || usage

archs=$(kp_wine_archs) || exit 2
arch=${arch:-${archs%% *}}
if [[ " $archs " != *" $arch "* ]]; then
    echo "flake-hunt: $arch programs are not tested here" >&2
    exit 2
fi
cross=$root/$(kp_cross_dir "$arch")
cross64=$root/build/cross64
for f in "$cross/app/Tkdp3340.exe" "$cross/tests/harness/uiprobe/uiprobe.exe" \
    "$cross/tests/harness/uifixture/uifixture.exe" "$cross/tests/harness/drvprobe/drvprobe.exe" \
    "$cross64/sim/simctl/simctl.exe"; do
    [ -f "$f" ] || { echo "flake-hunt: $f is missing: run scripts/test.sh first" >&2; exit 2; }
done

out=${KP_FLAKE_DIR:-$root/build/flake-hunt}
rm -rf "$out"
mkdir -p "$out"
simctl=$cross64/sim/simctl/simctl.exe
fixture=$cross/tests/harness/uifixture/uifixture.exe
scenario=$root/sim/scenarios/demo.scn

bash scripts/wine-prefix.sh start || exit 2
bash scripts/sim-install.sh "$cross64" || exit 2
pids=()
cleanup() {
    [ ${#pids[@]} -gt 0 ] || return 0
    for pid in "${pids[@]}"; do kill -- "-$pid" 2>/dev/null; done
    pids=()
    KP_WINE_TIMEOUT=20 bash scripts/wine-exec.sh taskkill /F /IM Tkdp3340.exe >/dev/null 2>&1
}
trap cleanup EXIT

# One start: program NAME, expected exit status, input, command. Writes the start's folder and
# prints one result line: "ok", "silent STATUS" or "failed STATUS".
start_one() {  # index name expect input command...
    local i=$1 name=$2 expect=$3 input=$4 status
    shift 4
    local dir=$out/$i-$name
    mkdir -p "$dir"
    printf '%s' "$input" |
        KP_WINE_LOG=$dir/wine.log KP_WINE_TIMEOUT=${timeout:-30} \
            bash scripts/wine-exec.sh "$@" >"$dir/out" 2>"$dir/err"
    status=$?
    if [ "$status" = "$expect" ] && { [ -z "${want:-}" ] || grep -q "$want" "$dir/out"; }; then
        rm -rf "$dir"
        echo ok
    elif [ ! -s "$dir/out" ] && [ ! -s "$dir/err" ]; then
        echo "silent $status"
    else
        echo "failed $status"
    fi
}

lane() {  # lane number, starts
    local n=$1 count=$2 k i result step
    for ((k = 0; k < count; ++k)); do
        i=$n-$k
        step=$((k % 7))
        [ $quick -eq 0 ] || step=$((k % 3 * 2))  # 0, 2, 4 below
        case $step in
            0) result=$(start_one "$i" simctl-log 0 '' "$simctl" log) ;;
            1) result=$(start_one "$i" simctl-load 0 '' "$simctl" load "$scenario" + clear-log) ;;
            2) result=$(want=Graphics start_one "$i" reg-query 0 '' reg query \
                   'HKCU\Software\Wine\Drivers') ;;
            3) result=$(start_one "$i" reg-add 0 '' reg add 'HKCU\Software\KpFlakeHunt' \
                   /v "lane$n" /d "$k" /f) ;;
            4) result=$(want='^stream ' start_one "$i" drvprobe 0 '' \
                   "$cross/tests/harness/drvprobe/drvprobe.exe" stream) ;;
            5) result=$(want='^ok [0-9a-f]' start_one "$i" uiprobe 0 \
                   "run $(kp_winpath "$fixture")"$'\nwait 20000 uiprobe fixture\nkill\nquit\n' \
                   "$cross/tests/harness/uiprobe/uiprobe.exe") ;;
            6) result=$(timeout=1 start_one "$i" killed-by-timeout 124 '' "$fixture") ;;
        esac
        echo "$i $result"
    done
}

begin=$(date +%s)
if [ "$starts" -gt 0 ]; then
    KP_WINE_TIMEOUT=60 bash scripts/wine-exec.sh "$simctl" load "$scenario" + clear-log >/dev/null
    # The panel open for the whole hunt, polling the units; one CPU kept busy beside the lanes.
    setsid bash -c "KP_WINE_TIMEOUT=86400 KP_WINE_LOG='$out/panel.log' \
        exec bash scripts/wine-exec.sh '$cross/app/Tkdp3340.exe'" </dev/null >/dev/null 2>&1 &
    pids+=($!)
    setsid bash -c 'while :; do :; done' &
    pids+=($!)
    what="panel open, one CPU busy"
    [ $quick -eq 0 ] || what+=", short programs only"
    [ -z "${WINELOADERNOEXEC:-}" ] || what+=", WINELOADERNOEXEC=1: no preloader"
    echo "== flake-hunt: $starts starts in $lanes lanes ($arch build, $kp_wine), $what"
    per=$(((starts + lanes - 1) / lanes))
    lane_pids=()
    for ((n = 0; n < lanes; ++n)); do
        lane "$n" "$per" >"$out/lane-$n.txt" &
        lane_pids+=($!)
    done
    wait "${lane_pids[@]}"
    cleanup
fi

total=$(cat "$out"/lane-*.txt 2>/dev/null | wc -l)
silent=$(grep -c ' silent ' "$out"/lane-*.txt 2>/dev/null | awk -F: '{s += $2} END {print s + 0}')
other=$(grep -c ' failed ' "$out"/lane-*.txt 2>/dev/null | awk -F: '{s += $2} END {print s + 0}')
for line in $(grep -h -v ' ok$' "$out"/lane-*.txt 2>/dev/null | tr ' ' '|'); do
    IFS='|' read -r i kind status <<<"$line"
    dir=$(ls -d "$out/$i-"*)
    echo "-- start $i ($(basename "$dir" | cut -d- -f3-)): $kind, exit status $status"
    sed 's/^/   out | /' "$dir/out" | head -n 5
    sed 's/^/   err | /' "$dir/err" | head -n 5
    tail -n 15 "$dir/wine.log" | sed 's/^/   log | /'
done
bad=$((silent + other))

broken=0
stage_starts=0
for ((k = 1; k <= stages; ++k)); do
    for a in $archs; do
        c=$(kp_cross_dir "$a")
        e2e=build/e2e
        [ "$a" = x86_64 ] && e2e=build/e2e64
        echo "== flake-hunt: stages, round $k: wine-$a and e2e-$a"
        rm -rf "$c/test-results" && mkdir -p "$c/test-results"
        ctest --test-dir "$c" -j "$(nproc)" --output-junit "$root/$c/ctest-junit.xml" \
            >"$out/stage-$k-wine-$a.log" 2>&1
        KP_ARCH=$a bash scripts/e2e-test.sh "$c" build/cross64 "$e2e" \
            >"$out/stage-$k-e2e-$a.log" 2>&1
        logs=$(find "$e2e/e2e-output/wine-logs" -name '*.log' 2>/dev/null | wc -l)
        stage_starts=$((stage_starts + logs))
        if ! summary=$(bash scripts/test-summary.sh "$c" "$e2e"); then
            broken=$((broken + 1))
            cp -r "$e2e/e2e-output" "$out/stage-$k-e2e-$a-output"
            grep -h -B2 -A30 'Failure$\|\*\*\*Failed\|Failed ' "$out/stage-$k-"*"-$a.log" |
                head -n 80
        fi
        echo "   $summary; the harness started $logs Windows programs"
    done
done

took=$(($(date +%s) - begin))
echo "flake-hunt: $total starts, $silent silent, $other other failures (in $took s)"
[ "$stages" -eq 0 ] ||
    echo "flake-hunt: $stages rounds of the stages, $broken failed, $stage_starts harness starts"
[ $bad -eq 0 ] && [ $broken -eq 0 ]
