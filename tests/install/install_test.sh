#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs from there.
set -euo pipefail
build=$1
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/pvtool bin/pvsim share/pvedit/SPLASH.BMP share/pvedit/pveditE.html \
         share/pvedit/pveditJ.html share/icons/hicolor/48x48/apps/pvedit.png \
         share/applications/org.pvedit.pvedit.desktop share/mime/packages/pvedit.xml \
         share/metainfo/org.pvedit.pvedit.metainfo.xml share/man/man1/pvtool.1.gz \
         share/man/man1/pvsim.1.gz share/man/man1/pvedit.1.gz share/pvedit/pvedit.INI \
         share/doc/pvedit/copyright share/doc/pvedit/changelog.gz \
         share/bash-completion/completions/pvtool; do
  [[ -e $prefix/$f ]] || fail "$f is not installed"
done
if [[ -x $build/bin/pvedit ]]; then
  [[ -x $prefix/bin/pvedit ]] || fail "bin/pvedit is not installed"
fi
lib=$(find "$prefix" -name 'libPVDLang.so*' -type f)
[[ -n $lib ]] || fail "libPVDLang.so is not installed"
[[ $(dirname "$lib") == */pvedit ]] || fail "libPVDLang.so is not in a private folder: $lib"

# The installed programs find the library through their run path, not the build folder.
runpath=$(readelf -d "$prefix/bin/pvtool" | sed -n 's/.*R\(UN\)\?PATH.*\[\(.*\)\]/\2/p')
[[ $runpath == '$ORIGIN/'* ]] || fail "pvtool's run path is not relative: $runpath"
# Read whole before matching: grep -q stopping early would break ldd's pipe under pipefail.
libs=$(ldd "$prefix/bin/pvtool")
if grep -q "$build" <<<"$libs"; then fail "pvtool uses the build folder"; fi
grep -q "libPVDLang.so => $prefix/" <<<"$libs" || fail "pvtool does not find its library"

cd "$prefix"
env -i HOME="$prefix" PATH=/usr/bin:/bin "$prefix/bin/pvtool" --lang 1033 pvd new new.PVD
[[ $(stat -c %s new.PVD) == 506 ]] || fail "pvd new did not write a 506-byte data file"
env -i HOME="$prefix" PATH=/usr/bin:/bin "$prefix/bin/pvtool" --lang 1033 pvd dump new.PVD >dump.json
grep -q '"rpm_axis"' dump.json || fail "pvd dump printed no document"
grep -q 'usage: pvsim' <<<"$("$prefix/bin/pvsim" --help)" || fail "pvsim --help"

# The manual pages are the sources, compressed.
cmp <(gzip -dc "$prefix/share/man/man1/pvtool.1.gz") "$source_dir/doc/pvtool.1" \
  || fail "pvtool.1.gz is not doc/pvtool.1"

# The desktop files pass their validators.
desktop-file-validate "$prefix/share/applications/org.pvedit.pvedit.desktop"
xmllint --noout "$prefix/share/mime/packages/pvedit.xml"
appstreamcli validate --no-net "$prefix/share/metainfo/org.pvedit.pvedit.metainfo.xml" >/dev/null \
  || fail "AppStream metadata does not validate"
echo "installed and ran from $prefix"
