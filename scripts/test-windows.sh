#!/bin/bash
# Builds the 32-bit Windows programs and tests them under Wine: the test suites through ctest,
# then a session with the real window, driven by tests/win32/EndToEndDriver.exe. Where no 32-bit
# Wine runs, the 32-bit programs are only built, and the tests run on the 64-bit build.
#   scripts/test-windows.sh [build-dir]     (default: build-win, or build-win64 on 64-bit Wine)
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
. "$ROOT/scripts/wine-arch.sh"
ZWF_WINE_ARCH=$(zwf_wine_arch)
export ZWF_WINE_ARCH
if [ "$ZWF_WINE_ARCH" = win32 ]; then
    BUILD=$(realpath -m "${1:-$ROOT/build-win}")
    BUILD32=$BUILD
    TOOLCHAIN=MingwI686.cmake
else
    echo "== $(zwf_wine_why_64): the Windows tests run on 64-bit Wine with the 64-bit build;" \
         "the 32-bit programs are cross-built only"
    BUILD=$(realpath -m "${1:-$ROOT/build-win64}")
    TOOLCHAIN=MingwX86_64.cmake
    BUILD32=$ROOT/build-win
fi

cmake -S "$ROOT" -B "$BUILD" -G Ninja -DZWF_WERROR=ON \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$TOOLCHAIN" >/dev/null || exit 1
ninja -C "$BUILD" -j2 || exit 1
if [ "$BUILD32" != "$BUILD" ]; then
    # The 32-bit build stays checked: it must compile and link, warnings as errors.
    cmake -S "$ROOT" -B "$BUILD32" -G Ninja -DZWF_WERROR=ON \
          -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/MingwI686.cmake" >/dev/null || exit 1
    ninja -C "$BUILD32" -j2 || exit 1
fi

echo "== built (${SECONDS}s)"
status=0
# The 32-bit programs may use 4 GiB of address space on a 64-bit Windows, not 2 GiB.
for program in platform/win32/zwillingsfeger.exe cli/zwf.exe; do
    if i686-w64-mingw32-objdump -p "$BUILD32/$program" | grep -q 'large address aware'; then
        echo "$program is large-address-aware"
    else
        echo "$program is NOT large-address-aware"; status=1
    fi
done
. "$ROOT/scripts/wine-env.sh"
echo "== Wine prefix ready (${SECONDS}s)"

# Unix symbolic links, made on this side, as a Wine user's folders hold them (the file-system
# contract's link cases run on them).
LINKS="$RUN/links"
mkdir -p "$LINKS/Ziel"
printf 'abc' >"$LINKS/Ziel/a.txt"; printf 'abc' >"$LINKS/datei.txt"
ln -s Ziel "$LINKS/Verweis"; ln -s datei.txt "$LINKS/dateilink.txt"
export ZWF_UNIX_LINK_TREE
ZWF_UNIX_LINK_TREE=$(winepath -w "$LINKS")

echo "== test suites under Wine"
# What a failed test printed, so that a run elsewhere tells why.
failures() {
    tr -d '\r' <"$1" | awk '/\*\*\*(Failed|Exception|Timeout)/ { n = 25; print; next }
                        /^ *Start +[0-9]+:|^ *[0-9]+\/[0-9]+ Test|^[0-9]+% tests/ { n = 0 }
                        n > 0 { n--; print "    " $0 }' | head -80
}
WINE_TIMEOUT=600 ctest --test-dir "$BUILD" --output-on-failure --timeout 120 -j2 </dev/null \
    >"$RUN/ctest.log" 2>&1
suites=$?
grep -E '^[0-9]+% tests|\*\*\*|\(Failed\)|Timeout' "$RUN/ctest.log" | sed 's/ \.\.\.\.*/ /' | tail -40
if [ $suites -ne 0 ]; then
    failures "$RUN/ctest.log"
    # Now and then a test process loses Wine's server as it starts ("wine client error:0: recvmsg:
    # Connection reset by peer", after 0.02 s): a failed test runs once more, alone, and only a
    # second failure fails the run.
    echo "== the failed tests once more, one at a time"
    WINE_TIMEOUT=600 ctest --test-dir "$BUILD" --output-on-failure --timeout 120 --rerun-failed </dev/null \
        >"$RUN/ctest-again.log" 2>&1 || { status=1; failures "$RUN/ctest-again.log"; }
    grep -E '^[0-9]+% tests' "$RUN/ctest-again.log"
fi
echo "   (${SECONDS}s so far)"

echo "== zwf.exe"
CLI="$RUN/Ordner ä"  # a name beyond ASCII must reach zwf.exe intact
mkdir -p "$CLI/Unter"
printf 'gleich' >"$CLI/a.txt"; printf 'gleich' >"$CLI/Unter/b.txt"; printf 'anders' >"$CLI/c.txt"
WIN_CLI=$(winepath -w "$CLI")
wine_run "$BUILD/cli/zwf.exe" "$WIN_CLI" </dev/null 2>"$RUN/zwf.err" | tr -d '\r' >"$RUN/zwf.out"
if grep -qFx "$WIN_CLI\\a.txt" "$RUN/zwf.out" && grep -qFx "$WIN_CLI\\Unter\\b.txt" "$RUN/zwf.out" &&
   ! grep -qF 'c.txt' "$RUN/zwf.out"; then
    echo "zwf.exe lists the pair of copies"
else
    echo "zwf.exe FAILED; its output:"; cat "$RUN/zwf.out"; status=1
fi
# --link and --delete, each on copies of its own: one file under both names, or one name left;
# the unique file untouched.
for action in link delete; do
    ACT="$RUN/$action"
    mkdir -p "$ACT/Unter"
    printf 'gleich' >"$ACT/a.txt"; printf 'gleich' >"$ACT/Unter/b.txt"; printf 'anders' >"$ACT/c.txt"
    WIN_ACT=$(winepath -w "$ACT")
    wine_run "$BUILD/cli/zwf.exe" "--$action" --keep "in:$WIN_ACT\\Unter" "$WIN_ACT" </dev/null \
        >"$RUN/$action.out" 2>&1
done
if [ "$(stat -c %i "$RUN/link/a.txt")" = "$(stat -c %i "$RUN/link/Unter/b.txt")" ] &&
   [ ! -e "$RUN/delete/a.txt" ] && [ "$(cat "$RUN/delete/Unter/b.txt")" = gleich ] &&
   [ "$(cat "$RUN/link/c.txt")$(cat "$RUN/delete/c.txt")" = andersanders ]; then
    echo "zwf.exe --link and --delete act on the copies only"
else
    echo "zwf.exe --link/--delete FAILED:"; cat "$RUN/link.out" "$RUN/delete.out" | tr -d '\r'; status=1
fi

echo "== end-to-end session"
# session DATA LOG: the session on a fresh data folder; as with the test suites, a failed session
# runs once more, and only a second failure fails the run.
session() {
    mkdir -p "$1"
    wine_run "$BUILD/tests/win32/EndToEndDriver.exe" "$(winepath -w "$BUILD/platform/win32/zwillingsfeger.exe")" \
        "$(winepath -w "$1")" </dev/null >"$2" 2>&1
    local result=$?
    grep -v -e 'Read access denied' "$2" | tr -d '\r' | tail -60
    return $result
}
if ! session "$RUN/data" "$RUN/driver.log"; then
    echo "== the session once more"
    session "$RUN/data-again" "$RUN/driver-again.log" || status=1
fi
echo "   (${SECONDS}s so far)"
exit $status
