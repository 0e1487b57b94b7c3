#!/usr/bin/env bash
# Checks that zwf's options are documented alike: every option `zwf --help` lists appears in the
# manual page zwf(1) and in README.md, and every option the manual page names is one --help lists.
#   scripts/check-options.sh ZWF_BINARY [SOURCE_DIR]
set -euo pipefail
zwf=${1:?usage: $0 ZWF_BINARY [SOURCE_DIR]}
root=${2:-$(cd "$(dirname "$0")/.." && pwd)}
manual="$root/packaging/zwf.1.in"
readme="$root/README.md"

# The options in a text, one a line: -x, --word, and -- standing alone, never a dash inside a
# word (UTF-8, urlaub-kopie.jpg) or a date.
options_in() {
  perl -ne 'print "$1\n" while /(?<![[:alnum:]\-])(--?[[:alnum:]][[:alnum:]\-]*|--)(?![[:alnum:]\-])/g' | sort -u
}

help=$("$zwf" --help)
# --help's own list: the lines that start with an option (and the word for its value, if any),
# up to the text beside it.
listed=$(printf '%s\n' "$help" | sed -n 's/^ \{2,\}\(-[^ ]*\(, -[^ ]*\)\?\)\( [^ -][^ ]*\)\?  .*/\1/p' | tr ',' '\n' |
         tr -d ' ' | sort -u)
# The manual page without its comments and with roff's escaped dashes as plain ones.
in_manual=$(grep -v '^\.\\"' "$manual" | sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' | options_in)
in_readme=$(options_in <"$readme")

status=0
[ -n "$listed" ] || { echo "zwf --help lists no options" >&2; exit 1; }
for option in $listed; do
  grep -qxF -- "$option" <<<"$in_manual" || { echo "zwf(1) lacks $option, which zwf --help lists" >&2; status=1; }
  grep -qxF -- "$option" <<<"$in_readme" || { echo "README.md lacks $option, which zwf --help lists" >&2; status=1; }
done
# A spelling of listed options as getopt takes them: short ones bundled (-Sf), a short one with its
# value attached (-s1K), or an unambiguous abbreviation of a long one (--min).
spelled_from_listed() {
  local word=$1 rest letter long count
  if [[ $word == --?* ]]; then
    count=$(grep -c -- "^$word" <<<"$listed" || true)
    [ "$count" -eq 1 ]
    return
  fi
  rest=${word#-}
  while [ -n "$rest" ]; do
    letter=${rest:0:1}
    grep -qxF -- "-$letter" <<<"$listed" || return 1
    rest=${rest:1}
    # a letter that takes a value (shown with one by --help) ends the bundle
    printf '%s\n' "$help" | grep -qE -- "^ +-$letter, --[^ ]+ [^ -]" && return 0
  done
  return 0
}
for option in $in_manual; do
  grep -qxF -- "$option" <<<"$listed" || spelled_from_listed "$option" ||
    { echo "zwf(1) names $option, which zwf --help does not list" >&2; status=1; }
done
[ $status -eq 0 ] && echo "zwf --help, zwf(1) and README.md name the same options: $(echo $listed)"
exit $status
