#!/usr/bin/env bash
# The shipped exe must be a 32-bit GUI program that needs nothing but Windows' own DLLs.
set -euo pipefail
exe=$1
kind=$(file -b "$exe")
case "$kind" in
    "PE32 executable (GUI) Intel 80386"*) ;;
    *) echo "not a PE32 Intel 80386 GUI executable: $kind"; exit 1 ;;
esac
allowed='^(kernel32|user32|gdi32|comctl32|advapi32|shell32|msvcrt|ole32|oleaut32|uxtheme)\.dll$'
bad=0
while read -r dll; do
    if ! grep -qiE "$allowed" <<<"$dll"; then
        echo "imports a DLL that is not part of Windows: $dll"
        bad=1
    fi
done < <(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p')
[ $bad -eq 0 ] && echo "ok: $kind; imports $(i686-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')"
exit $bad
