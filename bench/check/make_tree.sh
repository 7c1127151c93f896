#!/usr/bin/env bash
# Makes a tree of WORKS works for bench_check: each with a microphone check
# of 5 s and two oral answers of 40 s and 60 s, speech from espeak-ng at
# 44.1 kHz mono, encoded with oggenc -q 3 as a station might.
#   make_tree.sh DIR [WORKS]
set -eu
dir=$1 works=${2:-30}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
espeak-ng -v ru -s 150 -w "$tmp/s.wav" \
  "Меня зовут Анна. Я живу в Москве и учусь в седьмом классе. Летом я люблю читать книги и гулять с друзьями."
for len in 5 40 60; do
  sox "$tmp/s.wav" -r 44100 "$tmp/$len.wav" repeat 9 trim 0 "$len"
  oggenc -Q -q 3 "$tmp/$len.wav" -o "$tmp/$len.ogg"
done
for i in $(seq 1 "$works"); do
  id=$(printf '%05d' $((20000 + i)))
  d="$dir/school$((i % 4))/class$((i % 3))"
  mkdir -p "$d"
  cp "$tmp/5.ogg" "$d/${id}_0.ogg"
  cp "$tmp/40.ogg" "$d/${id}_2.ogg"
  cp "$tmp/60.ogg" "$d/${id}_3.ogg"
done
