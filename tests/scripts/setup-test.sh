#!/usr/bin/env bash
# scripts/setup.sh against stand-ins for apt-get, dpkg, dpkg-query and the 32-bit probe that act
# out what real machines and mirrors do: an index of unexpected size while the mirror syncs, an
# i386 index behind the amd64 one (held broken packages), a package apt cannot find, a kernel
# that runs 32-bit programs and one that does not. Each case checks what was installed, what
# was said, and which Windows architectures the commands then test (scripts/wine-env.sh).
set -uo pipefail
src=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"

# The package database: one installed package a line, the foreign architectures, the calls.
cat >"$work/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
case $3 in
    '*:i386') { echo "un libc6:i386"; sed -n 's/^\(.*:i386\)$/ii \1/p' "$W/installed"; } ;;
    *) grep -qx "$3" "$W/installed" && printf 'install ok installed' ;;
esac
exit 0
EOF
cat >"$work/bin/dpkg" <<'EOF'
#!/usr/bin/env bash
echo "dpkg $*" >>"$W/calls"
case $1 in
    --print-foreign-architectures) cat "$W/archs" ;;
    --add-architecture) echo "$2" >>"$W/archs" ;;
    --remove-architecture)
        if grep -q ":$2\$" "$W/installed"; then
            echo "dpkg: error: cannot remove architecture '$2' currently in use" >&2; exit 2
        fi
        sed -i "/^$2\$/d" "$W/archs" ;;
esac
EOF
cat >"$work/bin/apt-get" <<'EOF'
#!/usr/bin/env bash
echo "apt-get $*" >>"$W/calls"
simulate=0 verb= pkgs=()
while [ $# -gt 0 ]; do
    case $1 in
        -o) shift ;;
        -s) simulate=1 ;;
        -*) ;;
        update | install) verb=$1 ;;
        *) pkgs+=("$1") ;;
    esac
    shift
done
i386=0
grep -qx i386 "$W/archs" && i386=1
if [ "$verb" = update ]; then
    n=$(($(cat "$W/updates" 2>/dev/null || echo 0) + 1))
    echo $n >"$W/updates"
    echo "Get:1 http://mirror bookworm InRelease"
    if [ "$n" -le "${UPDATE_FAILS:-0}" ] || { [ "${I386_SKEW:-0}" = 1 ] && [ $i386 = 1 ]; }; then
        echo "E: Failed to fetch http://mirror/debian-security/dists/bookworm-security/main/" \
            "binary-i386/Packages.xz  File has unexpected size (374820 != 376004)." \
            "Mirror sync in progress? [IP: 10.0.0.1 80]" | sed 's|/ binary|/binary|'
        echo "E: Some index files failed to download. They have been ignored, or old ones used" \
            "instead."
        exit 100
    fi
    exit 0
fi
for p in "${pkgs[@]}"; do
    if [ "$p" = "${UNKNOWN:-}" ] || { [[ $p == *:i386 ]] && [ $i386 = 0 ]; }; then
        echo "E: Unable to locate package $p"; exit 100
    fi
    if [[ $p == *:i386 ]] && [ "${I386_SKEW:-0}" = 1 ]; then
        echo "Some packages could not be installed. This may mean that you have"
        echo "The following packages have unmet dependencies:"
        echo " libwine:i386 : Depends: libgnutls30:i386 (>= 3.7.9) but it is not going to be" \
            "installed"
        echo "E: Unable to correct problems, you have held broken packages."
        exit 100
    fi
done
[ $simulate = 1 ] && exit 0
printf '%s\n' "${pkgs[@]}" >>"$W/installed"
# Wine's 32-bit loader is there once its package is, and starts where the kernel runs it.
if printf '%s\n' "${pkgs[@]}" | grep -qx 'wine32:i386'; then
    printf '#!/bin/sh\n[ "$RUNS32" = 1 ]\n' >"$W/loader/wine"
    chmod +x "$W/loader/wine"
fi
EOF
printf '#!/bin/sh\nexit 0\n' >"$work/bin/sleep"
chmod +x "$work/bin/"*

failures=0
fail() {
    echo "FAILED: $case_name: $1"
    failures=$((failures + 1))
}
# A fresh machine: nothing installed, no foreign architecture, a 64-bit loader that starts.
fresh() {  # case name
    case_name=$1
    W=$work/$1
    mkdir -p "$W/loader"
    : >"$W/installed"
    : >"$W/archs"
    : >"$W/calls"
    printf '#!/bin/sh\nexit 0\n' >"$W/loader/wine64"
    printf '#!/bin/sh\n[ "$RUNS32" = 1 ] || exit 126\n' >"$W/probe32"
    chmod +x "$W/loader/wine64" "$W/probe32"
}
setup() {  # env assignments..., then -- and setup.sh's arguments
    local vars=()
    while [ "$1" != -- ]; do vars+=("$1"); shift; done
    shift
    env -u KP_WINE_ARCHS W="$W" PATH="$work/bin:$PATH" KP_PROBE32="$W/probe32" \
        KP_APT_UPDATE_PAUSE=0 "${vars[@]}" bash "$src/scripts/setup.sh" "$@" >"$W/out" 2>&1
}
archs_tested() {  # RUNS32: what the commands then test, as wine-env.sh finds it
    env -u KP_WINE_ARCHS RUNS32="$1" KP_WINE_LOADER="$W/loader/wine64" KP_WINEPREFIX="$W/prefix" \
        bash -c "source '$src/scripts/wine-env.sh' && kp_wine_archs" 2>&1
}
has() { grep -qx "$1" "$W/installed"; }
said() { grep -q -e "$1" "$W/out"; }

