#!/usr/bin/env bash
# Configures and builds one CMake preset (default: dev).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-dev}
cd "$top"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
