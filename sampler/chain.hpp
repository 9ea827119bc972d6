// The store of a chain: after every step of the ensemble, each walker's position and
// evaluation. Read back per walker and parameter (for the autocorrelation time) or as the
// thinned samples after a burn-in (for the posterior).
#pragma once

#include "ensemble.hpp"

#include <vector>

namespace sampler {

struct Sample {
    std::vector<double> position;
    Evaluation evaluation;
};

class Chain {
  public:
    Chain(int walkers = 0, int dimensions = 0) : walkers_(walkers), dimensions_(dimensions) {}

    void record(const Ensemble& ensemble);

    int steps() const { return steps_; }
    int walkers() const { return walkers_; }
    int dimensions() const { return dimensions_; }

    double value(int step, int walker, int parameter) const {
        return positions_[(static_cast<std::size_t>(step) * walkers_ + walker) * dimensions_ +
                          parameter];
    }
    const Evaluation& evaluation(int step, int walker) const {
        return evaluations_[static_cast<std::size_t>(step) * walkers_ + walker];
    }

    // The series of one walker in one parameter from step `first` on.
    std::vector<double> series(int walker, int parameter, int first) const;

    // Every `thin`-th step from `first` on, all walkers of each step.
    std::vector<Sample> samples(int first, int thin) const;

  private:
    int walkers_, dimensions_;
    int steps_ = 0;
    std::vector<double> positions_;       // step, walker, parameter
    std::vector<Evaluation> evaluations_; // step, walker
};

} // namespace sampler
