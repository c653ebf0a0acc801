#!/usr/bin/env bash
# scripts/wine-exec.sh keeps Wine's own lines out of a program's stderr and in a log of its own,
# and says how the program ended. Checked against a stand-in loader, without Wine: it prints what
# a Windows program and Wine would print, and ends with the status it is given.
set -uo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cat >"$work/loader" <<'LOADER'
#!/usr/bin/env bash
read -r line
echo "${TMPDIR-unset}" >"$SEEN_TMPDIR"
echo "out line${line:+: $line}"
echo "err:virtual:virtual_alloc_first_teb wine: failed to map the shared user data: c0000018" >&2
echo "0024:err:module:import_dll Library foo.dll not found" >&2
echo "program says why" >&2
echo "0100:fixme:hid:handle_IRP_MN_QUERY_ID Unhandled type 00000005" >&2
echo "wine: a message of the loader itself" >&2
printf 'last line, no newline' >&2
[ "$STATUS" != hang ] || exec sleep 30
exit "$STATUS"
LOADER
chmod +x "$work/loader"

failures=0
fail() {
    echo "FAILED: $1"
    failures=$((failures + 1))
}
run() {  # status (or hang), then KP_WINE_LOG or nothing
    env STATUS="$1" KP_WINE_LOG="${2:-}" KP_WINE_ARCHS=x86_64 KP_WINE_LOADER="$work/loader" \
        KP_WINEPREFIX="$work/prefix" TMPDIR="$work" SEEN_TMPDIR="$work/tmpdir-seen" \
        bash "$src/scripts/wine-exec.sh" prog.exe <"$work/in" >"$work/out" 2>"$work/err"
}
: >"$work/in"

run 3 "$work/wine.log"
[ $? -eq 3 ] || fail "the program's exit status 3 was not passed on"
[ "$(cat "$work/out")" = "out line" ] || fail "stdout changed: $(cat "$work/out")"
expected=$'program says why\nwine: a message of the loader itself\nlast line, no newline'
[ "$(cat "$work/err")" = "$expected" ] || fail "stderr is not the program's own: $(cat "$work/err")"
[ "$(tail -c 1 "$work/err")" = e ] || fail "a missing last newline was added"
grep -q '^0024:err:module:import_dll' "$work/wine.log" || fail "Wine's err line is not in the log"
grep -q '^err:virtual:' "$work/wine.log" || fail "Wine's line from before its first thread is lost"
grep -q '^program says why$' "$work/wine.log" || fail "the program's stderr is not in the log"
last=$(tail -n 1 "$work/wine.log")
case $last in
    "== prog.exe exit status 3; no wineserver for this prefix") ;;
    *) fail "the log does not end with the status and the wineserver: $last" ;;
esac

# A program that reads its standard input (uiprobe) gets the caller's.
echo "from the caller" >"$work/in"
run 0 "$work/ok.log"
[ $? -eq 0 ] || fail "exit status 0 was not passed on"
[ "$(cat "$work/out")" = "out line: from the caller" ] ||
    fail "the program did not get the caller's standard input: $(cat "$work/out")"
: >"$work/in"
[ "$(tail -n 1 "$work/ok.log")" = "== prog.exe exit status 0" ] ||
    fail "a clean end is not logged as such: $(tail -n 1 "$work/ok.log")"

# Without a log of the caller's: a temporary one, shown on stderr only when the program failed.
run 0
# Debian 13's wineserver aborts whenever TMPDIR is set: the caller's never reaches Wine.
[ "$(cat "$work/tmpdir-seen")" = unset ] ||
    fail "Wine saw the caller's TMPDIR: $(cat "$work/tmpdir-seen")"
[ "$(cat "$work/err")" = "$expected" ] || fail "a clean end printed more than the program's stderr"
run 5
grep -q "^wine-exec: prog.exe ended with exit status 5; Wine's log, last lines:$" "$work/err" ||
    fail "a failed end does not say so on stderr"
grep -q '^  | 0024:err:module:import_dll' "$work/err" ||
    fail "a failed end does not show Wine's log"
ls "$work"/kp-wine-log.* >/dev/null 2>&1 && fail "a temporary log was left behind"

# Ended by the time limit: what it had printed still reaches the caller and the log says so.
KP_WINE_TIMEOUT=1 run hang "$work/hang.log"
[ $? -eq 124 ] || fail "a program past its time limit did not end with timeout's 124"
[ "$(cat "$work/err")" = "$expected" ] || fail "stderr of a program ended by timeout was lost"
case $(tail -n 1 "$work/hang.log") in
    "== prog.exe exit status 143 (ended by a signal); "*) ;;
    *) fail "the log does not say the program was ended: $(tail -n 1 "$work/hang.log")" ;;
esac

[ $failures -eq 0 ] && echo "wine-log-test: ok"
[ $failures -eq 0 ]
