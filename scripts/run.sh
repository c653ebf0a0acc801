#!/usr/bin/env bash
# Shows the panel under Wine against the simulated driver with the demo scenario (two units, a
# stream running at 48 kHz), or with the scenario file given. On the user's display when there
# is one (close the panel to end); else under Xvfb, saving a screenshot and printing its path
# and what the panel showed (its title and the units in its device list).
#   scripts/run.sh [SCENARIO]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
scenario=${1:-sim/scenarios/demo.scn}
case $scenario in /*) ;; *) scenario=$root/$scenario ;; esac

# Once, before the display is chosen: the Xvfb branch below runs this script again.
[ -n "${KP_RUN_IN_XVFB:-}" ] || bash "$root/scripts/setup.sh"
if [ -z "${DISPLAY:-}" ] && [ -z "${KP_RUN_IN_XVFB:-}" ]; then
    exec env KP_RUN_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi

source "$root/scripts/display-lib.sh"
kp_build
trap 'kp_stop_panel; kp_stop_on_display' EXIT
kp_start_on_display
kp_simctl load "$(kp_winpath "$scenario")" + clear-log >/dev/null

if [ -z "${KP_RUN_IN_XVFB:-}" ]; then
    echo "The panel runs on $DISPLAY against $(basename "$scenario"); close it to end."
    echo "Meanwhile, from another shell: bash scripts/wine-exec.sh build/cross64/sim/simctl/simctl.exe unplug 1"
    LC_ALL=${LC_ALL:-C.UTF-8} KP_WINE_TIMEOUT=86400 bash scripts/wine-exec.sh "$kp_cross/app/Tkdp3340.exe"
else
    shot=$root/build/screenshots/run-$(basename "$scenario" .scn).png
    kp_start_panel "${LC_ALL:-C.UTF-8}"
    kp_shot_panel "$shot"
    echo "No display here: the panel ran under Xvfb against $(basename "$scenario")."
    kp_read_panel
    echo "Screenshot: $shot"
fi
