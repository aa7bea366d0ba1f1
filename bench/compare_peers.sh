#!/bin/bash
# Whole runs of egm2008 side by side with GeographicLib's GeoidEval, on the
# same points and the same grid data, and the whole-globe gridmaker run.
#
#  1. Builds the Release programs (BUILD_DIR, default build/bench).
#  2. Converts the real 2.5' grid to GeographicLib's PGM format (cached in
#     ~/.cache/egm2008/geographiclib) and makes 1,000,000 seeded random points
#     over the globe, "lat lon" a line (cached in ~/.cache/egm2008/bench).
#  3. With PEERS=1 (the default), runs, RUNS times each and taking turns:
#     GeoidEval -a (whole grid cached; cubic) against `egm2008 file --method
#     biquadratic`, and GeoidEval -a -l (bilinear) against `egm2008 file
#     --method bilinear`; text file in, text file out. Prints every run, the
#     medians and the wall-time ratios. PEERS=0 leaves out every GeoidEval run.
#  4. With HEIGHTS=1 (the default when PEERS=1), heights of a delimited file: the same
#     coordinates as CSV "lat,lon,h,code" under a header (h an ellipsoidal
#     height, cached beside the points), converted to orthometric heights by
#     `egm2008 heights --method bilinear`, against GeoidEval -a -l --haetomsl
#     on the same points as "lat lon h" and `egm2008 file --method bilinear`
#     on the points alone, taking turns; checks that every H agrees with
#     GeoidEval's within 0.01 m.
#  5. With NMEA=1 (the default), a receiver's log of POINTS GGA sentences
#     (bench/make_bench_data nmea: talkers GP/GN/GL, an RMC or GSA sentence
#     after every ninth, CR LF; cached beside the points) rewritten by
#     `egm2008 nmea` against `egm2008 file --layout gga` on the same log and the
#     2.5' grid (both bi-quadratic), taking turns; prints the ratio nmea / file
#     (the goal: at most 1.5) and checks that both wrote the same separations.
#  6. With GRIDMAKER=1 (the default), times the gridmaker over the whole globe
#     at 2.5' on the 2.5' grid (4321 x 8641 nodes, about 1.2 GB of text written
#     to a file).
#  7. With ONE_MINUTE=1 (the default), the same egm2008 runs on a 1'-size grid
#     file (bench/make_bench_data grid1, 933 MB of pseudo-random plausible
#     values, cached), for memory and speed at the largest grid size.
#  8. Per-query cost inside a run from bench/query_bench (QUERY_BENCH=0 skips).
#
# Memory of every run: RssAnon (private memory; the read-only mapping of the
# grid file is file cache, not counted there) sampled from /proc/PID/status
# every few milliseconds while the run goes, its maximum printed, and the
# maximum RSS that GNU time reports (which does count mapped grid pages).
#
# Environment: BUILD_DIR, GRID_DIR (default ./grids), RUNS (3), POINTS
# (1000000), SEED (2008), PEERS (1), HEIGHTS (PEERS), NMEA (1), GRIDMAKER (1),
# ONE_MINUTE (1), QUERY_BENCH (1), WORK_DIR (a temporary folder for the
# outputs, removed at the end). Only the NMEA part, for instance:
#   PEERS=0 GRIDMAKER=0 ONE_MINUTE=0 QUERY_BENCH=0 bench/compare_peers.sh
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build/bench}
GRID_DIR=${GRID_DIR:-$ROOT/grids}
RUNS=${RUNS:-3}
POINTS=${POINTS:-1000000}
SEED=${SEED:-2008}
PEERS=${PEERS:-1}
HEIGHTS=${HEIGHTS:-$PEERS}
NMEA=${NMEA:-1}
GRIDMAKER=${GRIDMAKER:-1}
ONE_MINUTE=${ONE_MINUTE:-1}
QUERY_BENCH=${QUERY_BENCH:-1}
CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/egm2008
GRID25="$GRID_DIR/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree_SE"
GRID25_BE="$GRID_DIR/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree"

die() { echo "compare_peers: $*" >&2; exit 1; }
# build_release, measure, median, most
. "$ROOT/bench/measure.sh"
[ -f "$GRID25" ] || die "missing $GRID25 (run scripts/setup-grids.sh)"
[ "$HEIGHTS" = 1 ] && [ "$PEERS" != 1 ] && die "HEIGHTS=1 compares with GeoidEval: it needs PEERS=1"
if [ "$PEERS" = 1 ]; then
    command -v GeoidEval >/dev/null || die "GeoidEval missing (apt-get install geographiclib-tools)"
