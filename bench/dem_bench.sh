#!/bin/bash
# `egm2008 dem` against gdalwarp with PROJ's vertical grid shift, on the same
# machine, DEMs and geoid nodes, both on every core; ellipsoidal heights to
# heights above EGM2008.
#
#  1. Builds the Release program (BUILD_DIR, default build/bench).
#  2. Makes the GTX of the real 2.5' grid's nodes that gdalwarp reads
#     (`egm2008 grid --format gtx`) and three synthetic Float32 DEMs
#     (bench/make_dem.py): 7201 x 7201 geographic (1" pixels) uncompressed,
#     with deflate, and in strips (GDAL's default layout), and 10,000 x 10,000
#     UTM 32N (10 m pixels) uncompressed; tiled 256 x 256 but the strips, cached
#     in ~/.cache/egm2008/dem.
#  3. Runs each conversion RUNS times, taking turns: gdalwarp -multi -wo
#     NUM_THREADS=ALL_CPUS from +proj=longlat +datum=WGS84 (or UTM) to the same
#     with +geoidgrids=the GTX, on the input's own pixel lattice (-te, -ts),
#     nearest neighbour, writing as egm2008 does (tiled, deflate where the
#     input is, compressed on every core); and `egm2008 dem IN OUT --to
#     orthometric`. Prints every run with its RssAnon, the medians and ratios.
#  4. Checks that the two outputs agree within 5 mm away from the edges (1 %
#     of the pixels left out on each side), so that the peer did shift the
#     heights: egm2008's bi-quadratic outputs (reported: the two methods differ
#     by centimetres in mountains), and bi-linear ones, as PROJ interpolates in
#     the GTX (held to 5 mm).
#
# Environment: BUILD_DIR, GRID_DIR (default ./grids), RUNS (3), WORK_DIR (a
# temporary folder for the outputs, removed at the end), SIZE (7201), UTM_SIZE (10000).
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build/bench}
GRID_DIR=${GRID_DIR:-$ROOT/grids}
RUNS=${RUNS:-3}
SIZE=${SIZE:-7201}
UTM_SIZE=${UTM_SIZE:-10000}
PYTHON=${PYTHON:-/usr/bin/python3}  # Debian's, which has GDAL and numpy
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/egm2008/dem
GRID25="$GRID_DIR/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE"

die() { echo "dem_bench: $*" >&2; exit 1; }
# build_release, measure, median, most
. "$ROOT/bench/measure.sh"
[ -f "$GRID25" ] || die "missing $GRID25 (run scripts/setup-grids.sh)"
command -v gdalwarp >/dev/null || die "gdalwarp missing (apt-get install gdal-bin)"
"$PYTHON" -c 'from osgeo import gdal' 2>/dev/null || die "python3-gdal missing"
[ -x /usr/bin/time ] || die "/usr/bin/time missing (apt-get install time)"

build_release egm2008
EGM="$BUILD_DIR/cli/egm2008"

mkdir -p "$CACHE"
GTX="$CACHE/egm2008-2_5.gtx"
if [ ! -s "$GTX" ]; then
    echo "== the 2.5' nodes as $GTX"
    "$EGM" grid --lat -90 90 --lon -180 180 --step-lat 2.5 --step-lon 2.5 --format gtx \
        --method bilinear --grid "$GRID25" -o "$GTX.part.gtx"
    mv "$GTX.part.gtx" "$GTX"
fi
make_dem() {  # make_dem NAME LAYOUT SIZE [--deflate]
    local path="$CACHE/$1.tif"
    if [ ! -s "$path" ]; then
        echo "== making $path" >&2
        "$PYTHON" "$ROOT/bench/make_dem.py" "$2" "$3" "$path.part.tif" "${@:4}"
        mv "$path.part.tif" "$path"
    fi
    echo "$path"
}
GEO=$(make_dem "geographic-$SIZE" geographic "$SIZE")
GEO_DEFLATE=$(make_dem "geographic-$SIZE-deflate" geographic "$SIZE" --deflate)
GEO_STRIPS=$(make_dem "geographic-$SIZE-strips" geographic "$SIZE" --strips)
UTM=$(make_dem "utm-$UTM_SIZE" utm "$UTM_SIZE")

WORK=${WORK_DIR:-$(mktemp -d)}
cleanup() { [ -z "${WORK_DIR:-}" ] && rm -rf "$WORK"; true; }
trap cleanup EXIT

# The input's own lattice for gdalwarp: its extent and size.
lattice() {
    "$PYTHON" - "$1" <<'PY'
import sys
from osgeo import gdal
ds = gdal.Open(sys.argv[1])
x0, dx, _, y0, _, dy = ds.GetGeoTransform()
w, h = ds.RasterXSize, ds.RasterYSize
print(f"-te {x0!r} {y0 + h * dy!r} {x0 + w * dx!r} {y0!r} -ts {w} {h}")
PY
}

