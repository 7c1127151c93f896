#!/usr/bin/env bash
# `zenor --help` and `zenor --version` answer on standard output with status 0
# and nothing on standard error, and open no window: they run here with no
# display at all, where the program without those options cannot start.
#   zenor_options.sh ZENOR VERSION
set -u
zenor=$1 version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
no_display() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$zenor" "$@"; }

for question in "--help:Usage: zenor [--help | --version]" "--version:zenor $version"; do
  option=${question%%:*} expected=${question#*:}
  out=$(no_display "$option" 2>&1 >/dev/null) || fail "zenor $option: exit status $?"
  [ -z "$out" ] || fail "zenor $option wrote to standard error: $out"
  first=$(no_display "$option" | head -n 1)
  [ "$first" = "$expected" ] || fail "zenor $option: first line '$first', expected '$expected'"
  echo "ok: zenor $option"
done

no_display -- --help >/dev/null 2>&1 && fail "zenor -- --help started without a display"
echo "ok: without a question the program needs the display it does not have here"
