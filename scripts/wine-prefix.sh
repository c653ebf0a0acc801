#!/usr/bin/env bash
# Creates the project's 64-bit Wine prefix once (null graphics driver, no X needed) and keeps
# one wineserver alive for a whole run.  Usage: wine-prefix.sh start | stop
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

w() { timeout -k 5 120 wine "$@"; }

create() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    timeout -k 5 180 wineboot -i >/dev/null 2>&1
    timeout -k 5 60 wineserver -w
    w reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null
    w reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    w reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS UI Gothic" /d IPAGothic /f >/dev/null
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    timeout -k 5 60 wineserver -k || true
    touch "$WINEPREFIX/.kp-ready"
}

case "${1:-start}" in
    start)
        [ -f "$WINEPREFIX/.kp-ready" ] || create
        # One persistent wineserver: programs start warm and driver state lives for the run.
        timeout -k 5 30 wineserver -p 2>/dev/null || true  # already running: keep it
        # Start Wine's own services now, detached from our output: a service started by a test
        # would inherit the test's pipes and keep CTest waiting.
        w cmd /c exit </dev/null >/dev/null 2>&1
        # Headless unless a run on a display asks for X (KP_WINE_GRAPHICS=x11).
        w reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d "${KP_WINE_GRAPHICS:-null}" /f \
            </dev/null >/dev/null 2>&1
        ;;
    stop)
        timeout -k 5 30 wineserver -k 2>/dev/null || true
        ;;
    *)
        echo "usage: $0 start|stop" >&2
        exit 2
        ;;
esac
