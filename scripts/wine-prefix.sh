#!/usr/bin/env bash
# Creates the project's 64-bit Wine prefix once (null graphics driver, no X needed) and keeps
# one wineserver alive for a whole run.  Usage: wine-prefix.sh start | stop
# A prefix whose creation was interrupted, or that no longer starts a program, is made anew.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

w() { timeout -k 5 120 "$kp_wine" "$@"; }

create() {
    timeout -k 5 30 wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    timeout -k 5 180 "$kp_wine" wineboot -i >/dev/null 2>&1 </dev/null || return 1
    timeout -k 5 60 wineserver -w
    w reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
    w reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    w reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS UI Gothic" /d IPAGothic /f >/dev/null
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    timeout -k 5 60 wineserver -k || true
    touch "$WINEPREFIX/.kp-ready"
}

# One persistent wineserver with Wine's own services up; false when no program starts.
serve() {
    # Headless unless a run on a display asks for X (KP_WINE_GRAPHICS=x11). The desktop reads
    # the driver once, when the first program starts: a change goes through a server that ends
    # on its own, so that the registry is saved before the persistent one starts.
    local graphics=${KP_WINE_GRAPHICS:-null}
    if ! grep -qx "\"Graphics\"=\"$graphics\"" "$WINEPREFIX/user.reg" 2>/dev/null; then
        timeout -k 5 30 wineserver -k 2>/dev/null || true
        w reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "$graphics" /f \
            </dev/null >/dev/null 2>&1 || return 1
        timeout -k 5 60 wineserver -w || return 1
    fi
    # Programs start warm and driver state lives for the run.
    timeout -k 5 30 wineserver -p 2>/dev/null || true  # already running: keep it
    # Start Wine's own services now, detached from our output: a service started by a test
    # would inherit the test's pipes and keep CTest waiting.
    w cmd /c exit </dev/null >/dev/null 2>&1
}

case "${1:-start}" in
    start)
        if [ ! -f "$WINEPREFIX/.kp-ready" ] || ! serve; then
            if ! create || ! serve; then
                timeout -k 5 30 wineserver -k 2>/dev/null || true
                echo "the Wine prefix $WINEPREFIX could not be made or does not start a program" \
                    "with $kp_wine: check that Debian's wine64 package works (bash" \
                    "scripts/setup.sh installs it)" >&2
                exit 1
            fi
        fi
        ;;
    stop)
        timeout -k 5 30 wineserver -k 2>/dev/null || true
        ;;
    *)
        echo "usage: $0 start|stop" >&2
        exit 2
        ;;
esac
