#!/usr/bin/env bash
# Builds the release packages: the Debian package, checked by lintian, and the zip for Windows.
#   scripts/package.sh [--deb-only] [--out DIR]     (default: dist/)
# The Debian package comes from build-pkg/ (Release, Debian's hardening flags), the zip from
# build-win-release/ (Release, cross-compiled as in scripts/test-windows.sh).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
cd "$ROOT"

deb_only=0
out="$ROOT/dist"
while [ $# -gt 0 ]; do
  case "$1" in
    --deb-only) deb_only=1 ;;
    --out) out=$(realpath -m "$2"); shift ;;
    *) echo "Aufruf: scripts/package.sh [--deb-only] [--out ORDNER]" >&2; exit 2 ;;
  esac
  shift
done
scripts/setup.sh package
mkdir -p "$out"
jobs=$(nproc)

# Runs CPack on a configured build and moves the one package it makes to $out.
pack() {
  local build=$1 generator=$2
  rm -rf "$build/cpack"
  cpack --config "$build/CPackConfig.cmake" -G "$generator" -B "$build/cpack" >/dev/null
  local made=("$build"/cpack/*.*)
  mv -f "${made[@]}" "$out/"
  packed="$out/$(basename "${made[0]}")"
}

echo "== Debian package"
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-pkg -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DZWF_WERROR=ON \
      -DCMAKE_INSTALL_PREFIX=/usr \
      -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
      -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-pkg -j "$jobs"
pack build-pkg DEB
echo "$packed"
lintian --fail-on error "$packed"

if [ "$deb_only" -eq 0 ]; then
  echo "== Windows zip"
  cmake -S . -B build-win-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DZWF_WERROR=ON \
        -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/MingwI686.cmake" >/dev/null
  cmake --build build-win-release -j "$jobs"
  pack build-win-release ZIP
  echo "$packed"
fi
