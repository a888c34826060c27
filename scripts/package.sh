#!/usr/bin/env bash
# package.sh [OUTDIR]
# Builds Vostrel in Release and packs it as OUTDIR/vostrel_VERSION_ARCH.deb (default
# OUTDIR build/package) with cpack, its library dependencies found by dpkg-shlibdeps.
# The build folder is build/release, where ./test.sh builds too, so after the tests the
# build is already done; VOSTREL_BUILD_DIR names another.
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-build/package}
build=${VOSTREL_BUILD_DIR:-build/release}
scripts/install-deps.sh $(grep -v '^#' scripts/packages.txt)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build"
mkdir -p "$out"
out=$(realpath "$out")
# cpack's work folder is kept apart, so OUTDIR holds the package alone.
rm -rf "$out/.cpack" "$out"/vostrel_*.deb
(cd "$build" && cpack -G DEB -B "$out/.cpack" >/dev/null)
mv "$out"/.cpack/vostrel_*.deb "$out"/
rm -rf "$out/.cpack"
ls "$out"/vostrel_*.deb
