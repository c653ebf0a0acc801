#!/usr/bin/env bash
# Makes the Windows test kit, dist/windows-test-kit.zip: the Wine suites of the i686 and the x86_64
# build, fw_entry_probe.exe, kitrun.exe (run-tests.cmd's helper) and the panel of each
# (stripped), tests/kit/run-tests.cmd and README.txt, and commit.txt. The programs are the Debug
# builds the test command runs under Wine, built in the same folders (build/cross,
# build/cross64), so a test run that already built them only packs them. Any clone of the same
# commit, in any folder, gives the same bytes.
# Replaces only its own file in dist/ and its own line in dist/SHA256SUMS.
#
#   scripts/windows-kit.sh [--build-root DIR] [--zip PATH] [--suites "SUITE..."]
#     --build-root DIR  build in DIR/cross and DIR/cross64 (default build)
#     --zip PATH        write the zip to PATH and leave dist/ alone
#     --suites LIST     only these suites (a partial kit, which scripts/repro-check.sh compares
#                       with the whole one); needs --zip
# KP_KIT_COMMIT, when set, is the line commit.txt carries (a copy of a tree that is not a git work
# tree then names the commit of the tree it was copied from).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build_root=build
zip_out=
only=
while [ $# -gt 0 ]; do
    case $1 in
        --build-root) build_root=${2:?}; shift 2 ;;
        --zip) zip_out=${2:?}; shift 2 ;;
        --suites) only=${2:?}; shift 2 ;;
        *) echo "usage: $0 [--build-root DIR] [--zip PATH] [--suites \"SUITE...\"]" >&2; exit 2 ;;
    esac
done

bash scripts/setup.sh kit || { echo "windows-kit: setup failed"; exit 1; }
source scripts/wine-env.sh

# The suites run-tests.cmd runs, in its order; the build must have exactly these.
suites=$(sed -n 's/^set "suites=\(.*\)"\r\{0,1\}$/\1/p' tests/kit/run-tests.cmd)
[ -n "$suites" ] || { echo "windows-kit: no suite list in tests/kit/run-tests.cmd"; exit 1; }
packed=$suites
if [ -n "$only" ]; then
    [ -n "$zip_out" ] || { echo "windows-kit: --suites makes a partial kit: give --zip"; exit 2; }
    packed=$only
fi

source_line="not a git work tree: no commit to name"
if commit=$(git rev-parse --short=12 HEAD 2>/dev/null); then
    if [ -n "$(git status --porcelain --untracked-files=normal)" ]; then
        source_line="commit $commit with uncommitted changes"
    else
        source_line="commit $commit"
    fi
fi
source_line=${KP_KIT_COMMIT:-$source_line}

mkdir -p build
work=$(mktemp -d "$root/build/kit-stage.XXXXXX")
trap 'rm -rf "$work"' EXIT
kit=$work/windows-test-kit
mkdir -p "$kit"

for arch in i686 x86_64; do
    dir=$build_root/$(basename "$(kp_cross_dir "$arch")")
    echo "== windows-kit: $arch programs ($dir)"
    mkdir -p "$dir"
    if ! cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_TOOLCHAIN_FILE="$(kp_toolchain "$arch")" >"$dir.configure.log" 2>&1; then
        cat "$dir.configure.log"
        exit 1
    fi
    built=$(cmake --build "$dir" --target help |
        sed -n 's/^\.\.\. \(wine_[a-z0-9_]*_tests\)$/\1/p' | sort)
    if [ "$built" != "$(tr ' ' '\n' <<<"$suites" | sort)" ]; then
        echo "windows-kit: the build's Wine suites and run-tests.cmd's list differ:"
        diff <(echo "$built") <(tr ' ' '\n' <<<"$suites" | sort) || true
        exit 1
    fi
    # shellcheck disable=SC2086  # one target per word
    if ! cmake --build "$dir" -j "$(nproc)" --target $packed fw_entry_probe kitrun Tkdp3340 \
        >"$dir.kit-build.log" 2>&1; then
        tail -n 60 "$dir.kit-build.log"
        exit 1
    fi
    mkdir -p "$kit/$arch"
    programs=("$dir/tests/wine/framework/fw_entry_probe.exe" "$dir/tests/kit/kitrun/kitrun.exe"
        "$dir/app/Tkdp3340.exe")
    for suite in $packed; do
        programs+=("$(find "$dir/tests/wine" -name "$suite.exe" -type f)")
    done
    for exe in "${programs[@]}"; do
        # strip writes the time into the PE header unless told a fixed one.
        SOURCE_DATE_EPOCH=0 "$arch-w64-mingw32-strip" -s -o "$kit/$arch/$(basename "$exe")" "$exe"
        stamp=$(TZ=UTC x86_64-w64-mingw32-objdump -p "$kit/$arch/$(basename "$exe")" |
            sed -n 's/^Time\/Date[[:space:]]*//p')
        if [ "$stamp" != "Thu Jan  1 00:00:00 1970" ]; then
            echo "windows-kit: $arch/$(basename "$exe") carries the time $stamp"
            exit 1
        fi
    done
done

# Windows' own line ends for the text files.
sed 's/\r*$/\r/' tests/kit/run-tests.cmd >"$kit/run-tests.cmd"
sed 's/\r*$/\r/' tests/kit/README.txt >"$kit/README.txt"
printf '%s\r\n' "$source_line" >"$kit/commit.txt"

# Nothing of this machine in the kit: no folder of the source or the build (in either slash), no
# drive Z: path, none of Wine's \\?\unix\ paths.
build_path=$(cd "$build_root" && pwd)
if grep -r -l -a -F -e "$root" -e "${root//\//\\}" -e "$build_path" -e "${build_path//\//\\}" \
    -e 'Z:\' -e '\\?\unix' "$kit"; then
    echo "windows-kit: the files above name a folder of this machine"
    exit 1
fi

# The same bytes from the same files: fixed times, modes and order, no extra attributes.
find "$kit" -type d -exec chmod 755 {} +
find "$kit" -type f -exec chmod 644 {} +
find "$kit" -exec touch -h -d '2000-01-01 00:00:00 UTC' {} +
zip=$work/windows-test-kit.zip
(cd "$work" && find windows-test-kit | LC_ALL=C sort | TZ=UTC zip -X -q -9 -@ "$zip")

if [ -n "$zip_out" ]; then
    mkdir -p "$(dirname "$zip_out")"
    mv "$zip" "$zip_out"
    hash=$(sha256sum "$zip_out" | cut -d' ' -f1)
    echo "$zip_out  $(stat -c %s "$zip_out") bytes  sha256 $hash  ($source_line)"
    exit 0
fi

# dist/ keeps what else it holds (the release); the kit and its line are replaced, each by a
# rename, so a reader sees the old kit or the new one.
mkdir -p dist
mv "$zip" dist/windows-test-kit.zip
sums=$work/SHA256SUMS
{
    [ ! -f dist/SHA256SUMS ] || grep -v '  windows-test-kit\.zip$' dist/SHA256SUMS || true
    (cd dist && sha256sum windows-test-kit.zip)
} >"$sums"
mv "$sums" dist/SHA256SUMS
(cd dist && sha256sum --quiet -c SHA256SUMS) ||
    { echo "windows-kit: dist/SHA256SUMS does not match"; exit 1; }
hash=$(sha256sum dist/windows-test-kit.zip | cut -d' ' -f1)
echo "$root/dist/windows-test-kit.zip  $(stat -c %s dist/windows-test-kit.zip) bytes" \
    " sha256 $hash  ($source_line)"
