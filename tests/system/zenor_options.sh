#!/usr/bin/env bash
# `zenor --help` and `zenor --version` answer on standard output with status 0
# and nothing on standard error, and open no window: they run here with no
# display at all, where the program without those options cannot start.
#   zenor_options.sh ZENOR VERSION
set -u
zenor=$1 version=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
err=$(mktemp)
trap 'rm -f "$err"' EXIT
no_display() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$zenor" "$@" 2>"$err"; }

# FIRST_LINE ARGUMENTS...: the answer's first line.
answers() {
  local expected=$1 out status
  shift
  out=$(no_display "$@")
  status=$?
  [ "$status" = 0 ] || fail "zenor $*: exit status $status"
  [ ! -s "$err" ] || fail "zenor $*: wrote to standard error: $(cat "$err")"
  [ "$(head -n 1 <<<"$out")" = "$expected" ] || fail "zenor $*: first line '$(head -n 1 <<<"$out")', expected '$expected'"
  echo "ok: zenor $*"
}
answers "Usage: zenor [--help | --version]" --help
answers "Usage: zenor [--help | --version]" -h
answers "zenor $version" --version

# Without them the window program needs the display it does not have here.
no_display -- --help >/dev/null && fail "zenor -- --help started without a display"
echo "ok: zenor -- --help is no question and needs a display"
