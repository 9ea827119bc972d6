load "common.gp"
set output run."/figures/lightcurves-bvri.png"
set title "Final light curves, B V R I (lcbuild-bvri)"
set ylabel "apparent magnitude (Johnson-Cousins B V R I, mag)"
set yrange [*:*] reverse
plot run."/bvri/B-gorbe.txt" using 1:2:3 with yerrorbars pt 7 ps 0.7 lc rgb "#1f4fd1" title "B", \
     run."/bvri/V-gorbe.txt" using 1:2:3 with yerrorbars pt 7 ps 0.7 lc rgb "#22a02b" title "V", \
     run."/bvri/R-gorbe.txt" using 1:2:3 with yerrorbars pt 7 ps 0.7 lc rgb "#d62728" title "R", \
     run."/bvri/I-gorbe.txt" using 1:2:3 with yerrorbars pt 7 ps 0.7 lc rgb "#8c2d04" title "I"
