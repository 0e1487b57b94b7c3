#!/bin/bash
# Builds the 32-bit Windows programs and tests them under Wine: the test suites through ctest,
# then a session with the real window, driven by tests/win32/EndToEndDriver.exe.
#   scripts/test-windows.sh [build-dir]     (default: build-win)
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(realpath -m "${1:-$ROOT/build-win}")

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DZWF_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/MingwI686.cmake" >/dev/null || exit 1
ninja -C "$BUILD" -j2 || exit 1

. "$ROOT/scripts/wine-env.sh"
status=0

echo "== test suites under Wine"
WINE_TIMEOUT=600 ctest --test-dir "$BUILD" --output-on-failure --timeout 120 -j2 </dev/null \
    >"$RUN/ctest.log" 2>&1 || status=1
grep -E 'tests passed|tests failed|\*\*\*|Failed|Timeout' "$RUN/ctest.log" | tail -40

if [ -x "$BUILD/platform/win32/zwillingsfeger.exe" ]; then
    echo "== end-to-end session"
    DATA="$RUN/data"
    mkdir -p "$DATA"
    wine_run "$BUILD/tests/win32/EndToEndDriver.exe" "$(winepath -w "$BUILD/platform/win32/zwillingsfeger.exe")" \
        "$(winepath -w "$DATA")" </dev/null >"$RUN/driver.log" 2>&1 || status=1
    grep -v -e '^Read access denied' "$RUN/driver.log" | tail -60
else
    echo "== end-to-end session skipped: zwillingsfeger.exe was not built (no application core yet)"
fi
exit $status
