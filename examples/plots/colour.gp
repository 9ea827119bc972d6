load "common.gp"
set output run."/figures/colour.png"
set title "Colour curves of the supernova (szin-gorbe.txt); errors of both bands in quadrature"
set ylabel "colour index (mag; V - I Johnson-Cousins, g - i Sloan)"
colour(dir, first, second) = sprintf("< awk -f colour-errors.awk %s/%s-gorbeS.txt %s/%s-gorbeS.txt %s/szin-gorbe.txt", dir, first, dir, second, dir)
plot colour(run."/bvri", "V", "I") using 1:2:3 with yerrorlines pt 7 ps 0.8 lc rgb "#8c2d04" title "V - I (lcbuild-bvri)", \
     colour(run."/griz", "g", "i") using 1:2:3 with yerrorlines pt 5 ps 0.8 lc rgb "#22a02b" title "g - i (lcbuild-griz)"
