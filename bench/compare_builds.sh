#!/usr/bin/env bash
# Times two builds of the engine against each other in one run, warm cache, best of N: the scan
# and search (zwf_bench) on each tree, and the delete commands (zwf_delete_bench), which delete
# the second copy of every group from a fresh copy of the tree each time.
#
# Usage: compare_builds.sh [-n RUNS] OLD_BUILD_DIR NEW_BUILD_DIR TREE...
#   A build dir holds bench/zwf_bench and bench/zwf_delete_bench (ninja zwf_bench zwf_delete_bench).
set -euo pipefail

runs=5
while getopts "n:" option; do
  case $option in
    n) runs=$OPTARG ;;
    *) echo "usage: $0 [-n RUNS] OLD_BUILD NEW_BUILD TREE..." >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 3 ] || { echo "usage: $0 [-n RUNS] OLD_BUILD NEW_BUILD TREE..." >&2; exit 2; }
old=$1 new=$2
shift 2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The driver's own figure in milliseconds, for the search: "scan N ms, search N ms" on stderr.
search_ms() { "$1/bench/zwf_bench" "$2" 2>&1 >/dev/null | sed -n 's/.*search \([0-9]*\) ms.*/\1/p'; }
# For the deletes: "... deleted in N ms" on stdout, on a fresh copy of the tree.
delete_ms() {
  rm -rf "$scratch/tree"; cp -a "$2" "$scratch/tree"
  "$1/bench/zwf_delete_bench" "$scratch/tree" | sed -n 's/.* in \([0-9]*\) ms.*/\1/p'
}
best() {  # best of RUNS, the two builds taking turns so both see the same load
  local what=$1 tree=$2 bestOld="" bestNew=""
  for _ in $(seq "$runs"); do
    local o n
    o=$($what "$old" "$tree"); n=$($what "$new" "$tree")
    { [ -z "$bestOld" ] || [ "$o" -lt "$bestOld" ]; } && bestOld=$o
    { [ -z "$bestNew" ] || [ "$n" -lt "$bestNew" ]; } && bestNew=$n
  done
  awk -v o="$bestOld" -v n="$bestNew" 'BEGIN { printf "%6d ms %6d ms   %.2f\n", o, n, (o > 0 ? n / o : 0) }'
}

printf '%-40s %-10s %9s %9s   %s\n' tree measure old new new/old
for tree in "$@"; do
  printf '%-40s %-10s ' "$tree" search; best search_ms "$tree"
  printf '%-40s %-10s ' "$tree" delete; best delete_ms "$tree"
done
