#!/usr/bin/env bash
# Runs the example campaign through all fifteen programs, in the order of the data flow, on a
# fresh copy of the campaign, with standard input at end of file; then draws the figures.
#
#   examples/run.sh [CAMPAIGN [RUN]]
#
# CAMPAIGN is the campaign directory (default examples/campaign), RUN the directory to work in
# (default build/example-run; it is emptied first). The campaign directory itself is never
# written. Each stage works in a subdirectory of RUN, since several programs use the same file
# names: bvri/ (lcbuild-bvri, lcsub), bvri-err/ (lcsub-err), griz/ (lcbuild-griz, bandconv,
# bandtab), bolometric/ (bolcurve, snfit), calibration/ (starcorr, starcal), model/ (snmodel,
# decayheat), spectrum/ (specjoin, cumquad, cumquad2); the figures go to figures/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
campaign=$(cd "${1:-$top/examples/campaign}" && pwd)
run=${2:-$top/build/example-run}
bin=${SNPHOT_BIN:-$top/build/bin}

for program in lcbuild-bvri lcbuild-griz bandconv lcsub lcsub-err bolcurve starcorr starcal \
               bandtab snmodel decayheat specjoin cumquad cumquad2 snfit; do
    [ -x "$bin/$program" ] || { echo "run.sh: $bin/$program is missing: build the suite first" >&2; exit 1; }
done

rm -rf "$run"
mkdir -p "$run"/{bvri,bvri-err,griz,bolometric,calibration,model,spectrum,figures}
run=$(cd "$run" && pwd)

# put FILE STAGE [NAME]: copies a campaign file into a stage directory.
put() { cp "$campaign/$1" "$run/$2/${3:-$(basename "$1")}"; }

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
    local warnings=""
    [ -s "$dir/$program.stderr" ] && warnings=", $(wc -l <"$dir/$program.stderr") warnings in $program.stderr"
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
put parameters.inp bolometric
# The supernova is missing on the images of night 57834 and there from the first bolometric
# point on: the explosion lies between, and the fit is told so.
cat >"$run/bolometric/snphot.toml" <<'TOML'
[fit]
bounds = { explosion_date = [57834.6, 57836.6] }
TOML
step bolometric snfit
put standard-field.txt calibration Eredmeny.txt
step calibration starcorr
put Eredmeny-griz.txt calibration Eredmeny.txt
step calibration starcal
step griz bandtab
put parameters.inp model
step model snmodel
step model decayheat
put PSNspectraCut2.txt spectrum
put fasz spectrum
step spectrum specjoin
step spectrum cumquad
step spectrum cumquad2

echo
if command -v gnuplot >/dev/null 2>&1; then
    for script in "$top"/examples/plots/*.gp; do
        name=$(basename "$script" .gp)
        [ "$name" = common ] && continue
        (cd "$top/examples/plots" && gnuplot -e "run='$run'" "$name.gp")
    done
    echo "Figures: $(cd "$run/figures" && ls | tr '\n' ' ')(in $run/figures)"
else
    echo "No figures: gnuplot is not installed (apt-get install gnuplot-nox), so the plots are skipped."
fi
