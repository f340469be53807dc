#!/usr/bin/env bash
# Every place that tells the program's version tells the same one: the number its data files
# carry, shown as the about box shows it (thousandths, two decimals when the last digit is 0).
set -euo pipefail
bin=$1
build=$2
src=$3
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*" >&2; status=1; }
status=0

"$bin/pvtool" --lang 1033 pvd new "$dir/new.PVD"
number=$("$bin/pvtool" --lang 1033 pvd dump "$dir/new.PVD" |
  sed -n 's/.*"file_version": *\([0-9]*\).*/\1/p')
[[ -n $number ]] || { echo "FAIL: pvd dump shows no file_version" >&2; exit 1; }
version=$(awk -v v="$number" 'BEGIN { printf(v % 10 ? "%.3f" : "%.2f", v / 1000) }')

progs=(pvtool pvsim)
if [[ -x $bin/pvedit ]]; then progs+=(pvedit); fi
for prog in "${progs[@]}"; do
  got=$(QT_QPA_PLATFORM=offscreen timeout 20 "$bin/$prog" --version 2>&1) \
    || { fail "$prog --version failed: ${got%%$'\n'*}"; continue; }
  [[ $got == "$prog $version" ]] || fail "$prog --version says '$got', the files carry $version"
done

package=$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
[[ $package == "$version" ]] || fail "the package's version is '$package', not $version"

for page in "$src"/doc/*.1; do
  th=$(sed -n 's/^\.TH [^ ]* [^ ]* "[^"]*" "\([^"]*\)".*/\1/p' "$page")
  [[ $th == "pvedit $version" ]] || fail "$(basename "$page") is for '$th', not pvedit $version"
done

release=$(grep -o '<release version="[^"]*"' "$src/assets/linux/org.pvedit.pvedit.metainfo.xml" |
  head -1 | cut -d'"' -f2)
[[ $release == "$version" ]] || fail "the newest release in the metainfo is '$release', not $version"
exit $status
