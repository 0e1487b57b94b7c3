#!/usr/bin/env bash
# Builds Zwillingsfeger and starts it: the window on Linux, or with arguments the command line zwf.
#   scripts/run.sh                 the desktop program
#   scripts/run.sh FOLDER...       zwf on these folders
set -euo pipefail
cd "$(dirname "$0")/.."
# Everything before the program itself goes to stderr: `scripts/run.sh FOLDER > groups.txt` holds
# zwf's output alone.
scripts/setup.sh >&2
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >&2
cmake --build build -j "$(nproc)" >&2
if [ $# -gt 0 ] || [ ! -x build/platform/qt/zwillingsfeger ]; then
  exec build/cli/zwf "$@"
fi
exec build/platform/qt/zwillingsfeger
