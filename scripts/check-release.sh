#!/usr/bin/env bash
# The checks a Release Tkdp3340.exe must pass before it is shipped, and with CHECKER those of
# the drvcheck.exe that ships beside it; reads the files only (no Wine). Prints one line per
# check; on the first failed check says which and exits 1.
#
#   scripts/check-release.sh EXE [CHECKER]
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exe=${1:?exe}
checker=${2:-}

fail() { echo "check failed: $1"; exit 1; }
pass() { echo "ok: $1"; }

[ -s "$exe" ] || fail "no program at $exe"
out=$(bash "$root/scripts/check-exe.sh" "$exe") ||
    fail "PE32 GUI executable importing only system DLLs: $out"
pass "PE32 GUI executable importing only system DLLs (${out#ok: })"

debug=$(i686-w64-mingw32-objdump -h "$exe" | awk '$2 ~ /^\.debug/ {print $2}' | tr '\n' ' ')
[ -z "$debug" ] || fail "stripped: debug sections left: $debug"
i686-w64-mingw32-objdump -t "$exe" 2>&1 | grep -q 'no symbols' ||
    fail "stripped: the symbol table is still there"
pass "stripped (no debug sections, no symbol table)"

# windres reads the resource section back as a resource script.
rc=$(mktemp)
trap 'rm -f "$rc"' EXIT
i686-w64-mingw32-windres -i "$exe" -O rc -o "$rc" 2>/dev/null || fail "resources: windres can't read them"

grep -q '^1 VERSIONINFO$' "$rc" || fail "version block: no VERSIONINFO 1"
grep -q '^ FILEVERSION 1, 0, 0, 0$' "$rc" || fail "version block: file version is not 1.0.0.0"
pass "version block"

grep -q '^1 24 /\* RT_MANIFEST \*/$' "$rc" || fail "manifest: no RT_MANIFEST 1"
grep -q 'asInvoker' "$rc" || fail "manifest: no asInvoker execution level"
pass "manifest"

# Per language id, the string ids its table holds: the eight languages, each with the same ids,
# and no other language with strings.
langs=$(awk '
    /^LANGUAGE / { gsub(/,/, ""); lang = sprintf("0x%04x", $2 + 1024 * $3); next }
    /^STRINGTABLE$/ { inside = 1; next }
    inside && /^END$/ { inside = 0; next }
    inside && /^  [0-9]+,/ { sub(/,.*/, "", $1); print lang, $1 }
' "$rc" | sort -k1,1 -k2n | awk '{ ids[$1] = ids[$1] " " $2 } END { for (l in ids) print l ":" ids[l] }' |
    sort)
want="0x0007 0x000a 0x000c 0x0010 0x0013 0x0016 0x0409 0x0411"
have=$(cut -d: -f1 <<<"$langs" | tr '\n' ' ')
[ "$have" = "$want " ] || fail "string tables: the languages are ${have:-none}, not the eight $want"
[ "$(cut -d: -f2 <<<"$langs" | sort -u | wc -l)" -eq 1 ] ||
    fail "string tables: the eight languages do not hold the same string ids"
ids=$(head -n1 <<<"$langs" | cut -d: -f2)
grep -qw 33088 <<<"$ids" || fail "string tables: no title string 33088"
pass "string tables in eight languages, $(wc -w <<<"$ids") strings each"

[ -n "$checker" ] || exit 0
[ -s "$checker" ] || fail "no drvcheck.exe at $checker"
out=$(bash "$root/scripts/check-exe.sh" "$checker" i686 console) ||
    fail "drvcheck.exe: PE32 console program importing only system DLLs: $out"
i686-w64-mingw32-objdump -t "$checker" 2>&1 | grep -q 'no symbols' ||
    fail "drvcheck.exe: stripped: the symbol table is still there"
pass "drvcheck.exe: PE32 console program importing only system DLLs, stripped (${out#ok: })"
# Run as the user who starts it: no elevation prompt, no redirection of the JSON it writes.
grep -aq 'requestedExecutionLevel level="asInvoker"' "$checker" ||
    fail "drvcheck.exe: no manifest that asks to run asInvoker"
pass "drvcheck.exe: its manifest asks to run asInvoker"
