#!/usr/bin/env bash
# Builds the Debian package as Debian builds its own: a Release build of only
# what the package ships, with the compiler and linker flags of dpkg-buildflags
# (hardening included), stripped binaries and computed library dependencies.
# Prints the path of the .deb on its last line.
#   scripts/build-deb.sh [BUILD_DIR]        (default: build-deb)
# A compiler launcher such as ccache may be given in ZENOR_COMPILER_LAUNCHER.
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-deb}
scripts/install-deps.sh package

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
flags() { dpkg-buildflags --get "$1"; }
launcher=()
[ -n "${ZENOR_COMPILER_LAUNCHER:-}" ] &&
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER="$ZENOR_COMPILER_LAUNCHER" -DCMAKE_CXX_COMPILER_LAUNCHER="$ZENOR_COMPILER_LAUNCHER")
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DZENOR_BUILD_TESTS=OFF -DZENOR_SANITIZE=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_C_FLAGS="$(flags CPPFLAGS) $(flags CFLAGS)" \
  -DCMAKE_CXX_FLAGS="$(flags CPPFLAGS) $(flags CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flags LDFLAGS)" "${launcher[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)" --target zenor zenor-dump translations man_pages package_changelog
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/zenor_*.deb
