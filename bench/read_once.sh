#!/usr/bin/env bash
# Prints, for every tree shape, the groups zwf_bench found and the bytes it read per candidate
# byte (every byte of every file sharing its size with another, which an exact search must read at
# least once). Generates the trees under DIR (default /tmp/zwf-bench) where they are missing.
#
# Usage: read_once.sh [DIR]   (ZWF_BENCH=PATH picks the zwf_bench to run)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dir=${1:-/tmp/zwf-bench}
bench=${ZWF_BENCH:-}
for candidate in "$here/../build-rel/bench/zwf_bench" "$here/../build/bench/zwf_bench"; do
  [ -z "$bench" ] && [ -x "$candidate" ] && bench="$candidate"
done
[ -n "$bench" ] || { echo "no zwf_bench built (see bench/README.md)" >&2; exit 1; }
printf "%-12s %8s %7s %15s %10s\n" tree files groups "files in groups" "read/cand"
for shape in small mixed backups copies late mixedbucket offsets pairs; do
  [ -d "$dir/$shape" ] || python3 "$here/gen_tree.py" "$shape" "$dir/$shape"
  "$bench" "$dir/$shape" 2>/dev/null |
    sed -n 's/^\([0-9]*\) files, \([0-9]*\) groups, \([0-9]*\) files in groups, .*read\/candidate \([0-9.]*\)$/\1 \2 \3 \4/p' |
    { read -r files groups grouped ratio; printf "%-12s %8s %7s %15s %10s\n" "$shape" "$files" "$groups" "$grouped" "$ratio"; }
done
