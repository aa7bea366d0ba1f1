#!/usr/bin/env bash
# The Debian package as a user gets it: made by scripts/package.sh from the
# build folder, no lintian error, the expected files in its contents list, and
# the command-line tool unpacked into a scratch folder answering --version and
# a point query from the internal database beside it.
#
# usage: check_package.sh BUILD_DIR VERSION GUI(ON|OFF) PYTHON(ON|OFF)
set -euo pipefail

build=${1:?usage: check_package.sh BUILD_DIR VERSION GUI}
version=${2:?}
gui=${3:?}
python=${4:?}
top=$(cd "$(dirname "$0")/../.." && pwd)
fail() { printf 'check_package: %s\n' "$*" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

deb=$("$top/scripts/package.sh" "$build")
[ "$(basename "$deb")" = "egm2008_${version}_$(dpkg --print-architecture).deb" ] ||
  fail "package file named $(basename "$deb")"

# lintian refuses nothing (warnings and notes are allowed).
lintian --allow-root "$deb" >"$scratch/lintian.txt" 2>&1 || true
if grep '^E:' "$scratch/lintian.txt"; then fail "lintian reports errors"; fi

# The contents list holds every file the package promises.
dpkg-deb -c "$deb" | awk '{print $6}' >"$scratch/contents.txt"
expected=(
  ./usr/bin/egm2008
  "./usr/share/egm2008/Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE"
  ./usr/share/man/man1/egm2008.1.gz
  ./usr/share/doc/egm2008/copyright
  ./usr/share/doc/egm2008/changelog.gz
)
if [ "$gui" = ON ]; then
  expected+=(
    ./usr/bin/egm2008-gui
    ./usr/share/man/man1/egm2008-gui.1.gz
    ./usr/share/egm2008/egm2008-manual.html
    ./usr/share/applications/egm2008.desktop
    ./usr/share/icons/hicolor/scalable/apps/egm2008.svg
    ./usr/share/icons/hicolor/48x48/apps/egm2008.png
    ./usr/share/icons/hicolor/256x256/apps/egm2008.png
  )
fi
for file in "${expected[@]}"; do
  grep -qxF "$file" "$scratch/contents.txt" || fail "$file is not in the package"
done
# The library, its headers and build files; the lib folder is multiarch below /usr only.
lib='\./usr/lib/(x86_64-linux-gnu/)?'
patterns=(
  "${lib}libegm2008\.so\.1"
  '\./usr/include/egm2008/geoid\.hpp'
  "${lib}cmake/EGM2008/EGM2008Config\.cmake"
  "${lib}pkgconfig/egm2008\.pc"
)
[ "$python" = ON ] && patterns+=('\./usr/lib/python3/dist-packages/egm2008\..*so')
for pattern in "${patterns[@]}"; do
  grep -qxE "$pattern" "$scratch/contents.txt" || fail "nothing like $pattern in the package"
done
dpkg-deb -f "$deb" Depends | grep -q 'libc6' || fail "no computed dependencies"

# Unpacked anywhere, the tool finds its database beside it in ../share/egm2008.
dpkg-deb -x "$deb" "$scratch/root"
mkdir "$scratch/work"
cd "$scratch/work"
tool=$scratch/root/usr/bin/egm2008
[ "$("$tool" --version)" = "egm2008 $version" ] || fail "--version says $("$tool" --version)"
got=$("$tool" point 52.5 13.4 --method bilinear)
want=$("$build/cli/egm2008" point 52.5 13.4 --method bilinear \
  --grid "$scratch/root/usr/share/egm2008/Und_min10x10_egm2008_isw=82_WGS84_TideFree_SE")
[ -n "$got" ] && [ "$got" = "$want" ] || fail "point query gave \"$got\", expected \"$want\""
echo "check_package: $(basename "$deb") is sound"
