load "common.gp"
set output run."/figures/lightcurves-griz.png"
set title "Final light curves, g r i (lcbuild-griz); z against the mean of the comparison stars"
set ylabel "apparent magnitude (Sloan g r i, mag)"
set y2label "Sloan z - mean z of the comparison stars (mag)"
set yrange [*:*] reverse
set y2range [*:*] reverse
set ytics nomirror
set y2tics
plot run."/griz/g-gorbe.txt" using 1:2:3 with yerrorbars pt 7 ps 0.7 lc rgb "#22a02b" title "g", \
     run."/griz/r-gorbe.txt" using 1:2:3 with yerrorbars pt 7 ps 0.7 lc rgb "#d62728" title "r", \
     run."/griz/i-gorbe.txt" using 1:2:3 with yerrorbars pt 7 ps 0.7 lc rgb "#8c2d04" title "i", \
     run."/griz/z-gorbe.txt" using 1:2:3 axes x1y2 with yerrorbars pt 6 ps 0.7 lc rgb "#555555" title "z (right axis)"
