#!/usr/bin/env bash
# The whole test run, from a fresh machine: installs what is missing, builds
# (warnings are errors), makes the real grids, runs every test in the normal
# and in the sanitizer build, then the fuzz targets for a short smoke time.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"

scripts/install-deps.sh
scripts/build.sh ci
scripts/setup-grids.sh build/ci/cli/egm2008
ctest --preset ci -j 2

scripts/build.sh asan
ctest --preset asan -j 2

scripts/fuzz.sh smoke