fi
[ -x /usr/bin/time ] || die "/usr/bin/time missing (apt-get install time)"
command -v pgrep >/dev/null || die "pgrep missing (apt-get install procps)"

build_release egm2008 egm2008-grid-to-pgm make_bench_data query_bench
EGM="$BUILD_DIR/cli/egm2008"
if [ "$HEIGHTS" = 1 ] && ! "$EGM" heights --help >/dev/null 2>&1; then
    die "this egm2008 has no heights subcommand (HEIGHTS=0 leaves that part out)"
fi
if [ "$NMEA" = 1 ] && ! "$EGM" nmea --help >/dev/null 2>&1; then
    die "this egm2008 has no nmea subcommand (NMEA=0 leaves that part out)"
fi

mkdir -p "$CACHE/geographiclib" "$CACHE/bench"
PGM_DIR="$CACHE/geographiclib"
if [ "$PEERS" = 1 ] && [ ! -s "$PGM_DIR/egm2008-2_5.pgm" ]; then
    echo "== converting the 2.5' grid to $PGM_DIR/egm2008-2_5.pgm"
    "$BUILD_DIR/tools/egm2008-grid-to-pgm" "$GRID25_BE" "$PGM_DIR/egm2008-2_5.pgm.part" big
    mv "$PGM_DIR/egm2008-2_5.pgm.part" "$PGM_DIR/egm2008-2_5.pgm"
fi
POINT_FILE="$CACHE/bench/points-$POINTS-$SEED.txt"
if [ ! -s "$POINT_FILE" ]; then
    echo "== making $POINTS points (seed $SEED)"
    "$BUILD_DIR/bench/make_bench_data" points "$POINTS" "$SEED" "$POINT_FILE.part"
    mv "$POINT_FILE.part" "$POINT_FILE"
fi
HEIGHTS_CSV="$CACHE/bench/heights-$POINTS-$SEED.csv"
HEIGHTS_TXT="$CACHE/bench/heights-$POINTS-$SEED.txt"
if [ "$HEIGHTS" = 1 ] && { [ ! -s "$HEIGHTS_CSV" ] || [ ! -s "$HEIGHTS_TXT" ]; }; then
    echo "== making $POINTS points with heights (seed $SEED)"
    "$BUILD_DIR/bench/make_bench_data" heights "$POINTS" "$SEED" "$HEIGHTS_CSV.part" "$HEIGHTS_TXT.part"
    mv "$HEIGHTS_CSV.part" "$HEIGHTS_CSV"
    mv "$HEIGHTS_TXT.part" "$HEIGHTS_TXT"
fi
NMEA_LOG="$CACHE/bench/nmea-$POINTS-$SEED.nmea"
if [ "$NMEA" = 1 ] && [ ! -s "$NMEA_LOG" ]; then
    echo "== making a log of $POINTS GGA sentences (seed $SEED)"
    "$BUILD_DIR/bench/make_bench_data" nmea "$POINTS" "$SEED" "$NMEA_LOG.part"
    mv "$NMEA_LOG.part" "$NMEA_LOG"
fi
GRID1="$CACHE/bench/Und_min1x1_synthetic_SE"
if [ "$ONE_MINUTE" = 1 ] && [ ! -s "$GRID1" ]; then
    echo "== making the synthetic 1' grid $GRID1"
    "$BUILD_DIR/bench/make_bench_data" grid1 "$GRID1.part"
    mv "$GRID1.part" "$GRID1"
fi

WORK=${WORK_DIR:-$(mktemp -d)}
cleanup() { [ -z "${WORK_DIR:-}" ] && rm -rf "$WORK"; true; }
trap cleanup EXIT

# The grid files into the page cache, so that no run pays for the disk.
cat "$GRID25" "$POINT_FILE" >/dev/null
[ "$PEERS" = 1 ] && cat "$PGM_DIR/egm2008-2_5.pgm" >/dev/null
[ "$NMEA" = 1 ] && cat "$NMEA_LOG" >/dev/null
[ "$HEIGHTS" = 1 ] && cat "$HEIGHTS_CSV" "$HEIGHTS_TXT" >/dev/null
[ "$ONE_MINUTE" = 1 ] && cat "$GRID1" >/dev/null

