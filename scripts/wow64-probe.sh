#!/usr/bin/env bash
# Whether Wine's WoW64 mode runs 32-bit Windows programs on this machine, in one command: Debian
# 13's Wine 10 (the amd64 packages wine, wine64, wine64-preloader only) in a minimal trixie chroot,
# the i386 PE files of libwine:i386 unpacked beside its own (downloaded, never installed: nothing
# i386 comes in), a new 64-bit prefix, then a 64-bit and a 32-bit hello world. It prints what this
# kernel lets a 64-bit process do with 32-bit code, where the 32-bit start stops and the log lines
# that show it. Not part of the test command: the first run downloads a system (about 400 MB);
# later runs reuse the chroot. Needs root, debootstrap, g++ and mingw-w64.
#   scripts/wow64-probe.sh [CHROOT_DIR]   (default $KP_WOW64_CHROOT or /var/cache/kp-wow64/trixie)
# Exit status: 0 the 32-bit program ran, 1 it did not, 2 the probe could not be set up.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${1:-${KP_WOW64_CHROOT:-/var/cache/kp-wow64/trixie}}
case $dir in /*) ;; *) dir=$PWD/$dir ;; esac
mirror=${KP_DEBIAN_MIRROR:-http://deb.debian.org/debian}
out=$root/build/wow64-probe
wine_dir=/usr/lib/x86_64-linux-gnu/wine
probe=/root/wow64-probe  # inside the chroot

say() { echo "== $*"; }
give_up() {
    echo "wow64-probe: cannot probe: $*"
    exit 2
}

[ "$(id -u)" -eq 0 ] || give_up "run as root (debootstrap, chroot and the kernel log need it)"
for tool in g++ i686-w64-mingw32-g++ x86_64-w64-mingw32-g++ x86_64-w64-mingw32-objdump objdump; do
    command -v "$tool" >/dev/null || give_up "$tool is missing (bash scripts/setup.sh installs it)"
done
rm -rf "$out"
mkdir -p "$out"

say "this machine: $(uname -srm)"
g++ -std=c++17 -O1 -Wall -Wextra -Werror -o "$out/cpu_modes" \
    "$root/scripts/wow64-probe/cpu_modes.cpp" ||
    give_up "scripts/wow64-probe/cpu_modes.cpp does not build"
"$out/cpu_modes" | sed 's/^/   /'
cpu_ok=${PIPESTATUS[0]}

# The chroot: made once, kept, and reused by every later run.
command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap >/dev/null ||
    give_up "debootstrap is missing and cannot be installed"
if [ ! -x "$dir/usr/bin/apt-get" ]; then
    say "debootstrap trixie into $dir (once)"
    mkdir -p "$dir"
    debootstrap --variant=minbase trixie "$dir" "$mirror" >"$out/debootstrap.log" 2>&1 ||
        { tail -n 5 "$out/debootstrap.log"; give_up "debootstrap failed ($out/debootstrap.log)"; }
fi
cp /etc/resolv.conf "$dir/etc/resolv.conf"
mounted=()
leave() {
    local i
    [ -x "$dir/usr/lib/wine/wineserver" ] && in_chroot "/usr/lib/wine/wineserver -k" 2>/dev/null
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null; done
}
trap leave EXIT
for m in proc dev dev/pts sys; do
    mountpoint -q "$dir/$m" || { mount --bind "/$m" "$dir/$m" && mounted+=("$dir/$m"); }
done
# env -i: Wine starts without TMPDIR (Debian 13's wineserver aborts on it) and without the host's
# display; the prefix is the probe's own.
in_chroot() {
    chroot "$dir" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
        DEBIAN_FRONTEND=noninteractive WINEPREFIX=$probe/prefix WINEARCH=win64 \
        WINELOADER=/usr/lib/wine/wine64 WINEDLLOVERRIDES='mscoree,mshtml=' bash -c "$1"
}
if ! in_chroot "dpkg -s wine wine64 wine64-preloader >/dev/null 2>&1"; then
    say "installing wine, wine64, wine64-preloader (amd64) in the chroot (once)"
    in_chroot "apt-get update -qq && apt-get install -y -qq --no-install-recommends \
        wine wine64 wine64-preloader" >"$out/apt.log" 2>&1 ||
        { tail -n 5 "$out/apt.log"; give_up "the packages did not install (log: $out/apt.log)"; }
fi
version=$(in_chroot "dpkg-query -W -f='\${Version}' libwine") || give_up "libwine is not installed"

# The i386 PE files: from libwine:i386 of the very same version, unpacked, never installed.
pe_dir=$dir$wine_dir/i386-windows
if [ ! -f "$pe_dir/ntdll.dll" ]; then
    say "fetching the i386 PE files of libwine:i386 $version (once)"
    in_chroot "dpkg --add-architecture i386 && apt-get update -qq && mkdir -p /var/cache/wow64-pe &&
        cd /var/cache/wow64-pe && rm -rf ./*.deb unpacked &&
        apt-get download 'libwine:i386=$version' && dpkg -x ./*.deb unpacked" \
        >"$out/download.log" 2>&1 ||
        { tail -n 5 "$out/download.log"; give_up "libwine:i386 $version could not be fetched"; }
    unpacked=$dir/var/cache/wow64-pe/unpacked/usr/lib/i386-linux-gnu/wine/i386-windows
    [ -f "$unpacked/ntdll.dll" ] || give_up "libwine:i386 holds no i386-windows/ntdll.dll"
    # -n: the amd64 package's own files in that folder stay as they are.
    cp -n "$unpacked"/* "$pe_dir/"
fi
x86_64-w64-mingw32-objdump -f "$pe_dir/ntdll.dll" | grep -q 'file format pei-i386' ||
    give_up "$wine_dir/i386-windows/ntdll.dll is not an i386 PE file"
i386_installed=$(in_chroot "dpkg-query -W -f='\${db:Status-Abbrev}\${Package}:\${Architecture}\n'" |
    awk '/^ii/ && /:i386$/' | wc -l)
say "the chroot: $dir"
echo "   Wine: $(in_chroot '/usr/lib/wine/wine64 --version'), libwine $version"
echo "   $wine_dir/x86_64-windows:" \
    "$(cd "$dir$wine_dir/x86_64-windows" && echo wow64*.dll)"
echo "   $wine_dir/i386-windows: $(find "$pe_dir" -type f | wc -l) files, ntdll.dll pei-i386"
echo "   i386 packages installed: $i386_installed"
# Where the 64-bit Unix side of ntdll gets the 32-bit %fs selector for a WoW64 process.
ntdll_so=$dir$wine_dir/x86_64-unix/ntdll.so
echo "   ntdll.so (x86_64 Unix side), alloc_fs_sel:"
objdump -d "$ntdll_so" | awk '/<alloc_fs_sel(@@Base)?>:/ { p = 1 } p && /^$/ { exit } p' |
    grep -E 'int +\$0x80|mov +\$0xf3' | sed 's/^ */      /'

