#!/usr/bin/env bash
# Builds the Debian package from the sources (scripts/build-deb.sh, in a build
# folder of its own) and checks it: lintian reports no error and no warning,
# and no informational tag about hardening; the package holds the programs,
# every man page of docs/man/ and its translations, the catalogues of po/, the
# demo works, the copyright file and the changelog; the unpacked zenor-dump
# speaks Russian and man shows the Russian page; its library dependencies were
# computed, not written by hand; its licence is GPL-3.0-or-later wherever a
# package tool reads it.
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
for page in "$src"/docs/man/*/*.1; do
  lang=$(basename "$(dirname "$page")")
  expected+=("./usr/share/man/$lang/man1/$(basename "$page").gz")
done
for po in "$src"/po/*.po; do expected+=("./usr/share/locale/$(basename "$po" .po)/LC_MESSAGES/zenor.mo"); done
for file in "${expected[@]}"; do
  grep -qxF "$file" <<<"$contents" || fail "$file is not in the package"
done

# Unpacked, the program finds the installed catalogue from its own folder
# (../share/locale), and man finds the Russian page.
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
dpkg-deb -x "$deb" "$tmp/root" || fail "dpkg-deb -x $deb"
. "$src/tests/harness/russian_locale.sh"
if russian_locale "$tmp/locale"; then
  help=$("${ru_env[@]}" "$tmp/root/usr/bin/zenor-dump" --help) || fail "the installed zenor-dump --help fails"
  grep -q '^использование: zenor-dump ' <<<"$help" || fail "the installed zenor-dump --help is not Russian: $help"
  echo "ok: the installed zenor-dump speaks Russian"
else
  echo "note: ru_RU.UTF-8 cannot be made here; the installed catalogue is not tried"
fi
page=$(env -u LANGUAGE LC_ALL=C.UTF-8 MANWIDTH=80 MANPATH="$tmp/root/usr/share/man" man -L ru zenor-dump 2>&1) ||
  fail "man -L ru zenor-dump: $page"
grep -q 'ИМЯ' <<<"$page" || fail "man -L ru zenor-dump does not show the Russian page: $(head -n 5 <<<"$page")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
grep -Eq 'libicu[0-9]+ \(>= ' <<<"$depends" || fail "no computed dependency on ICU"

# One licence wherever a package tool reads it: the copyright file gives the
# whole package GPL-3+ and points at Debian's copy of the text, which is the
# text in LICENSE; AppStream reads the same licence by its SPDX name.
copyright=$tmp/root/usr/share/doc/zenor/copyright
[ "$(awk '/^Files: \*$/ {all = 1; next} all && /^License:/ {print $2; exit}' "$copyright")" = GPL-3+ ] ||
  fail "the copyright file does not give Files: * the licence GPL-3+"
grep -q '/usr/share/common-licenses/GPL-3\.$' "$copyright" || fail "the copyright file does not point at /usr/share/common-licenses/GPL-3"
cmp -s "$src/LICENSE" /usr/share/common-licenses/GPL-3 || fail "LICENSE is not the text of the GPL version 3"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$tmp/root"/usr/share/metainfo/*.metainfo.xml ||
  fail "the metainfo does not name GPL-3.0-or-later"
echo "ok: GPL-3.0-or-later in the copyright file, LICENSE and the metainfo"

report=$(lintian --display-info --pedantic "$deb" 2>&1)
echo "lintian $(lintian --version | awk '{print $2}'):"
echo "$report"
bad=$(grep -E '^(E|W): |^I: zenor: hardening-' <<<"$report")
[ -z "$bad" ] || fail "lintian: $bad"
echo "ok: no lintian error or warning"
