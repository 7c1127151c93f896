#!/usr/bin/env bash
# zenor-dump and zenor-sheet under LANG=ru_RU.UTF-8: the help, the errors and
# the summaries are Russian, found in the build tree's catalogue; what
# programs read (stdout of every command, exit statuses, the problem kinds on
# stderr, a written sheet) is byte for byte what the English run gives.
#   russian.sh ZENOR_DUMP ZENOR_SHEET DEMO_DIR
set -u
dump=$1 sheet=$2 demo=$3
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
. "$here/../harness/russian_locale.sh"
russian_locale "$tmp/locale" || { echo "SKIP: ru_RU.UTF-8 cannot be made (localedef, package locales)" >&2; exit 77; }
en_env=(env -u LANGUAGE -u LOCPATH -u LANG LC_ALL=C.UTF-8)

# A small tree: the demo works (a missing sheet, missing recordings, Cyrillic
# folder names), a folder named like a sheet, and a filled marks sheet.
t=$tmp/tree
cp -r "$demo" "$t"
mkdir "$t/40001_0.ans"
"${en_env[@]}" "$dump" export --marks "$t" >"$tmp/marks.csv" 2>/dev/null
sed -i '2s/,,,\r$/,5,12,\r/' "$tmp/marks.csv"
# A sheet with a number that has decimals, written by zenor-sheet in either
# language: the same bytes, and read back the same.
for lang in en ru; do
  env_name=${lang}_env[@]
  "${!env_name}" "$sheet" -o "$tmp/$lang.ans" -f x:Float -f t:String -r 1.5 "Задание" ||
    fail "zenor-sheet in $lang"
done
cmp -s "$tmp/en.ans" "$tmp/ru.ans" || fail "zenor-sheet writes other bytes in Russian"

# Each row: the arguments of one run, separated by "|".
rows=(
  "sheet|$t/20455_0.ans"
  "sheet|/nonexistent/zenor/10000_0.ans"
  "sheet|$t/40001_0.ans"
  "sheet|$tmp/en.ans"
  "works|$t"
  "export|$t"
  "export|--marks|--excel|$t"
  "check|--jobs|2|--min-seconds|1.5|$t"
  "marks|--max-mark|10|$t|$tmp/marks.csv"
  "agree|--max-diff|0|$tmp/marks.csv|$tmp/marks.csv"
  "pack|-o|-|$t"
  "works|/nonexistent/zenor"
  "check|--min-seconds|1,5|$t"
)
kinds() { grep -E '^[a-z-]+-[a-z-]+: [0-9]+$' "$1" || true; }
for row in "${rows[@]}"; do
  IFS='|' read -r -a args <<<"$row"
  for lang in en ru; do
    env_name=${lang}_env[@]
    status=0
    "${!env_name}" "$dump" "${args[@]}" >"$tmp/$lang.out" 2>"$tmp/$lang.err" || status=$?
    echo "$status" >"$tmp/$lang.status"
  done
  cmp -s "$tmp/en.status" "$tmp/ru.status" ||
    fail "${args[*]}: exit status $(cat "$tmp/ru.status") in Russian, $(cat "$tmp/en.status") in English"
  cmp -s "$tmp/en.out" "$tmp/ru.out" ||
    fail "${args[*]}: standard output differs in Russian: $(diff "$tmp/en.out" "$tmp/ru.out" | head -n 5)"
  [ "$(kinds "$tmp/en.err")" = "$(kinds "$tmp/ru.err")" ] ||
    fail "${args[*]}: the kinds on stderr differ: $(cat "$tmp/ru.err")"
done

# The texts for a person. "$ru" runs zenor-dump in Russian and keeps stdout,
# stderr and the status.
ru() { status=0; "${ru_env[@]}" "$@" >"$tmp/out" 2>"$tmp/err" || status=$?; }
expect() { # STATUS FILE REGEX WHAT
  [ "$status" = "$1" ] || fail "$4: exit status $status, want $1: $(cat "$tmp/err")"
  grep -Eq "$3" "$tmp/$2" || fail "$4: $2 does not match '$3': $(cat "$tmp/$2")"
}
ru "$dump" --help
expect 0 out '^использование: zenor-dump \[--help \| --version\]$' "--help"
grep -q '^команды:$' "$tmp/out" && grep -q '^код завершения:$' "$tmp/out" && ! grep -qi usage "$tmp/out" ||
  fail "--help is not Russian throughout: $(cat "$tmp/out")"
ru "$dump" check --help
expect 0 out '^использование: zenor-dump check \[ПАРАМЕТР\]\.\.\. ПАПКА$' "check --help"
grep -q '^параметры:$' "$tmp/out" && grep -q 'показать эту справку и выйти' "$tmp/out" ||
  fail "check --help is not Russian: $(cat "$tmp/out")"
ru env LC_ALL=ru_RU.UTF-8 "$dump" export --help
expect 0 out '^использование: zenor-dump export ' "export --help under LC_ALL"
ru "$dump" works /nonexistent/zenor
expect 1 err '^zenor-dump: не удаётся прочитать папку «/nonexistent/zenor»: ' "a folder that cannot be read"
ru "$dump" frobnicate
expect 2 err '^zenor-dump: неизвестная команда «frobnicate»\. Попробуйте «zenor-dump --help» для получения дополнительной информации\.$' "an unknown command"
[ "$(wc -l <"$tmp/err")" = 1 ] || fail "a usage error takes more than one line: $(cat "$tmp/err")"
ru "$dump" check --jobs 1.5 "$t"
expect 2 err '^zenor-dump check: для --jobs нужно целое число\. Попробуйте «zenor-dump check --help»' "a wrong option value"
ru "$dump" check "$t"
expect 3 err '^работ: [0-9]+$' "the summary of check"
grep -Eq '^проблем: [0-9]+$' "$tmp/err" && grep -Eq '^sheet-missing: [0-9]+$' "$tmp/err" ||
  fail "the summary of check: $(cat "$tmp/err")"

ru "$sheet" -o "$tmp/x.ans"
expect 2 err '^zenor-sheet: не указано ни одного поля \(-f\)$' "zenor-sheet without a field"
grep -q '^использование: zenor-sheet -o ФАЙЛ ' "$tmp/err" || fail "zenor-sheet's usage is not Russian: $(cat "$tmp/err")"
# A value its field cannot hold is told, not a crash, and no sheet is written.
ru "$sheet" -o "$tmp/y.ans" -f n:Integer -r 99999999999
expect 2 err '^zenor-sheet: значение целого поля не умещается в 32 бита$' "zenor-sheet with an Integer beyond 32 bits"
[ ! -e "$tmp/y.ans" ] || fail "zenor-sheet wrote a sheet after an error"
echo "ok: Russian help, errors and summaries; ${#rows[@]} runs give the same output in both languages"
