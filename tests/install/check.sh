#!/usr/bin/env bash
# The suite as a user installs it: `cmake --install` with every manual page readable by man, the
# Debian package unpacked into a scratch root with a program run from there, and a configure
# without tests on a machine that has no GoogleTest.
#   tests/install/check.sh [BUILD]   (default: build, a finished build of the default preset)
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build}" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "check.sh: $*" >&2; exit 1; }

programs="lcbuild-bvri lcbuild-griz starcorr starcal bandconv bandtab lcsub lcsub-err bolcurve
          snmodel snfit snpost decayheat specjoin cumquad cumquad2 lcimport snplot"

# 1. cmake --install, then every manual page through man.
cmake --install "$build" --prefix "$scratch/prefix" >/dev/null
for program in $programs; do
    [ -x "$scratch/prefix/bin/$program" ] || fail "$program is not installed"
    page=$scratch/prefix/share/man/man1/$program.1
    [ -f "$page" ] || fail "no manual page of $program"
    MANWIDTH=80 man -l "$page" 2>/dev/null | grep -q "$program" || fail "man -l $page shows nothing"
done
[ -f "$scratch/prefix/share/doc/snphot/files.md" ] || fail "the file reference is not installed"
echo "install: $(echo $programs | wc -w) programs, their manual pages and the documentation"

# 2. The Debian package, unpacked into a scratch root; one program runs from there.
(cd "$build" && cpack -G DEB -B "$scratch/deb" >/dev/null 2>&1) || fail "cpack failed"
deb=$(ls "$scratch"/deb/snphot_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
[ -n "$depends" ] || fail "the package declares no dependencies"
dpkg -x "$deb" "$scratch/root"
mkdir "$scratch/work"
(cd "$scratch/work" && "$scratch/root/usr/bin/decayheat" </dev/null)
[ "$(wc -l <"$scratch/work/numNi.txt")" -eq 3000 ] || fail "decayheat from the package wrote no table"
[ -f "$scratch/root/usr/share/man/man1/decayheat.1.gz" ] || [ -f "$scratch/root/usr/share/man/man1/decayheat.1" ] ||
    fail "the package holds no manual page"
[ -d "$scratch/root/usr/share/doc/snphot/examples/campaign" ] || fail "the package holds no example"
echo "package: $(basename "$deb") (Depends: $depends), decayheat run from the unpacked root"

# 3. An install-only configure needs no GoogleTest.
cmake -S "$top" -B "$scratch/release" -DBUILD_TESTING=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON --no-warn-unused-cli \
    >/dev/null || fail "an install-only configure failed"
echo "install-only configure: no GoogleTest needed"
