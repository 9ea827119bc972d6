// The outputs of snpost: the report "posterior.txt" (and its table on the console), the thinned
// samples "posterior-samples.txt" and the band of the light curve "posterior-band.txt".
#pragma once

#include "inference.hpp"

#include <cstdio>

namespace snpost {

// Median, intervals, highest posterior, tau and effective samples per parameter; acceptance,
// model runs, wall time and convergence.
void write_table(std::FILE* out, const Posterior& posterior, const Inference& inference);
void write_report(std::FILE* out, const Posterior& posterior, const Inference& inference,
                  const PosteriorSettings& settings);
void write_samples(std::FILE* out, const Posterior& posterior, const Inference& inference);
void write_band(std::FILE* out, const Band& band);

} // namespace snpost
