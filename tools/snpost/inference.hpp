// The whole inference of snpost without its files: the least-squares fit of the fit library, the
// ensemble sampler around its optimum, and what the outputs report of the chain.
#pragma once

#include "band.hpp"
#include "posterior.hpp"
#include "posterior_settings.hpp"
#include "summary.hpp"

#include <functional>
#include <string>
#include <vector>

namespace snpost {

struct ParameterSummary {
    sampler::Summary summary; // in the parameter's own units
    double highest = 0;       // at the sample of highest posterior
    double tau = 0;           // integrated autocorrelation time, steps
    double effective = 0;     // independent samples after the burn-in
};

struct Inference {
    snfit::FitResult fit;
    sampler::Sampling sampling;
    std::vector<sampler::Sample> samples; // thinned, after the burn-in
    std::vector<ParameterSummary> parameters;
    sampler::Sample highest; // of the chain after the burn-in, in u
    std::vector<std::vector<double>> correlation;
    Band band;
    int threads = 1;
    double seconds = 0; // wall time of the fit, the sampler and the band

    long model_runs() const { return fit.model_runs + sampling.evaluations + band.model_runs; }
};

struct Reporters {
    std::function<void(const std::string&)> fit_stage = [](const std::string&) {};
    std::function<void(const sampler::Progress&, double seconds)> sampler =
        [](const sampler::Progress&, double) {};
};

// Throws a RunFailure when the walkers cannot be set up (too few, or every start refused).
// `move` is the sampler's proposal; snpost's own by default (a benchmark compares others).
Inference infer(const Posterior& posterior, const PosteriorSettings& settings, int threads,
                const Reporters& report = {}, const sampler::Move& move = sampler::StandardMove());

} // namespace snpost
