#!/usr/bin/env bash
# The Windows test kit under Wine, as on a machine that has nothing but the kit: a fresh prefix
# in a temporary folder outside the repository, made with HOME there too, its drive Z: removed,
# so that no drive letter reaches a file of the repository; an installation of its own (the key
# and the eight readme documents); the kit unpacked into C:\ and `cmd /c run-tests.cmd ARCH`.
# Two tests, in OUTPUT_DIR/ctest-junit.xml for scripts/test-summary.sh:
#   kit_runs_self_contained              exit code 0, the last line "N passed, 0 failed" with N
#                                        the passed tests of every suite's XML, every suite's XML
#                                        there; where 32-bit programs cannot run, asking for i686
#                                        fails with a line that says so
#   kit_leaves_the_installation_as_it_was  the key's export and the documents, byte for byte, and
#                                        no scratch folder left in the temporary folder
# Exits 1 when either fails. The prefix's wineserver is started and stopped by
# scripts/wine-prefix.sh; every Windows program runs through scripts/wine-exec.sh.
#
#   scripts/kit-test.sh ZIP [OUTPUT_DIR]   (default build/kit-test)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
zip=$(realpath "${1:?usage: kit-test.sh ZIP [OUTPUT_DIR]}")
out=${2:-build/kit-test}
case $out in /*) ;; *) out=$root/$out ;; esac
rm -rf "$out"
mkdir -p "$out"

source scripts/wine-env.sh
archs=${KP_WINE_ARCHS:-$(kp_wine_archs)} || exit 1
export KP_WINE_ARCHS=$archs
case $archs in
    "i686 x86_64") ask=both ;;
    *) ask=$archs ;;
esac
suites=$(unzip -p "$zip" windows-test-kit/run-tests.cmd | tr -d '\r' |
    sed -n 's/^set "suites=\(.*\)"$/\1/p')

source "$root/scripts/junit-lib.sh"
kp_junit_start kit "$out/ctest-junit.xml"
result() { kp_junit_result "$@"; }

# Everything Wine sees lives here, outside the repository.
tmp=$(mktemp -d "$kp_tmp/kp-kit.XXXXXX")
[[ "$tmp/" != "$root/"* ]] ||
    { result kit_runs_self_contained fail "$tmp is inside $root"; exit 1; }
export KP_WINEPREFIX=$tmp/prefix
home=$tmp/home
mkdir -p "$home"
# Only what Wine needs: no variable of the caller names a folder of the repository.
wine_env=(env -i "PATH=/usr/bin:/bin" "HOME=$home" "USER=${USER:-root}" "LC_ALL=C.UTF-8"
    "KP_WINEPREFIX=$KP_WINEPREFIX" "KP_WINE_ARCHS=$archs")
prefix_cmd() {  # start or stop
    (cd "$tmp" && "${wine_env[@]}" timeout -k 5 300 bash "$root/scripts/wine-prefix.sh" "$1")
}
cleanup() {
    prefix_cmd stop
    rm -rf "$tmp"
}
trap cleanup EXIT
# A Windows program with the prefix's C:\ as its working folder.
win() {  # log name, program and arguments...
    local log=$out/$1.wine.log
    shift
    (cd "$KP_WINEPREFIX/drive_c" &&
        "${wine_env[@]}" "KP_WINE_LOG=$log" "KP_WINE_TIMEOUT=${kit_timeout:-120}" \
            bash "$root/scripts/wine-exec.sh" "$@")
}

echo "== kit: a fresh prefix in $tmp, without drive Z:"
if ! prefix_cmd start >"$out/prefix.log" 2>&1; then
    result kit_runs_self_contained fail \
        "the prefix could not be made: $(tail -n 3 "$out/prefix.log")"
    exit 1
fi
prefix_cmd stop
rm -f "$KP_WINEPREFIX/dosdevices/z:"
prefix_cmd start >>"$out/prefix.log" 2>&1 ||
    { result kit_runs_self_contained fail "the prefix does not start without Z:"; exit 1; }
# Every link in the prefix stays in the temporary folder (C:, the profile's folders in HOME) or
# is a device: nothing of the repository is reachable by a drive letter.
outside=$(find "$tmp" -type l | while read -r link; do
    target=$(realpath -m "$link")
    [[ "$target/" == "$tmp/"* || "$target" == /dev/* ]] || echo "$link -> $target"
done)
[ -z "$outside" ] ||
    { result kit_runs_self_contained fail "links out of the prefix: $outside"; exit 1; }

# An installation of the prefix's own, as the driver's installer writes it, plus a value the
# panel does not read; each document with its own text.
key='HKCR\CLSID\{5E2B91C4-07D3-4f6a-B812-3CA9D40E7F15}\TKID0340'
folder='C:\Program Files (x86)\Kestal Test\Driver'
docs=$KP_WINEPREFIX/drive_c/Program\ Files\ \(x86\)/Kestal\ Test/Driver/Readme
mkdir -p "$docs"
for lang in EN JP DE ES FR IT NL PT; do
    printf '<html><body>readme %s of this prefix\r\n</body></html>' "$lang" \
        >"$docs/Readme_$lang.htm"
done
installed=0
win install-key reg add "$key" /ve /d "$folder" /f /reg:32 >/dev/null &&
    win install-key reg add "$key" /v version /d "Ver.9.8.7" /f /reg:32 >/dev/null &&
    win install-key reg add "$key" /v copyright /d "(C) this prefix" /f /reg:32 >/dev/null &&
    win install-key reg add "$key" /v Flags /t REG_DWORD /d 5 /f /reg:32 >/dev/null &&
    win export-before reg export "$key" 'C:\key-before.reg' /reg:32 /y >/dev/null && installed=1
docs_before=$(cd "$docs" && sha256sum ./*)

# The kit, unpacked as a user does, into a folder of C:.
unzip -q "$zip" -d "$KP_WINEPREFIX/drive_c" ||
    { result kit_runs_self_contained fail "the zip does not unpack"; exit 1; }
kitdir=$KP_WINEPREFIX/drive_c/windows-test-kit

echo "== kit: cmd /c run-tests.cmd $ask in C:\\windows-test-kit"
messages=()
# The repository's README through drive Z:, as a program of the kit would reach it (Wine's
# `if exist` does not see a drive's root itself). No kit file names Wine's \\?\unix\ paths, which
# reach everything (scripts/windows-kit.sh checks).
probe=$(kp_winpath "$root/README.md")
if ! win z-drive cmd /c "if exist \"$probe\" (exit 1) else (exit 0)"; then
    messages+=("$probe is reachable from the prefix")
fi
run_start=$SECONDS
kit_timeout=1500
(cd "$kitdir" && "${wine_env[@]}" "KP_WINE_LOG=$out/run-tests.wine.log" \
    "KP_WINE_TIMEOUT=$kit_timeout" bash "$root/scripts/wine-exec.sh" cmd /c run-tests.cmd "$ask") \
    >"$out/run-tests.txt" 2>&1
status=$?
kit_timeout=120
tr -d '\r' <"$out/run-tests.txt" | grep -v ': running$'
cp -r "$kitdir/results" "$out/results" 2>/dev/null
last=$(tr -d '\r' <"$out/run-tests.txt" | sed '/^$/d' | tail -n 1)
[ "$status" -eq 0 ] || messages+=("run-tests.cmd exited with $status")
# The passed tests of every suite's XML, counted here as the summary does.
expected=0
count() {  # attribute of the XML's first element
    sed -n "s/.* $1=\"\([0-9]*\)\".*/\1/p" <<<"$head"
}
for arch in $archs; do
    for suite in $suites; do
        xml=$kitdir/results/$suite-$arch.xml
        if [ ! -f "$xml" ]; then
            messages+=("no results\\$suite-$arch.xml")
            continue
        fi
        head=$(grep -m1 '<testsuites ' "$xml")
        expected=$((expected + $(count tests) - $(count failures) - $(count disabled) -
            $(grep -c '<skipped' "$xml")))
    done
