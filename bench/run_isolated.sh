#!/usr/bin/env bash
# Runs every benchmark case in a process of its own. The heap a case leaves behind
# (free holes that later large blocks are carved from) changes what the next case
# pays for fresh memory, so cases sharing a process time differently by their order.
#
# Usage: bench/run_isolated.sh [BUILD_DIR] [FILTER] [benchmark options...]
#   bench/run_isolated.sh build/release torus --benchmark_repetitions=5
set -euo pipefail

build=${1:-build/release}
filter=${2:-.}
shift $(($# < 2 ? $# : 2))

first=1
for program in obj_parse_bench mesh_build_bench; do
    binary="$build/bench/$program"
    for name in $("$binary" --benchmark_list_tests --benchmark_filter="$filter"); do
        if ((first)); then
            # The machine description and the column heads, once.
            "$binary" --benchmark_filter="^$name\$" "$@"
            first=0
        else
            "$binary" --benchmark_filter="^$name\$" "$@" 2>&1 | grep -E "^${name}[_ ]" || true
        fi
    done
done