# Every index fails while the mirror syncs, on a machine that runs no 32-bit program: three
# tries, then the lists apt has; everything but the 32-bit packages is installed.
fresh mirror-sync
setup RUNS32=0 UPDATE_FAILS=99 -- || fail "exit status $?: $(cat "$W/out")"
[ "$(cat "$W/updates")" = 3 ] || fail "apt-get update ran $(cat "$W/updates") times, not 3"
said 'could not fetch every index after 3 tries (.*unexpected size' ||
    fail "the failed index is not named: $(cat "$W/out")"
has wine && has wine64-preloader && has xvfb && has clang || fail "not all was installed"
has wine32:i386 && fail "32-bit Wine was installed on a machine that cannot run it"
[ -s "$W/archs" ] && fail "the i386 architecture was added: $(cat "$W/archs")"
grep -q '^dpkg --configure -a' "$W/calls" || fail "an interrupted dpkg run is not finished first"
[ "$(archs_tested 0)" = x86_64 ] || fail "the commands test $(archs_tested 0)"

# One failed try is retried and then succeeds, without a word.
fresh mirror-recovers
setup RUNS32=0 UPDATE_FAILS=1 -- || fail "exit status $?"
[ "$(cat "$W/updates")" = 2 ] || fail "apt-get update ran $(cat "$W/updates") times, not 2"
[ -s "$W/out" ] && fail "a retry that worked was reported: $(cat "$W/out")"

# A machine that runs 32-bit programs, whose mirror's i386 index lags behind: everything else
# is installed, one line says why the 32-bit path is out, and i386 is taken back.
fresh i386-skew
setup RUNS32=1 I386_SKEW=1 -- || fail "exit status $?: $(cat "$W/out")"
has wine && has xvfb || fail "the 64-bit packages were not installed"
has wine32:i386 && fail "wine32:i386 was installed"
[ "$(grep -c 'cannot be installed' "$W/out")" = 1 ] || fail "not said in one line: $(cat "$W/out")"
said 'held broken packages' || fail "apt's reason is not given: $(cat "$W/out")"
said 'x86_64 build' || fail "the path the commands take is not said: $(cat "$W/out")"
[ -s "$W/archs" ] && fail "i386 was left added without its packages"
grep -q -- '--add-architecture i386' "$W/calls" || fail "i386 was never tried"
[ "$(archs_tested 1)" = x86_64 ] || fail "the commands test $(archs_tested 1)"

# The same with i386 already added by an earlier set-up that stopped: the lagging index is
# tried three times in all, not again for the 32-bit packages, and i386 is left as it was found.
fresh i386-left-added
echo i386 >"$W/archs"
setup RUNS32=1 I386_SKEW=1 -- || fail "exit status $?: $(cat "$W/out")"
[ "$(cat "$W/updates")" = 3 ] || fail "apt-get update ran $(cat "$W/updates") times, not 3"
said 'libwine:i386 : Depends: .*; Unable to correct problems' ||
    fail "apt's reason is not given whole: $(cat "$W/out")"
has wine || fail "the 64-bit packages were not installed"
[ "$(cat "$W/archs")" = i386 ] || fail "foreign architectures: $(cat "$W/archs")"

# The same machine where KP_WINE_ARCHS asks for i686: an error with the same reason.
fresh i686-asked-skew
setup RUNS32=1 I386_SKEW=1 KP_WINE_ARCHS=i686 -- && fail "exit status 0"
said 'KP_WINE_ARCHS=i686 .*held broken packages' || fail "the reason is not given: $(cat "$W/out")"
[ -s "$W/archs" ] && fail "i386 was left added without its packages"

# A machine whose kernel refuses 32-bit programs, asked for i686: said before apt is asked.
fresh i686-asked-no32
setup RUNS32=0 KP_WINE_ARCHS=i686 -- && fail "exit status 0"
said 'Exec format error' || fail "the reason is not given: $(cat "$W/out")"
[ -s "$W/calls" ] && fail "apt or dpkg was asked: $(cat "$W/calls")"

# A machine that runs 32-bit programs and a sound mirror: both paths; a second run asks nothing.
fresh runs32
setup RUNS32=1 -- || fail "exit status $?: $(cat "$W/out")"
has wine32:i386 && has wine32-preloader:i386 && has wine || fail "not all was installed"
[ "$(cat "$W/archs")" = i386 ] || fail "foreign architectures: $(cat "$W/archs")"
[ "$(archs_tested 1)" = "i686 x86_64" ] || fail "the commands test $(archs_tested 1)"
: >"$W/calls"
setup RUNS32=1 -- || fail "second run: exit status $?"
[ -s "$W/calls" ] && fail "a second run asked apt or dpkg: $(cat "$W/calls")"

# The release needs the cross compilers and CMake, no Wine, Xvfb or clang, and no 32-bit probe.
fresh release
setup RUNS32=1 -- release || fail "exit status $?: $(cat "$W/out")"
has g++-mingw-w64-i686 && has cmake || fail "the cross compilers were not installed"
grep -q -e '^wine' -e xvfb -e clang "$W/installed" &&
    fail "more than the release needs: $(tr '\n' ' ' <"$W/installed")"
[ -s "$W/archs" ] && fail "the i386 architecture was added for a release"

# A package apt cannot install stops the set-up, and the message names it with apt's reason.
fresh unknown-package
setup RUNS32=0 UNKNOWN=fonts-wine -- && fail "exit status 0"
said 'cannot install fonts-wine: Unable to locate package fonts-wine' ||
    fail "the package and its reason are not named: $(cat "$W/out")"
[ "$(grep -c 'cannot install' "$W/out")" = 1 ] || fail "other packages blamed: $(cat "$W/out")"

[ $failures -eq 0 ] && echo "setup-test: ok"
[ $failures -eq 0 ]
