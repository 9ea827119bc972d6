#include "stretch_move.hpp"

#include <cmath>

namespace sampler {

double StretchMove::propose(const Ensemble& ensemble, int walker, std::span<const int> partners,
                            Stream& stream, std::span<double> proposal) const {
    const int j = partners[static_cast<std::size_t>(uniform(stream) * partners.size())];
    // Inverse of the distribution function of g: z = ((a - 1) u + 1)^2 / a.
    const double root = (a_ - 1.0) * uniform(stream) + 1.0;
    const double z = root * root / a_;
    const auto x = ensemble.position(walker);
    const auto partner = ensemble.position(j);
    for (std::size_t i = 0; i < x.size(); ++i) proposal[i] = partner[i] + z * (x[i] - partner[i]);
    return (static_cast<double>(x.size()) - 1.0) * std::log(z);
}

} // namespace sampler
