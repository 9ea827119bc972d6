#!/usr/bin/env bash
# Benchmark: a 1,000,000-row B and a 1,000,000-row I light curve through bolcurve, with standard
# input at end of file. Usage: bench/bolcurve.sh [bin-directory] (default: build/bin).
source "$(dirname "$0")/scratch.sh"
bin=$(cd "${1:-$top/build/bin}" && pwd)
rows=1000000

# One B and one I image a night, on 1,000,000 nights from 10000 on, the I rows in reverse order
# so that every I row is matched through the night index; every tenth night has no I image.
awk -v n=$rows 'BEGIN {
    for (k = 0; k < n; k++) printf "%f %f %f %f\n", 10000 + k + 0.3, 15 + (k % 50) * 0.02, 0.02, 0.03
}' >"$work/B-gorbeA.txt"
awk -v n=$rows 'BEGIN {
    for (k = n - 1; k >= 0; k--)
        if (k % 10) printf "%f %f %f %f\n", 10000 + k + 0.35, 14 + (k % 30) * 0.01, 0.02, 0.02
        else printf "%f %f %f %f\n", 9000 - k, 14, 0.02, 0.02
}' >"$work/I-gorbeA.txt"

cd "$work"
start=$(date +%s.%N)
"$bin/bolcurve" </dev/null >console.txt
end=$(date +%s.%N)
printf 'bolcurve: %d B rows and %d I rows: %.2f s\n' $rows $rows "$(echo "$end - $start" | bc)"
wc -l <bol-gorbe.txt | xargs printf '  bol-gorbe.txt rows: %s\n'
