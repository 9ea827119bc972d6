load "common.gp"
set output run."/figures/halpha.png"
set title "Spectrum around H{/Symbol a} in the rest frame (specjoin)"
set xlabel "rest wavelength (Å)"
set ylabel "4.32·10^{15} x flux (flux in erg s^{-1} cm^{-2} Å^{-1})"
set y2label "velocity of the bin from the lookup table (km/s)"
set ytics nomirror
set y2tics
plot run."/spectrum/Eredmeny.txt" using 1:2 with lines lw 2 lc rgb "#111111" title "flux", \
     run."/spectrum/Eredmeny.txt" using 1:3 axes x1y2 with lines dt 2 lc rgb "#1f4fd1" title "looked-up value (right axis)"
