#!/usr/bin/env bash
# zenor-dump check on a tree of works made for the purpose: every kind of
# problem it knows appears where it was planted and nowhere else; the exit
# status tells a clean tree, problems and a tree that cannot be read apart;
# no file of the tree changes and nothing else is written; a FIFO named like
# a recording does not make it hang; pack --no-measure finds the same but
# for loudness.
#   check_tree.sh ZENOR_DUMP ZENOR_SHEET
set -eu
dump=$1 sheet=$2
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in espeak-ng sox oggenc; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is missing" >&2; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$here/make_recordings.sh" "$tmp/rec"
r=$tmp/rec t=$tmp/tree
mkdir -p "$t/a" "$t/b" "$t/other" "$tmp/clean"

# work FOLDER ID SHEET R0 R2 R3: a sheet ("ok", "none" or a zenor-sheet
# argument list) and three recordings (a name in rec/, or "none").
work() {
  local dir=$1 id=$2 s=$3; shift 3
  case $s in
    ok) "$sheet" -o "$dir/${id}_0.ans" --answers 1 "I <b>like</b> it" x y "=1+1" "Tom & \"Jerry\"" z ;;
    none) ;;
    *) eval "\"$sheet\" -o \"$dir/${id}_0.ans\" $s" ;;
  esac
  local n=0
  for rec in "$@"; do
    [ "$rec" != none ] && cp "$r/$rec.ogg" "$dir/${id}_${n}.ogg"
    n=$((n == 0 ? 2 : 3))
  done
}
work "$t/a" 10001 ok speech speech speech
work "$t/a" 10002 ok speech silence quiet
work "$t/a" 10003 ok speech clipped short
work "$t/b" 10004 none speech truncated notogg
echo "not a sheet" >"$t/b/10004_0.ans"
work "$t/b" 10005 "-f VarNo:String:5 -f a1:String -f a5:String -f a6:String -r 2 x y z" none speech none
mkfifo "$t/b/10005_0.ogg"
work "$t/b" 10006 none none speech none
cp "$r/speech.ogg" "$t/other/10001_2.ogg"
for name in 1234_2.ogg "12345 _3.ogg" 12345_2.ogg.part; do cp "$r/speech.ogg" "$t/other/$name"; done
work "$tmp/clean" 20001 ok speech speech speech

state() { (cd "$1" && find . -printf '%p %y %s %T@ %m\n' | sort && find . -type f -exec sha256sum {} + | sort); }
before=$(state "$t")
mkdir "$tmp/cwd" && cd "$tmp/cwd"

status=0
timeout 120 "$dump" check "$t" >"$tmp/out.csv" 2>"$tmp/err.txt" || status=$?
[ "$status" = 3 ] || fail "check on the planted tree exits $status, want 3: $(cat "$tmp/err.txt")"
[ "$(state "$t")" = "$before" ] || fail "the tree changed"
[ -z "$(ls -A "$tmp/cwd")" ] || fail "check wrote files: $(ls -A "$tmp/cwd")"
head -n 1 "$tmp/out.csv" | grep -qx $'ID,folder,file,kind,detail,value\r' || fail "header: $(head -n 1 "$tmp/out.csv")"

