// The posterior band of the light curve: the model's bolometric magnitude on a grid of dates, as
// the median and the central 68% and 95% of the models of samples of the posterior, beside the
// best fit.
#pragma once

#include "posterior.hpp"

#include <vector>

namespace snpost {

struct Band {
    std::vector<double> dates; // JD - 2400000
    std::vector<double> median, low68, high68, low95, high95;
    std::vector<double> best; // the model of the best fit
    long model_runs = 0;
};

// The grid runs a day apart from the latest explosion date among the samples used (so that every
// model has exploded) to kBandPastData days past the last point; the models of up to kBandSamples
// samples spread evenly over the chain run side by side on `threads` threads.
Band posterior_band(const Posterior& posterior, const std::vector<sampler::Sample>& samples,
                    const snfit::Values& best, int threads);

} // namespace snpost
