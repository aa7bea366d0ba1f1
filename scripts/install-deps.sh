#!/usr/bin/env bash
# Installs, from Debian's archive, whatever the project needs and the machine lacks.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
  qt6-base-dev xvfb xauth xdg-utils
  clang-14 libclang-rt-14-dev
  geographiclib-tools locales
  gdal-bin proj-bin python3-gdal
  libtiff-dev libgeotiff-dev libpng-dev python3-pil
  pybind11-dev python3-dev python3-numpy python3-pytest python3-pyproj
  lintian help2man
  libgdal-dev libnetcdf-dev gmt-gshhg-low proj-data python3-dask
)
missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ "${#missing[@]}" -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}" >&2
  sudo_cmd=()
  [ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# A locale with a decimal comma, so that the tests prove numbers ignore the user's locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  echo "install-deps: generating the de_DE.UTF-8 locale" >&2
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "install-deps: no de_DE.UTF-8 locale; locale tests will skip" >&2
fi