done
[ "$last" = "$expected passed, 0 failed" ] ||
    messages+=("the last line is \"$last\", not \"$expected passed, 0 failed\"")
[ "$expected" -gt 0 ] || messages+=("no test passed")
# Where 32-bit programs cannot run, asking for them is a failure that says why.
if ! timeout -k 5 30 "$kp_wine32" --version >/dev/null 2>&1; then
    (cd "$kitdir" && "${wine_env[@]}" "KP_WINE_LOG=$out/run-tests-i686.wine.log" \
        bash "$root/scripts/wine-exec.sh" cmd /c run-tests.cmd i686) >"$out/run-tests-i686.txt" 2>&1
    status32=$?
    tr -d '\r' <"$out/run-tests-i686.txt" >"$out/run-tests-i686.lines"
    [ "$status32" -ne 0 ] || messages+=("run-tests.cmd i686 exited with 0 where 32-bit cannot run")
    grep -qx 'i686: its programs cannot run on this machine; none of its suites ran' \
        "$out/run-tests-i686.lines" || messages+=("run-tests.cmd i686 did not say it cannot run")
    [ "$(sed '/^$/d' "$out/run-tests-i686.lines" | tail -n 1)" = "0 passed, 1 failed" ] ||
        messages+=("run-tests.cmd i686 did not end with \"0 passed, 1 failed\"")
fi
if [ ${#messages[@]} -eq 0 ]; then
    result kit_runs_self_contained run \
        "$last ($ask, $((SECONDS - run_start)) s, zip $(stat -c %s "$zip") bytes)"
else
    result kit_runs_self_contained fail "$(IFS=';'; echo "${messages[*]}"); output in $out"
fi

# The installation as it was, byte for byte, and no scratch folder left behind.
messages=()
if [ $installed -eq 0 ]; then
    messages+=("the prefix's own installation could not be written (logs in $out)")
else
    win export-after reg export "$key" 'C:\key-after.reg' /reg:32 /y >/dev/null ||
        messages+=("the key could not be exported after the run")
    cp "$KP_WINEPREFIX/drive_c/key-before.reg" "$KP_WINEPREFIX/drive_c/key-after.reg" "$out/" \
        2>/dev/null
    cmp -s "$out/key-before.reg" "$out/key-after.reg" ||
        messages+=("the key differs after the run: $(diff <(iconv -f UTF-16 -t UTF-8 \
            "$out/key-before.reg" 2>&1) <(iconv -f UTF-16 -t UTF-8 "$out/key-after.reg" 2>&1) |
            tr '\n' ' ')")
    grep -q 'Ver.9.8.7' <(iconv -f UTF-16 -t UTF-8 "$out/key-before.reg" 2>/dev/null) ||
        messages+=("the export before the run does not hold the key")
fi
[ "$(cd "$docs" && sha256sum ./*)" = "$docs_before" ] || messages+=("the readme documents changed")
left=$(find "$KP_WINEPREFIX/drive_c" -maxdepth 6 -name 'kp-install-*' 2>/dev/null)
[ -z "$left" ] || messages+=("scratch folders left: $left")
if [ ${#messages[@]} -eq 0 ]; then
    result kit_leaves_the_installation_as_it_was run \
        "the installation key (4 values) and 8 readme documents are as they were"
else
    result kit_leaves_the_installation_as_it_was fail "$(IFS=';'; echo "${messages[*]}")"
fi
[ "$kp_junit_failures" -eq 0 ]
