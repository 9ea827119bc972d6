#!/usr/bin/env bash
# Benchmark: lcimport on catalogue exports of 250,000 and 1,000,000 rows (B V R I from three
# sources, 0.3 and 1.2 mag off the first, a few points a night), per-night means and the sources
# aligned; time and peak memory of each, and their ratios. The table is read once whole and once
# per band, and one band at a time is held, so the time should grow as the rows, and the memory
# as the rows of one band. A third run puts all 1,000,000 rows in one band.
# Usage: bench/lcimport.sh [bin-directory] (default: build/bin).
source "$(dirname "$0")/scratch.sh"
bin=$(cd "${1:-$top/build/bin}" && pwd)
[ -x /usr/bin/time ] || { echo "bench/lcimport.sh: needs GNU time (apt-get install time)" >&2; exit 2; }

# table ROWS BANDS FILE: ROWS rows, the bands in turn, about 4 rows of a band per night.
table() {
    awk -v n="$1" -v bands="$2" 'BEGIN {
        nb = split(bands, band, " ")
        split("ref 0.0 second 0.3 third 1.2", s, " ")
        print "mjd,band,mag,mag_err,source"
        for (k = 0; k < n; k++) {
            b = k % nb + 1; j = int(k / nb); src = j % 3
            t = 50000 + j * 0.25 + src * 0.05
            printf "%.4f,%s,%.3f,%.3f,%s\n", t, band[b], 14 + b * 0.2 + 0.001 * (j % 400) + s[2 * src + 2], 0.02 + 0.001 * (k % 7), s[2 * src + 1]
        }
    }' >"$3"
}

printf '[import]\nalign_sources = true\n' >"$work/snphot.toml"
run() { # label, rows, bands
    mkdir -p "$work/$1" && cp "$work/snphot.toml" "$work/$1/"
    table "$2" "$3" "$work/$1/photometry.csv"
    (cd "$work/$1" && /usr/bin/time -f '%e %M' -o time.txt "$bin/lcimport" </dev/null >console.txt 2>/dev/null)
    read -r seconds kib <"$work/$1/time.txt"
    printf '%-34s %8.2f s %8d KiB\n' "$1: $2 rows, bands $3" "$seconds" "$kib"
    eval "${1}_s=$seconds ${1}_kib=$kib"
}
run quarter 250000 "B V R I"
run full 1000000 "B V R I"
run oneband 1000000 "B"
printf 'time 1,000,000 / 250,000 rows: %.2f (linear: 4)\n' "$(echo "$full_s / $quarter_s" | bc -l)"
printf 'memory 1,000,000 / 250,000 rows: %.2f; one band of 1,000,000 / four bands: %.2f\n' \
    "$(echo "$full_kib / $quarter_kib" | bc -l)" "$(echo "$oneband_kib / $full_kib" | bc -l)"
wc -l <"$work/full/B-gorbeA.txt" | xargs printf '  B-gorbeA.txt of the 1,000,000 rows: %s nights\n'
