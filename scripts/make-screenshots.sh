#!/usr/bin/env bash
# Makes the README's pictures again from the real program:
#   docs/screenshot-window.png  the window at work on the demo works: the list,
#                               the first work's variant and answers, and its
#                               task-2 recording playing, two ticks in
#   docs/screenshot-page.png    the top of the review page that `zenor-dump
#                               pack` makes of the same works, in headless
#                               Chromium
#
#   scripts/make-screenshots.sh [BUILD_DIR]   (default: build-deb)
#
# The program is photographed as it is installed: the Debian package is built
# (scripts/build-deb.sh, in BUILD_DIR) and unpacked into a scratch folder, and
# in a mount namespace of this script's own the unpacked /usr is laid over the
# machine's (a read-only overlay). So the program runs as /usr/bin/zenor on
# /usr/share/zenor/Answer/, which every installation shows, and no folder of
# the machine that made the pictures appears in them. Nothing outside the
# namespace changes; unshare(1) needs root or unprivileged user namespaces
# (Debian's default).
#
# An Xvfb and a PulseAudio server with a null sink of its own are started for
# the run (tests/harness/services.sh) on ZENOR_SHOTS_DISPLAY (default: the
# first free display from :150) and stopped at the end. Every wait is for
# something the script can see: a window, a box, the gauge's fill.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)

if [ "${1:-}" = --inside ]; then
  # Second stage, inside the namespace: $2 the unpacked package, $3 the
  # scratch folder, $4 the folder the pictures go to.
  stage=$2 scratch=$3 out=$4
  mount -t overlay zenor-shots -o "lowerdir=$stage/usr:/usr" /usr
  . "$here/tests/e2e/lib.sh"

  title="Просмотр и прослушивание ответов участников ЗЕНОР-2020"
  # The client area's corner and the controls the script presses (the layout's
  # own places, relative to that corner).
  left=538 top=197
  click() { xdotool mousemove $((left + $1)) $((top + $2)) click 1; }
  shot() { import -window root "$1"; }
  # filled FILE: how many pixels of the gauge's field are filled, counted
  # along its top row, clear of the percentage drawn in its middle (the gauge
  # stands in the row of task 2 while that task plays).
  filled() {
    convert "$1" -crop "367x1+$((left + 489))+$((top + 134))" +repage -colorspace Gray \
      -threshold 50% -negate -format "%[fx:round(mean*w)]" info:
  }

  start /usr/bin/zenor
  win=$(wait_window "$title" 40) || fail "no main window"
  info=$(xwininfo -id "$win")
  at="$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info"),$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")"
  [ "$at" = "$left,$top" ] || fail "the window is at ($at), not at ($left,$top)"

  click $((749 + 50)) $((6 + 12)) # «Получить работы»
  box=$(wait_window "^Zenor$" 60) || fail "no box at the end of the scan"
  press_in "$box" Return
  for _ in $(seq 1 100); do
    xdotool search --onlyvisible --name "^Zenor$" >/dev/null 2>&1 || break
    sleep 0.1
  done

  click $((250 + 52)) $((132 + 12)) # «Прослушать ответ» of task 2
  xdotool mousemove 5 5               # no hover light on the button
  # The first tick fills a step of the gauge, the second a step more: that
  # frame is the picture.
  first=0 frame="$scratch/frame.png"
  for _ in $(seq 1 300); do
    shot "$frame"
    n=$(filled "$frame")
    if [ "$first" = 0 ]; then
      first=$n
    elif [ "$n" -gt "$first" ]; then
      break
    fi
    sleep 0.05
  done
  [ "$first" -gt 0 ] && [ "$n" -gt "$first" ] || fail "the gauge did not move (filled $first, then $n pixels)"
  # No time stamp in the file: a rerun that sees the same window writes the
  # same bytes.
  convert "$frame" -crop "971x403+$left+$top" +repage -strip "$out/screenshot-window.png"
  kill -TERM "$pid"
  wait_exit "$pid" 20
  [ "$status" = 0 ] || fail "zenor ended with status $status"

  /usr/bin/zenor-dump pack /usr/share/zenor/Answer -o "$scratch/review.html" ||
    fail "zenor-dump pack made no page"
  chromium=$(command -v chromium || command -v chromium-browser) || fail "chromium is missing"
  "$chromium" --headless --no-sandbox --disable-gpu --hide-scrollbars --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$scratch/chromium" --force-device-scale-factor=1 \
    --window-size=1000,720 --virtual-time-budget=5000 \
    --screenshot="$out/screenshot-page.png" "file://$scratch/review.html" >/dev/null 2>&1 ||
    fail "chromium took no screenshot"
  [ -s "$out/screenshot-page.png" ] || fail "chromium took no screenshot"
  exit 0
fi

build=${1:-build-deb}
cd "$here"
scripts/install-deps.sh test
deb=$(scripts/build-deb.sh "$build" | tail -n 1)

scratch=$(mktemp -d)
display=${ZENOR_SHOTS_DISPLAY:-}
if [ -z "$display" ]; then
  for n in $(seq 150 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=":$n"; break; }
  done
  [ -n "$display" ] || { echo "make-screenshots: no free display from :150 to :199" >&2; exit 1; }
fi
export ZENOR_SERVICES_DIR=$scratch/services ZENOR_DISPLAY=$display
cleanup() {
  tests/harness/services.sh stop
  rm -rf "$scratch"
}
trap cleanup EXIT
tests/harness/services.sh start
dpkg-deb -x "$deb" "$scratch/stage"
mkdir -p "$scratch/home" "$scratch/runtime"
chmod 700 "$scratch/runtime"

# What the program and the browser see of their surroundings is set here,
# none of it inherited: the display, the null sink, a fresh home, the locale.
ns=(unshare --mount)
[ "$(id -u)" = 0 ] || ns+=(--map-root-user)
env -i PATH=/usr/bin:/bin HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" \
  LC_ALL=C.UTF-8 DISPLAY="$display" QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=pulseaudio \
  PULSE_SERVER="unix:$scratch/services/pulse/native" \
  "${ns[@]}" bash "$here/scripts/make-screenshots.sh" --inside "$scratch/stage" "$scratch" "$here/docs"
echo "made docs/screenshot-window.png and docs/screenshot-page.png"
