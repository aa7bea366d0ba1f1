#!/bin/sh
# Installs the build's library into a scratch prefix and builds examples/ against
# it both ways, by find_package and by pkg-config; each program must print N at a
# point of the 10' grid.
#   install_consumer_test.sh BUILD_DIR SOURCE_DIR CXX GRID LAT LON EXPECTED [FLAGS]
# FLAGS go to every compile and link (a sanitizer build's library needs its runtime
# in the program too). Exits 77 (skipped) when the grid is missing.
set -eu
build=$1 source=$2 cxx=$3 grid=$4 lat=$5 lon=$6 expected=$7 flags=${8:-}
if [ ! -f "$grid" ]; then
    echo "real grid $grid is missing; run scripts/setup-grids.sh to make it" >&2
    exit 77
fi
scratch=$(mktemp -d "${TMPDIR:-/tmp}/egm2008-consumer-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
prefix=$scratch/prefix

for component in library development; do
    cmake --install "$build" --prefix "$prefix" --component "$component" >/dev/null
done
libdir=$(dirname "$(find "$prefix" -name 'libegm2008.so.1' | head -n 1)")

cmake -S "$source/examples" -B "$scratch/by-cmake" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" \
    >/dev/null
cmake --build "$scratch/by-cmake" >/dev/null

PKG_CONFIG_PATH=$libdir/pkgconfig
export PKG_CONFIG_PATH
# shellcheck disable=SC2046,SC2086 # the flags are words
"$cxx" -std=c++20 $flags -o "$scratch/by-pkg-config" "$source/examples/geoid_height.cpp" \
    $(pkg-config --cflags --libs egm2008)

status=0
for program in "$scratch/by-cmake/geoid_height" "$scratch/by-pkg-config"; do
    got=$(LD_LIBRARY_PATH=$libdir "$program" "$grid" "$lat" "$lon")
    if [ "$got" != "$expected" ]; then
        echo "$program printed \"$got\", not \"$expected\"" >&2
        status=1
    fi
done
exit $status
