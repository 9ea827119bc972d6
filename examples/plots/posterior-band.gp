load "common.gp"
set output run."/figures/posterior-band.png"
# The bolometric light curve with the best fit and snpost's posterior band: the median, the
# central 68% and 95% of the models of the posterior's samples at every day.
post_dir = run."/bolometric/"
set title "Bolometric light curve, the best fit and the posterior band (snpost)"
set ylabel "absolute bolometric magnitude (mag)"
set yrange [*:*] reverse
set xrange [57825:58110]
set key inside top right
plot post_dir."posterior-band.txt" using 1:5:6 with filledcurves lc rgb "#f4c7c7" title "95% of the posterior", \
     post_dir."posterior-band.txt" using 1:3:4 with filledcurves lc rgb "#e88a8a" title "68%", \
     post_dir."posterior-band.txt" using 1:2 with lines lw 2 lc rgb "#d62728" title "median", \
     post_dir."posterior-band.txt" using 1:7 with lines lw 1 dt 2 lc rgb "#111111" title "best fit", \
     post_dir."bol-gorbe.txt" using 1:2:3 with yerrorbars pt 7 ps 0.6 lc rgb "#111111" title "data (bol-gorbe.txt)"
