#!/usr/bin/env bash
# The Windows window at scale, under Wine: a tree of 150,000 small files in folders of 1,000 plus
# one folder holding 50,000 directly (gen_tree.py scale, smaller), added and searched in the
# Windows window (bench/win32/WindowScale.exe: the program's window and commands, driven by a
# script) and by zwf.exe. Prints the window's add and search times, the longest a question to the
# window waited during each, and zwf.exe's time from start to end (Wine's start included).
# There is no target under Wine; the figures show where the window holds up.
#   bench/scale_wine.sh [BUILD_DIR] [TREE]
#   (default: the cross build of scripts/test-windows.sh, and the tree in /tmp/zwf-scale-wine,
#   made once, about a minute and 1 GB). With ZWF_SCALE_TRACE=1 each wait of a question of more
#   than 50 ms is printed after the figures, with when it was asked.
set -u  # wine-env.sh runs commands whose status does not matter
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/wine-arch.sh"
default=build-win
[ "$(zwf_wine_arch)" = win64 ] && default=build-win64
BUILD=$(realpath -m "${1:-$ROOT/$default}")
TREE=$(realpath -m "${2:-/tmp/zwf-scale-wine}")
ninja -C "$BUILD" -j2 WindowScale.exe zwf.exe >/dev/null || exit 1
if [ $# -lt 2 ] && [ ! -e "$TREE.done" ]; then
  "$ROOT/bench/gen_tree.py" scale "$TREE" --count 150000 --big 50000 || exit 1
  touch "$TREE.done"
fi
. "$ROOT/scripts/wine-env.sh"
echo "$(find "$TREE" -type f | wc -l) files"
WIN_TREE=$(winepath -w "$TREE")
WINE_TIMEOUT=1800 wine_run "$BUILD/bench/WindowScale.exe" "$WIN_TREE" </dev/null 2>"$RUN/scale.err" | tr -d '\r'
status=${PIPESTATUS[0]}
[ -n "${ZWF_SCALE_TRACE:-}" ] && grep -v 'Read access' "$RUN/scale.err" | tr -d '\r'
start=$(date +%s%N)
WINE_TIMEOUT=1800 wine_run "$BUILD/cli/zwf.exe" --summary "$WIN_TREE" </dev/null >"$RUN/zwf.out" 2>&1
echo "zwf.exe --summary: $((($(date +%s%N) - start) / 1000000)) ms from start to end"
exit "$status"
