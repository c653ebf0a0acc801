#!/usr/bin/env bash
# Benchmark figures of the panel against the demo scenario (sim/scenarios/demo.scn: two units, a
# stream at 48 kHz). Figures only: nothing here passes or fails on timing, and the test command
# does not run it. Builds in folders of its own:
#   build/b-cross    Debug, as the tests build it: Tkdp3340.exe and the programs of bench/
#   build/b-release  Release: Tkdp3340.exe and bench/mindialog
# (with the suffix -x86_64 where the x86_64 build is measured)
#   build/b-cross64  the simulated kernel-mode driver and simctl
# and runs in a Wine prefix of its own (KP_WINEPREFIX, default build/b-prefix) with the simulated
# driver installed; its wineserver is stopped at the end.
#
#   scripts/bench.sh [LAUNCHES]   LAUNCHES of each program for the launch figures (default 7)
#
# What is measured:
#   1. requests of one refresh tick by control code, in process: the real CDrvPropDlg under Wine
#      with the in-process simulation loaded from demo.scn, its timer message sent from inside its
#      own modal loop; read from the simulation's request log, printed beside the count the
#      refresh's rules give for the same unit states; then the CPU time (GetThreadTimes) and
#      the wall time of one tick, over 5000 ticks;
#   2. the same dialog through the Win32 port and the simulated kernel-mode driver: the driver's
#      log of one tick, and the wall time of one tick over 1000 ticks (the driver's own work runs
#      in Wine's device host and wineserver, so the dialog thread's CPU time leaves it out); and
#      drvprobe's open-exchange-close round trip for scale;
#   3. launch to visible dialog: Tkdp3340.exe and bench/mindialog started in turns by
#      bench/launch (CreateProcessW until FindWindowW finds the titled window visible; Wine's null
#      graphics driver, so nothing is drawn), median of LAUNCHES, as a ratio; Debug and Release;
#   4. the size of Tkdp3340.exe (Debug and Release, as linked and stripped) and the peak working
#      set while it is open: GetProcessMemoryInfo from launchbench after 1 s with the dialog open
#      (under Wine this is VmHWM of the Linux process that hosts the exe, Wine's own libraries
#      included), checked against /proc/PID/status of that process.
#   5. the launch overhead over the bare settings template: Tkdp3340.exe (Release) against
#      bench/baretemplate, which shows template 187 from Tkdp3340.exe's own resources with a bare
#      DialogBoxParamW and does nothing else (median of at least 21 launches each, as a ratio);
#      then bench/open's in-process figures of the panel's opening, part by part (Release,
#      through the Win32 port and the kernel-mode driver), and the overhead split into them.
#   6. the panel left open (Release, through the kernel-mode driver): bench/longrun starts it
#      against four simulated units and, for KP_LONGRUN_S seconds (default 600), unplugs and
#      plugs units every 3 s (the selected one too), changes a unit's rate, switches its clock
#      between internal and external and starts and stops a stream; every 30 s it counts the
#      panel's entries in the system handle table and its GDI objects (under Wine in the GDI
#      table its PEB points at), sums its committed private memory (VirtualQueryEx) and the
#      pages of it written to, and reads how many control-device handles stayed open through the
#      whole period (the driver's open and close counts); the tick pace and the time from a
#      tick's first request to its last come from the driver's request log, stamped with its
#      clock. USER objects and the process's own counters are printed where the platform reports
#      them (not under Wine).
#
#   scripts/bench.sh longrun    section 6 only
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
launches=${1:-7}
only=
if [ "$launches" = longrun ]; then
    only=longrun
    launches=7
fi
longrun_s=${KP_LONGRUN_S:-600}
[[ "$longrun_s" =~ ^[1-9][0-9]*$ ]] || { echo "bench: KP_LONGRUN_S must be a number of seconds"; exit 2; }
export KP_WINEPREFIX=${KP_WINEPREFIX:-$root/build/b-prefix}
jobs=$(nproc)

