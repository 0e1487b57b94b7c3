#!/bin/bash
# A screenshot of the real Windows program under Wine and Xvfb, taken in the middle of a session
# (folder added, search done, a group selected): docs/screenshot-windows.png.
#   scripts/screenshot-windows.sh [build-dir]     (default: build-win, built by test-windows.sh)
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(realpath -m "${1:-$ROOT/build-win}")
OUT="$ROOT/docs/screenshot-windows.png"

if [ ! -x "$BUILD/platform/win32/zwillingsfeger.exe" ] || [ ! -x "$BUILD/tests/win32/EndToEndDriver.exe" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/MingwI686.cmake" >/dev/null || exit 1
    ninja -C "$BUILD" -j2 zwillingsfeger EndToEndDriver || exit 1
fi

. "$ROOT/scripts/wine-env.sh"
# C:\Daten inside the prefix: the same paths in every screenshot.
DATA="$WINEPREFIX/drive_c/Daten"
mkdir -p "$DATA" "$ROOT/docs"
wine_run "$BUILD/tests/win32/EndToEndDriver.exe" "$(winepath -w "$BUILD/platform/win32/zwillingsfeger.exe")" \
    'C:\Daten' "$(winepath -w "$RUN/shot-taken")" </dev/null >"$RUN/driver.log" 2>&1 &
DRIVER=$!
for _ in $(seq 300); do grep -qs READY "$RUN/driver.log" && break; sleep 0.1; done
status=0
if grep -qs READY "$RUN/driver.log"; then
    sleep 0.5  # the last repaint
    window=$(xdotool search --name '^Zwillingsfeger$' | head -1)
    import -window "${window:-root}" "$OUT" && echo "wrote $OUT" || status=1
else
    echo "the session did not reach the screenshot" >&2
    status=1
fi
touch "$RUN/shot-taken"
wait $DRIVER || status=1
tail -1 "$RUN/driver.log"
exit $status
