// The driver of an ensemble sampler: starts the walkers, moves one half of the ensemble against
// the other, stores the chain, and stops when the chain holds enough independent samples or when
// its budget of evaluations is spent.
//
// The walkers of a half move side by side on the threads granted; every walker draws from its own
// stream and moves against the other half, which stands still meanwhile, so a given seed gives
// the same chain on any number of threads.
#pragma once

#include "chain.hpp"
#include "ensemble.hpp"
#include "moves.hpp"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace sampler {

// The log-density of a position. Called from several threads at once.
using Target = std::function<Evaluation(std::span<const double>)>;
// Draws a start position into its argument from a walker's stream.
using StartDraw = std::function<void(Stream&, std::span<double>)>;

// Where a run stands, at every check of its convergence.
struct Progress {
    int steps = 0;
    long evaluations = 0;
    double tau = 0;          // the largest autocorrelation time, in steps
    double acceptance = 0;   // fraction of proposals accepted after the burn-in
    double effective = 0;    // independent samples after the burn-in (by the largest tau)
    double needed_steps = 0; // the chain length the stopping rule asks for at this tau
};

struct Options {
    int walkers = 32;
    std::uint64_t seed = 1;
    long max_evaluations = 1'000'000;
    double effective_samples = 2000;     // at least this many independent samples after burn-in
    double autocorrelation_lengths = 50; // and a chain after burn-in of this many tau
    int threads = 1;
    int start_attempts = 100; // draws per walker before its start counts as refused
    std::function<void(const Progress&)> progress = [](const Progress&) {};
};

struct Sampling {
    Chain chain;
    int refused_starts = 0; // walkers none of whose start draws the target accepted
    bool converged = false;
    long evaluations = 0;
    std::vector<double> tau; // per parameter, from the chain after the burn-in
    int burn_in = 0;         // steps left out at the start of the chain
    int thin = 1;            // every thin-th step after the burn-in is a sample
    double acceptance = 0;   // fraction of proposals accepted after the burn-in

    // Independent samples after the burn-in, per parameter.
    double effective_samples(int parameter) const {
        return chain.walkers() * static_cast<double>(chain.steps() - burn_in) / tau[parameter];
    }
    std::vector<Sample> samples() const { return chain.samples(burn_in, thin); }
};

// Samples `target` from the starts that `start` draws. A walker whose start is refused
// `start_attempts` times leaves the run with refused_starts > 0 and an empty chain. Needs an even
// number of walkers, at least 2 dimensions + 2.
Sampling sample(const Target& target, const StartDraw& start, int dimensions, const Move& move,
                const Options& options);

// Runs job(i) for i = 0 .. count-1 on `threads` threads (the calling one among them).
void side_by_side(int count, int threads, const std::function<void(int)>& job);

} // namespace sampler
