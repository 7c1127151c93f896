#!/usr/bin/env bash
# Starts the real program, waits for its window, photographs the screen and
# checks the picture: the window's client area is 971 x 403 at (538, 197), or
# at ZENOR_EXPECT_AT=LEFT,TOP where the screen is too small for that,
# every caption checked below has dark (drawn) pixels inside its control while
# an empty stretch of the window has none; then closes the window as a window
# manager would and expects exit status 0.
#   screenshot.sh ZENOR OUTPUT_PNG
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
zenor=$1 out=$2
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY"
mkdir -p "$(dirname "$out")"

"$zenor" &
pid=$!
win=$(wait_window "Просмотр и прослушивание ответов участников ЗЕНОР-2020" 40) || { kill "$pid"; fail "no main window"; }
sleep 1  # let it paint

info=$(xwininfo -id "$win")
width=$(awk '/^  Width:/ {print $2}' <<<"$info")
height=$(awk '/^  Height:/ {print $2}' <<<"$info")
left=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$info")
top=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$info")
echo "client area ${width}x${height} at ($left, $top)"
[ "$width" = 971 ] && [ "$height" = 403 ] || { kill "$pid"; fail "client area ${width}x${height}, expected 971x403"; }
[ "$left,$top" = "${ZENOR_EXPECT_AT:-538,197}" ] || { kill "$pid"; fail "client area at ($left, $top), expected (${ZENOR_EXPECT_AT:-538,197})"; }

import -window root "$out" || { kill "$pid"; fail "import failed"; }

# dark_pixels X Y W H: pixels darker than 80% grey in that part of the window.
dark_pixels() {
  convert "$out" -crop "${3}x${4}+$((left + $1))+$((top + $2))" +repage -colorspace Gray \
    -threshold 80% -negate -format "%[fx:round(mean*w*h)]" info:
}

bad=0
check() {  # NAME X Y W H: the caption's drawn inside the control
  local n
  n=$(dark_pixels "$2" "$3" "$4" "$5")
  echo "$1: $n dark pixels"
  [ "$n" -ge 25 ] || { echo "FAIL: $1 shows no caption" >&2; bad=1; }
}
# Inner parts of the controls, clear of their bevels and frames.
check Label1 9 13 225 13
check Button1 753 10 92 17
check Button2 867 10 67 17
check Label8 160 52 58 13
check Label2 160 84 78 13
check Button3 254 136 97 17
check Label3 160 137 78 13
check Button4 254 188 97 17
check Label4 160 190 78 13
check Label5 160 243 78 13
check Label6 160 296 78 13
check Label7 160 349 78 13
check ListWork-title 12 43 80 16
# An empty stretch of the window must stay empty, or the check above proves nothing.
blank=$(dark_pixels 500 220 400 100)
echo "blank area: $blank dark pixels"
[ "$blank" = 0 ] || { echo "FAIL: the empty area is not empty" >&2; bad=1; }

python3 "$here/wm_close.py" "$win"
wait_exit "$pid" 20
[ "$status" = 0 ] || fail "exit status $status after closing, expected 0"
[ "$bad" = 0 ] || fail "captions missing"
echo "ok: screenshot $out"
