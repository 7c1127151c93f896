#!/usr/bin/env bash
# Builds the Debian package from the sources (scripts/build-deb.sh, in a build
# folder of its own) and checks it: lintian reports no error and no warning,
# and no informational tag about hardening; the package holds the programs,
# every man page of docs/man/, the demo works, the copyright file and the
# changelog; its library dependencies were computed, not written by hand.
#   deb_check.sh SOURCE_DIR BUILD_DIR
set -u
src=$1 build=$2
fail() { echo "FAIL: $*"; exit 1; }
for tool in lintian dpkg-deb dpkg-buildflags dpkg-shlibdeps file; do
  command -v "$tool" >/dev/null ||
    { echo "SKIP: $tool is missing (lintian, dpkg-dev, file; scripts/install-deps.sh test installs them)"; exit 77; }
done

start=$(date +%s)
deb=$("$src/scripts/build-deb.sh" "$build" | tail -n 1) || fail "the package did not build"
echo "package built in $(($(date +%s) - start)) s: $deb"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}') || fail "dpkg-deb -c $deb"
expected=(./usr/bin/zenor ./usr/bin/zenor-dump ./usr/share/doc/zenor/copyright
  ./usr/share/doc/zenor/changelog.gz ./usr/share/zenor/Answer/20455_0.ans ./usr/share/zenor/Answer/20455_2.ogg)
for page in "$src"/docs/man/*.1; do expected+=("./usr/share/man/man1/$(basename "$page").gz"); done
for file in "${expected[@]}"; do
  grep -qxF "$file" <<<"$contents" || fail "$file is not in the package"
done
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -Eq 'libicu[0-9]+ \(>= ' <<<"$depends" || fail "no computed dependency on ICU"

report=$(lintian --display-info --pedantic "$deb" 2>&1)
echo "lintian $(lintian --version | awk '{print $2}'):"
echo "$report"
# zenor-dump's page is still to be written; until it is in docs/man/, lintian
# rightly misses it, and only that is let pass.
allowed='^W: zenor: no-manual-page \[usr/bin/zenor-dump\]$'
[ -e "$src/docs/man/zenor-dump.1" ] && allowed='^$'
bad=$(grep -E '^(E|W): |^I: zenor: hardening-' <<<"$report" | grep -Ev "$allowed")
[ -z "$bad" ] || fail "lintian: $bad"
echo "ok: no lintian error or warning"
