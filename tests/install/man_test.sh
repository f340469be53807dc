#!/usr/bin/env bash
# The manual pages and the programs' --help list the same options and commands, so that one
# never drifts from the other.
set -euo pipefail
bin=$1
doc=$2
fail() { echo "FAIL: $*" >&2; status=1; }
status=0

# A manual page as plain words: troff's escaped hyphens and font changes removed.
page_text() { sed -e 's/\\-/-/g' -e 's/\\f[BIRP]//g' -e 's/\\(em/-/g' "$1"; }
options_of() { grep -o -- '--[a-z][a-z0-9-]*' | sort -u; }

for prog in pvtool pvsim pvedit; do
  page=$doc/$prog.1
  [[ -f $page ]] || { fail "$page is missing"; continue; }
  if command -v groff >/dev/null; then
    warnings=$(groff -man -ww -z "$page" 2>&1 || true)
    [[ -z $warnings ]] || fail "$prog.1: $warnings"
  fi
  [[ -x $bin/$prog ]] || continue
  # A program that ignored --help would start its window: give it seconds, not forever.
  help=$(QT_QPA_PLATFORM=offscreen timeout 20 "$bin/$prog" --help) || { fail "$prog --help"; continue; }
  text=$(page_text "$page")
  # Examples may show other programs' options; the page's own start where the examples do.
  own=$(sed '/^\.SH EXAMPLES/,$d' <<<"$text")
  for o in $(comm -23 <(options_of <<<"$help") <(options_of <<<"$text")); do
    fail "$prog --help lists $o, its manual page does not"
  done
  for o in $(comm -13 <(options_of <<<"$help") <(options_of <<<"$own")); do
    fail "$prog.1 lists $o, $prog --help does not"
  done
  if [[ $prog == pvtool ]]; then
    # Every "GROUP COMMAND" pair of the help text (alternatives written a|b) has its entry.
    while read -r group cmds; do
      for cmd in ${cmds//|/ }; do
        grep -Eq "^\.(TP|B|SS).*\b$group $cmd\b|^$group $cmd\b" <(page_text "$page") \
          || grep -Eq "^\.B(R)? $group $cmd\b|\b$group $cmd\b" <<<"$text" \
          || fail "pvtool.1 has no entry for '$group $cmd'"
      done
    done < <(grep -Eo '^ +(pvd|pvl|unit) [a-z|-]+' <<<"$help" | sed 's/^ *//')
  fi
done
exit $status
