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
# build/example-run/another-field, then the real supernova examples/sn2004et in
# build/example-run/sn2004et. The field's directory itself is never written.
#
# A supernova given as a photometry table (photometry.csv, as examples/sn2004et) is reduced in RUN
# itself: lcimport writes its light curves, bolcurve the bolometric light curve, snfit fits it and
# snpost samples its posterior when a parameters.inp is there, and snplot draws the light curves,
# the fit and the posterior. Each stage works
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
    "$0" "$top/examples/another-field" "$top/build/example-run/another-field"
    echo
    exec "$0" "$top/examples/sn2004et" "$top/build/example-run/sn2004et"
fi
campaign=$(cd "$1" && pwd)
run=${2:-$top/build/example-run}
bin=${SNPHOT_BIN:-$top/build/bin}

for program in lcbuild-bvri lcbuild-griz bandconv lcsub lcsub-err bolcurve starcorr starcal \
               bandtab snmodel decayheat specjoin cumquad cumquad2 snfit snpost lcimport snplot; do
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

# A supernova given as a photometry table: its light curves, bolometric light curve, fit and
# figures, all in RUN.
if has photometry.csv; then
    echo "Supernova: $campaign"
    echo "Working directory: $run"
    echo
    (cd "$run" && rm -rf bvri bvri-err griz bolometric calibration model spectrum figures)
    for f in photometry.csv snphot.toml parameters.inp; do has "$f" && cp "$campaign/$f" "$run/"; done
    step . lcimport
    step . bolcurve
    if has parameters.inp; then
        step . snfit
        grep -E "^((explosion_date|R0|M|Mni|Ek|Ag) +[0-9]|reduced chi2)" "$run/fit.txt" | sed "s/^/    /"
        step . snpost
        grep -E "^(parameter |(explosion_date|R0|M|Mni|Ek|Ag|scatter|distance_modulus) +[-0-9.e+]+ +\[|converged)" \
            "$run/posterior.txt" | sed "s/^/    /"
        # The plateau of the fitted model: from the explosion to where it falls fastest (past day 40).
        awk '/^#/ { next }
             !started { t0 = $1; started = 1 }
             n++ { s = ($2 - pm) / ($1 - pt); if ($1 - t0 > 40 && s > fastest) { fastest = s; end = ($1 + pt) / 2 } }
             { pm = $2; pt = $1 }
             END { printf "    plateau of the model: %.0f days (it falls fastest at JD-2400000 %.1f, %.2f mag/day)\n", end - t0, end, fastest }' \
            "$run/fit-model.txt" | tee "$run/plateau.txt"
    fi
    echo
    if command -v gnuplot >/dev/null 2>&1; then
        step . snplot
        echo "Figures: $(cd "$run" && ls ./*.png | sed 's|^\./||' | tr '\n' ' ')(in $run)"
    else
        echo "No figures: gnuplot is not installed (apt-get install gnuplot-nox), so snplot is skipped."
    fi
    exit 0
fi

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
    has truth.txt && put truth.txt bolometric # drawn on the corner plot
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
    # Without the model and the spectrum, the figures of any supernova: snplot's.
    if command -v gnuplot >/dev/null 2>&1; then
        step bvri snplot
        step bolometric snplot
        cp "$run/bvri/lightcurves.png" "$run/figures/lightcurves-bvri.png"
        for f in fit.png bolometric.png posterior.png posterior-band.png; do
            [ -f "$run/bolometric/$f" ] && cp "$run/bolometric/$f" "$run/figures/"
        done
        echo "Figures (snplot): $(cd "$run/figures" && ls | tr '\n' ' ')(in $run/figures)"
    else
        echo "No figures: gnuplot is not installed (apt-get install gnuplot-nox), so snplot is skipped."
    fi
elif command -v gnuplot >/dev/null 2>&1; then
    for script in "$top"/examples/plots/*.gp; do
        name=$(basename "$script" .gp)
        [ "$name" = common ] && continue
        (cd "$top/examples/plots" && gnuplot -e "run='$run'" "$name.gp")
    done
    # The posterior's figures are snplot's, as for any supernova.
    if [ -f "$run/bolometric/posterior-samples.txt" ]; then
        step bolometric snplot
        cp "$run"/bolometric/posterior{,-band}.png "$run/figures/"
    fi
    echo "Figures: $(cd "$run/figures" && ls | tr '\n' ' ')(in $run/figures)"
else
    echo "No figures: gnuplot is not installed (apt-get install gnuplot-nox), so the plots are skipped."
fi
