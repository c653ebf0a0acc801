#!/usr/bin/env bash
# Proves that the Release program is reproducible: copies the source (what git tracks, plus new
# files it does not ignore) to two folders at different paths, builds the Release Tkdp3340.exe
# and drvcheck.exe in each, one after the other (so at different times), and compares the bytes
# of each; then runs the release checks on them. Then the Windows test kit: scripts/windows-kit.sh
# run in the second copy, for a sample of the kit (the suite that links the most of the program,
# the entry probe and the panel, of both architectures, and the text files), compared file for
# file with KIT_ZIP, the whole kit the test command made in the work tree (without KIT_ZIP, the
# sample is made in both copies and the two zips are compared). Leaves BUILD_DIR/ctest-junit.xml
# with three tests, release_build_is_reproducible, release_checks_pass and kit_is_reproducible,
# for scripts/test-summary.sh; exits 1 when any fails.
#
#   scripts/repro-check.sh [BUILD_DIR [KIT_ZIP]]   (default build/repro)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
dir=${1:-build/repro}
case $dir in /*) ;; *) dir=$root/$dir ;; esac
kit_zip=${2:-}
[ -z "$kit_zip" ] || kit_zip=$(realpath "$kit_zip")

rm -rf "$dir"
mkdir -p "$dir"
source "$root/scripts/junit-lib.sh"
kp_junit_start repro "$dir/ctest-junit.xml"
result() { kp_junit_result "$@"; }
repro() { result release_build_is_reproducible "$@"; }

# Two places whose paths differ in length and depth, so a leaked path shows as a difference.
first=$dir/a/src
second=$dir/b/somewhere/else/src
for copy in "$first" "$second"; do
    mkdir -p "$copy"
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
        tar --null -T - -cf - | tar -xf - -C "$copy" ||
        { repro fail "could not copy the source to $copy"; exit 1; }
done

echo "== repro: build the Release program in $first and in $second"
exe1=$(bash scripts/release-build.sh "$first" "$dir/a/build") ||
    { repro fail "the first build failed (log: $dir/a/build.build.log)"; exit 1; }
exe2=$(bash scripts/release-build.sh "$second" "$dir/b/somewhere/else/build") ||
    { repro fail "the second build failed (log: $dir/b/somewhere/else/build.build.log)"; exit 1; }

# drvcheck.exe is built beside the panel in each build folder.
checker1=$(dirname "$(dirname "$exe1")")/drvcheck/drvcheck.exe
checker2=$(dirname "$(dirname "$exe2")")/drvcheck/drvcheck.exe
firsts=("$exe1" "$checker1")
seconds=("$exe2" "$checker2")
same=
for i in 0 1; do
    one=${firsts[$i]} two=${seconds[$i]}
    hash1=$(sha256sum "$one" | cut -d' ' -f1)
    hash2=$(sha256sum "$two" | cut -d' ' -f1)
    if ! cmp -s "$one" "$two"; then
        # Offsets are decimal and 1-based, as cmp counts them.
        repro fail "the two builds of $(basename "$one") differ: sha256 $hash1 and $hash2,\
 $(cmp -l "$one" "$two" | wc -l) bytes differ, first at offsets $(cmp -l "$one" "$two" |
            head -n 8 | awk '{print $1}' | tr '\n' ' ')"
        exit 1
    fi
    same+="${same:+; }$(basename "$one") $(stat -c %s "$one") bytes, sha256 $hash1"
done
repro run "the two builds are the same: $same"

# What scripts/release.sh checks before it writes dist/.
if checks=$(bash scripts/check-release.sh "$exe1" "$checker1" 2>&1); then
    result release_checks_pass run "$(tr '\n' ';' <<<"$checks")"
else
    echo "$checks"
    result release_checks_pass fail "$(tail -n 1 <<<"$checks")"
    exit 1
fi

# The kit's sample: the same recipe as the whole kit, in the other folder and at another time.
kit() { result kit_is_reproducible "$@"; }
sample=wine_dialog_tests
make_sample() {  # source copy, build root, zip, [commit line]
    KP_KIT_COMMIT=${4:-} bash "$1/scripts/windows-kit.sh" --build-root "$2" --zip "$3" \
        --suites "$sample" >"$2.log" 2>&1
}
echo "== repro: the test kit's sample ($sample, the entry probe, the panel) in $second"
if [ -n "$kit_zip" ]; then
    reference=$kit_zip
    commit_line=$(unzip -p "$kit_zip" windows-test-kit/commit.txt | tr -d '\r')
else
    reference=$dir/a/kit.zip
    commit_line="the work tree's copy"
    make_sample "$first" "$dir/a/kit-build" "$reference" "$commit_line" ||
        { kit fail "the first sample failed (log: $dir/a/kit-build.log)"; exit 1; }
fi
make_sample "$second" "$dir/b/somewhere/else/kit-build" "$dir/b/kit.zip" "$commit_line" ||
    { kit fail "the second sample failed (log: $dir/b/somewhere/else/kit-build.log)"; exit 1; }
if [ -z "$kit_zip" ] && ! cmp -s "$reference" "$dir/b/kit.zip"; then
    kit fail "the two samples' zips differ: $(cmp "$reference" "$dir/b/kit.zip")"
    exit 1
fi
differ=()
files=$(unzip -Z1 "$dir/b/kit.zip" | grep -v '/$')
for f in $files; do
    cmp -s <(unzip -p "$reference" "$f") <(unzip -p "$dir/b/kit.zip" "$f") || differ+=("$f")
done
if [ ${#differ[@]} -eq 0 ]; then
    list=$(tr '\n' ' ' <<<"$files")
    kit run "$(wc -w <<<"$files") files of the kit are the same from $second: $list"
else
    kit fail "files of the kit differ when built in $second: ${differ[*]}"
    exit 1
fi
