#!/usr/bin/env bash
# Benchmark: one model run to 300 days, and the whole fit of the example campaign's bolometric
# light curve on one core and on two (taskset), with the speed-up.
# Usage: bench/snfit.sh [build-directory] (default: build). The coverage of the errors is
# measured by bench/coverage.sh.
source "$(dirname "$0")/scratch.sh"
build=$(cd "${1:-$top/build}" && pwd)

"$build/bench/bench-model-run"

cp "$top/examples/campaign/"{B-gorbeA.txt,I-gorbeA.txt,parameters.inp,snphot.toml} "$work/"
cd "$work"
"$build/bin/bolcurve" </dev/null >/dev/null

fit_on() {
    local start end
    start=$(date +%s.%N)
    taskset -c "$1" "$build/bin/snfit" </dev/null >snfit.console
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}
one=$(fit_on 0)
two=$(fit_on 0,1)
runs=$(sed -n 's/^model runs: //p' fit.txt)
printf 'the fit of the example (%s model runs): %.2f s on one core, %.2f s on two, speed-up %.2f\n' \
    "$runs" "$one" "$two" "$(echo "$one / $two" | bc -l)"
