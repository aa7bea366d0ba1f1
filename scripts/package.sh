#!/usr/bin/env bash
# Builds the Debian package egm2008_<version>_<arch>.deb with cpack from the
# build folder BUILD_DIR, configuring it first (release, installed below /usr)
# when it holds no build yet. Prints the package file's path on stdout.
#
# usage: scripts/package.sh BUILD_DIR
#   The real grids must have been made (scripts/setup-grids.sh): the package
#   takes the internal 10' database from the build's EGM2008_GRID_DIR.
set -euo pipefail

build=${1:?usage: package.sh BUILD_DIR}
top=$(cd "$(dirname "$0")/.." && pwd)
say() { printf 'package: %s\n' "$*" >&2; }

if [ ! -f "$build/CMakeCache.txt" ]; then
  say "configuring $build"
  cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DEGM2008_BUILD_TESTS=OFF -DEGM2008_BUILD_BENCH=OFF -DEGM2008_PYTHON=ON >&2
fi
build=$(cd "$build" && pwd)
grid_dir=$(sed -n 's/^EGM2008_GRID_DIR:PATH=//p' "$build/CMakeCache.txt")
if [ ! -f "$grid_dir/Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE" ]; then
  say "no internal database in $grid_dir: run scripts/setup-grids.sh first"
  exit 1
fi
cmake --build "$build" -j "${EGM2008_JOBS:-2}" >&2

out=$build/package
rm -rf "$out"
mkdir -p "$out"
(cd "$build" && cpack -G DEB -B "$out" >&2)
deb=$(ls "$out"/egm2008_*.deb)
say "made $deb"
printf '%s\n' "$deb"
