#!/usr/bin/env bash
# Installs the Debian packages one of the project's commands needs, on a fresh x86_64 Debian 12
# or 13 machine, and nothing it does not:
#   setup.sh [all | release | kit | fuzz]
#     all      the tests, the run command, screenshots and benchmarks (the default)
#     release  the cross compilers, CMake and GoogleTest's sources (the project configures its
#              tests too): scripts/release.sh needs no Wine
#     kit      the same and zip, for scripts/windows-kit.sh
#     fuzz     clang and its sanitizer runtime
# Idempotent and non-interactive: with everything present it asks apt nothing.
#
# The 32-bit Wine packages (and the i386 architecture) come only where the kernel runs 32-bit
# x86 programs, which a tiny i386 program tells before anything is installed. Where they cannot
# be installed there (a mirror whose i386 index lags behind the amd64 one), one line says so and
# the commands test the x86_64 build; KP_WINE_ARCHS naming i686 then makes that an error.
# An index that fails to download is retried, then the lists apt has are used. A stopped set-up
# leaves apt and dpkg usable, and running it again picks up where it stopped.
#
# Names only what both releases have: clang and its sanitizer runtime come as the release's
# default version. Wine's preloaders are only suggested by Debian, so --no-install-recommends
# would leave them out: without one, Wine cannot hold its fixed addresses before the heap is
# placed, and about one start in a few thousand ends at once with "failed to map the shared user
# data" (exit status 1).
set -uo pipefail
profile=${1:-all}

build_packages=(cmake g++ make git procps unzip googletest
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64)
case $profile in
    release) packages=("${build_packages[@]}") ;;
    kit) packages=("${build_packages[@]}" zip) ;;
    fuzz) packages=(cmake make clang libclang-rt-dev) ;;
    all)
        packages=("${build_packages[@]}" libgtest-dev zip python3
            wine wine64 wine64-preloader
            xvfb xauth xdotool x11-utils imagemagick fonts-wine fonts-ipafont-gothic
            clang libclang-rt-dev)
        ;;
    *) echo "usage: setup.sh [all | release | kit | fuzz]" >&2; exit 2 ;;
esac
packages32=(wine32:i386 wine32-preloader:i386)
tries=${KP_APT_UPDATE_TRIES:-3}
pause=${KP_APT_UPDATE_PAUSE:-10}

say() { echo "setup: $*"; }
asks_for_i686() { [[ " ${KP_WINE_ARCHS:-} " == *" i686 "* ]]; }

source "$(dirname "${BASH_SOURCE[0]}")/probe32-lib.sh"

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
missing_of() {  # packages...: those not installed
    local p
    for p in "$@"; do installed "$p" || echo "$p"; done
}

want32=0
if [ "$profile" = all ] && [ "${KP_WINE_ARCHS:-}" != x86_64 ]; then
    if kp_runs_32bit; then
        want32=1
    elif asks_for_i686; then
        say "KP_WINE_ARCHS=$KP_WINE_ARCHS asks for 32-bit programs, but this machine's kernel" \
            "does not run them (Exec format error)"
        exit 1
    fi
fi

mapfile -t missing < <(missing_of "${packages[@]}")
missing32=()
[ $want32 -eq 0 ] || mapfile -t missing32 < <(missing_of "${packages32[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#missing32[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
apt_get() {
    "${sudo_cmd[@]}" apt-get -o DPkg::Lock::Timeout=300 "$@"
}

# An index that fails ("File has unexpected size ... Mirror sync in progress?") is tried again
# after a pause; after the last try the lists apt has are used, and only a package that then
# cannot be installed stops the set-up.
update() {
    local try out status
    for ((try = 1; try <= tries; try++)); do
        out=$(apt_get update 2>&1)
        status=$?
        if [ $status -eq 0 ] && ! grep -q -e '^[WE]: Failed to fetch' -e 'failed to download' \
            <<<"$out"; then
            return 0
        fi
        [ $try -eq $tries ] || sleep "$pause"
    done
    say "apt-get update could not fetch every index after $tries tries" \
        "($(grep -m 1 -e 'Failed to fetch' -e '^E:' <<<"$out" | sed 's/^[WE]: //')):" \
        "going on with the lists apt has"
}

# Apt's own reason, in one line: its first unmet dependencies, then its error lines.
apt_reason() {  # apt's output
    {
        grep -e '^ [^ ].* : \(Pre\)\{0,1\}Depends:' -e '^ [^ ].* : Conflicts:' <<<"$1" | head -n 2
        grep '^E: ' <<<"$1" | head -n 2
    } | sed -e 's/^ *//' -e 's/^E: //' | paste -s -d ';' | sed 's/;/; /g'
}

# Installs the packages; on failure says, for each one apt cannot install on its own, why.
install() {  # packages...
    local out p reason named=0
    out=$(apt_get install -y -q --no-install-recommends "$@" 2>&1) && return 0
    for p in "$@"; do
        reason=$(apt_reason "$(apt_get install -s -q --no-install-recommends "$p" 2>&1)")
        [ -z "$reason" ] || { say "cannot install $p: $reason"; named=1; }
    done
    [ $named -eq 1 ] || say "cannot install $*: $(apt_reason "$out")"
    return 1
}

# A dpkg run that was stopped is finished first.
"${sudo_cmd[@]}" dpkg --configure -a >/dev/null 2>&1 ||
    say "dpkg --configure -a did not finish every package (apt-get -f install may help)"

updated=0
if [ ${#missing[@]} -gt 0 ]; then
    update
    updated=1
    install "${missing[@]}" || exit 1
fi
[ ${#missing32[@]} -gt 0 ] || exit 0

# The i386 architecture is added for the 32-bit packages alone, and taken away again when they
# could not be installed: nothing i386 is left behind without its packages.
added=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386 || exit 1
    added=1
fi
# Packages dpkg only heard of are listed too, as "un": anything else is i386 in use.
i386_in_use() {
    dpkg-query -W -f='${db:Status-Abbrev}\n' '*:i386' 2>/dev/null | grep -qv '^[up]n'
}
take_back_i386() {
    if [ $added -eq 1 ] && ! i386_in_use; then
        "${sudo_cmd[@]}" dpkg --remove-architecture i386
    fi
}
trap take_back_i386 EXIT
[ $updated -eq 1 ] && [ $added -eq 0 ] || update
out=$(apt_get install -y -q --no-install-recommends "${missing32[@]}" 2>&1) && exit 0
why="the 32-bit Wine packages cannot be installed ($(apt_reason "$out"))"
if asks_for_i686; then
    say "KP_WINE_ARCHS=$KP_WINE_ARCHS asks for 32-bit programs, but $why"
    exit 1
fi
say "$why: the 32-bit path is unavailable, the commands use the x86_64 build"
exit 0
