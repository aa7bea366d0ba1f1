#!/usr/bin/env bash
# Saves a picture of each of the desktop program's five pages into
# docs/screenshots/ (manual.png, gridmaker.png, file.png, info.png, heights.png). The program
# runs under xvfb-run in a scratch working folder that holds the internal
# database, and grabs its own window through the hidden --screenshots flag.
# Needs a built program (default build/dev) and the grids (scripts/setup-grids.sh).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
program=${1:-$top/build/dev/shell/egm2008-gui}
out=$top/docs/screenshots
grid=$top/grids/Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE

[ -x "$program" ] || { echo "screenshots: no program at $program (build it first)" >&2; exit 1; }
[ -f "$grid" ] || { echo "screenshots: no internal database at $grid (run scripts/setup-grids.sh)" >&2; exit 1; }

# A fixed name, as the pictures show the working folder in the path fields.
work=/tmp/egm2008-screenshots
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
ln -s "$grid" "$work/"
cp "$top"/data/run/* "$work/"
mkdir -p "$out"
cd "$work"
xvfb-run -a -s "-screen 0 1280x1024x24" "$program" --screenshots "$out"
ls -l "$out"

# The README's colour map of the globe, made by the command-line tool.
"$top/scripts/globe-picture.sh" "$(dirname "$program")/../cli/egm2008"
