#!/usr/bin/env bash
# Installs every package the build and the tests need on a fresh x86_64 Debian 12 or 13 machine.
# Idempotent and non-interactive: packages already present are left alone. Names only what both
# releases have: clang and its sanitizer runtime come as the release's default version.
# Wine's preloaders are only suggested by Debian, so --no-install-recommends would leave them out:
# without one, Wine cannot hold its fixed addresses before the heap is placed, and about one start
# in a few thousand ends at once with "failed to map the shared user data" (exit status 1).
set -euo pipefail

packages=(
  cmake g++ make googletest libgtest-dev git procps zip unzip
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 wine64-preloader wine32-preloader:i386
  xvfb xauth xdotool x11-utils imagemagick fonts-wine fonts-ipafont-gothic
  clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=""
[ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo_cmd dpkg --add-architecture i386
fi
$sudo_cmd apt-get update -qq
$sudo_cmd apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
