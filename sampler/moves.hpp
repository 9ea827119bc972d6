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

// The differential-evolution move (ter Braak 2006; Nelson et al. 2014 for ensembles):
// Y = X_k + gamma (X_j - X_l) with two distinct partners j, l drawn uniformly, gamma =
// 2.38 / sqrt(2 d) jittered by a relative 1e-5 so that the proposals are not confined to the
// lattice of differences. Symmetric: the proposal's factor is 1. Its steps follow the spread of
// the ensemble along the target's valleys, at the scale that is optimal for a Gaussian.
class DifferentialMove final : public Move {
  public:
    double propose(const Ensemble& ensemble, int walker, std::span<const int> partners,
                   Stream& stream, std::span<double> proposal) const override;
};

// Draws one of two moves per proposal from the walker's own stream: `first` with probability
// `weight`, otherwise `second`.
class MixedMove final : public Move {
  public:
    MixedMove(const Move& first, const Move& second, double weight)
        : first_(first), second_(second), weight_(weight) {}
    double propose(const Ensemble& ensemble, int walker, std::span<const int> partners,
                   Stream& stream, std::span<double> proposal) const override {
        return (uniform(stream) < weight_ ? first_ : second_)
            .propose(ensemble, walker, partners, stream, proposal);
    }

  private:
    const Move& first_;
    const Move& second_;
    double weight_;
};

// The moves snpost samples with: differential evolution in this share of the proposals, the
// stretch move in the rest. On a long curved valley (R0, M and Ek of a plateau supernova) the
// differential move's autocorrelation time is about a third of the stretch move's; the stretch
// move's share keeps the ensemble's scale changing when the valley narrows or widens.
inline constexpr double kDifferentialShare = 0.8;

class StandardMove final : public Move {
  public:
    StandardMove() = default;
    // The mixture refers to the moves it holds: a copy would refer to another's.
    StandardMove(const StandardMove&) = delete;
    StandardMove& operator=(const StandardMove&) = delete;

    double propose(const Ensemble& ensemble, int walker, std::span<const int> partners,
                   Stream& stream, std::span<double> proposal) const override {
        return mixed_.propose(ensemble, walker, partners, stream, proposal);
    }

  private:
    StretchMove stretch_;
    DifferentialMove differential_;
    MixedMove mixed_{differential_, stretch_, kDifferentialShare};
};

} // namespace sampler
