#!/usr/bin/env bash
# Builds Zwillingsfeger and starts it: the window on Linux, or with arguments the command line zwf.
#   scripts/run.sh                 the desktop program
#   scripts/run.sh FOLDER...       zwf on these folders
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" >&2
if [ $# -gt 0 ] || [ ! -x build/platform/qt/zwillingsfeger ]; then
  exec build/cli/zwf "$@"
fi
exec build/platform/qt/zwillingsfeger
