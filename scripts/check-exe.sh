#!/usr/bin/env bash
# The panel must be a GUI program of its architecture (i686, the shipped one, by default; or
# x86_64) that needs nothing but Windows' own DLLs.
#   check-exe.sh EXE [i686|x86_64]
set -euo pipefail
exe=$1
arch=${2:-i686}
case $arch in
    i686) want="PE32 executable (GUI) Intel 80386" ;;
    x86_64) want="PE32+ executable (GUI) x86-64" ;;
    *) echo "unknown architecture: $arch"; exit 2 ;;
esac
kind=$(file -b "$exe")
case "$kind" in
    "$want"*) ;;
    *) echo "not a $want: $kind"; exit 1 ;;
esac
allowed='^(kernel32|user32|gdi32|comctl32|advapi32|shell32|msvcrt|ole32|oleaut32|uxtheme)\.dll$'
imports=$("$arch-w64-mingw32-objdump" -p "$exe" | sed -n 's/^\s*DLL Name: //p')
bad=0
while read -r dll; do
    if ! grep -qiE "$allowed" <<<"$dll"; then
        echo "imports a DLL that is not part of Windows: $dll"
        bad=1
    fi
done <<<"$imports"
[ $bad -eq 0 ] && echo "ok: $kind; imports $(tr '\n' ' ' <<<"$imports")"
exit $bad
