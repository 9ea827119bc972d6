#!/usr/bin/env bash
# Runs the example working directories: every examples/<dir> that holds a file "steps" is copied
# afresh to build/example-run/<dir>, and the lines of "steps" run there in order: a program name
# runs that program of build/bin with standard input at end of file; a line "cp FROM TO" copies a
# file of the working directory (to put a prepared table in place under the name a program reads).
# Stops at the first step that fails.
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
    while read -r program args; do
        case "$program" in
        "" | "#"*) continue ;;
        cp) (cd "$work" && cp $args) && echo "   cp $args" && continue ;;
        esac
        if ! (cd "$work" && "$bin/$program" </dev/null >"$program.console" 2>"$program.stderr"); then
            echo "$program failed in $work; its diagnostics:" >&2
            cat "$work/$program.stderr" >&2
            exit 1
        fi
        echo "   $program: ok (console output in $program.console)"
    done <"$steps"
done
