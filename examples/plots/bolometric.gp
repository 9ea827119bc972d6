load "common.gp"
set output run."/figures/bolometric.png"
set title "Absolute bolometric light curve from B and I (bolcurve, 13.2 Mpc)"
set ylabel "absolute bolometric magnitude (M_{bol}, mag)"
set yrange [*:*] reverse
plot run."/bolometric/bol-gorbe.txt" using 1:2:3 with yerrorbars pt 7 ps 0.8 lc rgb "#111111" title "M_{bol}"
