#!/usr/bin/env bash
# Runs scripts/run.sh and scripts/setup.sh against a package mirror in mid-sync, played by an
# apt-get that fails every `update` and records what `install` asks for, and a dpkg-query that
# reports every package missing. Installs nothing. Needs the programs built in build/ (the build
# is only brought up to date).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
status=0
fail() { echo "FAILED: $*"; status=1; }

mkdir -p "$TMP/bin"
cat >"$TMP/bin/apt-get" <<'FAKE'
#!/bin/sh
while [ "$1" = -o ]; do shift 2; done
case "$1" in
  update)
    echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
    exit 100 ;;
  install)
    shift
    echo "$*" >>"$FAKE_APT_LOG"
    for package in "$@"; do
      case " $FAKE_APT_UNAVAILABLE " in *" $package "*) echo "E: Unable to locate package $package" >&2; exit 100 ;; esac
    done ;;
esac
exit 0
FAKE
printf '#!/bin/sh\necho "dpkg-query: no packages found matching $2" >&2\nexit 1\n' >"$TMP/bin/dpkg-query"
printf '#!/bin/sh\n[ "$1" = --print-foreign-architectures ] && exit 0\necho "dpkg $*" >>"$FAKE_APT_LOG"\n' \
    >"$TMP/bin/dpkg"
chmod +x "$TMP/bin/"*
export PATH="$TMP/bin:$PATH" FAKE_APT_LOG="$TMP/apt.log" FAKE_APT_UNAVAILABLE="" ZWF_SETUP_RETRY_SECONDS=0
mkdir -p "$TMP/tree/unter"
printf 'gleich' >"$TMP/tree/a"; printf 'gleich' >"$TMP/tree/unter/b"
printf '%s\n%s\n\n' "$TMP/tree/a" "$TMP/tree/unter/b" >"$TMP/expected"

echo "== scripts/run.sh while the mirror is in mid-sync"
"$ROOT/scripts/run.sh" "$TMP/tree" >"$TMP/out" 2>"$TMP/err" || fail "run.sh exits with $?: $(tail -3 "$TMP/err")"
diff -u "$TMP/expected" "$TMP/out" || fail "run.sh did not run zwf on the tree"
grep -q '^warning: apt-get update failed' "$TMP/err" || fail "no warning about the failed update"
asked=$(cat "$TMP/apt.log")
for needed in qt6-base-dev qt6-translations-l10n cmake g++; do
  grep -qw -- "$needed" <<<"$asked" || fail "run.sh did not ask for $needed"
done
if grep -E 'wine|mingw|lintian|bindfs|btrfs|gtest|rapidcheck|xvfb|i386' <<<"$asked"; then
  fail "run.sh asked for test tools"
fi

echo "== a package that cannot be had stops the set-up, named"
: >"$FAKE_APT_LOG"
if FAKE_APT_UNAVAILABLE=qt6-translations-l10n "$ROOT/scripts/run.sh" "$TMP/tree" >"$TMP/out" 2>"$TMP/err"; then
  fail "run.sh went on without qt6-translations-l10n"
fi
grep -qx 'error: these packages cannot be installed: qt6-translations-l10n' "$TMP/err" ||
  fail "the error does not name the package: $(tail -2 "$TMP/err")"
[ ! -s "$TMP/out" ] || fail "zwf ran although the set-up failed"

echo "== the test set goes on without the 32-bit Wine"
: >"$FAKE_APT_LOG"
FAKE_APT_UNAVAILABLE=wine32:i386 "$ROOT/scripts/setup.sh" test >/dev/null 2>"$TMP/err" ||
  fail "setup.sh test stops without wine32:i386: $(tail -2 "$TMP/err")"
grep -qx 'note: wine32:i386 cannot be installed from the package mirror now; going on without it' "$TMP/err" ||
  fail "no note about wine32:i386"
grep -qx 'dpkg --add-architecture i386' "$FAKE_APT_LOG" || fail "the i386 architecture was not added"

[ $status -eq 0 ] && echo "set-up survives a mirror in mid-sync"
exit $status
