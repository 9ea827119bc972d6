#!/usr/bin/env bash
# Runs an example field through the programs of the suite, in the order of the data flow, on a
# fresh copy of the field, with standard input at end of file; then draws the figures.
#
#   examples/run.sh [CAMPAIGN [RUN]]
#
# CAMPAIGN is the field's directory, RUN the directory to work in (default build/example-run; it
# is emptied first when run.sh made it, and refused when it holds anything else). Without
# arguments, the campaign examples/campaign is run through all fifteen programs in
# build/example-run, then the second field examples/another-field in
# build/example-run/another-field. The field's directory itself is never written. Each stage works
# in a subdirectory of RUN, since several programs use the same file names: bvri/ (lcbuild-bvri,
# lcsub), bvri-err/ (lcsub-err), griz/ (lcbuild-griz, bandconv, bandtab), bolometric/ (bolcurve, snfit, snpost),
# calibration/ (starcorr, starcal), model/ (snmodel, decayheat), spectrum/ (specjoin, cumquad,
# cumquad2); the figures go to figures/. The field's settings file snphot.toml is copied into
# every stage, where the programs find it. A field without model parameters or without a spectrum
# skips those stages, and its figures.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
if [ $# -eq 0 ]; then
    "$0" "$top/examples/campaign" "$top/build/example-run"
    echo
    exec "$0" "$top/examples/another-field" "$top/build/example-run/another-field"
fi
campaign=$(cd "$1" && pwd)
run=${2:-$top/build/example-run}
bin=${SNPHOT_BIN:-$top/build/bin}

for program in lcbuild-bvri lcbuild-griz bandconv lcsub lcsub-err bolcurve starcorr starcal \
               bandtab snmodel decayheat specjoin cumquad cumquad2 snfit snpost; do
    [ -x "$bin/$program" ] || { echo "run.sh: $bin/$program is missing: build the suite first" >&2; exit 1; }
done

# The run directory is cleared only when run.sh made it (it leaves a mark there); any other
# directory that holds something is refused, so that no one's files are ever deleted.
mark=.snphot-example-run
if [ -e "$run" ] && [ ! -e "$run/$mark" ] && [ -n "$(ls -A "$run" 2>/dev/null || echo x)" ]; then
    echo "run.sh: $run is not empty and was not made by run.sh; it is left alone: name another" \
         "directory, or empty this one yourself" >&2
    exit 1
fi
rm -rf "$run"
mkdir -p "$run"/{bvri,bvri-err,griz,bolometric,calibration,model,spectrum,figures}
touch "$run/$mark"
run=$(cd "$run" && pwd)

# put FILE STAGE [NAME]: copies a campaign file into a stage directory.
put() { cp "$campaign/$1" "$run/$2/${3:-$(basename "$1")}"; }

# has FILE...: whether the field holds all these files.
has() {
    local f
    for f; do [ -f "$campaign/$f" ] || return 1; done
}

# The settings of the field go beside the data of every stage.
if has snphot.toml; then
    for stage in bvri bvri-err griz bolometric calibration model spectrum; do put snphot.toml "$stage"; done
fi

# step STAGE PROGRAM: runs a program in a stage directory and tells what it wrote.
step() {
    local stage=$1 program=$2 dir=$run/$1
    touch "$dir/.before-$program"
    sleep 0.01
    if ! (cd "$dir" && "$bin/$program" </dev/null >"$program.console" 2>"$program.stderr"); then
        echo "run.sh: $program failed in $dir:" >&2
        cat "$dir/$program.stderr" >&2
        exit 1
    fi
    local written=()
    while IFS= read -r f; do
        f=${f#./}
        case "$f" in *.console | *.stderr | .before-*) continue ;; esac
        written+=("$f ($(wc -l <"$dir/$f") lines)")
    done < <(cd "$dir" && find . -maxdepth 1 -type f -newer ".before-$program" | sort)
    rm -f "$dir/.before-$program"
    # Warnings are the lines of standard error beyond the one that names the settings file.
    local warnings="" count
    count=$(grep -vc "^$program: settings from " "$dir/$program.stderr" || true)
    [ "$count" -gt 0 ] && warnings=", $count warnings in $program.stderr"
    printf '%-13s %-12s wrote: %s%s\n' "$program" "$stage/" \
        "$( ((${#written[@]})) && printf '%s, ' "${written[@]}" | sed 's/, $//' || echo "nothing (console only)")" "$warnings"
}

echo "Example campaign: $campaign"
echo "Working directory: $run"
echo

put Eredmeny-BVRI.txt bvri Eredmeny.txt
step bvri lcbuild-bvri
put Eredmeny-griz.txt griz Eredmeny.txt
step griz lcbuild-griz
step griz bandconv
step bvri lcsub
cp "$run"/bvri/{V,R,I,B}-gorbeS.txt "$run/bvri-err/"
step bvri-err lcsub-err
put B-gorbeA.txt bolometric
put I-gorbeA.txt bolometric
step bolometric bolcurve
if has parameters.inp; then # the start values of the fit
    put parameters.inp bolometric
    step bolometric snfit
    step bolometric snpost
fi
put standard-field.txt calibration Eredmeny.txt
step calibration starcorr
put Eredmeny-griz.txt calibration Eredmeny.txt
step calibration starcal
step griz bandtab
skipped=()
if has parameters.inp; then
    put parameters.inp model
    step model snmodel
    step model decayheat
else
    skipped+=("snfit, snmodel, decayheat (no parameters.inp)")
fi
if has PSNspectraCut2.txt fasz; then
    put PSNspectraCut2.txt spectrum
    put fasz spectrum
    step spectrum specjoin
    step spectrum cumquad
    step spectrum cumquad2
else
    skipped+=("specjoin, cumquad, cumquad2 (no spectrum)")
fi

echo
if ((${#skipped[@]})); then
    echo "Not run for this field: $(printf '%s; ' "${skipped[@]}" | sed 's/; $//')."
    echo "No figures for a field without the model and the spectrum."
elif command -v gnuplot >/dev/null 2>&1; then
    for script in "$top"/examples/plots/*.gp; do
        name=$(basename "$script" .gp)
        [ "$name" = common ] && continue
        (cd "$top/examples/plots" && gnuplot -e "run='$run'" "$name.gp")
    done
    echo "Figures: $(cd "$run/figures" && ls | tr '\n' ' ')(in $run/figures)"
else
    echo "No figures: gnuplot is not installed (apt-get install gnuplot-nox), so the plots are skipped."
fi
