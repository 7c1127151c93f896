#!/bin/sh
# zenor-dump sheet on a FIFO and on a device named like a sheet: each is
# refused at once with the open error, never waited on or read without end.
#   NonRegularFiles.sh ZENOR-DUMP
set -u
dump=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkfifo "$dir/11111_0.ans"
ln -s /dev/zero "$dir/22222_0.ans"
for name in 11111_0.ans 22222_0.ans; do
    out=$(timeout 20 "$dump" sheet "$dir/$name" 2>&1)
    status=$?
    [ "$status" -eq 1 ] || { echo "FAIL: $name: exit status $status: $out"; exit 1; }
    case $out in
    *"Cannot open file \\\"$dir/$name\\\""*) ;;
    *) echo "FAIL: $name: no open error: $out"; exit 1 ;;
    esac
done
echo "special files refused"
