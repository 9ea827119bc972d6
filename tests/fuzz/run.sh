#!/usr/bin/env bash
# Fuzzes every target of a fuzz build for a fixed time each, as many side by side as there are
# cores, and fails on any finding.
#
#   tests/fuzz/run.sh [BUILD_DIR [SECONDS]]      (defaults: build-fuzz, 20)
#
# Each target starts from its seed corpus and its regressions, copied to a scratch directory so
# that the repository is never written; what it finds is left there (the path is printed). The
# last line per target gives its executions and coverage. Replay a finding with
# `BUILD_DIR/fuzz/<target> <input>` to see the whole report, the target's own message included.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-build-fuzz}"
seconds="${2:-20}"
bin="$build/fuzz"

shopt -s nullglob
targets=("$bin"/*)
if [ ${#targets[@]} -eq 0 ]; then
    echo "run.sh: no fuzz target in $bin: build the target 'fuzzers' of a SNPHOT_FUZZ build" >&2
    exit 2
fi

scratch="$(mktemp -d "${TMPDIR:-/tmp}/snphot-fuzz.XXXXXX")"
# The targets run side by side, as many at a time as the cores this process may use: each is
# one process of its own, so its seconds of fuzzing stay the same and the wall time shrinks.
jobs="$(nproc 2>/dev/null || echo 1)"

# fuzz TARGET: fuzzes one target for the given time; its summary line goes to
# $scratch/NAME/line, a report of a finding to $scratch/NAME/report.
fuzz() {
    local target=$1 name corpus log status runs cov line first
    name="$(basename "$target")"
    corpus="$scratch/$name/corpus"
    mkdir -p "$corpus" "$scratch/$name/findings"
    for seeds in "$here/corpus/$name" "$here/regressions/$name"; do
        [ -d "$seeds" ] && cp -- "$seeds"/* "$corpus"/ 2>/dev/null
    done
    log="$scratch/$name/log"
    # The readers' warnings go to standard error: the target's own output is closed
    # (-close_fd_mask=3), while libFuzzer's lines and any sanitizer report still reach the log.
    # Inputs may grow beyond the 1 MiB of a settings file, so that faults that need size (a field
    # of any length, deep nesting) stay within reach.
    "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=1200000 \
        -close_fd_mask=3 -print_final_stats=1 -dict="$here/numbers.dict" \
        -artifact_prefix="$scratch/$name/findings/" "$corpus" >"$log" 2>&1
    status=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    cov="$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)"
    line="$name: ${runs:-?} runs, ${cov:-no coverage line}"
    if [ $status -ne 0 ] || [ -n "$(ls -A "$scratch/$name/findings")" ]; then
        line="$line, FINDING (status $status)"
        first="$(grep -n -m1 -E 'ERROR|runtime error' "$log" | cut -d: -f1)"
        { sed -n "${first:-1},\$p" "$log" | head -n 60
          echo "inputs: $scratch/$name/findings"; } >"$scratch/$name/report"
    fi
    echo "$line" >"$scratch/$name/line"
}

names=()
for target in "${targets[@]}"; do
    [ -x "$target" ] || continue
    names+=("$(basename "$target")")
    echo "== $(basename "$target"): ${seconds} s"
    fuzz "$target" &
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
done
wait

failed=()
summary=()
for name in "${names[@]}"; do
    [ -f "$scratch/$name/report" ] && { failed+=("$name"); cat "$scratch/$name/report"; }
    summary+=("$(cat "$scratch/$name/line" 2>/dev/null || echo "$name: no result")")
done

echo "== summary"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -ne 0 ]; then
    echo "run.sh: findings in: ${failed[*]} (logs and inputs in $scratch)" >&2
    exit 1
fi
rm -rf -- "$scratch"
echo "run.sh: ${#summary[@]} targets, no finding"
