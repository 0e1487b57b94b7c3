#!/usr/bin/env bash
# What keeping the window alive costs a search: the same search in the Linux window (kept alive
# as in the program, on a virtual display) and in the engine alone (zwf_bench), alternately in one
# run, warm cache, best of N each; and the share of the window's search spent in KeepAlive and
# SetProgress, which on a loaded machine says more than the two times, whose noise is larger.
#   bench/window_cost.sh [-n RUNS] [BUILD_DIR] [TREE...]
#   (default: 7 runs, build, and two identical 4 GiB sparse files, warm: about a second of
#   search, plus the mixed tree of gen_tree.py)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=7
if [ "${1:-}" = "-n" ]; then runs=$2; shift 2; fi
build=${1:-build}
shift || true
cmake --build "$build" --target zwf_window_search zwf_bench >/dev/null

work=$(mktemp -d /tmp/zwf-cost.XXXX)
trap 'rm -rf "$work"' EXIT
if [ $# -eq 0 ]; then
  mkdir -p "$work/Paar"
  truncate -s 4G "$work/Paar/a" "$work/Paar/b"
  bench/gen_tree.py mixed "$work/mixed" >/dev/null
  set -- "$work/Paar" "$work/mixed"
fi

# The window searches twice per start and the faster search counts: the program makes its
# progress bar on the first search (about 10 ms), which a search of a few seconds never notices.
# Prints the search's milliseconds and the share of them spent keeping the window alive.
window() {
  xvfb-run -a "$build/bench/zwf_window_search" -n 2 "$1" 2>/dev/null |
    sed -n 's/^search in the window \([0-9]*\) ms, of which .* (\([0-9.]*\) %).*$/\1 \2/p' | sort -n | head -n1
}
engine() { "$build/bench/zwf_bench" "$1" 2>&1 >/dev/null | sed -n 's/.*search \([0-9]*\) ms$/\1/p'; }

for tree in "$@"; do
  window "$tree" >/dev/null; engine "$tree" >/dev/null  # warms the cache
  best_window=999999 best_engine=999999 shares=""
  for _ in $(seq "$runs"); do
    read -r w share < <(window "$tree"); e=$(engine "$tree")
    [ "$w" -lt "$best_window" ] && best_window=$w
    [ "$e" -lt "$best_engine" ] && best_engine=$e
    shares="$shares $share"
  done
  median_share=$(printf '%s\n' $shares | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
  awk -v t="$tree" -v w="$best_window" -v e="$best_engine" -v s="$median_share" \
      'BEGIN { printf "%s: window %d ms, engine alone %d ms, window/engine %.3f; keeping alive %.2f %% (median)\n",
               t, w, e, w / e, s }'
done
