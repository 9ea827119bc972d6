#!/usr/bin/env bash
# Benchmark: four 1,000,000-row standard light curves through lcsub (and lcsub-err), with standard
# input at end of file. Usage: bench/lcsub.sh [bin-directory] (default: build/bin).
source "$(dirname "$0")/scratch.sh"
bin=$(cd "${1:-$top/build/bin}" && pwd)
rows=1000000

# Rows every 0.25 day from 57600 on, fading 0.01 mag per day; night 57834 lies inside.
for band in V R I B; do
    awk -v n=$rows -v off="$(printf '%d' "'$band")" 'BEGIN {
        for (k = 0; k < n; k++) {
            t = 57600 + k * 0.25
            printf "%f %f %f %f\n", t, 14 + (off % 7) * 0.1 + (t - 57600) * 0.01, 0.02, 0.03
        }
    }' >"$work/$band-gorbeS.txt"
done

cd "$work"
for program in lcsub lcsub-err; do
    start=$(date +%s.%N)
    "$bin/$program" </dev/null >/dev/null
    end=$(date +%s.%N)
    printf '%s: %d rows in each of V R I B: %.2f s\n' "$program" $rows "$(echo "$end - $start" | bc)"
    wc -l <V-gorbeR.txt | xargs printf '  V-gorbeR.txt rows: %s\n'
done
