#!/usr/bin/env bash
# The Windows test kit under Wine, as on a machine that has nothing but the kit: a fresh prefix
# in a temporary folder outside the repository, made with HOME there too, its drive Z: removed,
# so that no drive letter reaches a file of the repository; an installation of its own (the key
# and the eight readme documents); the kit unpacked into a folder whose name holds "!", spaces
# and "&" (C:\kit & co! 1) and `cmd /c run-tests.cmd ARCH` there.
# Three tests, in OUTPUT_DIR/ctest-junit.xml for scripts/test-summary.sh:
#   kit_runs_self_contained              exit code 0, the last line "N passed, 0 failed" with N
#                                        the passed tests of every suite's XML, every suite's XML
#                                        there, machine.txt's facts, the key's export; where
#                                        32-bit programs cannot run, asking for i686 fails with a
#                                        line that says so; a folder named as the kit's without
#                                        its "!" untouched
#   kit_leaves_the_installation_as_it_was  the key's export and the documents, byte for byte, and
#                                        no scratch folder left in the temporary folder
#   kit_puts_the_key_back                with a per-user key beside the machine's: a suite that
#                                        crashes and one that hangs while the key is replaced
#                                        (KP_KIT_TEST_FAULT, read by the suites' key guard), each
#                                        followed by the key put back and the next suite run; a
#                                        run ended from outside mid-suite, the next run refused,
#                                        and `run-tests.cmd --restore`; both keys byte for byte
# Exits 1 when any fails. The prefix's wineserver is started and stopped by
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
            bash "$root/scripts/wine-exec.sh" "$@" </dev/null)
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

# The kit, unpacked as a user does, into a folder of C: whose name holds "!", spaces and "&"; a
# folder named as it is without its "!" (where a delayed expansion would lead) is left alone.
unzip -q "$zip" -d "$KP_WINEPREFIX/drive_c/kit & co! 1" ||
    { result kit_runs_self_contained fail "the zip does not unpack"; exit 1; }
kitdir=$KP_WINEPREFIX/drive_c/kit\ \&\ co\!\ 1/windows-test-kit
decoy=$KP_WINEPREFIX/drive_c/kit\ \&\ co\ 1/windows-test-kit/results
mkdir -p "$decoy"
echo "not the kit's" >"$decoy/keep.txt"
# cmd /c run-tests.cmd in the kit's folder, standard input not a console (so no pause at the end):
#   run_kit NAME FAULT ARGUMENT...   output in OUTPUT_DIR/NAME.txt, the status of cmd
# The script's own lines are its standard output; Wine's loader may add lines of its own on
# stderr (Wine 10 without 32-bit support: "failed to load ...syswow64\ntdll.dll"), kept apart.
run_kit() {
    local name=$1 fault=$2
    shift 2
    (cd "$kitdir" && "${wine_env[@]}" "KP_KIT_TEST_FAULT=$fault" "KP_WINE_LOG=$out/$name.wine.log" \
        "KP_WINE_TIMEOUT=${kit_timeout:-300}" bash "$root/scripts/wine-exec.sh" \
        cmd /c run-tests.cmd "$@" </dev/null) >"$out/$name.txt" 2>"$out/$name.err"
    local status=$?
    tr -d '\r' <"$out/$name.txt" >"$out/$name.lines"
    return $status
}
# Whether a line of FILE starts with TEXT.
has_line() {  # file, text
    awk -v p="$2" 'index($0, p) == 1 { found = 1 } END { exit !found }' "$1"
}

echo "== kit: cmd /c run-tests.cmd $ask in C:\\kit & co! 1\\windows-test-kit"
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
run_kit run-tests "" "$ask"
status=$?
kit_timeout=
grep -v ': running$' "$out/run-tests.lines"
cp -r "$kitdir/results" "$out/results" 2>/dev/null
last=$(sed '/^$/d' "$out/run-tests.lines" | tail -n 1)
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
# What the tester used to type, recorded by the kit itself.
machine=$(tr -d '\r' <"$kitdir/results/machine.txt" 2>/dev/null)
for fact in windows build "display language" "display scale" elevation "processor of windows"; do
    value=$(sed -n "s/^$fact: //p" <<<"$machine")
    [ -n "$value" ] && [ "$value" != "(not known)" ] || messages+=("machine.txt: no $fact")
done
grep -q '^\[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID' \
    <(iconv -f UTF-16 -t UTF-8 "$kitdir/results/installation-key/HKLM-32.reg" 2>/dev/null) ||
    messages+=("results\\installation-key\\HKLM-32.reg does not hold the machine's key")
[ ! -e "$kitdir/results/installation-key/run-not-finished.txt" ] ||
    messages+=("the run left run-not-finished.txt behind")
[ "$(cat "$decoy/keep.txt" 2>/dev/null)" = "not the kit's" ] &&
    [ "$(ls "$decoy")" = keep.txt ] || messages+=("the run touched $decoy")
# Where 32-bit programs cannot run, asking for them is a failure that says why.
if ! timeout -k 5 30 "$kp_wine32" --version >/dev/null 2>&1; then
    run_kit run-tests-i686 "" i686
    status32=$?
    [ "$status32" -ne 0 ] || messages+=("run-tests.cmd i686 exited with 0 where 32-bit cannot run")
    grep -q '^i686: .*; none of its suites ran$' "$out/run-tests-i686.lines" ||
        messages+=("run-tests.cmd i686 did not say its suites cannot run")
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

