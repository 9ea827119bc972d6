#!/usr/bin/env bash
# Benchmark: bandconv on four g r i z light curves of 250,000 and of 1,000,000 rows each, with
# standard input at end of file and the console thrown away.
# Usage: bench/bandconv.sh [bin-directory] (default: build/bin).
source "$(dirname "$0")/scratch.sh"
bin=$(cd "${1:-$top/build/bin}" && pwd)

# One record per band and day from 50000 on: g at a quarter day, r, i and z at different hours of
# the same day number, so that every record of r, i and z is merged into the row of its g record;
# every 50th day lacks r (no V, B, Rc; Ic from i and z).
make_curves() {
    local rows=$1
    for band in g r i z; do
        awk -v n="$rows" -v band="$band" 'BEGIN {
            split("g r i z", names, " ")
            for (b = 1; b <= 4; b++) if (names[b] == band) slot = b
            for (k = 0; k < n; k++) {
                if (band == "r" && k % 50 == 7) continue
                t = 50000 + k + 0.25 * (slot == 1 ? 0 : slot - 1) - 0.25
                printf "%f %f %f %f\n", t, 17 + slot * 0.1 + (k % 100) * 0.01, 0.02, 0.03
            }
        }' >"$work/$band-gorbe.txt"
    done
}

cd "$work"
for rows in 250000 1000000; do
    make_curves "$rows"
    TIMEFORMAT='%R s elapsed, %U s user, %S s system'
    times=$( { time "$bin/bandconv" </dev/null >console.txt; } 2>&1 )
    printf 'bandconv: %d rows in each of g r i z: %s\n' "$rows" "$times"
    grep -c . console.txt | xargs printf '  console lines: %s\n'
    for out in V R I B; do wc -l <"$out-gorbeC.txt" | xargs printf "  $out-gorbeC.txt rows: %s\n"; done
done