echo
echo "== machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $(uname -sr)"
: >"$WORK/results"
if [ "$PEERS" = 1 ]; then
    echo "== $POINTS points, $RUNS runs each, taking turns"
    for run in $(seq "$RUNS"); do
        measure geoideval-cubic "$POINT_FILE" "$WORK/ge-cubic.txt" GeoidEval -a -n egm2008-2_5 -d "$PGM_DIR"
        measure egm2008-biquadratic /dev/null /dev/null "$EGM" file "$POINT_FILE" "$WORK/egm-biquadratic.txt" \
            --method biquadratic --grid "$GRID25" -q
        measure geoideval-bilinear "$POINT_FILE" "$WORK/ge-bilinear.txt" GeoidEval -a -l -n egm2008-2_5 -d "$PGM_DIR"
        measure egm2008-bilinear /dev/null /dev/null "$EGM" file "$POINT_FILE" "$WORK/egm-bilinear.txt" \
            --method bilinear --grid "$GRID25" -q
    done

    echo
    echo "== agreement on the same points (the PGM holds the grid to 3 mm)"
    paste -d' ' "$WORK/ge-bilinear.txt" "$WORK/egm-bilinear.txt" |
        awk '{ d = $1 - $4; if (d < 0) d = -d; if (d > m) m = d } END { printf "bilinear: largest |GeoidEval - egm2008| = %.4f m\n", m }'
    paste -d' ' "$WORK/ge-cubic.txt" "$WORK/egm-biquadratic.txt" |
        awk '{ d = $1 - $4; if (d < 0) d = -d; if (d > m) m = d } END { printf "cubic vs bi-quadratic: largest difference = %.4f m\n", m }'
fi

if [ "$HEIGHTS" = 1 ]; then
    echo
    echo "== heights: $POINTS lines lat,lon,h,code to orthometric H = h - N, bi-linear, taking turns"
    for run in $(seq "$RUNS"); do
        measure heights-geoideval "$HEIGHTS_TXT" "$WORK/ge-heights.txt" \
            GeoidEval -a -l --haetomsl -n egm2008-2_5 -d "$PGM_DIR"
        MEASURE_ERR="$WORK/heights-stderr.txt" measure heights-egm2008 /dev/null /dev/null \
            "$EGM" heights "$HEIGHTS_CSV" "$WORK/egm-heights.csv" --to orthometric --method bilinear \
            --grid "$GRID25"
        measure heights-egm2008-file /dev/null /dev/null "$EGM" file "$POINT_FILE" \
            "$WORK/egm-file.txt" --method bilinear --grid "$GRID25" -q
    done
    echo "   egm2008 heights said: $(head -n 1 "$WORK/heights-stderr.txt")"
    # Output: lat,lon,h,code,N_EGM2008,H under the header; GeoidEval's: lat lon H.
    tail -n +2 "$WORK/egm-heights.csv" | tr -d '\r' | paste -d' ' - "$WORK/ge-heights.txt" |
        awk -F'[ ,]' -v lines="$POINTS" '
            $6 == "" || $9 == "" { bad++; next }
            { d = $6 - $9; if (d < 0) d = -d; if (d > m) m = d; n++ }
            END {
                printf "H: largest |GeoidEval - egm2008| = %.4f m over %d lines (%s)\n", m, n,
                    (n == lines && bad == 0 && m <= 0.01) ? "within 0.01 m" : "NOT within 0.01 m, or lines missing"
            }'
fi

if [ "$NMEA" = 1 ]; then
    echo
    echo "== NMEA: a log of $POINTS GGA sentences (and an RMC or GSA after every ninth) rewritten, bi-quadratic, taking turns"
    for run in $(seq "$RUNS"); do
        MEASURE_ERR="$WORK/nmea-stderr.txt" measure nmea-egm2008 /dev/null /dev/null \
            "$EGM" nmea "$NMEA_LOG" "$WORK/egm-nmea.nmea" --grid "$GRID25"
        measure nmea-egm2008-file-gga /dev/null /dev/null "$EGM" file "$NMEA_LOG" \
            "$WORK/egm-file.nmea" --layout gga --grid "$GRID25" -q
    done
    echo "   egm2008 nmea said: $(tail -n 1 "$WORK/nmea-stderr.txt")"
    # The same N at each GGA sentence: field 11, one decimal from nmea, four from file.
    tr -d '\r' <"$WORK/egm-nmea.nmea" | paste -d, - <(tr -d '\r' <"$WORK/egm-file.nmea") |
        awk -F, -v sentences="$POINTS" '
            $1 !~ /^\$..GGA$/ { next }
            { n++ }
            NF != 30 { bad++; next }
            { d = $12 - $(12 + 15); if (d < 0) d = -d; if (d > m) m = d }
            END {
                printf "N: largest |nmea - file| = %.4f m over %d GGA sentences (%s)\n", m, n,
                    (n == sentences && bad == 0 && m <= 0.0501) ? "within the 0.05 m of one decimal" : "NOT within 0.05 m, or sentences missing"
            }'
