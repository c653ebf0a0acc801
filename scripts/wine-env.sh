# Sourced by the Wine scripts: where the project's prefix lives, how Wine is called, and which
# Windows architectures this machine can run.
kp_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$kp_root/scripts/probe32-lib.sh"
export WINEPREFIX=${KP_WINEPREFIX:-$kp_root/build/wine-prefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# Debian 13's wineserver (Wine 10) aborts with "free(): invalid pointer" whenever TMPDIR is set,
# even to /tmp: no Wine program sees it. The scripts' own temporary files go to kp_tmp.
kp_tmp=${TMPDIR:-/tmp}
unset TMPDIR
# No Mono or Gecko installer dialogs: the panel needs neither.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# Debian's wine wrapper picks the 32-bit loader whenever it is installed, even where the kernel
# refuses to run it. So where 32-bit programs are tested (KP_WINE_ARCHS, or found out here),
# Wine is called through the wrapper as always; elsewhere through the 64-bit loader itself,
# which then has to be named in WINELOADER for the processes it starts.
kp_wine64=${KP_WINE_LOADER:-/usr/lib/wine/wine64}
kp_wine32=$(dirname "$kp_wine64")/wine
case " ${KP_WINE_ARCHS:-} " in
    *" i686 "*) kp_wine=wine ;;
    " x86_64 ") kp_wine=$kp_wine64 ;;
    *) if "$kp_wine32" --version >/dev/null 2>&1; then kp_wine=wine; else kp_wine=$kp_wine64; fi ;;
esac
[ "$kp_wine" = wine ] || export WINELOADER=$kp_wine64

# Z:\... for a Unix path: every file of the project is reachable through drive Z.
kp_winpath() {
    local path
    path=$(realpath -m "$1")
    echo "Z:${path//\//\\}"
}

# Prints the Windows architectures whose programs are tested here: "i686 x86_64" where the kernel
# runs the 32-bit loader, else "x86_64". KP_WINE_ARCHS=x86_64 (or i686) forces the choice.
# Returns 1, after a line that says what is missing, when the asked-for programs cannot run.
kp_wine_archs() {
    if ! timeout -k 5 30 "$kp_wine64" --version >/dev/null 2>&1; then
        echo "Wine's 64-bit loader $kp_wine64 does not start: install Debian's wine and wine64" \
            "packages (bash scripts/setup.sh does)" >&2
        return 1
    fi
    local can32=0
    timeout -k 5 30 "$kp_wine32" --version >/dev/null 2>&1 && can32=1
    case "${KP_WINE_ARCHS:-}" in
        "")
            if [ $can32 -eq 1 ]; then echo "i686 x86_64"; else echo "x86_64"; fi
            ;;
        x86_64) echo "x86_64" ;;
        i686 | "i686 x86_64" | "x86_64 i686")
            if [ $can32 -eq 0 ]; then
                echo "KP_WINE_ARCHS=$KP_WINE_ARCHS asks for 32-bit programs, but $kp_wine32 does" \
                    "not start here (install wine32:i386; some machines cannot run 32-bit" \
                    "programs at all)" >&2
                return 1
            fi
            case $KP_WINE_ARCHS in i686) echo "i686" ;; *) echo "i686 x86_64" ;; esac
            ;;
        *)
            echo "KP_WINE_ARCHS must be i686, x86_64 or \"i686 x86_64\", not \"$KP_WINE_ARCHS\"" >&2
            return 1
            ;;
    esac
}

# Why a script uses the x86_64 build: "KP_WINE_ARCHS=x86_64: VERB the x86_64 build" where that was
# asked for, else the machine's own reason.
kp_x86_64_reason() {  # verb
    if [ -n "${KP_WINE_ARCHS:-}" ]; then
        echo "KP_WINE_ARCHS=$KP_WINE_ARCHS: $1 the x86_64 build"
    elif ! kp_runs_32bit; then
        echo "this machine cannot run 32-bit programs: $1 the x86_64 build"
    else
        echo "the 32-bit Wine packages are not installed here: $1 the x86_64 build"
    fi
}

# The cross build of each architecture. The x86_64 one also holds the simulated kernel driver.
kp_cross_dir() {
    case $1 in i686) echo build/cross ;; x86_64) echo build/cross64 ;; esac
}
kp_toolchain() {
    echo "cmake/mingw-$1.cmake"
}

# The wineservers that serve this prefix, as "wineserver PID alive (ITS FOLDER)"; more than one
# is two servers for one prefix. A server is known by the WINEPREFIX of its environment.
kp_wineserver_state() {
    local prefix pid found=() env
    prefix=$(realpath -m "$WINEPREFIX")
    for pid in $(pgrep '^wineserver'); do
        # Another prefix's server may end between pgrep and the read: the redirection's error
        # is silenced only when 2>/dev/null comes before it.
        env=$(tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | sed -n 's/^WINEPREFIX=//p')
        [ -n "$env" ] && [ "$(realpath -m "$env")" = "$prefix" ] && found+=("$pid")
    done
    case ${#found[@]} in
        0) echo "no wineserver for this prefix" ;;
        1) echo "wineserver ${found[0]} alive ($(readlink "/proc/${found[0]}/cwd" 2>/dev/null))" ;;
        *) echo "${#found[@]} wineservers for this prefix: ${found[*]}" ;;
    esac
}
