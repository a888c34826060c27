#!/usr/bin/env bash
# Installs what is missing, builds in Release and opens the viewer on the bundled sample
# mesh. Without a display it renders the sample with vostrel-cli instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh $(grep -v '^#' scripts/packages.txt)
# The build goes to a log: only a summary is shown, the whole log when it fails.
mkdir -p build
log=build/run-build.log
echo "Building vostrel and vostrel-cli (Release)..."
if ! { cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release &&
  cmake --build build/release --target vostrel vostrel-cli; } >"$log" 2>&1; then
  cat "$log"
  echo "Build failed; the log is $log" >&2
  exit 1
fi
echo "Built ($(grep -c 'warning:' "$log" || true) warnings; the log is $log)"
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/viewer/vostrel data/spot.obj
fi
build/release/cli/vostrel-cli render data/spot.obj -o build/spot.png
echo "No display: the sample is rendered to $(pwd)/build/spot.png"
