#!/usr/bin/env bash
# How long the Win32 window takes to fill a list box with N lines, and how long a question from
# another thread waited meanwhile, under Wine (bench/win32/ListFill).
#   bench/list_fill_wine.sh [BUILD_DIR] [LINES]   (default: build-win, 200,000; scripts/test-windows.sh makes it)
set -u  # wine-env.sh runs commands whose status does not matter
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-win}")
lines=${2:-200000}
ninja -C "$build" ListFill >/dev/null || exit 1
. scripts/wine-env.sh
WINE_TIMEOUT=600 wine_run "$build/bench/ListFill.exe" "$lines" </dev/null | tr -d '\r'
