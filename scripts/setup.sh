#!/usr/bin/env bash
# Installs the Debian packages that one use of Zwillingsfeger needs, when missing.
#   scripts/setup.sh run        building and running the programs
#   scripts/setup.sh test       that, and what the tests need on top
#   scripts/setup.sh package    that, and what the release packages need on top
# A package mirror in mid-sync is expected: `apt-get update` is tried a few times and then only
# warned about (the lists that did arrive, or the ones from before, are used). Only a package that
# cannot be installed then stops the script, named. The 32-bit Wine is a wish, not a need: where it
# cannot be installed, the Windows tests run on the 64-bit one (scripts/test-windows.sh says so).
set -euo pipefail

run_set=(
  cmake ninja-build g++ pkg-config                 # the build
  qt6-base-dev libgl-dev                           # the Linux window (Qt 6 Widgets)
  qt6-translations-l10n                            # Qt's own dialogs and buttons in German
)
test_set=(
  libgtest-dev libgmock-dev googletest             # unit tests (googletest: sources for the Windows build)
  librapidcheck-dev                                # property tests of the duplicate engine
  xvfb xauth xdotool imagemagick                   # the real windows, driven and photographed
  g++-mingw-w64-i686-posix mingw-w64-i686-dev      # the 32-bit Windows program
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev  # its tests where no 32-bit Wine runs
  wine wine64                                      # running the Windows program and its tests
  dpkg-dev file librsvg2-bin                       # the Debian package (dpkg-shlibdeps, icon sizes)
  lintian appstream desktop-file-utils man-db      # checking the package and what it installs
  bindfs fuse3                                     # a second view of a folder, for the delete tests
  btrfs-progs                                      # a btrfs image, for zwf --dedupe's tests
  python3                                          # the check of the documents' examples
  trash-cli                                        # a trash client nobody here wrote, for zwf --trash
  jdupes fdupes                                    # peers whose lists zwf --from reads
  strace                                           # zwf killed before each call that changes a disk
)
test_wishes=(wine32:i386)                          # the 32-bit Wine, for the 32-bit program
package_set=(
  dpkg-dev file librsvg2-bin lintian               # the Debian package, checked
  g++-mingw-w64-i686-posix mingw-w64-i686-dev      # the Windows zip
)

case "${1:-}" in
  run) needs=("${run_set[@]}"); wishes=() ;;
  test) needs=("${run_set[@]}" "${test_set[@]}"); wishes=("${test_wishes[@]}") ;;
  package) needs=("${run_set[@]}" "${package_set[@]}"); wishes=() ;;
  *) echo "usage: scripts/setup.sh run|test|package" >&2; exit 2 ;;
esac

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
missing_of() {
  local package
  for package in "$@"; do installed "$package" || echo "$package"; done
}
mapfile -t missing < <(missing_of "${needs[@]}")
mapfile -t missing_wishes < <(missing_of "${wishes[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#missing_wishes[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

if [ ${#missing_wishes[@]} -gt 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi

# Another apt on the machine (a fresh desktop's automatic updates) may hold the lock for a while:
# wait for it rather than fail.
apt_get() {
  $sudo apt-get -o DPkg::Lock::Timeout=600 "$@"
}
# A mirror in mid-sync fails some lists ("File has unexpected size"); a few tries usually see it
# through, and where they do not, the lists that did arrive serve.
update_lists() {
  local try
  for try in 1 2 3; do
    apt_get update -q && return 0
    [ "$try" -lt 3 ] && sleep $((try * ${ZWF_SETUP_RETRY_SECONDS:-5}))
  done
  echo "warning: apt-get update failed three times (a package mirror in mid-sync?);" \
       "installing from the package lists at hand" >&2
}
install() {
  apt_get install -y -q --no-install-recommends "$@"
}

echo "Installing: ${missing[*]} ${missing_wishes[*]}" >&2
update_lists
if [ ${#missing[@]} -gt 0 ] && ! install "${missing[@]}"; then
  # Fetching may have failed midway too: try once more on fresh lists, then one package at a
  # time, to name the ones that cannot be had.
  update_lists
  if ! install "${missing[@]}"; then
    failed=()
    for package in "${missing[@]}"; do install "$package" || failed+=("$package"); done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "error: these packages cannot be installed: ${failed[*]}" >&2
      exit 1
    fi
  fi
fi
for package in "${missing_wishes[@]}"; do
  if ! install "$package"; then
    echo "note: $package cannot be installed from the package mirror now; going on without it" >&2
  fi
done
