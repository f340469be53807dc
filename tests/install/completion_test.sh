#!/usr/bin/env bash
# Drives pvtool's bash completion as bash would and checks what it offers.
set -uo pipefail
script=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
touch "$dir/a.PVD" "$dir/b.pvd" "$dir/drive.PVL" "$dir/notes.txt"
mkdir "$dir/sub"
cd "$dir"
# shellcheck disable=SC1090
source "$script"
status=0

complete_line() {
  COMP_LINE=$1
  read -r -a COMP_WORDS <<<"$1"
  [[ $1 == *' ' ]] && COMP_WORDS+=("")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMP_POINT=${#1}
  COMPREPLY=()
  _pvtool
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}
expect() {
  local got
  got=$(complete_line "$1")
  if [[ $got != "$2" ]]; then
    echo "FAIL: '$1' offers '$got', expected '$2'" >&2
    status=1
  fi
}

expect "pvtool " "--help --lang --version pvd pvl unit"
expect "pvtool p" "pvd pvl"
expect "pvtool pvd d" "diff dump"
expect "pvtool pvd dump " "a.PVD b.pvd sub/"
expect "pvtool pvl info " "drive.PVL sub/"
expect "pvtool unit lo" "load-all load-params lock"
expect "pvtool unit lock " "off on"
expect "pvtool unit status --p" "--port"
expect "pvtool --lang " "1033 1041"
exit $status
