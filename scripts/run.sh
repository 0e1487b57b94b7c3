#!/usr/bin/env bash
# Builds Zwillingsfeger and starts it: the window on Linux, or with arguments the command line zwf.
#   scripts/run.sh                 the desktop program
#   scripts/run.sh FOLDER...       zwf on these folders (any zwf options before them)
# Installs only what building and running the programs needs, and builds only the programs.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${ZWF_BUILD_DIR:-build}
# Everything before the program itself goes to stderr: `scripts/run.sh FOLDER > groups.txt` holds
# zwf's output alone.
scripts/setup.sh run >&2
# A build folder made here leaves the tests out; one that scripts/test.sh made keeps them, and
# only the programs are brought up to date.
configure=()
[ -f "$build/CMakeCache.txt" ] || configure=(-DBUILD_TESTING=OFF)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${configure[@]}" >&2
cmake --build "$build" -j "$(nproc)" --target zwf zwillingsfeger >&2
if [ $# -gt 0 ]; then
  exec "$build/cli/zwf" "$@"
fi
exec "$build/platform/qt/zwillingsfeger"
