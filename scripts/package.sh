#!/usr/bin/env bash
# Makes the Debian package in the build folder (build/ or $BUILD_DIR, already built) and checks
# it: dpkg installs it into a fresh, empty root, and the program installed there answers
# --version and converts a design (.CAD to GDSII, GDSII to .CAD and DXF) with its own data.
# `cmake --install` into a prefix gets the same check.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${BUILD_DIR:-build}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

rm -f "$build"/lavinor_*.deb
(cd "$build" && cpack -G DEB >"$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$build"/lavinor_*.deb)
echo "package: $deb"
dpkg-deb --field "$deb" Package Version Architecture Depends
contents=$(dpkg-deb --contents "$deb")
echo "$contents"

fail() { echo "package check: $*" >&2; exit 1; }
depends=$(dpkg-deb --field "$deb" Depends)
for lib in libc6 libqt6widgets6 fonts-ipafont-gothic; do
  [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib"
done
# On this machine, where it was built, apt finds everything the package depends on.
apt-get -s -q install "$deb" >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "Depends not met"; }
for f in usr/bin/lavinor usr/share/lavinor/Lavinor.cmd usr/share/lavinor/MOJIDATA.DAT \
  usr/share/lavinor/HLP/LAVINOR.html usr/share/lavinor/icons/zoom.svg \
  usr/share/lavinor/samples/sample.cad usr/share/applications/lavinor.desktop \
  usr/share/icons/hicolor/scalable/apps/lavinor.svg usr/share/man/man1/lavinor.1.gz \
  usr/share/doc/lavinor/LAVINOR.html usr/share/doc/lavinor/copyright; do
  grep -q " \./$f\$" <<<"$contents" || fail "$f missing from the package"
done

# Runs the installed program in prefix $1: the version, then a round of conversions.
check_installed() {
  local bin=$1/bin/lavinor share=$1/share/lavinor run=$work/run
  [[ $("$bin" --version) =~ ^Lavinor\ [0-9]+\.[0-9]+$ ]] || fail "$bin --version"
  rm -rf "$run" && mkdir -p "$run/gds" && cp "$share/samples/sample.cad" "$run/"
  (cd "$run" && printf 'OPEN sample\nGDSOUT gds/sample.str\nCLOSE 0\n' |
    "$bin" --batch - >/dev/null) || fail "$bin: .CAD to GDSII"
  (cd "$run/gds" && printf 'GDSIN sample.str\nDXFOUT sample.dxf\nCLOSE\n' |
    "$bin" --batch - >/dev/null) || fail "$bin: GDSII to .CAD and DXF"
  for f in gds/sample.str gds/sample.cad gds/sample.dxf; do
    [ -s "$run/$f" ] || fail "$bin: $f not written"
  done
  [ -z "$(zcat "$1/share/man/man1/lavinor.1.gz" | groff -man -Tutf8 -ww -z 2>&1)" ] ||
    fail "the manual page does not format cleanly"
}

# A fresh root with an empty package database; the libraries come from this machine.
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
# (Its libraries are missing there by design: dpkg's notes on them are kept out of the log.)
dpkg --root="$root" --force-not-root --force-depends --log=/dev/null -i "$deb" >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log"; fail "dpkg refused the package"; }
[ "$(dpkg --root="$root" -s lavinor | sed -n 's/^Status: //p')" = "install ok installed" ] ||
  fail "dpkg did not install the package"
check_installed "$root/usr"
echo "package check: the package installs into a fresh root and runs there"

cmake --install "$build" --prefix "$work/prefix" >/dev/null
check_installed "$work/prefix"
echo "package check: cmake --install to a prefix runs there"
