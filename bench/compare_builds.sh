#!/usr/bin/env bash
# Compares two builds' benchmark programs case by case in one run: each round runs
# every case once with each build, alternating which goes first, so that both see the
# same drift of the machine's speed. Prints per case the median real time of each build
# and the ratio new / old.
#
# Usage: bench/compare_builds.sh OLD_BUILD NEW_BUILD ROUNDS PROGRAM:CASE...
#   bench/compare_builds.sh /tmp/old/build build/release 5 mesh_tools_bench:BM_Simplify/ogre/lod50
set -euo pipefail
old=$1 new=$2 rounds=$3
shift 3
results=$(mktemp)
trap 'rm -f "$results"' EXIT

time_of() { # BUILD PROGRAM CASE: the case's real time in ms
    "$1/bench/$2" --benchmark_filter="^$3\$" --benchmark_format=csv 2>/dev/null |
        awk -F, -v unit=ms 'NR > 1 && $1 != "" {
            t = $3; u = $5; gsub(/"/, "", u)
            if (u == "ns") t /= 1e6; else if (u == "us") t /= 1e3; else if (u == "s") t *= 1e3
            print t; exit }'
}

for ((r = 0; r < rounds; r++)); do
    for item in "$@"; do
        program=${item%%:*} case=${item#*:}
        if ((r % 2)); then order="new old"; else order="old new"; fi
        for which in $order; do
            build=$old
            [ "$which" = new ] && build=$new
            echo "$item $which $(time_of "$build" "$program" "$case")" >>"$results"
        done
    done
done

python3 - "$results" "$@" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1]) if len(line.split()) == 3]
print(f"{'case':58} {'old ms':>10} {'new ms':>10} {'new/old':>8}")
for item in sys.argv[2:]:
    old = [float(t) for i, w, t in rows if i == item and w == "old"]
    new = [float(t) for i, w, t in rows if i == item and w == "new"]
    if old and new:
        o, n = statistics.median(old), statistics.median(new)
        print(f"{item:58} {o:10.2f} {n:10.2f} {n / o:8.3f}")
PY
