#!/usr/bin/env bash
# The window on a 1366 x 768 screen, common on school laptops: the layout
# position (538, 197) would put its right part off the screen, so the window
# opens moved left just enough to fit, with every caption on the screen.
# Runs screenshot.sh on an X server of its own with that screen, started here
# on a display number that the server picks itself, so no other test's display
# is disturbed.
#   small_screen.sh ZENOR OUTPUT_PNG
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
zenor=$1 out=$2

state=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp 3>"$state/display" 2>"$state/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null; rm -rf "$state"' EXIT
for _ in $(seq 1 100); do
  [ -s "$state/display" ] && break
  sleep 0.1
done
[ -s "$state/display" ] || { cat "$state/xvfb.log" >&2; fail "the 1366x768 X server did not start"; }

# No window manager, hence no frame: the client area's right edge meets the screen's.
DISPLAY=":$(head -n 1 "$state/display")" ZENOR_EXPECT_AT=$((1366 - 971)),197 "$here/screenshot.sh" "$zenor" "$out"
