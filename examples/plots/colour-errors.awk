# The colour curve szin-gorbe.txt (date, colour) with an error for each point: the errors of both
# bands (measurement error and zero-point scatter, in quadrature) from the standard light curves,
# the first band's row of the same date and the second band's first row of the same night.
#   awk -f colour-errors.awk FIRST-gorbeS.txt SECOND-gorbeS.txt szin-gorbe.txt
FILENAME == ARGV[1] { if (!($1 in first)) first[$1] = $3 * $3 + $4 * $4; next }
FILENAME == ARGV[2] { night = int($1); if (!(night in second)) second[night] = $3 * $3 + $4 * $4; next }
{ print $1, $2, sqrt(first[$1] + second[int($1)]) }
