#!/usr/bin/env bash
# Starts the real program in an environment where a start-up check fails and
# checks that the box named NAME_REGEX appears, that the main window never
# does, and that pressing Return in the box ends the program with status 0.
#   startup_box.sh ZENOR NAME_REGEX [VAR=value ...]
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
zenor=$1 name=$2
shift 2
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY"

start env "$@" "$zenor"
box=$(wait_pid_window "$pid" 40) || { fail "no window of the program appeared"; }
sleep 0.3
title=$(xdotool getwindowname "$box")
echo "box $box: '$title'"
[[ $title =~ $name ]] || { fail "the window shown is '$title', expected a box named '$name'"; }
if xdotool search --onlyvisible --name "Просмотр и прослушивание" >/dev/null 2>&1; then
  fail "the main window was shown"
fi
press_in "$box" Return
wait_exit "$pid" 20
[ "$status" = 0 ] || fail "exit status $status, expected 0"
if xdotool search --onlyvisible --name "Просмотр и прослушивание" >/dev/null 2>&1; then
  fail "a main window is still shown"
fi
echo "ok: box '$name' shown, exit status 0"