# agree A B NAME [MM]: the largest |A - B| away from the edges; fails above MM millimetres.
agree() {
    "$PYTHON" - "$1" "$2" "$3" "${4:-inf}" <<'PY'
import sys
import numpy as np
from osgeo import gdal
da, db = gdal.Open(sys.argv[1]), gdal.Open(sys.argv[2])  # kept open while their bands are read
a, b = da.GetRasterBand(1), db.GetRasterBand(1)
w, h = a.XSize, a.YSize
m = max(1, w // 100), max(1, h // 100)
worst = 0.0
for top in range(m[1], h - m[1], 512):
    rows = min(512, h - m[1] - top)
    x = a.ReadAsArray(m[0], top, w - 2 * m[0], rows).astype(np.float64)
    y = b.ReadAsArray(m[0], top, w - 2 * m[0], rows).astype(np.float64)
    worst = max(worst, float(np.nanmax(np.abs(x - y))))
print(f"{sys.argv[3]}: largest |egm2008 - gdalwarp| away from the edges = {worst * 1000:.2f} mm")
sys.exit(0 if worst * 1000 <= float(sys.argv[4]) else 1)
PY
}

GEO_SRS='+proj=longlat +datum=WGS84 +no_defs'
UTM_SRS='+proj=utm +zone=32 +datum=WGS84 +units=m +no_defs'
WARP=(gdalwarp -q -overwrite -multi -wo NUM_THREADS=ALL_CPUS -r near)
TILED=(-co TILED=YES)  # as egm2008 writes a tiled input
cat "$GRID25" "$GTX" "$GEO" "$GEO_DEFLATE" "$GEO_STRIPS" "$UTM" >/dev/null

echo
echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(uname -sr), $(gdalinfo --version)"
: >"$WORK/results"
for run in $(seq "$RUNS"); do
    # shellcheck disable=SC2046
    measure gdalwarp-geographic /dev/null /dev/null "${WARP[@]}" "${TILED[@]}" $(lattice "$GEO") \
        -s_srs "$GEO_SRS" -t_srs "$GEO_SRS +geoidgrids=$GTX" "$GEO" "$WORK/warp-geo.tif"
    measure egm2008-geographic /dev/null /dev/null "$EGM" dem "$GEO" "$WORK/egm-geo.tif" \
        --to orthometric --grid "$GRID25"
    # shellcheck disable=SC2046
    measure gdalwarp-geographic-deflate /dev/null /dev/null "${WARP[@]}" "${TILED[@]}" $(lattice "$GEO_DEFLATE") \
        -co COMPRESS=DEFLATE -co PREDICTOR=3 -co NUM_THREADS=ALL_CPUS \
        -s_srs "$GEO_SRS" -t_srs "$GEO_SRS +geoidgrids=$GTX" "$GEO_DEFLATE" "$WORK/warp-geo-deflate.tif"
    measure egm2008-geographic-deflate /dev/null /dev/null "$EGM" dem "$GEO_DEFLATE" \
        "$WORK/egm-geo-deflate.tif" --to orthometric --grid "$GRID25"
    # shellcheck disable=SC2046
    measure gdalwarp-geographic-strips /dev/null /dev/null "${WARP[@]}" $(lattice "$GEO_STRIPS") \
        -s_srs "$GEO_SRS" -t_srs "$GEO_SRS +geoidgrids=$GTX" "$GEO_STRIPS" "$WORK/warp-geo-strips.tif"
    measure egm2008-geographic-strips /dev/null /dev/null "$EGM" dem "$GEO_STRIPS" \
        "$WORK/egm-geo-strips.tif" --to orthometric --grid "$GRID25"
    # shellcheck disable=SC2046
    measure gdalwarp-utm /dev/null /dev/null "${WARP[@]}" "${TILED[@]}" $(lattice "$UTM") \
        -s_srs "$UTM_SRS" -t_srs "$UTM_SRS +geoidgrids=$GTX" "$UTM" "$WORK/warp-utm.tif"
    measure egm2008-utm /dev/null /dev/null "$EGM" dem "$UTM" "$WORK/egm-utm.tif" \
        --to orthometric --grid "$GRID25"
done

echo
echo "== medians of $RUNS (seconds), egm2008's largest RssAnon"
for case in geographic geographic-deflate geographic-strips utm; do
    warp=$(median "gdalwarp-$case")
    egm=$(median "egm2008-$case")
    awk -v c="$case" -v w="$warp" -v e="$egm" -v r="$(most "egm2008-$case" 3)" -v g="$(most "gdalwarp-$case" 3)" \
        'BEGIN { printf "%-20s gdalwarp %7.2f s (RssAnon %d MB)  egm2008 %6.2f s (RssAnon %d MB)  %5.1f x\n", c, w, g / 1024, e, r / 1024, w / e }'
done

echo
echo "== agreement: egm2008 bi-quadratic (timed above), and bi-linear as PROJ interpolates"
agree "$WORK/egm-geo.tif" "$WORK/warp-geo.tif" "geographic, bi-quadratic"
agree "$WORK/egm-geo-deflate.tif" "$WORK/warp-geo-deflate.tif" "geographic deflate, bi-quadratic"
agree "$WORK/egm-geo-strips.tif" "$WORK/warp-geo-strips.tif" "geographic strips, bi-quadratic"
agree "$WORK/egm-utm.tif" "$WORK/warp-utm.tif" "utm, bi-quadratic"
"$EGM" dem "$GEO" "$WORK/egm-geo-bilinear.tif" --to orthometric --grid "$GRID25" --method bilinear
"$EGM" dem "$UTM" "$WORK/egm-utm-bilinear.tif" --to orthometric --grid "$GRID25" --method bilinear
agree "$WORK/egm-geo-bilinear.tif" "$WORK/warp-geo.tif" "geographic, bi-linear" 5 ||
    die "gdalwarp and egm2008 differ by more than 5 mm"
agree "$WORK/egm-utm-bilinear.tif" "$WORK/warp-utm.tif" "utm, bi-linear" 5 ||
    die "gdalwarp and egm2008 differ by more than 5 mm"
