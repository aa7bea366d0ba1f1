#!/usr/bin/env bash
# Configures and builds one CMake preset (default: dev). Configuring is quiet
# when it succeeds (its warnings still show); when it fails, everything it said
# goes to stderr.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-dev}
cd "$top"
log=$(mktemp -d)
trap 'rm -rf "$log"' EXIT
if ! cmake --preset "$preset" >"$log/out" 2>"$log/err"; then
  cat "$log/out" "$log/err" >&2
  echo "build: configuring the preset $preset failed" >&2
  exit 1
fi
cat "$log/err" >&2
cmake --build --preset "$preset"
