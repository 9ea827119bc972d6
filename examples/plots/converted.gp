load "common.gp"
set output run."/figures/converted.png"
set title "B V Rc Ic converted from g r i z (bandconv, open) beside the measured B V R I (filled)"
set ylabel "apparent magnitude (Johnson-Cousins, mag)"
set yrange [*:*] reverse
plot run."/bvri/B-gorbe.txt" using 1:2 with points pt 7 ps 0.8 lc rgb "#1f4fd1" title "B measured", \
     run."/griz/B-gorbeC.txt" using 1:2:3 with yerrorbars pt 6 ps 1.2 lc rgb "#1f4fd1" title "B from g r", \
     run."/bvri/V-gorbe.txt" using 1:2 with points pt 7 ps 0.8 lc rgb "#22a02b" title "V measured", \
     run."/griz/V-gorbeC.txt" using 1:2:3 with yerrorbars pt 6 ps 1.2 lc rgb "#22a02b" title "V from g r", \
     run."/bvri/R-gorbe.txt" using 1:2 with points pt 7 ps 0.8 lc rgb "#d62728" title "R measured", \
     run."/griz/R-gorbeC.txt" using 1:2:3 with yerrorbars pt 6 ps 1.2 lc rgb "#d62728" title "Rc from r i", \
     run."/bvri/I-gorbe.txt" using 1:2 with points pt 7 ps 0.8 lc rgb "#8c2d04" title "I measured", \
     run."/griz/I-gorbeC.txt" using 1:2:3 with yerrorbars pt 6 ps 1.2 lc rgb "#8c2d04" title "Ic from r i"
