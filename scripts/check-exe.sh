#!/usr/bin/env bash
# The panel must be a GUI program of its architecture (i686, the shipped one, by default; or
# x86_64) that needs nothing but Windows' own DLLs; drvcheck.exe the same as a console program.
# Read from the PE header with the architecture's objdump: file(1)'s wording differs between
# Debian releases.
#   check-exe.sh EXE [i686|x86_64] [gui|console]
set -euo pipefail
exe=$1
arch=${2:-i686}
case ${3:-gui} in
    gui) subsystem="00000002 (Windows GUI)" ;;
    console) subsystem="00000003 (Windows CUI)" ;;
    *) echo "unknown subsystem: $3"; exit 2 ;;
esac
case $arch in
    i686) format=pei-i386 magic="010b (PE32)" ;;
    x86_64) format=pei-x86-64 magic="020b (PE32+)" ;;
    *) echo "unknown architecture: $arch"; exit 2 ;;
esac
header=$("$arch-w64-mingw32-objdump" -p "$exe" 2>&1) || { echo "not a PE file: $header"; exit 1; }
field() { sed -n "s/^$1[[:space:]]*\([^[:space:]]*\)[[:space:]]*\(.*\)/\1 \2/p" <<<"$header"; }
kind="$format, $(field Magic), subsystem $(field Subsystem)"
grep -q "file format $format\$" <<<"$header" || { echo "not a $format program: $kind"; exit 1; }
[ "$(field Magic)" = "$magic" ] || { echo "not $magic: $kind"; exit 1; }
[ "$(field Subsystem)" = "$subsystem" ] || { echo "not a ${3:-gui} program: $kind"; exit 1; }
allowed='^(kernel32|user32|gdi32|comctl32|advapi32|shell32|msvcrt|ole32|oleaut32|uxtheme)\.dll$'
imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$header")
bad=0
while read -r dll; do
    if ! grep -qiE "$allowed" <<<"$dll"; then
        echo "imports a DLL that is not part of Windows: $dll"
        bad=1
    fi
done <<<"$imports"
[ $bad -eq 0 ] && echo "ok: $kind; imports $(tr '\n' ' ' <<<"$imports")"
exit $bad
