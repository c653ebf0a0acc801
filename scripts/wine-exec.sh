#!/usr/bin/env bash
# Runs one Windows program in the project's prefix, bounded in time (CTest's emulator).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec timeout -k 5 "${KP_WINE_TIMEOUT:-120}" "$kp_wine" "$@"