# The two programs, built here, started in a new prefix.
say "hello world, i686 and x86_64 (mingw-w64, static)"
for arch in i686 x86_64; do
    "$arch-w64-mingw32-g++" -std=c++17 -O2 -Wall -Wextra -Werror -static \
        -o "$out/hello-$arch.exe" "$root/scripts/wow64-probe/hello.cpp" ||
        give_up "the $arch hello world does not build"
done
rm -rf "$dir$probe"
mkdir -p "$dir$probe"
cp "$out"/hello-*.exe "$dir$probe/"
kernel_lines=$(dmesg 2>/dev/null | wc -l)

say "a new prefix (wineboot -i)"
in_chroot "WINEDEBUG=+process timeout -k 5 300 /usr/lib/wine/wine64 wineboot -i" \
    >"$out/wineboot.log" 2>&1
echo "   wineboot: exit $?, syswow64 holds $(find "$dir$probe/prefix/drive_c/windows/syswow64" \
    -type f 2>/dev/null | wc -l) files"
grep -E 'CreateProcessInternalW app .*syswow64' "$out/wineboot.log" | head -n 1 |
    sed -e 's/^[0-9a-f]*:trace:process:/   wineboot starts: /' \
        -e 's/ cmdline .*Wow64Install.*/ (Wow64Install)/'