bash scripts/setup.sh || { echo "bench: setup failed"; exit 1; }
mkdir -p build
source scripts/wine-env.sh
# The shipped i686 programs where they run here, else the x86_64 build (KP_WINE_ARCHS chooses).
archs=$(kp_wine_archs) || exit 1
arch=${archs%% *}
[ "$arch" = i686 ] || kp_x86_64_reason measuring
sfx=
[ "$arch" = i686 ] || sfx=-$arch

build() {  # dir, build type, targets...
    local dir=$1 type=$2
    shift 2
    cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$(kp_toolchain "$arch")" -DCMAKE_BUILD_TYPE="$type" \
        -DCMAKE_PROJECT_KestalPanel_INCLUDE="$root/bench/bench.cmake" >"$dir.configure.log" 2>&1 ||
        { cat "$dir.configure.log"; return 1; }
    cmake --build "$dir" -j "$jobs" --target "$@" >"$dir.build.log" 2>&1 ||
        { tail -n 60 "$dir.build.log"; return 1; }
}
echo "== bench: build (build/b-cross$sfx, build/b-release$sfx, build/b-cross64)"
build build/b-cross$sfx Debug Tkdp3340 mindialog tickbench_sim tickbench_drv launchbench drvprobe \
    longrun || exit 1
build build/b-release$sfx Release Tkdp3340 mindialog || exit 1
build build/b-release$sfx Release baretemplate openbench || exit 1
bash scripts/sim-build.sh build/b-cross64 || exit 1

echo "== bench: prefix $KP_WINEPREFIX and the simulated driver"
bash scripts/wine-prefix.sh start || { echo "bench: no prefix"; exit 1; }
trap 'bash scripts/wine-prefix.sh stop' EXIT
bash scripts/sim-install.sh build/b-cross64 || exit 1

wexe() { KP_WINE_TIMEOUT=${KP_WINE_TIMEOUT:-600} bash scripts/wine-exec.sh "$@"; }
winpath() { echo "Z:${1//\//\\}"; }
demo=$root/sim/scenarios/demo.scn
load_demo() {
    wexe build/b-cross64/sim/simctl/simctl.exe load "$(winpath "$demo")" + clear-log >/dev/null ||
        { echo "bench: the demo scenario did not load"; exit 1; }
}

longrun_section() {
    echo "---- 6. the panel left open for $longrun_s s (Release, four units that keep changing) ----"
    KP_WINE_TIMEOUT=$((longrun_s + 180)) wexe build/b-cross$sfx/bench/longrun/longrun.exe \
        "$(winpath "$root/build/b-release$sfx/app/Tkdp3340.exe")" "$longrun_s"
}

echo
echo "machine: $(nproc) CPUs, $("$kp_wine" --version 2>/dev/null), $arch programs, load average at start:" \
    "$(cut -d' ' -f1-3 /proc/loadavg)"
echo
if [ "$only" = longrun ]; then
    longrun_section
    status=$?
    echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
    exit $status
fi

echo "---- 1. one refresh tick in process (the real dialog, in-process simulation) ----"
wexe build/b-cross$sfx/tickbench_sim.exe "$(winpath "$demo")" 5000
echo

echo "---- 2. one refresh tick through the simulated kernel-mode driver ----"
load_demo
wexe build/b-cross$sfx/tickbench_drv.exe 1000
printf 'drvprobe, one open-exchange-close of IOCTL_DRV_GET_IN_USE (mean of 2000): %s us\n' \
    "$(wexe build/b-cross$sfx/tests/harness/drvprobe/drvprobe.exe bench 2000 | awk '{print $3}')"
echo

echo "---- 3. launch to visible dialog ($launches launches each, in turns) ----"
load_demo
title="KESTAL-3 5 9 Driver Settings"
for type in Debug Release; do
    dir=build/b-cross$sfx
    [ "$type" = Release ] && dir=build/b-release$sfx
    echo "$type builds:"
    wexe build/b-cross$sfx/launchbench.exe "$launches" 1000 \
        Tkdp3340 "$title" "$(winpath "$root/$dir/app/Tkdp3340.exe")" \
        mindialog "Minimal Dialog" "$(winpath "$root/$dir/mindialog.exe")" | sed 's/^/  /'
