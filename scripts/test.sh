#!/usr/bin/env bash
# Installs what the tests need, then builds and runs every test: the native build (the Qt window
# on the offscreen platform among it), the set-up against a mirror in mid-sync, the Debian package
# unpacked and run, the sanitizer build, and the Windows program under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test

jobs=$(nproc)
echo "== native build and tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZWF_WERROR=ON -DBUILD_TESTING=ON >/dev/null
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== the set-up against a package mirror in mid-sync"
scripts/check-setup.sh

echo "== the Debian package, unpacked and run"
scripts/check-package.sh

echo "== address and undefined-behaviour sanitizers"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DZWF_WERROR=ON -DZWF_SANITIZE=ON >/dev/null
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j "$jobs"

if [ -x scripts/test-windows.sh ]; then
  echo "== the Windows program under Wine"
  scripts/test-windows.sh
fi
echo "== all tests passed"
