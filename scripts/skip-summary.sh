#!/usr/bin/env bash
# Prints, for each ctest build folder given, how many of its tests were skipped and why:
# the reasons the skipped tests gave, each with its count, read from ctest's last log.
set -euo pipefail
for dir in "$@"; do
    log=$dir/Testing/Temporary/LastTest.log
    [ -f "$log" ] || continue
    awk -v dir="$dir" '
        / Testing: / { total++ }
        /: Skipped$/ { reading = 1; reason = ""; next }
        reading && /^\[  SKIPPED \]/ {
            reading = 0
            if (reason == "") reason = "(no reason given)"
            count[reason]++
            skipped++
            next
        }
        reading { reason = reason == "" ? $0 : reason " " $0 }
        END {
            printf "== %d of %d tests skipped in %s\n", skipped, total, dir
            fflush()
            for (r in count) printf "%6d  %s\n", count[r], r | "sort -rn"
            close("sort -rn")
        }' "$log"
done
