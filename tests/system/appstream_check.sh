#!/usr/bin/env bash
# The desktop file and the AppStream metainfo, as `cmake --install` lays them
# out, validate offline without a single issue: appstreamcli's strict mode
# fails on anything above a pedantic hint, and its tree check finds the
# desktop file that the metainfo names as its launchable.
#   appstream_check.sh BUILD_DIR
set -u
build=$1
for tool in appstreamcli desktop-file-validate; do
  command -v "$tool" >/dev/null ||
    { echo "SKIP: $tool is missing (appstream, desktop-file-utils; scripts/install-deps.sh test installs them)"; exit 77; }
done
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cmake --install "$build" --prefix "$stage/usr" >/dev/null || { echo "FAIL: cmake --install"; exit 1; }

status=0
for desktop in "$stage"/usr/share/applications/*.desktop; do
  desktop-file-validate "$desktop" || status=1
done
appstreamcli validate-tree --no-net --pedantic --strict "$stage" || status=1
[ "$status" = 0 ] && echo "ok: desktop file and metainfo validate"
exit "$status"
