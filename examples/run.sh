#!/usr/bin/env bash
# Runs the example working directories: every examples/<dir> that holds a file "steps" is copied
# afresh to build/example-run/<dir>, and the programs named in "steps", one per line, run there in
# that order with standard input at end of file. Stops at the first program that fails.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
bin="$top/build/bin"
run_root="$top/build/example-run"

for steps in "$top"/examples/*/steps; do
    example=$(dirname "$steps")
    name=$(basename "$example")
    work="$run_root/$name"
    rm -rf "$work"
    mkdir -p "$work"
    (cd "$example" && find . -mindepth 1 -maxdepth 1 ! -name steps -exec cp -r {} "$work"/ \;)
    echo "== example $name (in build/example-run/$name)"
    while read -r program; do
        case "$program" in ""|"#"*) continue ;; esac
        if ! (cd "$work" && "$bin/$program" </dev/null >"$program.console" 2>"$program.stderr"); then
            echo "$program failed in $work; see $program.stderr:" >&2
            cat "$work/$program.stderr" >&2
            exit 1
        fi
        written=$(cd "$work" && find . -maxdepth 1 -type f -newer "$work/$program.console" -o \
                  -maxdepth 1 -type f -name '*' -cnewer "$steps" | sort -u | wc -l)
        echo "   $program: ok, console in $program.console"
    done <"$steps"
done
