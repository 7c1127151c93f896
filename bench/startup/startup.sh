#!/usr/bin/env bash
# Start-up benchmark: the real program from its start to its main window
# mapped, with SDL's PulseAudio driver (a PulseAudio server with a null sink)
# and with SDL's dummy driver side by side, median of N rounds; then the audio
# device alone, opened and freed the way start-up does it.
#   bench/startup/startup.sh BUILD_DIR [ROUNDS]
# Starts its own Xvfb and PulseAudio through tests/harness/services.sh on a
# display and folder of its own (ZENOR_BENCH_DISPLAY, default :190) and stops
# them afterwards. Use a Release build for figures that mean something.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${1:?usage: $0 BUILD_DIR [ROUNDS]}
rounds=${2:-7}
bin=$(cd "$build/bin" && pwd)
for exe in zenor bench_startup bench_device_open; do
  [ -x "$bin/$exe" ] || { echo "$bin/$exe is missing: build the targets zenor, bench_startup and bench_device_open" >&2; exit 1; }
done

export ZENOR_DISPLAY=${ZENOR_BENCH_DISPLAY:-:190}
export ZENOR_SERVICES_DIR=${ZENOR_BENCH_SERVICES_DIR:-/tmp/zenor-bench-startup}
services=$here/../../tests/harness/services.sh
trap '"$services" stop' EXIT
"$services" start
eval "export $("$services" env | tr '\n' ' ')"
export LC_ALL=C.UTF-8

echo "load: $(uptime)"
"$bin/bench_startup" -n "$rounds" "$bin/zenor"
"$bin/bench_device_open" "$rounds"
