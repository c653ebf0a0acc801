# Sourced by run.sh and screenshots.sh: the panel on an X display (the user's, or Xvfb).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
cd "$kp_root"

# Builds the panel and the simulated driver.
kp_build() {
    bash scripts/setup.sh
    cmake -S . -B build/cross -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake \
        -DCMAKE_BUILD_TYPE=Debug >build/cross.configure.log 2>&1 ||
        { cat build/cross.configure.log; return 1; }
    cmake --build build/cross -j "$(nproc)" --target Tkdp3340 >build/cross.build.log 2>&1 ||
        { tail -n 40 build/cross.build.log; return 1; }
    bash scripts/sim-build.sh build/cross64 >/dev/null
}

# A wineserver that draws on $DISPLAY, with the simulated driver installed and started.
kp_start_on_display() {
    bash scripts/wine-prefix.sh stop
    export KP_WINE_GRAPHICS=x11  # every start of this session, sim-install's too
    bash scripts/wine-prefix.sh start
    bash scripts/sim-install.sh build/cross64 >/dev/null
}

# Back to the headless prefix the tests expect.
kp_stop_on_display() {
    bash scripts/wine-prefix.sh stop
    unset KP_WINE_GRAPHICS
}

kp_simctl() {
    bash scripts/wine-exec.sh build/cross64/sim/simctl/simctl.exe "$@"
}

# Starts the panel in the background with the given locale; its process id in kp_panel_pid.
kp_start_panel() {
    LC_ALL=$1 KP_WINE_TIMEOUT=${KP_WINE_TIMEOUT:-600} \
        bash scripts/wine-exec.sh build/cross/app/Tkdp3340.exe </dev/null >/dev/null 2>&1 &
    kp_panel_pid=$!
}

# Waits for the panel's window and saves it as PNG (caption and frame included).
kp_shot_panel() {
    local out=$1 id= tries
    for tries in $(seq 1 60); do
        id=$(xwininfo -root -tree 2>/dev/null | awk '/"KESTAL-3 5 9/ && /[0-9]+x[0-9]+\+/ {print $1; exit}')
        [ -n "$id" ] && break
        sleep 0.5
    done
    [ -n "$id" ] || { echo "no panel window appeared" >&2; return 1; }
    sleep 1.5  # the first refresh ticks and the labels settle
    mkdir -p "$(dirname "$out")"
    import -window "$id" "$out"
}

# Ends the panel; the driver and its units stay as they are.
kp_stop_panel() {
    [ -n "${kp_panel_pid:-}" ] || return 0
    KP_WINE_TIMEOUT=20 bash scripts/wine-exec.sh taskkill /F /IM Tkdp3340.exe >/dev/null 2>&1
    wait "$kp_panel_pid" 2>/dev/null || true
    kp_panel_pid=
}
