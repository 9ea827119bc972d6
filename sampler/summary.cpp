#include "summary.hpp"

#include <algorithm>
#include <cmath>

namespace sampler {

double quantile(const std::vector<double>& sorted, double q) {
    if (sorted.empty()) return NAN;
    const double position = q * static_cast<double>(sorted.size() - 1);
    const std::size_t below = static_cast<std::size_t>(position);
    if (below + 1 >= sorted.size()) return sorted.back();
    const double f = position - static_cast<double>(below);
    return sorted[below] + f * (sorted[below + 1] - sorted[below]);
}

Summary summarize(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {quantile(values, 0.5), quantile(values, 0.16), quantile(values, 0.84),
            quantile(values, 0.025), quantile(values, 0.975)};
}

} // namespace sampler