done
echo

echo "---- 4. size and working set ----"
size() { stat -c %s "$1"; }
stripped() { "$arch-w64-mingw32-strip" -o "$1.stripped" "$1" && size "$1.stripped"; }
for type in Debug Release; do
    dir=build/b-cross$sfx
    [ "$type" = Release ] && dir=build/b-release$sfx
    for exe in "$dir/app/Tkdp3340.exe" "$dir/mindialog.exe"; do
        printf '%-8s %-14s %9d bytes as linked, %9d bytes stripped\n' "$type" \
            "$(basename "$exe")" "$(size "$exe")" "$(stripped "$exe")"
    done
done
# /proc of the Linux process that hosts the Debug exe, after 2 s with the dialog open.
timeout -k 5 60 "$kp_wine" build/b-cross$sfx/app/Tkdp3340.exe </dev/null >/dev/null 2>&1 &
launcher=$!
sleep 2
panel=
for stat in /proc/[0-9]*/stat; do  # the child of timeout: wine's process for the exe
    read -r pid _ _ ppid _ <"$stat" 2>/dev/null || continue
    [ "$ppid" = "$launcher" ] && panel=$pid && break
done
if [ -n "$panel" ] && [ -r "/proc/$panel/status" ]; then
    printf 'Debug Tkdp3340.exe open for 2 s, /proc/%s/status (%s): %s, %s\n' "$panel" \
        "$(cat "/proc/$panel/comm")" \
        "$(grep -m1 VmHWM "/proc/$panel/status" | tr -s ' \t' ' ')" \
        "$(grep -m1 VmRSS "/proc/$panel/status" | tr -s ' \t' ' ')"
fi
kill "$launcher" 2>/dev/null
wait "$launcher" 2>/dev/null
echo "(the working set of section 3 is GetProcessMemoryInfo's, read by launchbench)"
echo

# The panel against the template it has to show anyway: what its own work adds to the launch.
overhead_launches=$((launches > 21 ? launches : 21))
echo "---- 5. launch overhead over the bare settings template (Release; $overhead_launches" \
    "launches each, in turns) ----"
rel=build/b-release$sfx
load_demo
wexe build/b-cross$sfx/launchbench.exe "$overhead_launches" 300 \
    Tkdp3340 "$title" "$(winpath "$root/$rel/app/Tkdp3340.exe")" \
    baretemplate "Bare Settings Template" \
    "$(winpath "$root/$rel/baretemplate.exe") $(winpath "$root/$rel/app/Tkdp3340.exe")" \
    >"$rel.overhead.log"
sed -n '/^medians/,$p' "$rel.overhead.log"
load_demo
wexe "$rel/openbench.exe" 21 >"$rel.opening.log"
cat "$rel.opening.log"
median() { awk -v name="$1" '$1 == name && $2 == "launch" {print $5}' "$rel.overhead.log"; }
part() { awk -v part="$1" 'index($0, part) {print $(NF - 1); exit}' "$rel.opening.log"; }
awk -v panel="$(median Tkdp3340)" -v bare="$(median baretemplate)" \
    -v probe="$(part 'start-up probe')" -v init="$(part 'OnInitDialog, whole')" '
    BEGIN {
        if (panel == "" || bare == "" || bare == 0 || probe == "" || init == "") {
            print "launch overhead over the bare settings template: no figure (see above)"
            exit
        }
        printf "launch overhead over the bare settings template: %.2f x\n", panel / bare
        printf "  the panel %.1f ms, the bare template %.1f ms: %.1f ms more, made of\n", panel, bare, panel - bare
        printf "    %-62s %7.1f ms\n", "start-up probe of the four units (in process)", probe
        printf "    %-62s %7.1f ms\n", "OnInitDialog: read, look-ups, labels, first refresh (in process)", init
        printf "    %-62s %7.1f ms\n", "the rest: process start-up beyond that of the bare program, and noise", panel - bare - probe - init
    }'
echo
longrun_section
echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
