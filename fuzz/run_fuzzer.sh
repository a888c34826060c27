#!/usr/bin/env bash
# run_fuzzer.sh FUZZER SECONDS SEED_DIR...
# Runs a libFuzzer target for SECONDS on a fresh corpus seeded with the small files
# (under 400 kB) of the seed folders that exist. Fails on any crash or sanitizer report.
set -euo pipefail
fuzzer=$1 seconds=$2
shift 2
corpus=$(mktemp -d)
trap 'rm -rf "$corpus"' EXIT
for dir in "$@"; do
  [ -d "$dir" ] || continue
  find "$dir" -maxdepth 1 -type f -size -400k -exec cp {} "$corpus"/ \;
done
exec "$fuzzer" "$corpus" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 \
  -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="${TMPDIR:-/tmp}/$(basename "$fuzzer")-"
