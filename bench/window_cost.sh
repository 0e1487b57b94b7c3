#!/usr/bin/env bash
# What keeping the window alive costs a search: the same search in the Linux window (kept alive
# as in the program, on a virtual display) and in zwf, alternately in one run, warm cache, best
# of N each; and the share of the window's search spent in KeepAlive and SetProgress, which on a
# loaded machine says more than the two times, whose noise is larger.
#   bench/window_cost.sh [-n RUNS] [BUILD_DIR] [TREE...]
#   (default: 7 runs, build, and two identical 4 GiB sparse files, warm: about a second of
#   search, plus the mixed tree of gen_tree.py)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=7
if [ "${1:-}" = "-n" ]; then runs=$2; shift 2; fi
build=${1:-build}
shift || true
cmake --build "$build" --target zwf_window_search zwf zwf_bench >/dev/null

work=$(mktemp -d /tmp/zwf-cost.XXXX)
trap 'rm -rf "$work"' EXIT
if [ $# -eq 0 ]; then
  mkdir -p "$work/Paar"
  truncate -s 4G "$work/Paar/a" "$work/Paar/b"
  bench/gen_tree.py mixed "$work/mixed" >/dev/null
  set -- "$work/Paar" "$work/mixed"
fi

# The window searches twice per start and the second search counts: the program makes its
# progress bar on the first search (about 10 ms), which a search of a few seconds never notices.
# Prints the search's milliseconds and the share of them spent keeping the window alive.
window() {
  xvfb-run -a "$build/bench/zwf_window_search" -n 2 "$1" 2>/dev/null |
    sed -n 's/^search in the window \([0-9]*\) ms, of which .* (\([0-9.]*\) %) keeping .* (\([0-9.]*\) %) of them.*$/\1 \2 \3/p' |
    tail -n1
}
# The search alone, as zwf runs it (zwf_bench times it inside the process).
search() { "$build/bench/zwf_bench" "$1" 2>&1 >/dev/null | sed -n 's/.*search \([0-9]*\) ms$/\1/p'; }
# zwf from start to end, its start-up and scan included.
engine() {
  local start=$EPOCHREALTIME
  "$build/cli/zwf" --summary "$1" >/dev/null
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%d\n", (b - a) * 1000 }'
}

for tree in "$@"; do
  window "$tree" >/dev/null; engine "$tree" >/dev/null  # warms the cache
  best_window=999999 best_search=999999 best_engine=999999 shares="" processor=""
  for _ in $(seq "$runs"); do
    read -r w share on_processor < <(window "$tree"); s=$(search "$tree"); e=$(engine "$tree")
    processor="$processor $on_processor"
    [ "$w" -lt "$best_window" ] && best_window=$w
    [ "$s" -lt "$best_search" ] && best_search=$s
    [ "$e" -lt "$best_engine" ] && best_engine=$e
    shares="$shares $share"
  done
  median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
  awk -v t="$tree" -v w="$best_window" -v s="$best_search" -v e="$best_engine" \
      -v k="$(median $shares)" -v p="$(median $processor)" \
      'BEGIN { printf "%s: search in the window %d ms, in zwf %d ms (window/zwf %.3f; zwf start to end %d ms);\n", t, w, s, w / s, e
               printf "  keeping the window alive: %.2f %% of its search by the clock, %.2f %% on the processor (medians)\n", k, p }'
done
