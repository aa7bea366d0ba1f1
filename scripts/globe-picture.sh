#!/usr/bin/env bash
# Makes docs/pictures/globe.png, the README's colour map of the whole globe at
# 10' (bi-quadratic on the internal 10' database), with the command-line tool.
# Needs a built tool (default build/dev) and the grids (scripts/setup-grids.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$top/build/dev/cli/egm2008}
grid=$top/grids/Und_min10x10_egm2008_isw=82_WGS84_TideFree

[ -x "$tool" ] || { echo "globe-picture: no tool at $tool (build it first)" >&2; exit 1; }
[ -f "$grid" ] || { echo "globe-picture: no internal database at $grid (run scripts/setup-grids.sh)" >&2; exit 1; }
mkdir -p "$top/docs/pictures"
"$tool" grid --lat 90 -90 --lon -180 180 --step-lat 10 --step-lon 10 --width 1200 \
  --grid "$grid" -o "$top/docs/pictures/globe.png"
ls -l "$top/docs/pictures/globe.png"
