#!/usr/bin/env bash
# Saves the README's screenshots under docs/screenshots: the settings dialog against the demo
# scenario in all eight languages, and the no-device dialog in English, German and Japanese.
# Runs under Xvfb; anyone can rerun it.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${KP_SHOTS_IN_XVFB:-}" ]; then
    bash "$root/scripts/setup.sh" || exit 1
    exec env KP_SHOTS_IN_XVFB=1 xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" "$@"
fi
source "$root/scripts/display-lib.sh"
kp_build
trap 'kp_stop_panel; kp_stop_on_display' EXIT
kp_start_on_display
out=$root/docs/screenshots

shoot() {  # scenario, locale, file
    kp_simctl load "$(kp_winpath "$root/sim/scenarios/$1.scn")" + clear-log >/dev/null
    kp_start_panel "$2"
    kp_shot_panel "$out/$3"
    kp_stop_panel
    echo "$out/$3"
}

for locale in en_US ja_JP de_DE fr_FR es_ES it_IT nl_NL pt_BR; do
    shoot demo "$locale.UTF-8" "settings-${locale%_*}.png"
done
for locale in en_US de_DE ja_JP; do
    shoot no-units "$locale.UTF-8" "no-device-${locale%_*}.png"
done
