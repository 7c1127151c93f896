# Shared steps of the end-to-end scripts: finding windows of the real program
# on the test display, and failing with a message.
fail() { echo "FAIL: $*" >&2; exit 1; }

# wait_window NAME_REGEX [SECONDS]: prints the id of the first visible window
# whose name matches, or nothing when none appears in time.
wait_window() {
  local name=$1 seconds=${2:-30} id=""
  for _ in $(seq 1 $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# wait_pid_window PID [SECONDS]: prints the id of the first visible window of
# the process, or nothing when none appears in time.
wait_pid_window() {
  local pid=$1 seconds=${2:-30} id=""
  for _ in $(seq 1 $((seconds * 10))); do
    id=$(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# start PROGRAM [ARG...]: runs it in the background in a process group of its
# own and sets `pid`. Whatever way the script ends, every program started so
# is stopped with its whole group: asked with SIGTERM, killed after a grace
# period, so that no test leaves a process behind even when one ignores it.
started=()
start() {
  setsid "$@" &
  pid=$!
  started+=("$pid")
}
stop_group() {
  local group=$1
  kill -TERM -- "-$group" 2>/dev/null || return 0
  for _ in $(seq 1 30); do
    kill -0 -- "-$group" 2>/dev/null || return 0
    sleep 0.1
  done
  kill -KILL -- "-$group" 2>/dev/null
}
stop_started() {
  local group
  for group in "${started[@]}"; do stop_group "$group"; done
}
trap stop_started EXIT

# wait_exit PID SECONDS: waits for the process (a child of this shell) and
# sets `status` to its exit status, or to "timeout" after stopping it.
wait_exit() {
  local pid=$1 seconds=$2
  status=timeout
  for _ in $(seq 1 $((seconds * 10))); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      status=$?
      return 0
    fi
    sleep 0.1
  done
  stop_group "$pid"
}

# press_in WINDOW KEY: gives the window the keyboard focus and presses KEY.
press_in() {
  xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
  sleep 0.2
  xdotool key "$2"
}
