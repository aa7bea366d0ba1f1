#!/usr/bin/env bash
# Installs what is missing, builds, makes the real grids and starts the desktop
# program in its working folder run/ (under xvfb-run where there is no display).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh
scripts/build.sh dev
scripts/setup-grids.sh build/dev/cli/egm2008

mkdir -p run
ln -sf ../grids/Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE run/
for f in data/run/*; do
  [ -e "$f" ] || continue
  [ -e "run/$(basename "$f")" ] || cp "$f" run/
done

program=$top/build/dev/shell/egm2008-gui
cd run
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  exec "$program" "$@"
else
  exec xvfb-run -a "$program" "$@"
fi
