#!/usr/bin/env bash
# Installs what is missing, builds in Release and runs vostrel-cli on the bundled sample mesh.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh $(grep -v '^#' scripts/packages.txt)
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target vostrel-cli
build/release/cli/vostrel-cli info data/spot.obj
