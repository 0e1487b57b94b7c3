#!/usr/bin/env bash
# Times zwf on files crafted to share one value of an unkeyed fingerprint against as many random
# files of the same size, warm cache, best of N runs, and prints the ratio: with a keyed
# fingerprint and a split that never compares each file with each, it stays near 1.
#
# Usage: crafted_vs_random.sh [-n RUNS] [-c COUNT] [DIR]   (trees under DIR, default /tmp/zwf-bench)
set -euo pipefail

runs=5
count=8000
here=$(cd "$(dirname "$0")" && pwd)
while getopts "n:c:" option; do
  case $option in
    n) runs=$OPTARG ;;
    c) count=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS] [-c COUNT] [DIR]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
dir=${1:-/tmp/zwf-bench}
zwf=""
for candidate in "$here/../build-rel/bench/zwf_bench" "$here/../build/bench/zwf_bench"; do
  [ -x "$candidate" ] && { zwf="$candidate"; break; }
done
[ -n "$zwf" ] || { echo "no zwf_bench built" >&2; exit 1; }

best() {
  "$@" >/dev/null 2>&1
  local fastest=""
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s.%N); "$@" >/dev/null 2>&1; end=$(date +%s.%N)
    fastest=$(awk -v s="$start" -v e="$end" -v b="$fastest" 'BEGIN{t=e-s; if (b=="" || t<b) b=t; printf "%.3f", b}')
  done
  echo "$fastest"
}

for kind in crafted random; do
  [ -d "$dir/$kind-$count" ] || python3 "$here/gen_tree.py" "$kind" "$dir/$kind-$count" --count "$count"
done
crafted=$(best "$zwf" "$dir/crafted-$count")
random=$(best "$zwf" "$dir/random-$count")
jdupes=$(best jdupes -r "$dir/crafted-$count")
echo "$count files of 64 bytes, best of $runs warm runs; load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "zwf crafted $crafted s, random $random s, crafted/random $(awk "BEGIN{printf \"%.2f\", $crafted/$random}")"
echo "jdupes -r crafted $jdupes s, zwf/jdupes $(awk "BEGIN{printf \"%.2f\", $crafted/$jdupes}")"
