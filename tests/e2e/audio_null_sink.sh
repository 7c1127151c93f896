#!/usr/bin/env bash
# Plays a generated one-second 440 Hz tone through the audio layer into
# PulseAudio's null sink (SDL_AUDIODRIVER=pulseaudio) while the sink's monitor
# is recorded, then checks the recording with sox: a tone is there, loud
# enough, at its pitch and about its length, and it began soon after the play
# call (the median of three rounds of create-and-play).
#   audio_null_sink.sh PATH/TO/audio_play_tone [WORKDIR]
# Needs the services of tests/harness/services.sh (PULSE_SERVER set).
# ZENOR_AUDIO_LATENCY_LIMIT_MS sets the allowed delay (default 150).
set -u
prog=${1:?usage: $0 audio_play_tone [workdir]}
work=${2:-$(mktemp -d)}
limit=${ZENOR_AUDIO_LATENCY_LIMIT_MS:-150}
mkdir -p "$work"
export SDL_AUDIODRIVER=pulseaudio
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0}

fail() { echo "FAIL: $*" >&2; exit 1; }

[ -n "${PULSE_SERVER:-}" ] || fail "PULSE_SERVER is not set; start tests/harness/services.sh"
pactl info >/dev/null 2>&1 || fail "no PulseAudio server at $PULSE_SERVER"

sox -n -r 44100 -c 2 -b 16 -e signed "$work/tone.wav" synth 1.0 sine 440 gain -6 || fail "sox cannot make the tone"
oggenc -Q -o "$work/tone.ogg" "$work/tone.wav" || fail "oggenc cannot encode the tone"

figures=$("$prog" "$work/tone.ogg" "$work/recording.raw") || fail "audio_play_tone failed: $figures"
echo "$figures"

raw=(-t raw -r 44100 -e signed -b 16 -c 2 "$work/recording.raw")
# Only the part between the first and the last sound above 1% of full scale.
stats=$(sox "${raw[@]}" -n remix 1 silence 1 0.01 1% reverse silence 1 0.01 1% reverse stat 2>&1) ||
  fail "sox cannot read the recording: $stats"
echo "$stats" | grep -E "Length|Maximum amplitude|RMS     amplitude|Rough"

value() { echo "$stats" | awk -F: -v k="$1" '$1 ~ k { gsub(/ /, "", $2); print $2 }'; }
length=$(value "Length")
peak=$(value "Maximum amplitude")
rms=$(value "RMS     amplitude")
pitch=$(value "Rough")
# The median over the rounds; the first round also pays for starting the
# decoder in a fresh process and is reported, not judged.
latency=$(echo "$figures" | sed -n 's/^init_ms=.* latency_ms=\([-0-9.]*\).*/\1/p')

awk -v x="$length" 'BEGIN { exit !(x >= 0.9 && x <= 1.1) }' || fail "tone lasted ${length}s, expected about 1s"
awk -v x="$peak" 'BEGIN { exit !(x > 0.3) }' || fail "peak $peak is too low: silence or a broken path"
awk -v x="$rms" 'BEGIN { exit !(x > 0.2) }' || fail "RMS $rms is too low"
awk -v x="$pitch" 'BEGIN { exit !(x >= 420 && x <= 460) }' || fail "pitch ${pitch} Hz, expected about 440"
awk -v x="$latency" -v l="$limit" 'BEGIN { exit !(x >= 0 && x < l) }' ||
  fail "first sound ${latency} ms after the play call, limit ${limit} ms"
echo "PASS: tone recorded, ${length}s, peak ${peak}, RMS ${rms}, ${pitch} Hz, first sound after ${latency} ms"
