#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined-behaviour
# sanitizers) and runs each of them.
#   scripts/fuzz.sh smoke          each target for a few seconds on its corpus (CI)
#   scripts/fuzz.sh run SECONDS    each target for SECONDS, then the corpus that grew
#                                  is minimised back into fuzz/corpus/<target>/
#   scripts/fuzz.sh run SECONDS TARGET...   only those targets
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
mode=${1:-smoke}
seconds=${2:-10}
shift $(( $# > 2 ? 2 : $# ))
[ "$mode" = smoke ] && seconds=${FUZZ_SMOKE_SECONDS:-15}

scripts/build.sh fuzz
targets=("$@")
if [ "${#targets[@]}" -eq 0 ]; then
  for t in build/fuzz/fuzz/*_fuzz; do targets+=("$(basename "$t")"); done
fi

for t in "${targets[@]}"; do
  corpus=fuzz/corpus/$t
  mkdir -p "$corpus"
  work=$(mktemp -d)
  cp -r "$corpus"/. "$work"/ 2>/dev/null || true
  echo "fuzz: $t for ${seconds}s" >&2
  log=$work.log
  if ! "build/fuzz/fuzz/$t" -max_total_time="$seconds" -max_len=4096 -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="fuzz/$t-" \
        "$work" >"$log" 2>&1; then
    tail -n 60 "$log" >&2
    echo "fuzz: $t FAILED (artifacts in fuzz/)" >&2
    exit 1
  fi
  grep -E '^(stat::number_of_executed_units|stat::new_units_added)|cov: ' "$log" | tail -n 3 >&2 || true
  if [ "$mode" = run ]; then
    fresh=$(mktemp -d)
    "build/fuzz/fuzz/$t" -merge=1 -max_len=4096 "$fresh" "$work" >/dev/null 2>&1
    rm -rf "$corpus" && mkdir -p "$corpus" && cp -r "$fresh"/. "$corpus"/
    rm -rf "$fresh"
  fi
  rm -rf "$work" "$log"
done
echo "fuzz: all targets passed" >&2
