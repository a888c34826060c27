#!/usr/bin/env bash
# Installs what is missing, builds in Release and opens the viewer on the bundled sample
# mesh. Without a display it renders the sample with vostrel-cli instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh $(grep -v '^#' scripts/packages.txt)
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target vostrel vostrel-cli
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec build/release/viewer/vostrel data/spot.obj
fi
build/release/cli/vostrel-cli render data/spot.obj -o build/spot.png
echo "No display: the sample is rendered to $(pwd)/build/spot.png"
