load "common.gp"
set output run."/figures/colour.png"
set title "Colour curves of the supernova (szin-gorbe.txt)"
set ylabel "colour index (mag)"
plot run."/bvri/szin-gorbe.txt" using 1:2 with linespoints pt 7 ps 0.8 lc rgb "#8c2d04" title "V - I (lcbuild-bvri)", \
     run."/griz/szin-gorbe.txt" using 1:2 with linespoints pt 5 ps 0.8 lc rgb "#22a02b" title "g - i (lcbuild-griz)"
