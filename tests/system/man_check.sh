#!/usr/bin/env bash
# A man page renders without a single warning from man or groff, read as
# lintian reads it, and has the NAME line that whatis and apropos index.
#   man_check.sh PAGE
set -u
page=$1
for tool in man groff lexgrog; do
  command -v "$tool" >/dev/null ||
    { echo "SKIP: $tool is missing (man-db, groff-base; scripts/install-deps.sh test installs them)"; exit 77; }
done
warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
status=$?
if [ "$status" != 0 ] || [ -n "$warnings" ]; then
  echo "FAIL: $page: man exit status $status"
  echo "$warnings"
  exit 1
fi
whatis=$(lexgrog "$page") || { echo "FAIL: $page: no whatis entry (NAME section): $whatis"; exit 1; }
echo "ok: $page renders without warnings; $whatis"
