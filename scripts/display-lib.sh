# Sourced by run.sh and screenshots.sh: the panel on an X display (the user's, or Xvfb).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
cd "$kp_root"

# The shipped 32-bit panel where this machine runs it, else the x86_64 build; KP_WINE_ARCHS
# chooses too. Sets kp_arch and kp_cross (the build folder of the panel and of uiprobe).
kp_choose_arch() {
    local archs
    archs=$(kp_wine_archs) || return 1
    kp_arch=${archs%% *}
    kp_cross=$(kp_cross_dir "$kp_arch")
    [ "$kp_arch" = i686 ] || kp_x86_64_reason showing
}

# Builds the panel, uiprobe and the simulated driver (the caller ran scripts/setup.sh).
kp_build() {
    kp_choose_arch
    mkdir -p build
    cmake -S . -B "$kp_cross" -DCMAKE_TOOLCHAIN_FILE="$(kp_toolchain "$kp_arch")" \
        -DCMAKE_BUILD_TYPE=Debug >"$kp_cross.configure.log" 2>&1 ||
        { cat "$kp_cross.configure.log"; return 1; }
    cmake --build "$kp_cross" -j "$(nproc)" --target Tkdp3340 uiprobe >"$kp_cross.build.log" 2>&1 ||
        { tail -n 40 "$kp_cross.build.log"; return 1; }
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
        bash scripts/wine-exec.sh "$kp_cross/app/Tkdp3340.exe" </dev/null >/dev/null 2>&1 &
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

# Prints what the open panel shows, read from its window: its title and the device list.
kp_read_panel() {
    local title="KESTAL-3 5 9 Driver Settings" answers
    answers=$(printf 'wait 10000 %s\ntext 0\ncombo %s\nquit\n' "$title" \
        "$(awk '$2 == "IDC_CMB_DEV" {print $3}' res/resource.h)" |
        bash scripts/wine-exec.sh "$kp_cross/tests/harness/uiprobe/uiprobe.exe" 2>/dev/null | tr -d '\r')
    sed -n '2s/^ok /Title: /p' <<<"$answers"
    # ok SEL COUNT DROPPED{\tDATA\tTEXT}: one line per unit.
    sed -n '3p' <<<"$answers" | awk -F'\t' '$1 ~ /^ok / {for (i = 3; i <= NF; i += 2) print "Unit: " $i}'
}

# Ends the panel; the driver and its units stay as they are.
kp_stop_panel() {
    [ -n "${kp_panel_pid:-}" ] || return 0
    KP_WINE_TIMEOUT=20 bash scripts/wine-exec.sh taskkill /F /IM Tkdp3340.exe >/dev/null 2>&1
    wait "$kp_panel_pid" 2>/dev/null || true
    kp_panel_pid=
}
