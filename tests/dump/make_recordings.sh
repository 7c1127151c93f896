#!/usr/bin/env bash
# Makes the recordings that zenor-dump check is tested on, in folder DIR:
#   speech.ogg    Russian speech from espeak-ng, about 7 s, peaks near full scale
#   silence.ogg   3 s of digital silence
#   quiet.ogg     the speech 40 dB down
#   clipped.ogg   the speech 15 dB up, clipped
#   short.ogg     the first 0.3 s of the speech
#   truncated.ogg the first two thirds of speech.ogg's bytes: a copy cut short
#   notogg.ogg    a text file named like a recording
# Needs espeak-ng, sox and oggenc (vorbis-tools).
set -eu
dir=$1
mkdir -p "$dir"
cd "$dir"
espeak-ng -v ru -s 150 -w speech.wav \
  "Меня зовут Анна. Я живу в Москве и учусь в седьмом классе. Летом я люблю читать книги и гулять с друзьями."
sox -n -r 22050 -b 16 -c 1 silence.wav trim 0 3
sox speech.wav quiet.wav vol -40dB
sox speech.wav clipped.wav gain 15 2>/dev/null
sox speech.wav short.wav trim 0 0.3
for f in speech silence quiet clipped short; do
  oggenc -Q -q 2 "$f.wav" -o "$f.ogg"
  rm "$f.wav"
done
size=$(stat -c %s speech.ogg)
head -c $((size * 2 / 3)) speech.ogg >truncated.ogg
echo "not a recording" >notogg.ogg
