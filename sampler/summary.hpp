// What the samples of one parameter say: the median and the central intervals holding 68% and
// 95% of them.
#pragma once

#include <vector>

namespace sampler {

struct Summary {
    double median = 0;
    double low68 = 0, high68 = 0; // the 16% and 84% quantiles
    double low95 = 0, high95 = 0; // the 2.5% and 97.5% quantiles
};

// The q-quantile (0 <= q <= 1) of sorted values, interpolated linearly between order statistics.
double quantile(const std::vector<double>& sorted, double q);

Summary summarize(std::vector<double> values);

} // namespace sampler
