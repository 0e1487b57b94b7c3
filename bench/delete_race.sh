#!/usr/bin/env bash
# Runs the delete races of the test suite for many sessions each: a process saving over the
# marked file by rename, and one exchanging its name with a unique file's, against
# "Lösche markierte Datei". Prints how many sessions ran and how many lost data (must be 0).
#   bench/delete_race.sh [TRIES] [BUILD_DIR]     (default: 3000 sessions, build/)
set -euo pipefail
tries=${1:-3000}
build=${2:-$(dirname "$0")/../build}
binary="$build/tests/app/zwf_app_tests"
[ -x "$binary" ] || { echo "no $binary: build the tests first" >&2; exit 2; }
log=$(mktemp)
trap 'rm -f "$log"' EXIT
status=0
ZWF_RACE_TRIES=$tries "$binary" --gtest_filter='DeleteRace.AProgram*' >"$log" 2>&1 || status=1
grep -E 'sessions deleted' "$log" || true
failures=$(grep -c 'Failure' "$log" || true)
echo "$tries sessions per race, 2 races: $failures sessions lost data"
grep -E '^\[  (PASSED|FAILED) ' "$log"
exit $status
