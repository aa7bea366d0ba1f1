#!/usr/bin/env bash
# Makes the real grids in grids/ of the source tree with the built tool:
# "egm2008 grids install --into" fetches Debian's geotranz package (cached in
# ${EGM2008_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/egm2008}), converts NGA's 2.5'
# grid into the 10' and 2.5' EGM2008 grids in both byte orders, copies the EGM96
# and EGM84 grids (egm96.grd, wwgrid.bin) and checks every one by its SHA-256. Idempotent: grids already there with their digest are kept, and
# with the package file in the cache no network is needed.
#
# usage: scripts/setup-grids.sh EGM2008 [GRID_DIR]
#   EGM2008   the built egm2008 tool (build/ci/cli/egm2008)
#   GRID_DIR  where the grids go (default: grids/ in the source tree)
set -euo pipefail

tool=${1:?usage: setup-grids.sh EGM2008 [GRID_DIR]}
top=$(cd "$(dirname "$0")/.." && pwd)
grid_dir=${2:-$top/grids}

exec "$tool" grids install --into "$grid_dir"