run_hello() {  # arch, debug channels
    local status
    in_chroot "cd $probe && WINEDEBUG=$2 timeout -k 5 120 /usr/lib/wine/wine64 hello-$1.exe" \
        >"$out/hello-$1.out" 2>"$out/hello-$1.log"
    status=$?
    echo "   hello-$1.exe: exit $status, said: $(tr -d '\r' <"$out/hello-$1.out" | head -n 2 |
        paste -sd '|')"
    return $status
}
say "the 64-bit program"
run_hello x86_64 -all
# A new wineserver for the 32-bit run, so that its trace (+server) lands in that run's log.
in_chroot "/usr/lib/wine/wineserver -k; /usr/lib/wine/wineserver -w" 2>/dev/null
say "the 32-bit program (WINEDEBUG=+seh,+wow,+loaddll,+process,+module,+server)"
run_hello i686 +seh,+wow,+loaddll,+process,+module,+server
hello32=$?
grep -q 'hello from a 32-bit program, WoW64 yes' "$out/hello-i686.out" || hello32=1

if [ $hello32 -eq 0 ]; then
    say "verdict: WoW64 runs the 32-bit program here (logs: $out)"
    exit 0
fi
# The last lines of the 32-bit process (Wine's thread id of its "experimental wow64" line).
tid=$(grep -m 1 'experimental wow64 mode' "$out/hello-i686.log" | cut -d: -f1)
echo "   its log, from the 64-bit loader's start.exe and the 32-bit process ($tid):"
grep -E "^$tid:.*(experimental wow64|load_wow64_ntdll|load_apiset_dll)|fatal_error|\
NtCreateUserProcess .*hello-i686.* machine" "$out/hello-i686.log" | cut -c1-150 | sed 's/^/      /'
if [ -n "$tid" ]; then
    echo "      ... its last lines, the wineserver's view:"
    grep "^$tid:" "$out/hello-i686.log" | tail -n 2 | cut -c1-150 | sed 's/^/      /'
    unix_pid=$(grep -m 1 "^$tid: init_first_thread(" "$out/hello-i686.log" |
        sed -E 's/.*unix_pid=([0-9]+).*/\1/')
    machines=$(grep -m 1 "^$tid: init_first_thread() =" "$out/hello-i686.log" |
        sed -E 's/.*machines=(\{[0-9a-f,]*\}).*/\1/')
    echo "   the wineserver supports the machines $machines (8664 x86_64, 014c i386);" \
        "the 32-bit process was Unix pid $unix_pid"
fi
echo "   what the 64-bit loader printed: $(tr -d '\r' <"$out/hello-i686.out" | paste -sd '|')"

# The kernel's word on how the processes ended, the faulting address named by ntdll.so's symbol.
faults=$(dmesg 2>/dev/null | tail -n +$((kernel_lines + 1)) | grep -E 'traps: .*in ntdll\.so\[')
if [ -z "$faults" ]; then
    echo "   kernel log: no trap in ntdll.so (dmesg unreadable, or rate-limited)"
else
    echo "   kernel log (new lines):"
    echo "$faults" | sed 's/^/      /'
    offset=$(echo "$faults" | tail -n 1 | sed -E 's/.*in ntdll\.so\[([0-9a-f]+),.*/\1/')
    error=$(echo "$faults" | tail -n 1 | sed -E 's/.* error:([0-9a-f]+) .*/\1/')
    symbol=$({ nm -D --defined-only "$ntdll_so"; printf '%016x ~ ~\n' $((16#$offset)); } |
        LC_ALL=C sort | grep -B 1 ' ~ ~$' | head -n 1 | awk '{ print $3 }')
    echo "   ntdll.so+0x$offset is in $symbol"
    # A general protection fault's error code names what was refused: 0x402 is vector 0x80 of
    # the interrupt table, the 32-bit system call gate.
    [ "$error" = 402 ] &&
        echo "   error 0x402: the interrupt gate 0x80 refused to user code (int \$0x80)"
fi
if [ "$cpu_ok" -ne 0 ]; then
    say "verdict: blocked by this kernel. It runs no 32-bit x86 code in a 64-bit process (see the" \
        "first lines), and Wine's WoW64 mode on Linux needs both the 32-bit system call gate" \
        "(alloc_fs_sel, before any signal handler is installed: the process dies unreported) and" \
        "the code segment 0x23. Logs: $out"
else
    say "verdict: the 32-bit program did not run, though this kernel runs 32-bit code; see the" \
        "log lines above and $out"
fi
exit 1
