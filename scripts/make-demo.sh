#!/bin/sh
# Remakes demo/, the handful of works the program opens on after ./run: answer
# sheets written by zenor-sheet as a testing station writes them, and short
# spoken answers made with espeak-ng and encoded to Ogg Vorbis with oggenc.
#
#   scripts/make-demo.sh            builds zenor-sheet in build-demo/ first
#   ZENOR_SHEET=path/to/zenor-sheet scripts/make-demo.sh
#
# The output is the same on every run (fixed Ogg serial numbers), so the
# committed files change only when this script does.
set -eu

here=$(cd "$(dirname "$0")/.." && pwd)
demo="$here/demo"

for tool in espeak-ng oggenc; do
  command -v "$tool" >/dev/null || { echo "make-demo: $tool is missing (apt-get install espeak-ng vorbis-tools)" >&2; exit 1; }
done

sheet=${ZENOR_SHEET:-}
if [ -z "$sheet" ]; then
  cmake -S "$here" -B "$here/build-demo" -DZENOR_BUILD_TESTS=OFF >/dev/null
  cmake --build "$here/build-demo" --target zenor-sheet >/dev/null
  sheet="$here/build-demo/bin/zenor-sheet"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
serial=1000

# say FILE TEXT: one spoken recording, mono, low quality: a demo, not a test.
say() {
  serial=$((serial + 1))
  mkdir -p "$(dirname "$work/$1")"
  espeak-ng -v en-gb -s 150 -w "$work/tmp.wav" "$2"
  oggenc -Q -q 0 --serial "$serial" -o "$work/$1" "$work/tmp.wav"
  rm -f "$work/tmp.wav"
}

# answers FILE VARNO A1 A2 A3 A4 A5 A6
answers() {
  mkdir -p "$(dirname "$work/$1")"
  f=$1
  shift
  "$sheet" -o "$work/$f" --answers "$@"
}

# Two works of a school, each in its class folder, with everything.
answers "Школа 17/7А/10231_0.ans" 1 B "" "" went "have been" C
say "Школа 17/7А/10231_0.ogg" "Testing. One, two, three."
say "Школа 17/7А/10231_2.ogg" "My name is Anna. I live in Kazan. I like reading and swimming."
say "Школа 17/7А/10231_3.ogg" "On the picture I can see a family in the park. They are having a picnic."

answers "Школа 17/7Б/10318_0.ans" 2 А "" "" "в библиотеке" "пошёл" Д
say "Школа 17/7Б/10318_0.ogg" "Testing. One, two, three."
say "Школа 17/7Б/10318_2.ogg" "I have got a dog. His name is Rex. We go for a walk every day."
say "Школа 17/7Б/10318_3.ogg" "In my free time I play football with my friends."

# A work lying directly in the top folder, Latin answers.
answers "20455_0.ans" 1 D "" "" "were playing" "taller" A
say "20455_0.ogg" "Testing. One, two, three."
say "20455_2.ogg" "Last summer I went to the seaside with my parents."
say "20455_3.ogg" "I think school uniform is a good idea because everybody looks the same."

# A work whose answer sheet never reached the folder.
say "Школа 17/7А/10240_0.ogg" "Testing. One, two, three."
say "Школа 17/7А/10240_2.ogg" "My favourite subject is English."
say "Школа 17/7А/10240_3.ogg" "We should protect nature."

# A work that has only its microphone check.
say "30712_0.ogg" "Testing. One, two."

# What else a station's folder holds: the examiner's notes, never a work.
printf 'Протокол проверки: 7 класс\n' > "$work/Школа 17/readme.txt"

rm -rf "$demo"
mkdir -p "$demo"
cp -R "$work/." "$demo/"
rm -f "$demo/tmp.wav"
du -sh "$demo"