# The key put back by run-tests.cmd itself: after a suite that crashed and one that hung while
# the key was replaced, and by --restore after a run ended from outside. A per-user key beside
# the machine's must stay per-user.
echo "== kit: suites that crash and hang with the key replaced; a run ended from outside"
messages=()
arch=${archs##* }
user_key="HKCU\\Software\\Classes\\${key#HKCR\\}"
machine_key="HKLM\\Software\\Classes\\${key#HKCR\\}"
# Both keys exported as they are now, into OUTPUT_DIR/keys-NAME.txt.
keys_now() {  # name
    win "keys-$1" reg export "$machine_key" 'C:\keys-machine.reg' /reg:32 /y >/dev/null &&
        win "keys-$1" reg export "$user_key" 'C:\keys-user.reg' /reg:32 /y >/dev/null &&
        cat "$KP_WINEPREFIX/drive_c/keys-machine.reg" "$KP_WINEPREFIX/drive_c/keys-user.reg" \
            >"$out/keys-$1.txt"
}
same_keys() {  # name, what happened
    keys_now "$1" && cmp -s "$out/keys-before.txt" "$out/keys-$1.txt" ||
        messages+=("the keys differ $2: $(diff <(iconv -f UTF-16 -t UTF-8 \
            "$out/keys-before.txt" 2>&1) <(iconv -f UTF-16 -t UTF-8 "$out/keys-$1.txt" 2>&1) |
            tr '\n' ' ')")
}
fault_value() {  # the value the faulty suites write into the replaced key
    win fault-value reg query "$key" /v KitTestFault /reg:32 >/dev/null 2>&1
}
if [ $installed -eq 0 ] ||
    ! win user-key reg add "$user_key" /v user /d "per user" /f /reg:32 >/dev/null ||
    ! win user-key reg add "$user_key" /v Mode /t REG_DWORD /d 3 /f /reg:32 >/dev/null ||
    ! keys_now before; then
    messages+=("the keys could not be written and exported (logs in $out)")
else
    run_kit fault-run "wine_install_tests=crash,wine_dialog_tests=hang" \
        "$arch" --time-limit 20 wine_install_tests wine_dialog_tests wine_levels_tests
    status=$?
    cp -r "$kitdir/results" "$out/fault-results" 2>/dev/null
    lines=$out/fault-run.lines
    [ "$status" -eq 1 ] || messages+=("the run with faults exited with $status, not 1")
    grep -q '^kit test: this suite crash now' "$kitdir/results/wine_install_tests-$arch.log" &&
        grep -q '^kit test: this suite hang now' "$kitdir/results/wine_dialog_tests-$arch.log" ||
        messages+=("the suites did not replace the key and fail as asked (see fault-results)")
    has_line "$lines" "$arch wine_install_tests: ended with exit code -1073741819 and left no" ||
        messages+=("the crashed suite is not counted as one that ended without results")
    has_line "$lines" "$arch wine_dialog_tests: did not end within the time limit of 20 s" ||
        messages+=("the hanging suite is not counted as one that reached its time limit")
    for suite in wine_install_tests wine_dialog_tests; do
        has_line "$lines" "after $arch $suite: the installation key had changed and was put back" ||
            messages+=("no line says the key was put back after $suite")
    done
    passed=$(sed -n "s/^$arch wine_levels_tests: \([0-9]*\) passed, 0 failed$/\1/p" "$lines")
    [ "${passed:-0}" -gt 0 ] || messages+=("the run did not go on to wine_levels_tests")
    [ "$(sed '/^$/d' "$lines" | tail -n 1)" = "$passed passed, 2 failed" ] ||
        messages+=("the run with faults did not end with \"$passed passed, 2 failed\"")
    [ ! -e "$kitdir/results/installation-key/run-not-finished.txt" ] ||
        messages+=("the run with faults left run-not-finished.txt behind")
    same_keys after-faults "after the suites that crashed and hung"

    # A run ended from outside while its suite holds the key replaced: the tester's case.
    echo 0 >"$out/killed.pid"
    (cd "$kitdir" && "${wine_env[@]}" "KP_KIT_TEST_FAULT=wine_install_tests=hang" \
        "KP_WINE_LOG=$out/killed-run.wine.log" "KP_WINE_TIMEOUT=300" \
        bash -c 'echo $$ >"$1"; shift; exec bash "$@"' - "$out/killed.pid" \
        "$root/scripts/wine-exec.sh" cmd /c run-tests.cmd "$arch" wine_install_tests \
        </dev/null >"$out/killed-run.txt" 2>&1) &
    killed=$!
    for _ in $(seq 60); do
        fault_value && break
        sleep 1
    done
    # wine-exec.sh's timeout passes the signal on to the whole run.
    kill -TERM "$(cat "$out/killed.pid")" 2>/dev/null
    wait "$killed"
    fault_value || messages+=("the run ended from outside did not leave the key replaced")
    run_kit refused-run "" "$arch" wine_core_tests
    status=$?
    [ "$status" -ne 0 ] || messages+=("a run after a run ended from outside did not refuse")
    grep -q 'run-tests.cmd --restore' "$out/refused-run.lines" ||
        messages+=("the refused run does not say to run run-tests.cmd --restore")
    fault_value || messages+=("the refused run changed the key")
    run_kit restore "" --restore
    status=$?
    [ "$status" -eq 0 ] || messages+=("run-tests.cmd --restore exited with $status")
    same_keys after-restore "after run-tests.cmd --restore"
    [ ! -e "$kitdir/results/installation-key/run-not-finished.txt" ] ||
        messages+=("--restore left run-not-finished.txt behind")
fi
win user-key reg delete "$user_key" /f /reg:32 >/dev/null 2>&1
if [ ${#messages[@]} -eq 0 ]; then
    result kit_puts_the_key_back run "the machine's and the user's key back after a crash, a\
 hang ($arch) and a run ended from outside (--restore)"
else
    result kit_puts_the_key_back fail "$(IFS=';'; echo "${messages[*]}"); output in $out"
fi
[ "$kp_junit_failures" -eq 0 ]
