#!/usr/bin/env bash
# Time and peak memory of a global 1' colour map: the 2.5' grid walked at a 1'
# step (21601 x 10801 = 233 million nodes, the nodes of a global 1' lattice)
# into a 4096 x 2048 PNG, as /usr/bin/time -v reports them. The resident peak
# counts the grid file's pages that the run mapped (142 MiB of them).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$top/build/dev/cli/egm2008}
grid=${2:-$top/grids/Und_min2.5x2.5_egm2008_isw=82_WGS84_TideFree}
out=$(mktemp --suffix=.png)
trap 'rm -f "$out"' EXIT
/usr/bin/time -v "$tool" grid --lat -90 90 --lon -180 180 --step-lat 1 --step-lon 1 \
  --grid "$grid" -o "$out" 2>&1 | grep -E 'Elapsed|Maximum resident'
