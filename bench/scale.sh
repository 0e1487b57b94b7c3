#!/usr/bin/env bash
# The window at scale against zwf: a tree of 1,000,000 small files in folders of 1,000 plus one
# folder holding 300,000 directly (gen_tree.py scale), added and searched in the Linux window on a
# virtual display (zwf_window_scale: the program's window and commands, driven by a script) and by
# zwf, alternately, warm cache, best of N. Prints the times, the peak memory (max RSS from
# /usr/bin/time -v), the longest a question to the window waited during the add and during the
# search (the largest over all runs), and the ratios window/zwf.
#   bench/scale.sh [-n RUNS] [BUILD_DIR] [TREE]
#   (default: 3 runs, build, and the tree in /tmp/zwf-scale, made once, about 5 minutes and 5 GB)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=3
if [ "${1:-}" = "-n" ]; then runs=$2; shift 2; fi
build=${1:-build}
tree=${2:-/tmp/zwf-scale}
cmake --build "$build" --target zwf_window_scale zwf >/dev/null
if [ $# -lt 2 ] && [ ! -e "$tree.done" ]; then
  bench/gen_tree.py scale "$tree"
  touch "$tree.done"
fi

work=$(mktemp -d /tmp/zwf-scale-run.XXXX)
trap 'rm -rf "$work"' EXIT

# Prints: add ms, longest answer during the add, search ms, longest answer during it, peak KiB.
window() {
  xvfb-run -a /usr/bin/time -v -o "$work/time" "$build/bench/zwf_window_scale" "$tree" 2>/dev/null >"$work/out"
  local add search peak
  add=$(sed -n 's/^add \([0-9]*\) ms, longest answer \([0-9.]*\) ms$/\1 \2/p' "$work/out")
  search=$(sed -n 's/^search \([0-9]*\) ms, longest answer \([0-9.]*\) ms$/\1 \2/p' "$work/out")
  peak=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
  echo "$add $search $peak"
}
# Prints: start to end ms (adding and searching), peak KiB.
engine() {
  /usr/bin/time -v -o "$work/time" "$build/cli/zwf" --summary "$tree" >/dev/null
  awk '/Elapsed/ { n = split($NF, t, ":"); s = t[n] + (n > 1 ? t[n - 1] * 60 : 0); printf "%d ", s * 1000 }
       /Maximum resident/ { print $NF }' "$work/time"
}

engine >/dev/null  # warms the cache
best_add=999999999 best_search=999999999 best_both=999999999 best_engine=999999999
worst_add_answer=0 worst_search_answer=0 peak_window=0 peak_engine=0
for _ in $(seq "$runs"); do
  read -r add add_answer search search_answer peak < <(window)
  read -r took engine_peak < <(engine)
  [ "$add" -lt "$best_add" ] && best_add=$add
  [ "$search" -lt "$best_search" ] && best_search=$search
  [ $((add + search)) -lt "$best_both" ] && best_both=$((add + search))
  [ "$took" -lt "$best_engine" ] && best_engine=$took
  [ "$peak" -gt "$peak_window" ] && peak_window=$peak
  [ "$engine_peak" -gt "$peak_engine" ] && peak_engine=$engine_peak
  worst_add_answer=$(awk -v a="$worst_add_answer" -v b="$add_answer" 'BEGIN { print (b > a ? b : a) }')
  worst_search_answer=$(awk -v a="$worst_search_answer" -v b="$search_answer" 'BEGIN { print (b > a ? b : a) }')
done
files=$(find "$tree" -type f | wc -l)
awk -v f="$files" -v a="$best_add" -v s="$best_search" -v b="$best_both" -v e="$best_engine" \
    -v aa="$worst_add_answer" -v sa="$worst_search_answer" -v pw="$peak_window" -v pe="$peak_engine" -v n="$runs" \
    'BEGIN { printf "%d files, best of %d:\n", f, n
             printf "  window: add %d ms, search %d ms, together %d ms; peak %.0f MiB\n", a, s, b, pw / 1024
             printf "  longest answer of the window: %.0f ms during the add, %.0f ms during the search\n", aa, sa
             printf "  zwf: %d ms from start to end; peak %.0f MiB\n", e, pe / 1024
             printf "  window/zwf: time %.2f, peak memory %.2f\n", b / e, pw / pe }'
