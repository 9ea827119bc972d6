load "common.gp"
set output run."/figures/posterior.png"
# The corner plot of snpost's samples: every pair of sampled parameters as a scatter of the
# thinned samples, the 1-D marginals as histograms on the diagonal, and the truth of the example
# (examples/generator/make_campaign.cpp) as lines.
post_dir = run."/bolometric/"
samples = post_dir."posterior-samples.txt"
header = system("head -1 '".samples."'")
n = words(header) - 3 # "#", the parameters, log_likelihood, log_posterior
truth(name) = name eq "explosion_date" ? 57834.9 : name eq "R0" ? 3e13 : name eq "M" ? 10.0 : \
              name eq "Ek" ? 1.0 : name eq "Mni" ? 0.05 : NaN
bins = 30

set terminal pngcairo size 1100,1100 enhanced font "DejaVu Sans,9"
unset key
unset grid
set format x "%.6g"
set format y "%.6g"
set xtics rotate by 30 right
set multiplot layout n, n title "Posterior of the explosion parameters (snpost): samples, marginals, truth"
do for [row = 1:n] {
    do for [col = 1:n] {
        ny = word(header, row + 1)
        nx = word(header, col + 1)
        if (col > row) {
            unset border; unset xtics; unset ytics; unset xlabel; unset ylabel
            plot [0:1][0:1] NaN
            set border; set xtics; set ytics
        } else {
            set autoscale xy
            stats samples using col nooutput
            xmin = STATS_min; xmax = STATS_max
            set xrange [xmin:xmax]
            set xtics xmin + 0.15 * (xmax - xmin), 0.35 * (xmax - xmin)
            set format x (nx eq "explosion_date" ? "%.6g" : "%.3g")
            set format y (ny eq "explosion_date" ? "%.6g" : "%.3g")
            set xlabel (row == n ? nx : "") noenhanced
            if (col == row) {
                w = (xmax - xmin) / bins
                set ylabel ""
                set yrange [0:*]
                unset ytics
                set style fill solid 0.5 noborder
                set arrow 1 from truth(nx), graph 0 to truth(nx), graph 1 nohead lc rgb "#1f4fd1" lw 2
                plot samples using (xmin + w * (floor((column(col) - xmin) / w) + 0.5)):(1.0) \
                     smooth frequency with boxes lc rgb "#d62728"
                unset arrow 1
                set ytics
            } else {
                set autoscale y
                stats samples using row nooutput
                set yrange [STATS_min:STATS_max]
                set ytics STATS_min + 0.15 * (STATS_max - STATS_min), 0.35 * (STATS_max - STATS_min)
                set ylabel (col == 1 ? ny : "") noenhanced
                set arrow 1 from truth(nx), graph 0 to truth(nx), graph 1 nohead lc rgb "#1f4fd1"
                set arrow 2 from graph 0, first truth(ny) to graph 1, first truth(ny) nohead lc rgb "#1f4fd1"
                plot samples using col:row with dots lc rgb "#80111111"
                unset arrow 1; unset arrow 2
            }
        }
    }
}
unset multiplot
