load "common.gp"
set output run."/figures/subtracted.png"
set title "Light curves with the reference night's flux removed (lcsub; reference night 57834)"
set ylabel "apparent magnitude (Johnson-Cousins, mag)"
set yrange [21:14]
# Points not brighter than the reference are written 100 mag fainter: they are left out here.
ok(m) = (m < 50 ? m : NaN)
plot run."/bvri/B-gorbeR.txt" using 1:(ok($2)):4 with yerrorbars pt 7 ps 0.7 lc rgb "#1f4fd1" title "B", \
     run."/bvri/V-gorbeR.txt" using 1:(ok($2)):4 with yerrorbars pt 7 ps 0.7 lc rgb "#22a02b" title "V", \
     run."/bvri/R-gorbeR.txt" using 1:(ok($2)):4 with yerrorbars pt 7 ps 0.7 lc rgb "#d62728" title "R", \
     run."/bvri/I-gorbeR.txt" using 1:(ok($2)):4 with yerrorbars pt 7 ps 0.7 lc rgb "#8c2d04" title "I", \
     run."/bvri/V-gorbeS.txt" using 1:2 with lines dt 2 lc rgb "#22a02b" title "V before subtraction", \
     keyentry with points pt 0 title "left out: rows not brighter than the reference (+100 mag)"
