#!/usr/bin/env bash
# Builds the Debian package with CPack and checks what it installs and depends on, and that
# lintian finds no error and no warning in it.
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 \
  || { cat "$out/cpack.log" >&2; fail "cpack failed"; }
deb=$(ls "$out"/*.deb)
dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./|/|' >"$out/files"
for f in /usr/bin/pvtool /usr/bin/pvsim /usr/share/pvedit/SPLASH.BMP \
         /usr/share/pvedit/pveditE.html /usr/share/applications/org.pvedit.pvedit.desktop \
         /usr/share/mime/packages/pvedit.xml /usr/share/metainfo/org.pvedit.pvedit.metainfo.xml \
         /usr/share/icons/hicolor/48x48/apps/pvedit.png /usr/share/man/man1/pvtool.1.gz \
         /usr/share/man/man1/pvedit.1.gz /usr/share/man/man1/pvsim.1.gz \
         /usr/share/doc/pvedit/copyright /usr/share/doc/pvedit/changelog.gz \
         /usr/share/pvedit/pvedit.INI /usr/share/bash-completion/completions/pvtool; do
  grep -qx "$f" "$out/files" || fail "$f is not in the package"
done
if [[ -x $build/bin/pvedit ]]; then
  grep -qx /usr/bin/pvedit "$out/files" || fail "/usr/bin/pvedit is not in the package"
fi
grep -q '^/usr/lib/.*pvedit/libPVDLang.so' "$out/files" || fail "libPVDLang.so is not in the package"
depends=$(dpkg-deb -f "$deb" Depends)
[[ $depends == *libc6* ]] || fail "the dependencies were not computed: '$depends'"
if [[ -x $build/bin/pvedit ]]; then
  [[ $depends == *libqt6widgets6* ]] || fail "Qt is missing from the dependencies: '$depends'"
fi
# The private library needs no loader cache: no maintainer script at all.
dpkg-deb -e "$deb" "$out/control"
for script in postinst postrm preinst prerm; do
  [[ ! -e $out/control/$script ]] || fail "the package has a $script script"
done

# The changelog's latest entry is the package's version.
version=$(dpkg-deb -f "$deb" Version)
mkdir "$out/root"
dpkg-deb -x "$deb" "$out/root"
logged=$(gzip -dc "$out/root/usr/share/doc/pvedit/changelog.gz" | dpkg-parsechangelog -l - -S Version)
[[ $logged == "$version" ]] || fail "the changelog's latest entry is $logged, the package $version"

# Info tags are allowed (README says why each is left); errors and warnings are not.
if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$deb" \
    >"$out/lintian.log" 2>&1 || { cat "$out/lintian.log" >&2; fail "lintian"; }
  grep -E '^(E|W):' "$out/lintian.log" >&2 && fail "lintian reported errors or warnings"
else
  fail "lintian is not installed (scripts/packages.txt lists it)"
fi
echo "$(basename "$deb"): Depends: $depends"
