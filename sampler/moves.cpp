#include "moves.hpp"

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

double DifferentialMove::propose(const Ensemble& ensemble, int walker,
                                 std::span<const int> partners, Stream& stream,
                                 std::span<double> proposal) const {
    const std::size_t n = partners.size();
    const std::size_t a = static_cast<std::size_t>(uniform(stream) * n);
    // The second partner uniformly among the others.
    std::size_t b = static_cast<std::size_t>(uniform(stream) * (n - 1));
    if (b >= a) ++b;
    const double d = static_cast<double>(proposal.size());
    const double gamma = 2.38 / std::sqrt(2.0 * d) * (1.0 + 1e-5 * standard_normal(stream));
    const auto x = ensemble.position(walker);
    const auto p = ensemble.position(partners[a]), q = ensemble.position(partners[b]);
    for (std::size_t i = 0; i < x.size(); ++i) proposal[i] = x[i] + gamma * (p[i] - q[i]);
    return 0.0;
}

} // namespace sampler
