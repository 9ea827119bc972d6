#!/usr/bin/env bash
# Benchmark: the coverage of the fit's 1 sigma errors over synthetic data sets (default 50), with
# and without the velocity constraint; takes some minutes.
# Usage: bench/coverage.sh [data sets [build-directory]] (default: 50, build).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${2:-$top/build}" && pwd)
time "$build/bench/bench-fit-coverage" "${1:-50}"
