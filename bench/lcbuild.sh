#!/usr/bin/env bash
# Benchmark of lcbuild-bvri: result tables of 50,000 and 200,000 image blocks (six stars each,
# four bands in turn, one image block every quarter of a day) run through
# `lcbuild-bvri </dev/null` in a scratch directory. Prints the wall-clock time of each run.
# Usage: bench/lcbuild.sh [bin-directory] [blocks ...]   (default: build/bin, 50000 200000)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin=${1:-$top/build/bin}
shift || true
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(50000 200000)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for blocks in "${sizes[@]}"; do
    awk -v n="$blocks" 'BEGIN {
        split("V R I B", band, " ");
        split("16.298 16.2437 16.709751 16.0067 15.47935 17.0", v, " ");
        srand(1);
        for (b = 0; b < n; b++) {
            jd = 2457000.5 + b * 0.25;
            for (s = 5; s >= 0; s--)
                printf "%d %s %.5f %.4f %.4f\n", s, band[b % 4 + 1], jd,
                       v[s + 1] - 2.3 + (rand() - 0.5) * 0.05, 0.01 + rand() * 0.02;
        }
    }' >"$work/Eredmeny.txt"
    start=$(date +%s.%N)
    (cd "$work" && "$bin/lcbuild-bvri" </dev/null >/dev/null)
    end=$(date +%s.%N)
    printf '%8d blocks: %6.2f s\n' "$blocks" "$(echo "$end - $start" | bc)"
done
