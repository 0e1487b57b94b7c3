#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Zwillingsfeger need, when missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config                 # the build
  libgtest-dev libgmock-dev googletest             # unit tests (googletest: sources for the Windows build)
  librapidcheck-dev                                # property tests of the duplicate engine
  qt6-base-dev libgl-dev                           # the Linux window (Qt 6 Widgets)
  xvfb xauth xdotool imagemagick                   # screenshots of the real windows
  g++-mingw-w64-i686-posix mingw-w64-i686-dev      # the 32-bit Windows program
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev  # its tests where the kernel runs no 32-bit programs
  wine wine32:i386 wine64                          # running the Windows program and its tests
  dpkg-dev file librsvg2-bin                       # the Debian package (dpkg-shlibdeps, icon sizes)
  lintian appstream desktop-file-utils man-db      # checking the package and what it installs
  bindfs fuse3                                     # a second view of a folder, for the delete tests
  btrfs-progs                                      # a btrfs image, for zwf --dedupe's tests
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}" >&2
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
