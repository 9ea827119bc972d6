load "common.gp"
set output run."/figures/fit.png"
# The example's supernova exploded at JD 2457834.9 with the parameters of parameters.inp (the
# truth of examples/generator/make_campaign.cpp); snmodel's kimenet.out in model/ is its light curve.
explosion = 57834.9
mag(L) = (L > 0 ? 4.74 - 2.5 * log10(L / 3.828e33) : NaN)
fit_dir = run."/bolometric/"

set multiplot
set lmargin 12
set rmargin 4
set xrange [57825:58110]

set size 1, 0.68
set origin 0, 0.32
set title "Bolometric light curve and the fitted model (snfit)"
set format x ""
unset xlabel
set ylabel "absolute bolometric magnitude (mag)"
set yrange [*:*] reverse
set key inside top right
plot fit_dir."fit-residuals.txt" using 1:2:3 with yerrorbars pt 7 ps 0.7 lc rgb "#111111" title "data (bol-gorbe.txt)", \
     fit_dir."fit-model.txt" using 1:2 with lines lw 2 lc rgb "#d62728" title "best fit", \
     run."/model/kimenet.out" using ($1 + explosion):(mag($2)) with lines lw 2 dt 2 lc rgb "#1f4fd1" title "true model"

set size 1, 0.32
set origin 0, 0
unset title
set format x "%g"
set xlabel "JD - 2400000 (days)"
set ylabel "data - fit (mag)"
set yrange [-0.3:0.3] noreverse
unset key
plot 0 with lines lc rgb "#888888" notitle, \
     fit_dir."fit-residuals.txt" using 1:($2 - $4):($6 > 0 ? $3 : NaN) with yerrorbars pt 7 ps 0.6 lc rgb "#111111", \
     fit_dir."fit-residuals.txt" using 1:($6 > 0 ? NaN : $2 - $4) with points pt 6 ps 0.8 lc rgb "#888888"
unset multiplot
