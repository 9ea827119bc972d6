// The state of an ensemble of walkers: where each stands in parameter space, the log-density
// there, and its own random stream. The streams are derived from one seed and the walker's number
// alone, so that a walker draws the same numbers whichever thread updates it.
#pragma once

#include <cstdint>
#include <limits>
#include <random>
#include <span>
#include <vector>

namespace sampler {

// What the target says of a position: the log of the posterior density (up to a constant;
// -infinity where the position is refused) and the log-likelihood, kept beside it for the
// record.
struct Evaluation {
    double log_posterior = -std::numeric_limits<double>::infinity();
    double log_likelihood = -std::numeric_limits<double>::infinity();

    bool refused() const { return !(log_posterior > -std::numeric_limits<double>::infinity()); }
};

using Stream = std::mt19937_64;

// The stream of walker `walker` under `seed`: independent streams for any two walkers.
Stream walker_stream(std::uint64_t seed, int walker);

// A uniform number in [0, 1) and a standard normal one, drawn the same way on every platform of
// one standard library (the distributions of <random> are not portable across libraries, these
// are).
double uniform(Stream& stream);
double standard_normal(Stream& stream);

class Ensemble {
  public:
    Ensemble(int walkers, int dimensions, std::uint64_t seed);

    int walkers() const { return walkers_; }
    int dimensions() const { return dimensions_; }

    std::span<double> position(int walker) {
        return {positions_.data() + static_cast<std::size_t>(walker) * dimensions_,
                static_cast<std::size_t>(dimensions_)};
    }
    std::span<const double> position(int walker) const {
        return {positions_.data() + static_cast<std::size_t>(walker) * dimensions_,
                static_cast<std::size_t>(dimensions_)};
    }
    Evaluation& evaluation(int walker) { return evaluations_[walker]; }
    const Evaluation& evaluation(int walker) const { return evaluations_[walker]; }
    Stream& stream(int walker) { return streams_[walker]; }

    // Every position, walker after walker.
    std::span<const double> positions() const { return positions_; }

  private:
    int walkers_, dimensions_;
    std::vector<double> positions_;
    std::vector<Evaluation> evaluations_;
    std::vector<Stream> streams_;
};

} // namespace sampler
