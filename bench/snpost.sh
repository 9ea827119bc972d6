#!/usr/bin/env bash
# Benchmark: the posterior of the example campaign (the default free set and the scatter) with
# snpost on the cores granted (two by default): wall time, model runs, effective samples and
# autocorrelation times, as posterior.txt gives them.
# Then the moves side by side in one run (bench-posterior-moves): the stretch move alone and
# snpost's mixture of differential-evolution and stretch moves, with their ratio.
# Usage: bench/snpost.sh [build-directory [cores]] (default: build, 0,1). The coverage of the
# intervals is measured by build/bench/bench-posterior-coverage.
source "$(dirname "$0")/scratch.sh"
build=$(cd "${1:-$top/build}" && pwd)
cores=${2:-0,1}

cp "$top/examples/campaign/"{B-gorbeA.txt,I-gorbeA.txt,parameters.inp,snphot.toml} "$work/"
cd "$work"
"$build/bin/bolcurve" </dev/null >/dev/null 2>&1
sed -i 's/^\[fit\]$/[fit]\nfree = ["explosion_date", "R0", "M", "Ek", "Mni", "scatter"]/' snphot.toml

start=$(date +%s.%N)
taskset -c "$cores" "$build/bin/snpost" </dev/null >snpost.console 2>snpost.stderr || true
end=$(date +%s.%N)
printf 'the posterior of the example on cores %s: %.1f s wall\n' "$cores" "$(echo "$end - $start" | bc)"
sed -n '/^parameter /,/^converged/p' posterior.txt
grep '^chain:' posterior.txt
echo
echo "the moves side by side, same fit, seed and stopping rule:"
taskset -c "$cores" "$build/bench/bench-posterior-moves"
