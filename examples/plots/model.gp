load "common.gp"
set output run."/figures/model.png"
set title "Semi-analytic light curve (snmodel, Arnett \\& Fu 1989)"
set xlabel "time since explosion (days)"
set ylabel "log_{10} luminosity (erg/s)"
set yrange [38:*]
lg(x) = (x > 0 ? log10(x) : NaN)
plot run."/model/kimenet.out" using 1:3 with lines lw 3 lc rgb "#111111" title "total L_{SN}", \
     run."/model/kimenet.out" using 1:(lg($4)) with lines lw 2 dt 2 lc rgb "#d62728" title "diffusion L_{diff}", \
     run."/model/kimenet.out" using 1:(lg($5)) with lines lw 2 dt 3 lc rgb "#1f4fd1" title "recombination L_{rec}"
