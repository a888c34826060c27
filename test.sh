#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything and runs every test
# through ctest: the release build (unit, command-line and widget tests), the core and
# command-line tests again under AddressSanitizer and UndefinedBehaviorSanitizer, and
# the fuzz targets; then makes the Debian package of the release build and checks it.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh $(grep -v '^#' scripts/packages.txt)

echo "== format check"
scripts/check-format.sh

cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build/release
# -O1 and line tables only: the usual level for the sanitisers, and half the build time
# of -O2 -g with the same reports.
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DVOSTREL_SANITIZE=ON -DVOSTREL_BENCH=OFF \
  -DVOSTREL_GUI=OFF
cmake --build build/asan
CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOSTREL_FUZZ=ON
cmake --build build/fuzz

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for dir in build/release build/asan build/fuzz; do
  echo "== ctest in $dir"
  ctest --test-dir "$dir" --output-on-failure --timeout 600 -j2 || status=1
done
# The Debian package of the release build, unpacked and run from a folder of its own.
echo "== package"
scripts/test-package.sh build/package || status=1
# Tests on meshes that only the shared data folder beside the clone has skip without it.
scripts/skip-summary.sh build/release build/asan build/fuzz
exit $status
