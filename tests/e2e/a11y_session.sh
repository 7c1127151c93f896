#!/usr/bin/env bash
# Runs one command inside a private accessibility session: a D-Bus session bus
# of its own and the AT-SPI bus started by Debian's at-spi2-core, on the X
# display given in $DISPLAY. Whatever the command starts (the program under
# test, a screen-reader-like client) finds the AT-SPI bus through the session
# bus, as it would on a desktop.
#   a11y_session.sh COMMAND [ARGS...]
# Exits with the command's status. Everything started here is stopped again by
# its process id, also when the command fails or is interrupted.
#
# AT_SPI_BUS_ADDRESS is removed from the environment on purpose: with it set,
# Qt 6.4 never registers itself on the bus.
set -u

: "${DISPLAY:?a11y_session.sh needs an X display in DISPLAY}"
launcher=${ZENOR_ATSPI_LAUNCHER:-/usr/libexec/at-spi-bus-launcher}
for tool in dbus-daemon dbus-send "$launcher"; do
  command -v "$tool" >/dev/null || { echo "a11y_session.sh: $tool is missing (packages dbus, at-spi2-core)" >&2; exit 2; }
done

# The launcher names its bus socket after the display under the runtime
# folder; a folder of our own keeps two sessions on one display apart.
runtime=$(mktemp -d "${TMPDIR:-/tmp}/zenor-a11y.XXXXXX") || exit 2
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime
unset AT_SPI_BUS_ADDRESS DBUS_SESSION_BUS_PID

bus_pid=""
launcher_pid=""
holder_pid=""
cleanup() {
  if [ -n "$holder_pid" ]; then kill -TERM "$holder_pid" 2>/dev/null; fi
  # The launcher runs in a process group of its own (setsid), together with
  # the accessibility bus daemon it forks and the registry that bus starts.
  if [ -n "$launcher_pid" ]; then kill -TERM -- "-$launcher_pid" 2>/dev/null; fi
  if [ -n "$bus_pid" ]; then kill -TERM "$bus_pid" 2>/dev/null; fi
  rm -rf "$runtime"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Keep the X server from resetting under the program while the session's
# own short X connections come and go.
coproc holder { exec /usr/bin/python3 "$(dirname "$0")/a11y_hold_display.py" 2>/dev/null; }
holder_pid=$holder_PID
read -r -t 15 ready <&"${holder[0]}" || ready=""
if [ "$ready" != ready ]; then echo "a11y_session.sh: the display $DISPLAY does not answer" >&2; exit 2; fi

bus_info=$(dbus-daemon --session --fork --nosyslog --print-address=1 --print-pid=1) || {
  echo "a11y_session.sh: the session bus did not start" >&2; exit 2; }
DBUS_SESSION_BUS_ADDRESS=$(printf '%s\n' "$bus_info" | sed -n 1p)
bus_pid=$(printf '%s\n' "$bus_info" | sed -n 2p)
export DBUS_SESSION_BUS_ADDRESS

setsid "$launcher" --launch-immediately --a11y=1 >"$runtime/launcher.log" 2>&1 &
launcher_pid=$!

bus_address=""
for _ in $(seq 1 100); do
  bus_address=$(dbus-send --session --print-reply=literal --dest=org.a11y.Bus /org/a11y/bus \
    org.a11y.Bus.GetAddress 2>/dev/null | tr -d ' ')
  [ -n "$bus_address" ] && break
  sleep 0.1
done
if [ -z "$bus_address" ]; then
  echo "a11y_session.sh: the AT-SPI bus did not come up" >&2
  cat "$runtime/launcher.log" >&2
  exit 2
fi

"$@"
