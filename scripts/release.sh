#!/usr/bin/env bash
# The release command: installs what is missing, builds the Release Tkdp3340.exe (i686,
# statically linked, stripped) and drvcheck.exe in build/release, checks them
# (scripts/check-release.sh) and writes dist/Tkdp3340.exe, dist/drvcheck.exe and
# dist/SHA256SUMS. No Wine step. dist/ is replaced as a whole and only when every check passed:
# it holds either the previous release or the new one, never a mix (a test kit of the same
# commit is kept, see below). Prints the path, the size and the SHA-256 of each, and whether the
# work tree had uncommitted changes.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

bash scripts/setup.sh release || { echo "release: setup failed"; exit 1; }

# What the program is built from: a commit, and whether the tree differs from it.
source_line="not a git work tree: no commit to name"
if commit=$(git rev-parse --short=12 HEAD 2>/dev/null); then
    if [ -n "$(git status --porcelain --untracked-files=normal)" ]; then
        source_line="DIRTY work tree (uncommitted changes on commit $commit): not a release of any commit"
    else
        source_line="commit $commit, clean work tree"
    fi
fi

echo "== release: build (build/release)"
exe=$(bash scripts/release-build.sh . build/release) || { echo "release: the build failed"; exit 1; }
checker=build/release/drvcheck/drvcheck.exe
echo "== release: check $exe and $checker"
bash scripts/check-release.sh "$exe" "$checker" || { echo "release: dist/ left as it was"; exit 1; }

stage=$(mktemp -d "$root/build/dist-stage.XXXXXX")
old=
cleanup() {
    # An interrupted swap puts the previous dist/ back.
    if [ -n "$old" ] && [ -d "$old" ] && [ ! -e dist ]; then mv "$old" dist; fi
    rm -rf "$stage" ${old:+"$old"}
}
trap cleanup EXIT
cp "$exe" "$stage/Tkdp3340.exe"
cp "$checker" "$stage/drvcheck.exe"
# The Windows test kit (scripts/windows-kit.sh) stays beside the new programs when it was made
# from the same clean commit; one of another commit or a changed tree goes with the old release.
files=(Tkdp3340.exe drvcheck.exe)
if [ -f dist/windows-test-kit.zip ]; then
    kit_source=$(unzip -p dist/windows-test-kit.zip windows-test-kit/commit.txt 2>/dev/null |
        tr -d '\r')
    if [ "$source_line" = "commit ${commit:-}, clean work tree" ] &&
        [ "$kit_source" = "commit $commit" ]; then
        cp dist/windows-test-kit.zip "$stage/"
        files+=(windows-test-kit.zip)
    else
        echo "release: dist/windows-test-kit.zip (${kit_source:-no commit named}) is not of this" \
            "release's commit: scripts/windows-kit.sh makes it anew"
    fi
fi
(cd "$stage" && sha256sum "${files[@]}" >SHA256SUMS && sha256sum --quiet -c SHA256SUMS) ||
    { echo "release: the staged copy does not match its checksum; dist/ left as it was"; exit 1; }
chmod 755 "$stage"
if [ -e dist ]; then
    old=$(mktemp -d "$root/build/dist-old.XXXXXX")
    rmdir "$old"
    mv dist "$old"
fi
mv "$stage" dist

while read -r hash name; do
    echo "$root/dist/$name  $(stat -c %s "dist/$name") bytes  sha256 $hash  ($source_line)"
done <dist/SHA256SUMS
