#!/bin/bash
# How quickly the Windows program answers another program while it searches, under Wine:
# bench/win32/AnswerTime.exe starts it, adds a folder with two identical 1 GiB sparse files,
# and asks questions with SendMessageTimeout(WM_GETTEXT) during a few searches.
#   bench/answer_time_wine.sh [BUILD_DIR] [SEARCHES] [PROGRAM.exe]
# BUILD_DIR (default build-win) is a cross build (scripts/test-windows.sh makes one); PROGRAM
# defaults to its zwillingsfeger.exe. A 64-bit build runs in a 64-bit prefix: WINEARCH=win64.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(realpath -m "${1:-$ROOT/build-win}")
SEARCHES=${2:-3}
PROGRAM=$(realpath -m "${3:-$BUILD/platform/win32/zwillingsfeger.exe}")

ninja -C "$BUILD" -j2 AnswerTime.exe zwillingsfeger.exe >/dev/null || exit 1
# Debian's wine wrapper starts the 32-bit loader whenever wine32 is installed, even for a 64-bit
# prefix; for a 64-bit build the 64-bit loader is started directly.
shim=""
if [ "${WINEARCH:-}" = win64 ]; then
    shim=$(mktemp -d /tmp/zwf-wine64.XXXXXX)
    printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shim/wine"
    chmod +x "$shim/wine"
    cp "$shim/wine" "$shim/wine-stable"
    export PATH="$shim:$PATH"
fi
. "$ROOT/scripts/wine-env.sh"
mkdir -p "$RUN/Paar"
truncate -s 1G "$RUN/Paar/a" "$RUN/Paar/b"
WINE_TIMEOUT=900 wine_run "$BUILD/bench/AnswerTime.exe" "$(winepath -w "$PROGRAM")" "$(winepath -w "$RUN/Paar")" \
    "$SEARCHES" </dev/null 2>"$RUN/answer.err" | tr -d '\r'
status=${PIPESTATUS[0]}
[ -n "$shim" ] && rm -rf "$shim"
exit $status
