#!/usr/bin/env bash
# scripts/run.sh as a newcomer without a display runs it: on a copy of the tree that has no build
# folder of its own, under Xvfb, against the demo scenario. It must exit 0, print the path of a
# screenshot of the panel, and what it read from the panel's window must be the settings
# dialog's title and the demo's two units in the device list.
#   run-command-test.sh COPY_DIR
set -uo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
copy=${1:?copy folder}

rm -rf "$copy"
mkdir -p "$copy"
tar -C "$src" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$copy" -xf -

out=$(cd "$copy" && env -u DISPLAY -u KP_WINEPREFIX timeout -k 10 840 bash scripts/run.sh 2>&1)
status=$?
echo "$out"

failures=0
fail() {
    echo "FAILED: $1"
    failures=$((failures + 1))
}
[ "$status" -eq 0 ] || fail "run.sh exited with $status"
grep -qx 'Title: KESTAL-3 5 9 Driver Settings' <<<"$out" || fail "no settings dialog title read"
units=$(grep '^Unit: ' <<<"$out")
[ "$units" = $'Unit: KESTAL-3 5 9\nUnit: KESTAL-3 5 9(2)' ] ||
    fail "the device list is not the demo's two units: ${units:-empty}"
shot=$(sed -n 's/^Screenshot: //p' <<<"$out")
case $shot in "$copy"/build/*) ;; *) fail "the screenshot is not in the copy's build folder: $shot" ;; esac
# The window with its caption: wider than 300 and taller than 400 pixels, unlike the small
# no-device dialog.
size=$(identify -format '%w %h' "$shot" 2>/dev/null)
read -r width height <<<"${size:-0 0}"
[ "$width" -gt 300 ] && [ "$height" -gt 400 ] || fail "the screenshot is not the panel: ${size:-none}"

[ "$failures" -eq 0 ]
