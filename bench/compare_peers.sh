#!/usr/bin/env bash
# Times zwf against fdupes, jdupes and rdfind on the same trees, warm cache, best of N runs,
# and prints time and peak memory ratios zwf/peer. Also times reading every candidate byte
# once (cat of all files that share their size with another file) as a floor for the search,
# the scan alone (zwf -s 1T, which catalogues no file) against a walk listing every file's size
# (find -type f -printf '%s\n'), and prints the bytes the search read per candidate byte (from
# zwf_bench). The default trees are the generated ones and the machine's /usr.
#
# Usage: compare_peers.sh [-n RUNS] [-z ZWF_COMMAND] [-C] TREE...
#   ZWF_COMMAND defaults to the zwf CLI with --summary when built, else the bench driver.
#   -C: cold cache, against jdupes -r only: the page cache is dropped before every run (as root;
#   without root the cold runs are skipped with a note). It slows every program on the machine.
set -euo pipefail

runs=5
here=$(cd "$(dirname "$0")" && pwd)
zwf=""
cold=0
while getopts "n:z:C" option; do
  case $option in
    n) runs=$OPTARG ;;
    z) zwf=$OPTARG ;;
    C) cold=1 ;;
    *) echo "usage: $0 [-n RUNS] [-z ZWF_COMMAND] [-C] TREE..." >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
# The peers and the timing tool come from Debian's packages.
missing=()
for tool in fdupes jdupes rdfind; do command -v "$tool" >/dev/null || missing+=("$tool"); done
[ -x /usr/bin/time ] || missing+=(time)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  # A mirror in mid-sync fails the update; the package lists at hand mostly still serve.
  $sudo apt-get update -q || echo "warning: apt-get update failed; installing from the package lists at hand" >&2
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${missing[@]}" || true
fi

[ $# -gt 0 ] || set -- /tmp/zwf-bench/small /tmp/zwf-bench/mixed /tmp/zwf-bench/large /usr
if [ -z "$zwf" ]; then
  for candidate in "$here/../build-rel/cli/zwf" "$here/../build/cli/zwf"; do
    [ -x "$candidate" ] && { zwf="$candidate --summary"; break; }
  done
fi
if [ -z "$zwf" ]; then
  for candidate in "$here/../build-rel/bench/zwf_bench" "$here/../build/bench/zwf_bench"; do
    [ -x "$candidate" ] && { zwf="$candidate"; break; }
  done
fi
[ -n "$zwf" ] || { echo "no zwf or zwf_bench built" >&2; exit 1; }
bench=""
for candidate in "$here/../build-rel/bench/zwf_bench" "$here/../build/bench/zwf_bench"; do
  [ -x "$candidate" ] && { bench="$candidate"; break; }
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if [ "$cold" = 1 ] && ! [ -w /proc/sys/vm/drop_caches ]; then
  echo "cold cache needs root (to write /proc/sys/vm/drop_caches): cold runs skipped" >&2
  exit 0
fi

# Prints "best_seconds max_rss_kb" of running the command RUNS times after one warm-up run,
# or, for cold runs, each after dropping the page cache. The time is taken to the millisecond by
# the shell (/usr/bin/time gives hundredths, too coarse for runs of a few hundredths); it includes
# starting /usr/bin/time, about a millisecond, alike for every program.
TIMEFORMAT=%3R
measure() {
  [ "$cold" = 1 ] || (cd "$scratch" && "$@" >/dev/null 2>&1) || true
  local best="" peak=0 seconds rss
  for _ in $(seq "$runs"); do
    [ "$cold" = 0 ] || { sync; echo 3 >/proc/sys/vm/drop_caches; }
    { time (cd "$scratch" && /usr/bin/time -f "%M" -o "$scratch/time" "$@" >/dev/null 2>&1 || true); } 2>"$scratch/wall"
    seconds=$(tail -n 1 "$scratch/wall")
    rss=$(tail -n 1 "$scratch/time")
    if [ -z "$best" ] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds; fi
    [ "$rss" -gt "$peak" ] && peak=$rss
  done
  echo "$best $peak"
}

# Every file that shares its (nonzero) size with another: what any exact search must read.
list_candidates() {
  find "$1" -type f -size +0 -printf '%s/%p\n' |
    awk -F/ '{ size = $1; sub(/^[0-9]+\//, ""); n[size]++; path[NR] = $0; of[NR] = size }
             END { for (i = 1; i <= NR; i++) if (n[of[i]] > 1) print path[i] }'
}

ratio() { awk "BEGIN{ if ($2 > 0) printf \"%.2f\", $1 / $2; else print \"-\" }"; }

peers='fdupes -r|fdupes -r
jdupes -r|jdupes -r
jdupes -r -Q|jdupes -r -Q
rdfind -dryrun true|rdfind -dryrun true'
warmth=warm
if [ "$cold" = 1 ]; then peers='jdupes -r|jdupes -r'; warmth=cold; fi
# A peer that could not be installed is left out, not timed failing at once.
available=""
while IFS='|' read -r name command; do
  if command -v "${command%% *}" >/dev/null; then
    available+="$name|$command"$'\n'
  else
    echo "${command%% *} is not installed: left out" >&2
  fi
done <<<"$peers"
peers=${available%$'\n'}
echo "zwf: $zwf; best of $runs $warmth runs; load: $(cut -d' ' -f1-3 /proc/loadavg)"
for tree in "$@"; do
  echo
  echo "== $tree ($(find "$tree" -type f | wc -l) files, $(du -sh "$tree" | cut -f1))"
  read -r zt zm <<<"$(measure $zwf "$tree")"
  printf "%-24s %8s s %9s KB\n" "zwf" "$zt" "$zm"
  while IFS='|' read -r name command; do
    read -r pt pm <<<"$(measure $command "$tree")"
    printf "%-24s %8s s %9s KB   zwf/peer: time %s, memory %s\n" "$name" "$pt" "$pm" "$(ratio "$zt" "$pt")" "$(ratio "$zm" "$pm")"
  done <<<"$peers"
  list_candidates "$tree" | tr '\n' '\0' >"$scratch/candidates"
  read -r ct cm <<<"$(measure xargs -0 -r -a "$scratch/candidates" cat)"
  printf "%-24s %8s s %9s KB   zwf/read-once: time %s\n" "read candidates once" "$ct" "-" "$(ratio "$zt" "$ct")"
  if [ "$cold" = 0 ] && [[ "${zwf%% *}" == */zwf ]]; then
    read -r st _ <<<"$(measure "${zwf%% *}" -s 1T "$tree")"
    read -r ft _ <<<"$(measure find "$tree" -type f -printf '%s\n')"
    printf "%-24s %8s s %12s   scan/find: time %s (find %s s)\n" "zwf scan alone" "$st" "" "$(ratio "$st" "$ft")" "$ft"
  fi
  if [ -n "$bench" ]; then
    printf "%-24s %s\n" "zwf bytes read" "$("$bench" "$tree" 2>/dev/null | sed -n 's/.*read\/candidate \([0-9.]*\).*/\1 per candidate byte/p')"
  fi
done
