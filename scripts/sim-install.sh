#!/usr/bin/env bash
# Installs the simulated driver and a test installation into the project's 64-bit prefix, and
# starts the driver. The files and registry entries are written once per prefix (again only when
# a built file changed); the driver is started in every new wineserver session.
#   - tkwmsim.sys as a demand-start kernel service (64-bit sc: a 32-bit sc marks it WOW64 and
#     the load fails); its units start absent until a scenario is loaded with simctl;
#   - the installation key in the 32-bit registry view, which the 32-bit panel reads, with a
#     readme document per language under its folder;
#   - openrec.exe as the shell's "open" handler for .htm in both registry views, so that opening
#     a readme records the path in C:\tkwmsim\opened.txt instead of starting a browser.
# Usage: sim-install.sh [SIM_BUILD_DIR]   (default build/cross64, see sim-build.sh)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
root=$kp_root
dir=${1:-build/cross64}
case $dir in /*) ;; *) dir=$root/$dir ;; esac
sys=$dir/sim/kernel/tkwmsim.sys
openrec=$dir/tests/harness/openrec/openrec.exe
for f in "$sys" "$openrec"; do
    [ -f "$f" ] || { echo "sim-install: $f is missing (run scripts/sim-build.sh)" >&2; exit 1; }
done

# Starts the prefix's wineserver and services unless they already run.
bash "$root/scripts/wine-prefix.sh" start >/dev/null 2>&1 </dev/null || true

w() { timeout -k 5 60 "$kp_wine" "$@" </dev/null >/dev/null 2>&1; }
w64() { timeout -k 5 60 "$kp_wine64" "$@" </dev/null; }
# RUNNING, STOPPED, ... or nothing while the service does not exist.
service_state() {
    { w64 sc query tkwmsim 2>/dev/null || true; } | sed -n 's/^ *STATE *: *[0-9]* *\([A-Z_]*\).*/\1/p'
}

key='HKCR\CLSID\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\TKID0340'
folder='C:\Program Files (x86)\Tkwm3340'
unix_folder="$WINEPREFIX/drive_c/Program Files (x86)/Tkwm3340"
tools="$WINEPREFIX/drive_c/tkwmsim"

stamp="$WINEPREFIX/.kp-sim-installed"
want=$(cat "$sys" "$openrec" "${BASH_SOURCE[0]}" | md5sum | cut -d' ' -f1)
if [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
    rm -f "$stamp"
    state=$(service_state)
    if [ "$state" = RUNNING ]; then w64 sc stop tkwmsim >/dev/null 2>&1 || true; fi
    cp "$sys" "$WINEPREFIX/drive_c/windows/system32/drivers/tkwmsim.sys"
    if [ -z "$state" ]; then
        w64 sc create tkwmsim type= kernel start= demand \
            binPath= 'C:\windows\system32\drivers\tkwmsim.sys' >/dev/null
    fi

    w reg add "$key" /v version /d 'Ver.1.0.0' /f /reg:32
    w reg add "$key" /v copyright /d 'Copyright (C) 2026 simulated driver' /f /reg:32
    w reg add "$key" /ve /d "$folder" /f /reg:32
    mkdir -p "$unix_folder/Readme"
    for lang in EN JP DE FR ES IT NL PT; do
        printf '<html><head><title>Readme %s</title></head><body><p>Readme %s</p></body></html>\n' \
            "$lang" "$lang" >"$unix_folder/Readme/Readme_$lang.htm"
    done

    mkdir -p "$tools"
    cp "$openrec" "$tools/openrec.exe"
    for view in 32 64; do
        w reg add 'HKCR\.htm' /ve /d tkwmsim.htmfile /f /reg:$view
        w reg add 'HKCR\tkwmsim.htmfile\shell\open\command' /ve \
            /d '"C:\tkwmsim\openrec.exe" "%1"' /f /reg:$view
    done
    echo "$want" >"$stamp"
fi

if [ "$(service_state)" != RUNNING ]; then
    w64 sc start tkwmsim >/dev/null
    [ "$(service_state)" = RUNNING ] || { echo "sim-install: tkwmsim did not start" >&2; exit 1; }
fi
