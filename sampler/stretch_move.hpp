// Moves that propose a new position for one walker of an ensemble from the positions of the
// walkers of the other half (held still while this half moves), drawing only from the walker's own
// stream. A move returns the log of the factor that multiplies the density ratio in the
// acceptance probability.
#pragma once

#include "ensemble.hpp"

#include <span>

namespace sampler {

class Move {
  public:
    virtual ~Move() = default;
    // Writes the proposal for walker `walker` to `proposal`; `partners` are the walkers it may
    // move against. Returns the log of the proposal's factor.
    virtual double propose(const Ensemble& ensemble, int walker, std::span<const int> partners,
                           Stream& stream, std::span<double> proposal) const = 0;
};

// The stretch move of Goodman & Weare (2010): Y = X_j + z (X_k - X_j) with a partner j drawn
// uniformly and z from g(z) ~ 1/sqrt(z) on [1/a, a]; accepted with probability
// min(1, z^(d-1) p(Y) / p(X_k)). Affine invariant: a correlated target is sampled as well as an
// uncorrelated one.
class StretchMove final : public Move {
  public:
    explicit StretchMove(double a = 2.0) : a_(a) {}
    double propose(const Ensemble& ensemble, int walker, std::span<const int> partners,
                   Stream& stream, std::span<double> proposal) const override;

  private:
    double a_;
};

} // namespace sampler
