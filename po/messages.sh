#!/usr/bin/env bash
# Keeps the translations in step with the messages marked in the sources
# (Tr, TrPlural and TrNoop of l10n/Translation.h, in tools/, review/, l10n/).
#   po/messages.sh pot FILE   writes the template of every marked message to FILE
#   po/messages.sh update     merges new and changed messages into every po/*.po
#                             (new ones untranslated, changed ones fuzzy) and drops
#                             the ones no source has any more
#   po/messages.sh check      fails, naming the entries, unless every .po
#                             translates every marked message, has nothing fuzzy
#                             and nothing no source uses, and compiles with --check
set -eu
cd "$(dirname "$0")/.."
for tool in xgettext msgmerge msgattrib msgfmt; do
  command -v "$tool" >/dev/null ||
    { echo "$tool is missing (GNU gettext: scripts/install-deps.sh installs it)" >&2; exit 77; }
done

template() {
  find tools review l10n \( -name '*.cpp' -o -name '*.h' \) -print | LC_ALL=C sort |
    xgettext --files-from=- --output="$1" --language=C++ --from-code=UTF-8 \
      --keyword --keyword=Tr --keyword=TrNoop --keyword=TrPlural:1,2 \
      --add-comments=TRANSLATORS: --add-location=file --sort-by-file \
      --package-name=zenor --msgid-bugs-address=zenor@example.org
}

case "${1:-}" in
  pot)
    template "${2:?pot FILE}" ;;
  update)
    tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
    template "$tmp/zenor.pot"
    for po in po/*.po; do
      msgmerge --quiet --update --backup=none --add-location=file --sort-by-file "$po" "$tmp/zenor.pot"
      msgattrib --no-obsolete --add-location=file --sort-by-file -o "$po" "$po"
      # The template's date would change with every update and make two
      # branches that both add messages conflict on that line.
      sed -i '/^"POT-Creation-Date: /d' "$po"
      echo "$po: $(msgfmt --statistics -o /dev/null "$po" 2>&1)"
    done ;;
  check)
    tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
    template "$tmp/zenor.pot"
    status=0
    for po in po/*.po; do
      problem() { echo "FAIL: $po: $1"; [ -z "$2" ] || echo "$2"; status=1; }
      stats=$(msgfmt --check --statistics -o /dev/null "$po" 2>&1) || problem "msgfmt --check fails" "$stats"
      echo "$po: $stats"
      # The .po as merged with today's sources: a message it lacks shows up
      # untranslated, one no source has any more shows up obsolete.
      msgmerge --quiet --no-fuzzy-matching -o "$tmp/merged.po" "$po" "$tmp/zenor.pot"
      # The entries msgattrib selects, without the header entry it always writes.
      entries() { msgattrib "$@" "$tmp/merged.po" | awk 'BEGIN { RS = ""; ORS = "\n\n" } NR > 1'; }
      listed=$(entries --untranslated --no-obsolete)
      [ -z "$listed" ] || problem "marked in the sources but not translated (po/messages.sh update, then translate):" "$listed"
      listed=$(entries --only-fuzzy --no-obsolete)
      [ -z "$listed" ] || problem "fuzzy (check the translation, then remove the fuzzy flag):" "$listed"
      listed=$(entries --only-obsolete)
      [ -z "$listed" ] || problem "no source has these any more (po/messages.sh update drops them):" "$listed"
    done
    [ "$status" = 0 ] && echo "ok: every marked message is translated"
    exit "$status" ;;
  *)
    sed -n '2,11p' "$0" >&2; exit 2 ;;
esac
