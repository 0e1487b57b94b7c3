#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root and runs what it installs from there:
# zwf --version against the package's version, a small search, the manual pages, and the
# validators of the desktop entry and the AppStream metainfo. Installs nothing on the machine.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT

"$ROOT/scripts/package.sh" --deb-only --out "$TMP/dist"
deb=$(echo "$TMP"/dist/*.deb)
dpkg-deb -x "$deb" "$TMP/root"
usr="$TMP/root/usr"
status=0
fail() { echo "FAILED: $*"; status=1; }

echo "== the unpacked package"
version=$(dpkg-deb -f "$deb" Version)
shown=$("$usr/bin/zwf" --version) || fail "zwf --version exits with $?"
[ "$shown" = "zwf $version" ] || fail "zwf --version prints '$shown', the package is version $version"

data="$TMP/daten"
mkdir -p "$data/unter"
printf 'gleich' >"$data/a.txt"; printf 'gleich' >"$data/unter/b.txt"; printf 'anders' >"$data/c.txt"
printf '%s\n%s\n\n' "$data/a.txt" "$data/unter/b.txt" >"$TMP/expected"
"$usr/bin/zwf" "$data" >"$TMP/found" || fail "zwf exits with $? on $data"
diff -u "$TMP/expected" "$TMP/found" || fail "zwf does not list exactly the pair of copies"

# dpkg-shlibdeps named the window's libraries, and the machine has them all.
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt libraries"
dpkg-deb -f "$deb" Depends | grep -q 'qt6-translations-l10n' || fail "Depends lacks Qt's translations"
if ldd "$usr/bin/zwillingsfeger" | grep 'not found'; then fail "zwillingsfeger misses libraries"; fi

for page in "$usr"/share/man/man1/{zwf,zwillingsfeger}.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" 2>&1 >/dev/null) ||
    fail "man cannot show $page"
  [ -z "$warnings" ] || fail "man warns about $page: $warnings"
done
desktop-file-validate "$usr/share/applications/zwillingsfeger.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml >/dev/null || {
  appstreamcli validate --no-net "$usr"/share/metainfo/*.metainfo.xml; fail "appstreamcli validate"; }

[ $status -eq 0 ] && echo "the package installs zwf and zwillingsfeger that run from its files"
exit $status
