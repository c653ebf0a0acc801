#!/usr/bin/env bash
# Proves the README's two commands on a fresh Debian 13 system: makes a minimal trixie chroot
# with debootstrap (once), clones this repository's committed HEAD into it, and runs
# scripts/run.sh and then scripts/test.sh there as root, each timed. Not part of the test
# command: it downloads a whole system. Needs root and debootstrap.
#   scripts/debian13-chroot.sh [CHROOT_DIR]   (default build/debian13)
# KP_DEBIAN_SUITE=bookworm makes a fresh Debian 12 instead; KP_CHROOT_COMMANDS names the commands
# (default "scripts/run.sh scripts/test.sh"; "scripts/release.sh" shows a release made on a
# system without Wine, and the line after it lists every Wine package there).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
suite=${KP_DEBIAN_SUITE:-trixie}
commands=${KP_CHROOT_COMMANDS:-scripts/run.sh scripts/test.sh}
dir=${1:-$root/build/debian13}
case $dir in /*) ;; *) dir=$root/$dir ;; esac
mirror=${KP_DEBIAN_MIRROR:-http://deb.debian.org/debian}

command -v debootstrap >/dev/null || apt-get install -y -qq debootstrap >/dev/null
if [ ! -x "$dir/usr/bin/apt-get" ]; then
    echo "== debootstrap $suite into $dir"
    mkdir -p "$dir"
    debootstrap --variant=minbase "$suite" "$dir" "$mirror" >"$dir.debootstrap.log" 2>&1 ||
        { tail -n 20 "$dir.debootstrap.log"; exit 1; }
fi
cp /etc/resolv.conf "$dir/etc/resolv.conf"

mounted=()
unmount() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null || true; done
}
trap unmount EXIT
for m in proc dev dev/pts sys; do
    mountpoint -q "$dir/$m" || { mount --bind "/$m" "$dir/$m" && mounted+=("$dir/$m"); }
done

rm -rf "$dir/root/panel"
git clone -q "$root" "$dir/root/panel"
echo "== clone of $(git -C "$root" rev-parse --short HEAD) in $dir/root/panel"

in_chroot() {  # [--net], command line: run from the clone as a newcomer would
    local isolate=()
    if [ "$1" = --net ]; then
        isolate=(unshare --net)
        shift
    fi
    "${isolate[@]}" chroot "$dir" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin \
        ${KP_WINE_ARCHS:+KP_WINE_ARCHS="$KP_WINE_ARCHS"} bash -c "cd /root/panel && $1"
}
# The packages first, with the network; the two commands then run in a network namespace of
# their own, where their Xvfb displays cannot meet the host's (X's sockets are abstract ones).
# The release's own set-up is its command's first step, so it runs with the network.
for command in $commands; do
    [ "$command" != scripts/release.sh ] || continue
    echo "== scripts/setup.sh"
    start=$(date +%s)
    in_chroot scripts/setup.sh >"$dir.setup.log" 2>&1 || { tail -n 20 "$dir.setup.log"; exit 1; }
    echo "== scripts/setup.sh: $(($(date +%s) - start)) s"
    break
done
for command in $commands; do
    net=--net
    [ "$command" != scripts/release.sh ] || net=""
    echo "== $command"
    log=$dir.$(basename "$command" .sh).log
    start=$(date +%s)
    status=0
    in_chroot $net "$command" >"$log" 2>&1 || status=$?
    tail -n 12 "$log"
    echo "== $command: exit $status after $(($(date +%s) - start)) s"
    if [ "$command" = scripts/release.sh ]; then
        echo "== Wine packages installed: $(in_chroot "dpkg-query -W \
            -f='\${db:Status-Abbrev} \${binary:Package}\n' 'wine*' 'libwine*' 2>/dev/null" |
            awk '$1 == "ii" { printf "%s ", $2 } END { print "(end)" }')"
    fi
done
