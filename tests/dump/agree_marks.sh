#!/usr/bin/env bash
# zenor-dump agree on marks sheets that export --marks wrote for a tree made
# here and that this script fills in as three examiners would: A in the
# default dialect, B as a spreadsheet saves it (";", decimal commas, a
# byte-order mark), C with an extra recheck column. The works for the third
# examiner, the summary's figures, what C settles and the final marks, which
# marks reads back; the exit statuses.
#   agree_marks.sh ZENOR_DUMP ZENOR_SHEET
set -eu
dump=$1 sheet=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
command -v python3 >/dev/null || { echo "SKIP: python3 is missing" >&2; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/tree/school" "$tmp/cwd"
for id in 30001 30002 30003 30004 30005 30006; do
  "$sheet" -o "$tmp/tree/school/${id}_0.ans" --answers 1 a b c d e f
done
cd "$tmp/cwd"
"$dump" export --marks "$tmp/tree" >a.csv
"$dump" export --marks --excel "$tmp/tree" >b.csv
cp a.csv c.csv

# fill SHEET [ID=MARK2/MARK3 | -ID | +ID=MARK2/MARK3 | +=MARK2/MARK3]...: sets a
# work's marks, drops its row, or adds a row (a repeated or empty ID), in the
# sheet's own dialect; "recheck" adds that column.
fill() { python3 - "$@" <<'PY'
import csv, sys
path, edits = sys.argv[1], sys.argv[2:]
text = open(path, encoding="utf-8-sig", newline="").read()
sep = ";" if text.split("\n", 1)[0].count(";") else ","
rows = list(csv.reader(text.splitlines(), delimiter=sep))
head = rows[0]
m2, m3 = head.index("mark2"), head.index("mark3")
for e in edits:
    if e == "recheck":
        head.append("recheck")
        for r in rows[1:]: r.append("")
    elif e.startswith("-"):
        rows = [r for r in rows if r[0] != e[1:]]
    else:
        add = e.startswith("+")
        ident, marks = e.lstrip("+").split("=")
        row = [ident] + [""] * (len(head) - 1) if add else next(r for r in rows if r[0] == ident)
        row[m2], row[m3] = marks.split("/")
        if add: rows.append(row)
with open(path, "w", encoding="utf-8-sig" if sep == ";" else "utf-8", newline="") as f:
    csv.writer(f, delimiter=sep, lineterminator="\r\n").writerows(rows)
PY
}
fill a.csv 30001=4/5 30002=3/2 30003=4.4/4 30004=2/1 30005=1/ 30006=4/4
fill b.csv 30001=4/5 30002=5/2 30003=3,4/4 30004=x/1 30005=1/3 -30006 +30001=0/0 +=2/
fill c.csv recheck 30002=4/ 30004=2/ 30006=3/abc +99999=1/1

run() { status=0; "$dump" agree "$@" >out.csv 2>err.txt || status=$?; }
expect() { # STATUS, then the whole of stdout
  [ "$status" = "$1" ] || fail "agree $2 exits $status, want $1: $(cat err.txt)"
  [ "$(tr -d '\r' <out.csv)" = "$3" ] || fail "agree $2 writes
$(diff <(echo "$3") <(tr -d '\r' <out.csv))"
}

run a.csv b.csv
expect 3 "A B" "ID,task,mark_a,mark_b,difference,problem
30001,,,,,repeated-id-in-b
30002,2,3,5,2,marks-differ
30004,2,2,x,,mark-out-of-range-in-b
30005,3,,3,,mark-missing-in-a
30006,2,4,,,work-missing-in-b
30006,3,4,,,work-missing-in-b
,2,,2,,id-missing-in-b"
# Task 2 pairs (4,4) (3,5) (4.4,3.4) (1,1): means 3.1 and 3.35, variances
# 6.92/4 and 8.67/4, mean squared difference 5/4, so kappa is
# 1 − 1.25 / (1.73 + 2.1675 + 0.0625) = 0.684. 4.4 and 3.4 are 1 apart, within
# --max-diff, though 4.4 − 3.4 is a hair above 1 in binary. Task 3 agrees
# throughout.
want="works: 6 in a.csv, 5 in b.csv, 5 in both
task 2: paired 5, marked in both 4, alike 2 (50.0 %), within 1: 3 (75.0 %), mean absolute difference 0.75, weighted kappa 0.684
task 3: paired 5, marked in both 4, alike 4 (100.0 %), within 1: 4 (100.0 %), mean absolute difference 0.00, weighted kappa 1.000
task marks in dispute: 5
reported: 7"
[ "$(cat err.txt)" = "$want" ] || fail "summary differs:
$(diff <(echo "$want") err.txt)"

# A wider --max-diff takes 30002 out of dispute.
run --max-diff 2 b.csv a.csv
grep -q '^30002,' out.csv && fail "--max-diff 2 still lists 30002"
grep -q '^30004,2,x,2,,mark-out-of-range-in-a' out.csv || fail "the sheets' roles do not swap: $(cat out.csv)"

run --third c.csv a.csv b.csv
expect 3 "--third" "ID,task,mark_a,mark_b,mark_c,difference,problem
30001,,,,,,repeated-id-in-b
30005,3,,3,,,mark-missing-in-c
30006,3,4,,abc,,mark-out-of-range-in-c
,2,,2,,,id-missing-in-b
99999,,,,,,unknown-id-in-c"
grep -qx 'settled by c.csv: 3, unsettled: 2' err.txt || fail "no settled count: $(cat err.txt)"

run --third c.csv --final a.csv b.csv
expect 3 "--final" "ID,mark2,mark3,source2,source3
30001,4,5,mean,mean
30002,4,2,third,mean
30003,3.9,4,mean,mean
30004,2,1,third,mean
30005,1,,mean,unsettled
30006,3,,third,unsettled"
# The final sheet goes back through marks: exactly the unsettled marks miss.
cp out.csv final.csv
status=0
"$dump" marks "$tmp/tree" final.csv >m.csv 2>/dev/null || status=$?
[ "$status" = 3 ] || fail "marks on the final sheet exits $status"
[ "$(tail -n +2 m.csv | cut -d, -f1,4 | tr -d '\r')" = "30005,mark-missing
30006,mark-missing" ] || fail "marks on the final sheet: $(cat m.csv)"

# Two sheets that agree everywhere: nothing to report.
fill final.csv 30005=1/2 30006=3/3
run final.csv final.csv
expect 0 "on agreeing sheets" "ID,task,mark_a,mark_b,difference,problem"

printf 'ID,mark2\r\n30001,4\r\n' >nomark3.csv
run a.csv nomark3.csv
[ "$status" = 1 ] && grep -q 'nomark3.csv has no column mark3' err.txt || fail "a sheet without mark3: $status $(cat err.txt)"
run a.csv "no such.csv"
[ "$status" = 1 ] || fail "a missing sheet exits $status"
mkfifo fifo.csv
status=0
timeout 20 "$dump" agree a.csv b.csv --third fifo.csv >/dev/null 2>err.txt || status=$?
[ "$status" = 1 ] && grep -q 'not a regular file' err.txt || fail "a FIFO as C: $status $(cat err.txt)"
[ "$(ls -A | sort | tr '\n' ' ')" = "a.csv b.csv c.csv err.txt fifo.csv final.csv m.csv nomark3.csv out.csv " ] ||
  fail "agree wrote files: $(ls -A)"
echo "agree: disputes, figures, the third sheet and the final marks as worked out"
