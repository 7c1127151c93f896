#!/usr/bin/env bash
# Installs the Debian 12 packages that the project needs and that are missing.
#   install-deps.sh build   what building and running the program needs
#   install-deps.sh package that, plus what building the Debian package needs
#   install-deps.sh test    all of that, plus what the tests need (X, sound, tools)
set -eu
# gettext: msgfmt compiles the command-line tools' catalogues (po/).
build_pkgs=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libgl-dev
  libicu-dev libvorbis-dev libsdl2-dev libebur128-dev gettext)
# locales: the sources of ru_RU.UTF-8, which the tests compile when the system
# lacks it; libc-l10n: the system's own messages in Russian, so that the tests
# see that none of them reaches a CSV or JSON.
test_pkgs=(libgtest-dev libgmock-dev googletest libbenchmark-dev xvfb xauth x11-utils
  pulseaudio pulseaudio-utils sox libsox-fmt-all espeak-ng vorbis-tools imagemagick xdotool
  python3 python3-pyatspi at-spi2-core dbus dbus-x11 fonts-dejavu-core fonts-liberation
  clang libclang-rt-14-dev clang-format chromium nodejs
  locales libc-l10n)
pkgs=("${build_pkgs[@]}")
# What building the Debian package needs, and what checks the package, its man
# pages and its desktop metadata.
package_pkgs=(dpkg-dev file)
check_pkgs=(man-db groff-base appstream desktop-file-utils lintian)
case "${1:-build}" in
  package) pkgs+=("${package_pkgs[@]}") ;;
  test) pkgs+=("${package_pkgs[@]}" "${test_pkgs[@]}" "${check_pkgs[@]}") ;;
esac

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