fi

if [ "$GRIDMAKER" = 1 ]; then
    echo
    echo "== gridmaker: whole globe at 2.5' on the 2.5' grid, to a file"
    for run in $(seq "$RUNS"); do
        measure gridmaker-globe-2.5 /dev/null /dev/null "$EGM" grid --lat 90 -90 --lon 0 360 \
            --step-lat 2.5 --step-lon 2.5 --grid "$GRID25" -o "$WORK/globe.txt"
        bytes=$(stat -c %s "$WORK/globe.txt")
        lines=$(wc -l <"$WORK/globe.txt")
        rm -f "$WORK/globe.txt"
    done
    echo "   ($lines lines, $bytes bytes)"
fi

if [ "$ONE_MINUTE" = 1 ]; then
    echo
    echo "== the same runs on the 1'-size grid (synthetic values)"
    for run in $(seq "$RUNS"); do
        measure egm2008-biquadratic-1min /dev/null /dev/null "$EGM" file "$POINT_FILE" "$WORK/egm1.txt" \
            --method biquadratic --grid "$GRID1" -q
        measure egm2008-bilinear-1min /dev/null /dev/null "$EGM" file "$POINT_FILE" "$WORK/egm1.txt" \
            --method bilinear --grid "$GRID1" -q
    done
    if [ "$GRIDMAKER" = 1 ]; then
        measure gridmaker-globe-2.5-on-1min /dev/null /dev/null "$EGM" grid --lat 90 -90 --lon 0 360 \
            --step-lat 2.5 --step-lon 2.5 --grid "$GRID1" -o "$WORK/globe.txt"
        rm -f "$WORK/globe.txt"
    fi
fi

echo
echo "== summary: medians of $RUNS runs; memory the largest of the runs"
printf '%-36s %10s %12s %12s\n' run "median s" "RssAnon kB" "max RSS kB"
for name in $(awk '{ print $1 }' "$WORK/results" | awk '!seen[$0]++'); do
    printf '%-36s %10s %12s %12s\n' "$name" "$(median "$name")" "$(most "$name" 3)" "$(most "$name" 4)"
done
echo
pairs=()
[ "$PEERS" = 1 ] && pairs+=("geoideval-cubic egm2008-biquadratic" "geoideval-bilinear egm2008-bilinear")
[ "$HEIGHTS" = 1 ] && pairs+=("heights-geoideval heights-egm2008" "heights-egm2008 heights-egm2008-file")
for pair in "${pairs[@]}"; do
    set -- $pair
    awk -v a="$(median "$1")" -v b="$(median "$2")" -v n1="$1" -v n2="$2" \
        'BEGIN { printf "ratio %s / %s = %.1f x\n", n1, n2, a / b }'
done
if [ "$NMEA" = 1 ]; then
    awk -v a="$(median nmea-egm2008)" -v b="$(median nmea-egm2008-file-gga)" \
        'BEGIN { printf "ratio nmea-egm2008 / nmea-egm2008-file-gga = %.2f x (goal: at most 1.5 x)\n", a / b }'
fi

if [ "$QUERY_BENCH" = 1 ]; then
    echo
    echo "== per query inside a run (bench/query_bench, random points, grid in the page cache)"
    args=(--benchmark_filter='^(BiLinear|BiQuadratic)/' --benchmark_repetitions=3
          --benchmark_report_aggregates_only=true --grid-dir="$GRID_DIR")
    [ "$ONE_MINUTE" = 1 ] && args+=(--one-minute-grid="$GRID1")
    "$BUILD_DIR/bench/query_bench" "${args[@]}" 2>/dev/null | grep -E 'median|Benchmark|---'
fi