# ID, file, kind of every row (the duplicate's folder depends on the listing
# order, so it is left out).
got=$(tail -n +2 "$tmp/out.csv" | python3 -c '
import csv, sys
for row in csv.reader(sys.stdin): print(",".join(row[0:1] + row[2:4]))' | sort)
want=$(sort <<'ROWS'
10001,,duplicate-id
10002,10002_2.ogg,recording-silent
10002,10002_3.ogg,recording-quiet
10003,10003_2.ogg,recording-clipped
10003,10003_3.ogg,recording-short
10004,10004_0.ans,sheet-unreadable
10004,10004_2.ogg,recording-truncated
10004,10004_3.ogg,recording-unreadable
10005,10005_0.ans,sheet-field-missing
10005,10005_0.ogg,recording-unreadable
10005,10005_3.ogg,recording-missing
10006,10006_0.ans,sheet-missing
10006,10006_0.ogg,recording-missing
10006,10006_3.ogg,recording-missing
,1234_2.ogg,misnamed-file
,12345 _3.ogg,misnamed-file
,12345_2.ogg.part,misnamed-file
ROWS
)
[ "$got" = "$want" ] || fail "problems differ:
$(diff <(echo "$want") <(echo "$got"))"
grep -qx 'works: 6' "$tmp/err.txt" || fail "no work count on stderr: $(cat "$tmp/err.txt")"
grep -qx 'misnamed-file: 3' "$tmp/err.txt" || fail "no count per kind on stderr: $(cat "$tmp/err.txt")"
grep -q '^10005,.*,10005_0.ans,sheet-field-missing,.*,a4' "$tmp/out.csv" || fail "the missing field is not named"

# Thresholds are options: with the quiet threshold lowered, the quiet
# recording passes; a value out of range is a usage error.
status=0
"$dump" check --quiet-below=-70 --jobs 1 "$t" >"$tmp/out2.csv" 2>/dev/null || status=$?
[ "$status" = 3 ] && ! grep -q recording-quiet "$tmp/out2.csv" || fail "--quiet-below is not applied"
status=0
"$dump" check --clipped-above=200 "$t" >/dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "an out-of-range threshold exits $status, want 2"

# pack --no-measure reads no sample: the same problems but those of
# loudness, in the page's data; the tree is untouched and only the page is
# written.
timeout 120 "$dump" pack --no-measure -o "$tmp/page.html" "$t" 2>/dev/null || fail "pack --no-measure failed"
[ "$(state "$t")" = "$before" ] || fail "the tree changed"
got=$(python3 -c '
import json, sys
text = open(sys.argv[1], encoding="utf-8").read()
start = text.index(">", text.index("<script type=\"application/json\"")) + 1
data = json.loads(text[start:text.index("</script>", start)])
for w in data["works"]:
    for p in w[11]: print(",".join([w[0], p[1], p[0]]))
for p in data["treeProblems"]: print(",".join(["", p[1], p[2]]))' "$tmp/page.html" | sort)
want=$(grep -v 'silent\|quiet\|clipped' <<<"$want")
[ "$got" = "$want" ] || fail "pack --no-measure's problems differ:
$(diff <(echo "$want") <(echo "$got"))"

status=0
"$dump" check "$tmp/clean" >"$tmp/clean.csv" 2>/dev/null || status=$?
[ "$status" = 0 ] || fail "check on a clean tree exits $status, want 0: $(cat "$tmp/clean.csv")"
[ "$(wc -l <"$tmp/clean.csv")" = 1 ] || fail "a clean tree has problems: $(cat "$tmp/clean.csv")"
status=0
"$dump" check "$tmp/no such folder" >/dev/null 2>&1 || status=$?
[ "$status" = 1 ] || fail "check on a missing folder exits $status, want 1"

# The marks sheet goes out for a spreadsheet and comes back filled in.
"$dump" export --marks --excel "$tmp/clean" >"$tmp/marks.csv" || fail "export --marks --excel failed"
head -c 3 "$tmp/marks.csv" | od -An -tx1 | grep -q 'ef bb bf' || fail "no byte-order mark"
# fill SHEET MARK2 MARK3: writes the marks of the first work, as a
# spreadsheet program saves them (";", CRLF, byte-order mark).
fill() { python3 -c '
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding="utf-8-sig", newline=""), delimiter=";"))
rows[1][rows[0].index("mark2")], rows[1][rows[0].index("mark3")] = sys.argv[2], sys.argv[3]
csv.writer(open(sys.argv[1], "w", encoding="utf-8-sig", newline=""), delimiter=";").writerows(rows)' "$@"; }
fill "$tmp/marks.csv" 4 "4,5"
status=0
"$dump" marks "$tmp/clean" "$tmp/marks.csv" >"$tmp/m.out" 2>/dev/null || status=$?
[ "$status" = 0 ] || fail "a filled marks sheet exits $status: $(cat "$tmp/m.out")"
fill "$tmp/marks.csv" 4 12
status=0
"$dump" marks --max-mark 10 "$tmp/clean" "$tmp/marks.csv" >"$tmp/m.out" 2>/dev/null || status=$?
[ "$status" = 3 ] && grep -q '^20001,.*,mark-out-of-range,.*,12' "$tmp/m.out" || fail "mark 12 of 10 passes ($status)"
echo "check: all rows as planted; marks come back"
