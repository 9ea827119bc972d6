load "common.gp"
set output run."/figures/decay.png"
set title "Heating by the decay ^{56}Ni -> ^{56}Co -> ^{56}Fe (decayheat)"
set xlabel "time since explosion (days)"
set ylabel "heating power (erg/s)"
set y2label "mass (g)"
set logscale y
set logscale y2
set format y "10^{%L}"
set format y2 "10^{%L}"
set ytics nomirror
set y2tics
plot run."/model/numNi.txt" using 1:($3 * 1e7) with lines lw 3 lc rgb "#111111" title "heating power", \
     run."/model/numNi.txt" using 1:4 axes x1y2 with lines dt 2 lc rgb "#d62728" title "^{56}Ni mass (right axis)", \
     run."/model/numNi.txt" using 1:5 axes x1y2 with lines dt 3 lc rgb "#1f4fd1" title "^{56}Co mass (right axis)"
