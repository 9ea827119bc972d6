# Shared look of the example figures. Every script is called as
#   gnuplot -e "run='<example-run directory>'" <script>.gp
# and writes <run>/figures/<script>.png.
set terminal pngcairo size 1000,650 enhanced font "DejaVu Sans,12"
set grid lc rgb "#dddddd"
set key below
set xlabel "JD - 2400000 (days)"
set mxtics 5
