#!/usr/bin/env bash
# Runs one Windows program in the project's prefix, bounded in time (CTest's emulator).
# Wine's own error lines go to a log of their own (see wine-logged.sh): KP_WINE_LOG names it; else
# a temporary one is used, and its tail is printed on stderr when the program fails.
exec timeout -k 5 "${KP_WINE_TIMEOUT:-120}" bash "$(dirname "${BASH_SOURCE[0]}")/wine-logged.sh" "$@"
