#!/bin/bash
# How quickly the Windows program answers another program while it searches, under Wine:
# bench/win32/AnswerTime.exe starts it, adds a folder with two identical 1 GiB sparse files,
# and asks questions with SendMessageTimeout(WM_GETTEXT) during a few searches.
#   bench/answer_time_wine.sh [BUILD_DIR] [SEARCHES] [PROGRAM.exe]
# BUILD_DIR is a cross build (scripts/test-windows.sh makes one: build-win, or build-win64 where
# this machine runs no 32-bit programs); PROGRAM defaults to its zwillingsfeger.exe.
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/wine-arch.sh"
ZWF_WINE_ARCH=$(zwf_wine_arch)
default=build-win
[ "$ZWF_WINE_ARCH" = win64 ] && default=build-win64
BUILD=$(realpath -m "${1:-$ROOT/$default}")
SEARCHES=${2:-3}
PROGRAM=$(realpath -m "${3:-$BUILD/platform/win32/zwillingsfeger.exe}")

ninja -C "$BUILD" -j2 AnswerTime.exe zwillingsfeger.exe >/dev/null || exit 1
. "$ROOT/scripts/wine-env.sh"
mkdir -p "$RUN/Paar"
truncate -s 1G "$RUN/Paar/a" "$RUN/Paar/b"
WINE_TIMEOUT=900 wine_run "$BUILD/bench/AnswerTime.exe" "$(winepath -w "$PROGRAM")" "$(winepath -w "$RUN/Paar")" \
    "$SEARCHES" </dev/null 2>"$RUN/answer.err" | tr -d '\r'
exit "${PIPESTATUS[0]}"
