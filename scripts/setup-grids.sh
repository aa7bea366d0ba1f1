#!/usr/bin/env bash
# Makes the real EGM2008 grids from NGA's 2.5' grid in Debian's geotranz package:
# fetches the package file (cached), extracts the one grid member, converts it
# with egm2008-convert-grid and checks every result by SHA-256. Idempotent.
#
# usage: scripts/setup-grids.sh CONVERTER [GRID_DIR]
#   CONVERTER  the built egm2008-convert-grid
#   GRID_DIR   where the grids go (default: grids/ in the source tree)
set -euo pipefail

converter=${1:?usage: setup-grids.sh CONVERTER [GRID_DIR]}
top=$(cd "$(dirname "$0")/.." && pwd)
grid_dir=${2:-$top/grids}
cache=${EGM2008_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/egm2008}
member=./usr/share/geotranz/data/Und_min2.5x2.5_egm2008_WGS84_TideFree_reformatted
member_size=150285632

# name, spacing, byte order, SHA-256: read from the one table in engine/known_grids.hpp
mapfile -t grids < <(sed -nE \
  's|^ *\{GridSize::Grid([0-9_]+)x[0-9_]+, (true\|false), "([0-9a-f]{64})"\}, *// (.*)$|\4 \1 \2 \3|p' \
  "$top/engine/known_grids.hpp" | sed -e 's/ 2_5 / 2.5 /' -e 's/ true / big /' -e 's/ false / little /')
if [ "${#grids[@]}" != 4 ]; then
  printf 'setup-grids: engine/known_grids.hpp holds %d known grids, expected 4\n' "${#grids[@]}" >&2
  exit 1
fi
# the geotranz package file's name, version and SHA-256, from the same header
read -r deb_name deb_version deb_sum < <(sed -nE \
  's|^inline constexpr KnownPackage kGeotranzPackage = \{"([^"]+)", "([^"]+)", "([0-9a-f]{64})"\};$|\1 \2 \3|p' \
  "$top/engine/known_grids.hpp") || true
if [ -z "${deb_sum:-}" ]; then
  printf 'setup-grids: engine/known_grids.hpp names no geotranz package (kGeotranzPackage)\n' >&2
  exit 1
fi

say() { printf 'setup-grids: %s\n' "$*" >&2; }
digest() { sha256sum "$1" | cut -d' ' -f1; }

mkdir -p "$grid_dir" "$cache"

missing=0
for entry in "${grids[@]}"; do
  read -r name _ _ sum <<<"$entry"
  if [ ! -f "$grid_dir/$name" ] || [ "$(digest "$grid_dir/$name")" != "$sum" ]; then missing=1; fi
done
if [ "$missing" = 0 ]; then say "all four grids present and verified in $grid_dir"; exit 0; fi

source_grid=$cache/$(basename "$member")
if [ ! -f "$source_grid" ] || [ "$(stat -c %s "$source_grid")" != "$member_size" ]; then
  deb=$cache/$deb_name
  if [ -f "$deb" ] && [ "$(digest "$deb")" != "$deb_sum" ]; then
    say "$deb has SHA-256 $(digest "$deb"), not the known $deb_sum; fetching it again"
    rm -f "$deb"
  fi
  tmp=$(mktemp -d "$cache/extract.XXXXXX")
  trap 'rm -rf "$tmp"' EXIT
  if [ ! -f "$deb" ]; then
    say "fetching Debian's geotranz package into $cache"
    if ! (cd "$tmp" && apt-get download "geotranz=$deb_version" >/dev/null 2>&1); then
      apt-get update -qq
      (cd "$tmp" && apt-get download "geotranz=$deb_version")
    fi
    if [ "$(digest "$tmp/$deb_name")" != "$deb_sum" ]; then
      say "the downloaded $deb_name has SHA-256 $(digest "$tmp/$deb_name"), not the known $deb_sum"
      exit 1
    fi
    mv "$tmp/$deb_name" "$deb"
  fi
  say "extracting the 2.5' grid from $(basename "$deb")"
  dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$tmp" "$member"
  mv "$tmp/$member" "$source_grid"
  if [ "$(stat -c %s "$source_grid")" != "$member_size" ]; then
    say "the extracted grid has $(stat -c %s "$source_grid") bytes, expected $member_size"
    exit 1
  fi
fi

for entry in "${grids[@]}"; do
  read -r name spacing order sum <<<"$entry"
  target=$grid_dir/$name
  if [ -f "$target" ] && [ "$(digest "$target")" = "$sum" ]; then continue; fi
  say "making $name"
  "$converter" "$source_grid" "$target" "$spacing" "$order"
  got=$(digest "$target")
  if [ "$got" != "$sum" ]; then
    say "$name: SHA-256 $got, expected $sum"
    rm -f "$target"
    exit 1
  fi
done
say "all four grids made and verified in $grid_dir"
