#!/usr/bin/env bash
# Starts or stops what the end-to-end tests need: an X server (Xvfb on :93)
# and a PulseAudio daemon whose default sink is a null sink, so that what the
# program plays can be recorded from the sink's monitor.
#   services.sh start | stop | env
# The daemon runs as whoever calls it (root in CI), with its state under
# $ZENOR_SERVICES_DIR; the display and the socket are fixed so that ctest can
# hand them to the tests in their environment.
set -u
dir=${ZENOR_SERVICES_DIR:-/tmp/zenor-test-services}
display=${ZENOR_DISPLAY:-:93}
sink=zenor_null

start_xvfb() {
  if [ -f "$dir/xvfb.pid" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null; then return 0; fi
  local n=${display#:}
  # A lock whose server still runs belongs to somebody else's X server: taking
  # its socket away would cut that server off from new clients.
  if [ -f "/tmp/.X${n}-lock" ] && kill -0 "$(tr -d ' ' <"/tmp/.X${n}-lock")" 2>/dev/null; then
    echo "display $display is taken by another X server" >&2; return 1
  fi
  rm -f "/tmp/.X${n}-lock" "/tmp/.X11-unix/X${n}"
  Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp -noreset >"$dir/xvfb.log" 2>&1 &
  echo $! >"$dir/xvfb.pid"
  for _ in $(seq 1 100); do
    [ -S "/tmp/.X11-unix/X${n}" ] && return 0
    sleep 0.1
  done
  rm -f "$dir/xvfb.pid" # its number may soon name another process
  echo "Xvfb did not start" >&2; cat "$dir/xvfb.log" >&2; return 1
}

start_pulse() {
  export PULSE_RUNTIME_PATH="$dir/pulse" PULSE_STATE_PATH="$dir/pulse-state" HOME="$dir/home"
  mkdir -p "$PULSE_RUNTIME_PATH" "$PULSE_STATE_PATH" "$HOME"
  export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
  if pactl info >/dev/null 2>&1; then return 0; fi
  local sys=()
  [ "$(id -u)" = 0 ] && sys=(--system=false)
  pulseaudio -n --daemonize=yes --exit-idle-time=-1 --disallow-exit --disable-shm=yes \
    --use-pid-file=yes --log-target=file:"$dir/pulse.log" \
    --load="module-native-protocol-unix auth-anonymous=1 socket=$PULSE_RUNTIME_PATH/native" \
    --load="module-null-sink sink_name=$sink rate=44100 channels=2" \
    --load="module-always-sink" "${sys[@]}" 2>>"$dir/pulse.log"
  for _ in $(seq 1 100); do
    if pactl info >/dev/null 2>&1; then
      pactl set-default-sink "$sink" >/dev/null 2>&1
      return 0
    fi
    sleep 0.1
  done
  echo "PulseAudio did not start" >&2; cat "$dir/pulse.log" >&2; return 1
}

stop_all() {
  export PULSE_RUNTIME_PATH="$dir/pulse" HOME="$dir/home"
  export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
  pactl exit >/dev/null 2>&1 || pulseaudio --kill >/dev/null 2>&1 || true
  if [ -f "$dir/xvfb.pid" ]; then kill "$(cat "$dir/xvfb.pid")" 2>/dev/null; rm -f "$dir/xvfb.pid"; fi
  return 0
}

case "${1:-}" in
  start) mkdir -p "$dir"; start_xvfb && start_pulse ;;
  stop) stop_all ;;
  env) echo "DISPLAY=$display"; echo "PULSE_SERVER=unix:$dir/pulse/native" ;;
  *) echo "usage: $0 start|stop|env" >&2; exit 2 ;;
esac
